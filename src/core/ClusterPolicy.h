// Volume geometry and the cluster policy: how much space a file occupies on disk for one scan,
// by whole clusters or by the system's compressed size, and the policy's text form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace qv {

// The result of one volume query; total 0 means the query failed and the rest is 0.
struct VolumeInfo {
    std::uint64_t total = 0;
    std::uint32_t bytesPerSector = 0;
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t flags = 0;  // platform::kVolume... bits
};

// Interprets what the system reported: total size (the extended total when there is one), and
// FAT and FAT32 volumes get 512-byte sectors and the cluster size their format would use for
// that total, whatever the system says.
VolumeInfo VolumeFromRaw(const platform::VolumeRaw& raw);

// Queries the volume of the folder `path`; total 0 when path is empty, not a folder, or the
// system cannot tell. The current directory is not changed.
VolumeInfo QueryVolume(const std::string& path);

// The largest cluster size a user may fix: no file system uses larger clusters, and larger
// ones would make sums of whole clusters meaningless.
constexpr std::int64_t kMaxUserClusterSize = std::int64_t{1} << 30;

// How allocated space is computed for one scan. A plain record owned by its report (or by the
// browser or tool that made it). clusterShift 0 means "no usable cluster size": files are then
// charged their plain size.
struct ClusterPolicy {
    std::int32_t compressedForAll = 0;   // ask the compressed size of every file
    std::int32_t ignoreCompression = 0;  // never ask it, not even for compressed files
    std::int32_t clusterShift = 0;       // cluster size = 2^clusterShift bytes
    std::int32_t automatic = 1;          // 1 from the volume, 0 fixed by the user

    // Longest text form with its terminating zero: four 32-bit numbers and three ';'.
    static constexpr std::size_t kMaxText = 4 * 11 + 3 + 1;

    // Fills the policy for a scan of `path`: from its volume when `userClusterSize` is 0,
    // otherwise a fixed cluster size (a power of two up to kMaxUserClusterSize, else it fails)
    // with compression ignored. On failure the fields set so
    // far stay and clusterShift is 0, so files are charged their plain size.
    bool Compute(const std::string& path, std::int64_t userClusterSize);
    // The two halves of Compute, for callers that already hold the figures.
    bool ComputeFromVolume(const VolumeInfo& volume);
    bool ComputeFromUserSize(std::int64_t userClusterSize);

    // Writes "%ld;%ld;%ld;%ld". With `capacity` given and too small for the text and its zero,
    // stores the needed size there and fails without writing; without it the buffer must hold
    // kMaxText bytes.
    bool Format(char* buffer, std::size_t* capacity) const;
    // Reads the four fields in order; fails at the first missing or unreadable one, keeping
    // the fields read before it.
    bool Parse(const char* text);
};

// The exponent of a power-of-two cluster size of at least 2 bytes, or -1 for any other size.
int ClusterShiftOf(std::uint64_t clusterSize);

// Answers a file's compressed size; false when the system cannot tell.
using CompressedSizeQuery = bool (*)(const std::string& path, std::int64_t* size);

// Space a file of `size` bytes occupies under `policy`: its compressed size when the policy
// asks for it (every file, or files with the compressed attribute while compression is not
// ignored) and the query answers, otherwise the size rounded up to whole clusters, so an empty
// file occupies nothing. A failed query, a null policy or clusterShift 0 charge the plain size.
std::int64_t AllocatedSize(const ClusterPolicy* policy,
                           std::int64_t size,
                           bool compressedAttr,
                           const std::string& path,
                           CompressedSizeQuery query = &platform::CompressedFileSize);

// Size rounded up to whole clusters of 2^shift bytes; the plain size for a shift outside 1..62.
std::int64_t ClusterRoundedSize(std::int64_t size, std::int32_t shift);

}  // namespace qv
