// Sums of sizes and counts that stop at the largest value instead of overflowing: a tree can
// hold sparse files whose sizes add up beyond 64 bits, and a wrapped sum would read as a
// negative or tiny size.
#pragma once

#include <cstdint>
#include <limits>

namespace qv {

// a + b, held at the largest (or smallest) value the type takes when the sum does not fit.
template <typename Int>
constexpr Int SaturatingAdd(Int a, Int b) {
    Int sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<Int>::max() : std::numeric_limits<Int>::min();
    }
    return sum;
}

}  // namespace qv
