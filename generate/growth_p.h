#pragma once
// What the growers share: pi and pi/2 as they add and subtract them, and a safe truncation.

#include <cstdint>

constexpr double kPi = 3.141592;
constexpr double kHalfPi = 1.570796;

// trunc(value) as a count, kept within +-1e9 (NaN gives 0) so that no parameter set can
// overflow a count; counts that large are cut by the triangle budget anyway.
inline std::int32_t TruncCount(double value) {
    if (!(value == value)) return 0;
    if (value > 1.0e9) return 1000000000;
    if (value < -1.0e9) return -1000000000;
    return static_cast<std::int32_t>(value);
}
