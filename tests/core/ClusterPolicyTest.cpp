// Volume interpretation, the cluster policy and the allocated space of a file.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "TestUtil.h"
#include "core/ClusterPolicy.h"

namespace qv {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kGiB = 1024 * kMiB;

platform::VolumeRaw Raw(const char* fileSystem, std::uint32_t sectors, std::uint64_t clusters) {
    platform::VolumeRaw raw;
    raw.fileSystem = fileSystem;
    raw.sectorsPerCluster = sectors;
    raw.bytesPerSector = 512;
    raw.totalClusters = clusters;
    return raw;
}

platform::VolumeRaw RawWithTotal(const char* fileSystem, std::uint64_t total) {
    platform::VolumeRaw raw = Raw(fileSystem, 64, 1000);  // what the system says is ignored for FAT
    raw.hasExtendedTotal = true;
    raw.extendedTotal = total;
    return raw;
}

// FAT takes the cluster its formatting picks by total size, FAT32 by the total's high word;
// other file systems keep the system's figures.
TEST(VolumeFromRaw, FatClusterSizesByTotal) {
    const std::tuple<const char*, std::uint64_t, std::uint32_t> cases[] = {
        // file system, total, sectors
        {"FAT", 0x2000000 - 1, 1}, {"fat", 0x2000000, 2},      {"FAT", 0x7FF00000 - 1, 64},
        {"FAT", 0x7FF00000, 128},  {"FAT32", 8 * kGiB - 1, 8}, {"Fat32", 8 * kGiB, 16},
        {"FAT32", 16 * kGiB, 32},  {"FAT32", 32 * kGiB, 64},   {"exFAT", 20 * kMiB, 64},
    };
    for (const auto& [fileSystem, total, sectors] : cases) {
        const VolumeInfo info = VolumeFromRaw(RawWithTotal(fileSystem, total));
        EXPECT_EQ(test::Join(info.sectorsPerCluster, info.total), test::Join(sectors, total)) << fileSystem;
    }
}

TEST(VolumeFromRaw, EmptyOrOverflowingFiguresFail) {
    platform::VolumeRaw raws[] = {Raw("NTFS", 8, 0), RawWithTotal("NTFS", 0), Raw("NTFS", 0xFFFFFFFF, UINT64_MAX)};
    raws[2].bytesPerSector = 0xFFFFFFFF;
    for (const platform::VolumeRaw& raw : raws) {
        const VolumeInfo info = VolumeFromRaw(raw);
        EXPECT_EQ(info.total + info.sectorsPerCluster + info.bytesPerSector, 0u);
    }
}

std::string Text(const ClusterPolicy& policy) {
    char buffer[ClusterPolicy::kMaxText];
    EXPECT_TRUE(policy.Format(buffer, nullptr));
    return buffer;
}

// A volume that gives no power-of-two cluster leaves no cluster size.
TEST(ClusterPolicy, FromVolumeFlags) {
    const std::tuple<VolumeInfo, bool, const char*> cases[] = {
        {{1 * kGiB, 512, 8, 0x10}, true, "0;0;12;1"},    // per-file compression: ask for compressed files only
        {{1 * kGiB, 512, 8, 0xA}, true, "0;1;12;1"},     // no compression: cluster rounding only
        {{1 * kGiB, 512, 8, 0x8010}, true, "1;0;12;1"},  // compressed volume: ask for every file
        {{}, false, "7;7;0;7"},                          {{1 * kGiB, 512, 3, 0x10}, false, "7;7;0;1"},
    };
    for (const auto& [volume, ok, text] : cases) {
        ClusterPolicy policy{7, 7, 7, 7};
        const bool computed = policy.ComputeFromVolume(volume);
        EXPECT_EQ(test::Join(computed, Text(policy)), test::Join(ok, text));
    }
    ClusterPolicy policy{0, 0, 12, 1};
    const bool computed = policy.Compute("", 4096);
    EXPECT_EQ(test::Join(computed, policy.clusterShift, QueryVolume("").total), "0 0 0");
}

TEST(ClusterPolicy, UserClusterSizeIgnoresCompression) {
    const std::tuple<std::int64_t, bool, const char*> cases[] = {
        {512, true, "0;1;9;0"}, {3000, false, "0;1;0;0"}, {1, false, "0;1;0;0"}, {-4096, false, "0;1;0;0"},
        // Up to 1 GiB: larger clusters would overflow the sums of whole clusters.
        {1073741824, true, "0;1;30;0"}, {2147483648, false, "0;1;0;0"},
    };
    for (const auto& [size, ok, text] : cases) {
        ClusterPolicy policy;
        policy.compressedForAll = 1;
        const bool computed = policy.Compute("C:\\", size);
        EXPECT_EQ(test::Join(computed, Text(policy)), test::Join(ok, text)) << size;
    }
}

TEST(ClusterPolicy, ParseStoresFieldsUpToTheFirstMissingOne) {
    const std::tuple<const char*, bool, const char*> cases[] = {
        // text, parsed, the policy after
        {"1;0;16;1;tail", true, "1;0;16;1"},
        {" 1; 0; 9; 1", true, "1;0;9;1"},
        {"-1;0;12;1", true, "-1;0;12;1"},
        {"1;0", false, "1;0;7;7"},
        {"1 0 9 1", false, "1;7;7;7"},  // fields need their separators
        {"", false, "7;7;7;7"},
        {"1;99999999999;2;3", false, "1;7;7;7"},
    };
    for (const auto& [text, ok, after] : cases) {
        ClusterPolicy policy{7, 7, 7, 7};
        const bool parsed = policy.Parse(text);
        EXPECT_EQ(test::Join(parsed, Text(policy)), test::Join(ok, after)) << text;
    }
    ClusterPolicy policy;
    EXPECT_FALSE(policy.Parse(nullptr));
}

TEST(AllocatedSize, RoundsUpToWholeClusters) {
    const ClusterPolicy policy{0, 1, 12, 1};
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {0, 0}, {1, 4096}, {4096, 4096}, {4097, 8192}, {-5, 0}, {INT64_MAX, INT64_MAX & ~std::int64_t{4095}},
    };
    for (const auto& [size, allocated] : cases) {
        EXPECT_EQ(AllocatedSize(&policy, size, false, "f"), allocated) << size;
    }
    // No usable cluster size, none of this world, a negative one, no policy.
    EXPECT_EQ(test::Join(ClusterRoundedSize(4097, 0), ClusterRoundedSize(4097, 63), ClusterRoundedSize(4097, -3),
                         AllocatedSize(nullptr, 4097, true, "f")),
              "4097 4097 4097 4097");
}

// A compressed-size query that answers 1234 for "small" and fails for everything else.
std::string g_asked;
bool FakeCompressedSize(const std::string& path, std::int64_t* size) {
    g_asked += path + ";";
    if (path == "small") {
        *size = 1234;
        return true;
    }
    return false;
}

TEST(AllocatedSize, AsksForTheCompressedSizeWhenThePolicySaysSo) {
    // policy, the file's compressed attribute, path, allocated, the paths asked for
    const std::tuple<ClusterPolicy, bool, const char*, std::int64_t, const char*> cases[] = {
        {{1, 0, 12, 1}, false, "small", 1234, "small;"},  // compressed volume: every file
        {{0, 0, 12, 1}, true, "small", 1234, "small;"},   // compressed file on NTFS
        {{0, 0, 12, 1}, false, "small", 8192, ""},        // plain file on NTFS
        {{0, 1, 12, 1}, true, "small", 8192, ""},         // compression ignored
        {{1, 0, 12, 1}, false, "other", 5000, "other;"},  // failed query: the plain size
    };
    for (const auto& [policy, compressedAttr, path, expected, asked] : cases) {
        g_asked.clear();
        const std::int64_t allocated = AllocatedSize(&policy, 5000, compressedAttr, path, &FakeCompressedSize);
        EXPECT_EQ(test::Join(allocated, g_asked), test::Join(expected, asked)) << path;
    }
    EXPECT_EQ(AllocatedSize(&std::get<0>(cases[0]), 5000, false, "small", nullptr), 5000);
}

}  // namespace
}  // namespace qv
