// Decimal integer reading shared by the attribute values and the XML reader (internal).
#pragma once

#include <cstdint>

namespace qv::attr_detail {

inline bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads like the C runtime's atol: leading white space, an optional sign, then digits up to the
// first other byte; no digits gives 0. Works on [p, end) without needing a terminator. Out of
// range numbers stop at the nearest of `min` and `max` instead of wrapping.
inline std::int64_t ParseDecimal(const char* p, const char* end, std::int64_t min, std::int64_t max) {
    while (p < end && IsCSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    const std::uint64_t limit = negative ? static_cast<std::uint64_t>(-(min + 1)) + 1 : static_cast<std::uint64_t>(max);
    std::uint64_t magnitude = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        const unsigned digit = static_cast<unsigned>(*p - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;  // saturated; the remaining digits change nothing
            while (p < end && *p >= '0' && *p <= '9') {
                ++p;
            }
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (negative) {
        return magnitude == 0 ? 0 : -static_cast<std::int64_t>(magnitude - 1) - 1;
    }
    return static_cast<std::int64_t>(magnitude);
}

}  // namespace qv::attr_detail
