// Millisecond arithmetic of the date and timer classes: floor division for times before 1970,
// and sums that stop at the ends of the 64-bit range instead of wrapping.
#pragma once

#include <cstdint>

namespace mrc {

inline int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

inline int64_t floorMod(int64_t a, int64_t b) { return a - floorDiv(a, b) * b; }

inline int64_t saturatingAdd(int64_t a, int64_t b) {
    int64_t sum;
    if (__builtin_add_overflow(a, b, &sum)) return b < 0 ? INT64_MIN : INT64_MAX;
    return sum;
}

}  // namespace mrc
