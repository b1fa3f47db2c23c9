// What a Linux or POSIX stat call tells about a directory entry, and how it becomes a DirEntry.
// Shared by the POSIX back end and the Windows back end under Wine, which read folders with the
// same Linux calls. Internal to the platform layer.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace qv::platform::detail {

constexpr std::uint32_t kUnixTypeMask = 0170000;
constexpr std::uint32_t kUnixDirectory = 0040000;
constexpr std::uint32_t kUnixWriteBits = 0222;

struct UnixTime {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
};

struct UnixStat {
    std::uint32_t mode = 0;
    std::int64_t size = 0;
    std::int64_t blocks = 0;  // 512-byte units, whatever the file system's block size
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    UnixTime accessed;
    UnixTime modified;
    UnixTime changed;
};

// A Windows file time of a Unix time; 0 for times before 1601 or the unset time.
FileTime FileTimeOfUnix(const UnixTime& time);

// Fills everything but the name: a folder is a directory, anything else (links included) a file
// of its own size; read-only without write bits, hidden for a dot name (the name must be set).
void FillFromUnixStat(const UnixStat& st, DirEntry* entry);

}  // namespace qv::platform::detail
