// Volume interpretation, the cluster policy and the allocated space of a file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

TEST(VolumeFromRaw, FatClusterTableByTotalSize) {
    const struct {
        std::uint64_t total;
        std::uint32_t sectors;
    } cases[] = {
        {20 * kMiB, 1},       {0x2000000 - 1, 1}, {0x2000000, 2},  {0x4000000 - 1, 2}, {0x4000000, 4},
        {0x8000000, 8},       {0xFF00000 - 1, 8}, {0xFF00000, 16}, {0x1FF00000, 32},   {0x3FF00000, 64},
        {0x7FF00000 - 1, 64}, {0x7FF00000, 128},  {3 * kGiB, 128}, {5 * kGiB, 128},
    };
    for (const auto& c : cases) {
        const VolumeInfo info = VolumeFromRaw(RawWithTotal("FAT", c.total));
        EXPECT_EQ(info.sectorsPerCluster, c.sectors) << c.total;
        EXPECT_EQ(info.bytesPerSector, 512u);
        EXPECT_EQ(info.total, c.total);
    }
    EXPECT_EQ(VolumeFromRaw(RawWithTotal("fat", 20 * kMiB)).sectorsPerCluster, 1u);
}

TEST(VolumeFromRaw, Fat32ClusterTableByHighWordOfTotal) {
    const struct {
        std::uint64_t total;
        std::uint32_t sectors;
    } cases[] = {
        {1 * kGiB, 8},   {8 * kGiB - 1, 8}, {8 * kGiB, 16},    {10 * kGiB, 16},
        {16 * kGiB, 32}, {32 * kGiB, 64},   {2000 * kGiB, 64},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VolumeFromRaw(RawWithTotal("Fat32", c.total)).sectorsPerCluster, c.sectors) << c.total;
    }
}

TEST(VolumeFromRaw, TotalComesFromGeometryWithoutTheExtendedQuery) {
    platform::VolumeRaw ntfs = Raw("NTFS", 8, 1000);
    ntfs.flags = 0xA;
    VolumeInfo info = VolumeFromRaw(ntfs);
    EXPECT_EQ(info.total, 8u * 512u * 1000u);
    EXPECT_EQ(info.sectorsPerCluster, 8u);
    EXPECT_EQ(info.flags, 0xAu);

    ntfs.hasExtendedTotal = true;
    ntfs.extendedTotal = 123456789;
    EXPECT_EQ(VolumeFromRaw(ntfs).total, 123456789u);

    // 64 sectors x 640 clusters = 20 MiB: FAT takes one sector per cluster and recomputes the
    // total with it.
    info = VolumeFromRaw(Raw("FAT", 64, 640));
    EXPECT_EQ(info.sectorsPerCluster, 1u);
    EXPECT_EQ(info.total, 640u * 512u);

    EXPECT_EQ(VolumeFromRaw(Raw("exFAT", 64, 640)).sectorsPerCluster, 64u);
}

TEST(VolumeFromRaw, EmptyOrOverflowingFiguresFail) {
    platform::VolumeRaw raws[] = {Raw("NTFS", 8, 0), RawWithTotal("NTFS", 0), Raw("NTFS", 0xFFFFFFFF, UINT64_MAX)};
    raws[2].bytesPerSector = 0xFFFFFFFF;
    for (const platform::VolumeRaw& raw : raws) {
        const VolumeInfo info = VolumeFromRaw(raw);
        EXPECT_EQ(info.total, 0u);
        EXPECT_EQ(info.sectorsPerCluster, 0u);
        EXPECT_EQ(info.bytesPerSector, 0u);
    }
}

std::string Text(const ClusterPolicy& policy) {
    char buffer[ClusterPolicy::kMaxText];
    EXPECT_TRUE(policy.Format(buffer, nullptr));
    return buffer;
}

TEST(ClusterPolicy, FromVolumeFlags) {
    const struct {
        std::uint32_t sectors;
        std::uint32_t flags;
        const char* text;
    } cases[] = {
        {8, 0x10, "0;0;12;1"},    // per-file compression: ask for compressed files only
        {8, 0xA, "0;1;12;1"},     // no compression: cluster rounding only
        {8, 0x8000, "1;0;12;1"},  // compressed volume: ask for every file
        {8, 0x8010, "1;0;12;1"}, {1, 0, "0;1;9;1"}, {128, 0, "0;1;16;1"},
    };
    for (const auto& c : cases) {
        ClusterPolicy policy;
        VolumeInfo volume{1 * kGiB, 512, c.sectors, c.flags};
        EXPECT_TRUE(policy.ComputeFromVolume(volume));
        EXPECT_EQ(Text(policy), c.text);
    }
}

TEST(ClusterPolicy, UnusableVolumesLeaveNoClusterSize) {
    ClusterPolicy policy;
    EXPECT_FALSE(policy.ComputeFromVolume(VolumeInfo{}));
    EXPECT_EQ(Text(policy), "0;0;0;1");

    policy.clusterShift = 12;
    EXPECT_FALSE(policy.ComputeFromVolume(VolumeInfo{1 * kGiB, 512, 3, 0x10}));  // 1536-byte clusters
    EXPECT_EQ(policy.clusterShift, 0);
    EXPECT_EQ(AllocatedSize(&policy, 5000, false, "x"), 5000);
}

TEST(ClusterPolicy, UserClusterSizeIgnoresCompression) {
    const struct {
        std::int64_t size;
        bool ok;
        const char* text;
    } cases[] = {
        {65536, true, "0;1;16;0"}, {8192, true, "0;1;13;0"}, {512, true, "0;1;9;0"},
        {3000, false, "0;1;0;0"},  {1, false, "0;1;0;0"},    {-4096, false, "0;1;0;0"},
    };
    for (const auto& c : cases) {
        ClusterPolicy policy;
        policy.compressedForAll = 1;
        EXPECT_EQ(policy.Compute("C:\\", c.size), c.ok) << c.size;
        EXPECT_EQ(Text(policy), c.text) << c.size;
    }
}

TEST(ClusterPolicy, ComputeOnARealFolder) {
    test::ScratchDir dir;
    ClusterPolicy policy;
    ASSERT_TRUE(policy.Compute(dir.Path(), 0));
    EXPECT_EQ(policy.automatic, 1);
    EXPECT_GE(policy.clusterShift, 9);
    EXPECT_LE(policy.clusterShift, 24);
    EXPECT_GT(QueryVolume(dir.Path()).total, 0u);

    dir.WriteFile("file.bin", 10);
    EXPECT_EQ(QueryVolume(dir.Sub("file.bin")).total, 0u);  // not a folder
    EXPECT_EQ(QueryVolume(dir.Sub("missing")).total, 0u);
    EXPECT_EQ(QueryVolume("").total, 0u);

    ClusterPolicy failed;
    failed.clusterShift = 12;
    EXPECT_FALSE(failed.Compute(dir.Sub("missing"), 0));
    EXPECT_EQ(failed.clusterShift, 0);
    EXPECT_FALSE(failed.Compute("", 4096));
}

TEST(ClusterPolicy, FormatHonoursTheCapacity) {
    ClusterPolicy policy{0, 0, 12, 1};
    char buffer[16];
    std::strcpy(buffer, "untouched");
    std::size_t capacity = 5;
    EXPECT_FALSE(policy.Format(buffer, &capacity));
    EXPECT_EQ(capacity, 9u);
    EXPECT_STREQ(buffer, "untouched");

    capacity = 9;
    EXPECT_TRUE(policy.Format(buffer, &capacity));
    EXPECT_STREQ(buffer, "0;0;12;1");
    EXPECT_FALSE(policy.Format(nullptr, nullptr));

    const ClusterPolicy widest{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
    EXPECT_EQ(Text(widest).size() + 1, ClusterPolicy::kMaxText);
}

TEST(ClusterPolicy, ParseStoresFieldsUpToTheFirstMissingOne) {
    const struct {
        const char* text;
        bool ok;
        const char* after;
    } cases[] = {
        {"0;1;13;0", true, "0;1;13;0"},
        {"1;0;16;1;tail", true, "1;0;16;1"},
        {" 1; 0; 9; 1", true, "1;0;9;1"},
        {"1;0", false, "1;0;7;7"},
        {"1;0;", false, "1;0;7;7"},
        {"1 0 9 1", false, "1;7;7;7"},  // fields need their separators
        {"", false, "7;7;7;7"},
        {"x;1;2;3", false, "7;7;7;7"},
        {"1;99999999999;2;3", false, "1;7;7;7"},
        {"-1;0;12;1", true, "-1;0;12;1"},
    };
    for (const auto& c : cases) {
        ClusterPolicy policy{7, 7, 7, 7};
        EXPECT_EQ(policy.Parse(c.text), c.ok) << c.text;
        EXPECT_EQ(Text(policy), c.after) << c.text;
    }
    ClusterPolicy policy;
    EXPECT_FALSE(policy.Parse(nullptr));
}

TEST(AllocatedSize, RoundsUpToWholeClusters) {
    const ClusterPolicy policy{0, 1, 12, 1};
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {0, 0},       {1, 4096},    {4095, 4096}, {4096, 4096},
        {4097, 8192}, {8192, 8192}, {-5, 0},      {INT64_MAX, INT64_MAX & ~std::int64_t{4095}},
    };
    for (const auto& [size, allocated] : cases) {
        EXPECT_EQ(AllocatedSize(&policy, size, false, "f"), allocated) << size;
    }
    EXPECT_EQ(ClusterRoundedSize(4097, 0), 4097);   // no usable cluster size
    EXPECT_EQ(ClusterRoundedSize(4097, 63), 4097);  // not a cluster size of this world
    EXPECT_EQ(ClusterRoundedSize(4097, -3), 4097);
    EXPECT_EQ(AllocatedSize(nullptr, 4097, true, "f"), 4097);
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
    const struct {
        ClusterPolicy policy;
        bool compressedAttr;
        const char* path;
        std::int64_t expected;
        const char* asked;
    } cases[] = {
        {{1, 0, 12, 1}, false, "small", 1234, "small;"},  // compressed volume: every file
        {{0, 0, 12, 1}, true, "small", 1234, "small;"},   // compressed file on NTFS
        {{0, 0, 12, 1}, false, "small", 8192, ""},        // plain file on NTFS
        {{0, 1, 12, 1}, true, "small", 8192, ""},         // compression ignored
        {{1, 0, 12, 1}, false, "other", 5000, "other;"},  // failed query: the plain size
        {{0, 0, 12, 1}, true, "other", 5000, "other;"},
    };
    for (const auto& c : cases) {
        g_asked.clear();
        EXPECT_EQ(AllocatedSize(&c.policy, 5000, c.compressedAttr, c.path, &FakeCompressedSize), c.expected);
        EXPECT_EQ(g_asked, c.asked);
    }
    const ClusterPolicy all{1, 0, 12, 1};
    EXPECT_EQ(AllocatedSize(&all, 5000, false, "small", nullptr), 5000);
}

TEST(CompressedFileSize, AnswersForFilesAndRefusesMissingOnes) {
    test::ScratchDir dir;
    dir.WriteFile("data.bin", 5000);
    std::int64_t size = -1;
    ASSERT_TRUE(platform::CompressedFileSize(dir.Sub("data.bin"), &size));
    EXPECT_GT(size, 0);
    EXPECT_FALSE(platform::CompressedFileSize(dir.Sub("missing.bin"), &size));
    EXPECT_FALSE(platform::CompressedFileSize("", &size));
}

}  // namespace
}  // namespace qv
