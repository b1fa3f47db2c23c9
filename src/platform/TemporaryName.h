// The name of a save's temporary file, shared by both back ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qv::platform::detail {

// "<path>.<six hex digits>.saving~": beside the file it replaces, so the final rename stays on
// one volume, and recognisable by its ending. `seed` should differ per attempt and per process;
// the name need not be secret, because the file is created exclusively and a taken name only
// makes the caller try the next.
inline std::string TemporaryNameFor(const std::string& path, std::uint64_t seed) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ULL;  // one splitmix64 step spreads the bits
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "%06x", static_cast<unsigned>(z & 0xFFFFFFu));
    return path + "." + suffix + ".saving~";
}

}  // namespace qv::platform::detail
