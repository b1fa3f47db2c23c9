// Volume geometry, the cluster policy and the allocated space of one file.
#include "core/ClusterPolicy.h"

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qv {

namespace {

constexpr std::uint32_t kFatSectorBytes = 512;

bool EqualsIgnoreCase(const std::string& text, const char* ascii) {
    const std::size_t length = std::strlen(ascii);
    if (text.size() != length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != ascii[i]) {
            return false;
        }
    }
    return true;
}

// a * b * c, or 0 when the product does not fit 64 bits (reads as a failed query).
std::uint64_t Product(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    std::uint64_t ab = 0;
    std::uint64_t abc = 0;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(ab, c, &abc)) {
        return 0;
    }
    return abc;
}

// Sectors per cluster that FAT (FAT12/16) formatting picks for a volume of `total` bytes.
std::uint32_t FatSectorsPerCluster(std::uint64_t total) {
    struct Step {
        std::uint64_t below;
        std::uint32_t sectors;
    };
    static constexpr Step kSteps[] = {
        {0x2000000, 1},   {0x4000000, 2},   {0x8000000, 4},   {0xFF00000, 8},
        {0x1FF00000, 16}, {0x3FF00000, 32}, {0x7FF00000, 64},
    };
    for (const Step& step : kSteps) {
        if (total < step.below) {
            return step.sectors;
        }
    }
    return 128;
}

// Sectors per cluster that FAT32 formatting picks, by the high 32 bits of the total.
std::uint32_t Fat32SectorsPerCluster(std::uint64_t total) {
    const std::uint64_t high = total >> 32;
    if (high < 2) {
        return 8;
    }
    if (high < 4) {
        return 16;
    }
    if (high < 8) {
        return 32;
    }
    return 64;
}

// One ';'-separated decimal field of `*cursor`, which moves past it and its separator.
bool ReadField(const char** cursor, std::int32_t* out) {
    const char* start = *cursor;
    if (start == nullptr || *start == '\0') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
        return false;
    }
    *out = static_cast<std::int32_t>(value);
    *cursor = *end == ';' ? end + 1 : "";  // without a separator no further field follows
    return true;
}

}  // namespace

VolumeInfo VolumeFromRaw(const platform::VolumeRaw& raw) {
    VolumeInfo info;
    info.bytesPerSector = raw.bytesPerSector;
    info.sectorsPerCluster = raw.sectorsPerCluster;
    info.flags = raw.flags;
    info.total = raw.hasExtendedTotal ? raw.extendedTotal
                                      : Product(raw.sectorsPerCluster, raw.bytesPerSector, raw.totalClusters);
    const bool fat = EqualsIgnoreCase(raw.fileSystem, "FAT");
    const bool fat32 = EqualsIgnoreCase(raw.fileSystem, "FAT32");
    if (fat || fat32) {
        info.bytesPerSector = kFatSectorBytes;
        info.sectorsPerCluster = fat ? FatSectorsPerCluster(info.total) : Fat32SectorsPerCluster(info.total);
        if (!raw.hasExtendedTotal) {
            info.total = Product(info.sectorsPerCluster, raw.totalClusters, kFatSectorBytes);
        }
    }
    return info.total != 0 ? info : VolumeInfo();
}

VolumeInfo QueryVolume(const std::string& path) {
    platform::VolumeRaw raw;
    if (path.empty() || !platform::DirectoryExists(path) || !platform::QueryVolumeRaw(path, &raw)) {
        return VolumeInfo();
    }
    return VolumeFromRaw(raw);
}

int ClusterShiftOf(std::uint64_t clusterSize) {
    for (int shift = 1; shift < 64; ++shift) {
        if ((std::uint64_t{1} << shift) == clusterSize) {
            return shift;
        }
    }
    return -1;
}

bool ClusterPolicy::Compute(const std::string& path, std::int64_t userClusterSize) {
    if (path.empty()) {
        clusterShift = 0;
        return false;
    }
    if (userClusterSize != 0) {
        return ComputeFromUserSize(userClusterSize);
    }
    return ComputeFromVolume(QueryVolume(path));
}

bool ClusterPolicy::ComputeFromVolume(const VolumeInfo& volume) {
    if (volume.total == 0) {
        clusterShift = 0;
        return false;
    }
    automatic = 1;
    const int shift = ClusterShiftOf(std::uint64_t{volume.bytesPerSector} * volume.sectorsPerCluster);
    if (shift < 0) {
        clusterShift = 0;
        return false;
    }
    clusterShift = shift;
    if (volume.flags & platform::kVolumeIsCompressed) {
        compressedForAll = 1;
        ignoreCompression = 0;
    } else {
        compressedForAll = 0;
        ignoreCompression = (volume.flags & platform::kVolumeFileCompression) ? 0 : 1;
    }
    return true;
}

bool ClusterPolicy::ComputeFromUserSize(std::int64_t userClusterSize) {
    automatic = 0;
    compressedForAll = 0;
    ignoreCompression = 1;
    const bool plausible = userClusterSize > 0 && userClusterSize <= kMaxUserClusterSize;
    const int shift = plausible ? ClusterShiftOf(static_cast<std::uint64_t>(userClusterSize)) : -1;
    clusterShift = shift > 0 ? shift : 0;
    return shift > 0;
}

bool ClusterPolicy::Format(char* buffer, std::size_t* capacity) const {
    if (buffer == nullptr) {
        return false;
    }
    char text[kMaxText];
    const int n = std::snprintf(text, sizeof text, "%" PRId32 ";%" PRId32 ";%" PRId32 ";%" PRId32, compressedForAll,
                                ignoreCompression, clusterShift, automatic);
    const std::size_t needed = static_cast<std::size_t>(n) + 1;
    if (capacity != nullptr && *capacity < needed) {
        *capacity = needed;
        return false;
    }
    std::memcpy(buffer, text, needed);
    return true;
}

bool ClusterPolicy::Parse(const char* text) {
    const char* cursor = text;
    std::int32_t* const fields[] = {&compressedForAll, &ignoreCompression, &clusterShift, &automatic};
    for (std::int32_t* field : fields) {
        if (!ReadField(&cursor, field)) {
            return false;
        }
    }
    return true;
}

std::int64_t ClusterRoundedSize(std::int64_t size, std::int32_t shift) {
    if (shift < 1 || shift > 62 || size <= 0) {
        return size > 0 ? size : 0;
    }
    const std::int64_t mask = (std::int64_t{1} << shift) - 1;
    if (size > INT64_MAX - mask) {
        return INT64_MAX & ~mask;  // cannot be rounded up within 64 bits
    }
    return (size + mask) & ~mask;
}

std::int64_t AllocatedSize(const ClusterPolicy* policy,
                           std::int64_t size,
                           bool compressedAttr,
                           const std::string& path,
                           CompressedSizeQuery query) {
    if (policy == nullptr) {
        return ClusterRoundedSize(size, 0);
    }
    const bool askCompressed = policy->compressedForAll != 0 || (policy->ignoreCompression == 0 && compressedAttr);
    if (askCompressed) {
        std::int64_t compressed = 0;
        return query != nullptr && query(path, &compressed) ? compressed : size;
    }
    return ClusterRoundedSize(size, policy->clusterShift);
}

}  // namespace qv
