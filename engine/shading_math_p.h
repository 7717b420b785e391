#pragma once
// Small numeric helpers of the built-in shading. Everything here is plain float/double
// arithmetic with no library maths beyond sqrt and trunc, so the three builds compute alike.

#include <cmath>
#include <cstdint>
#include <cstring>

namespace trivane::shading {

struct Vec3 {
    float x, y, z;
};

inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Scales v to unit length; a zero vector is left as it is.
inline Vec3 NormalizeOrKeep(Vec3 v) {
    const float length = std::sqrt(Dot(v, v));
    if (length > 0.0f) {
        const float inverse = 1.0f / length;
        v.x *= inverse;
        v.y *= inverse;
        v.z *= inverse;
    }
    return v;
}

// Clamps to [low, high]; NaN becomes low.
inline float ClampTo(float value, float low, float high) {
    return value > low ? (value < high ? value : high) : low;
}

inline float Clamp01(float value) { return ClampTo(value, 0.0f, 1.0f); }

// Powers below this are treated as zero by FastPow (2^-60, far below one sample level).
constexpr double kPowFloorLog2 = -60.0;
// Powers above this are held at 2^100 so that later products stay finite.
constexpr double kPowCeilingLog2 = 100.0;

// log2 of a positive finite double. Splits off the binary exponent, centres the mantissa on 1
// and sums the atanh series; error below 1e-9.
inline double Log2Positive(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;
    double mantissa;
    std::memcpy(&mantissa, &bits, sizeof mantissa);  // [1, 2)
    if (mantissa > 1.4142135623730951) {
        mantissa *= 0.5;
        ++exponent;
    }
    const double s = (mantissa - 1.0) / (mantissa + 1.0);  // |s| < 0.1716
    const double s2 = s * s;
    const double series = s * (2.0 + s2 * (2.0 / 3.0 + s2 * (2.0 / 5.0 + s2 * (2.0 / 7.0 + s2 * (2.0 / 9.0 + s2 * (2.0 / 11.0))))));
    return exponent + series * 1.4426950408889634;  // ln -> log2
}

// 2^y for y within [kPowFloorLog2, kPowCeilingLog2]: integer part into the exponent bits,
// fractional part (|f| <= 0.5) through a Taylor polynomial of e^(f ln 2); error below 1e-9.
inline double Exp2Bounded(double y) {
    const double whole = std::floor(y + 0.5);
    const double f = (y - whole) * 0.6931471805599453;
    const double p = 1.0 + f * (1.0 + f * (1.0 / 2 + f * (1.0 / 6 + f * (1.0 / 24 + f * (1.0 / 120 + f * (1.0 / 720 + f * (1.0 / 5040 + f * (1.0 / 40320))))))));
    const std::uint64_t scaleBits = static_cast<std::uint64_t>(static_cast<int>(whole) + 1023) << 52;
    double scale;
    std::memcpy(&scale, &scaleBits, sizeof scale);
    return p * scale;
}

// base^exponent for the specular term: 0 for base <= 0 (a light behind the surface gives no
// highlight, whatever the exponent), results below 2^-60 become 0 and above 2^100 are held there.
inline float FastPow(float base, float exponent) {
    if (!(base > 0.0f)) return 0.0f;
    double y = static_cast<double>(exponent) * Log2Positive(base);
    if (!(y >= kPowFloorLog2)) return 0.0f;  // also NaN
    if (y > kPowCeilingLog2) y = kPowCeilingLog2;
    return static_cast<float>(Exp2Bounded(y));
}

// The smallest base whose power can be non-zero under FastPow: bases below it skip the
// logarithm. 0 for exponents <= 0 (every positive base then counts).
inline float FastPowThreshold(float exponent) {
    if (!(exponent > 0.0f)) return 0.0f;
    // Below 2^-1000 the threshold is no float at all (and beyond the exponent bits of a double).
    const double log2Threshold = kPowFloorLog2 / exponent;
    if (!(log2Threshold >= -1000.0)) return 0.0f;
    // Stay a hair below the true threshold so the shortcut never drops a non-zero power.
    return static_cast<float>(Exp2Bounded(log2Threshold) * 0.999999);
}

// The largest float below size (sides beyond 2^24 texels are not all floats).
inline float LastBelow(int size) {
    float f = static_cast<float>(size);
    while (!(static_cast<double>(f) < static_cast<double>(size))) f = std::nextafter(f, 0.0f);
    return f;
}

// Wraps a texel coordinate into [0, size): t - trunc(t / size) * size, plus size when negative,
// size - 1 when it reaches size. NaN and coordinates too large to keep a fraction stay inside, and
// the result always truncates to an index below size.
inline float WrapTexel(float t, int size) {
    const float fsize = static_cast<float>(size);
    float r = t - std::trunc(t / fsize) * fsize;
    if (r < 0.0f) r += fsize;
    if (!(r < fsize)) r = fsize - 1.0f;
    if (r < 0.0f) r = 0.0f;
    if (!(static_cast<double>(r) < static_cast<double>(size))) r = LastBelow(size);
    return r;
}

}  // namespace trivane::shading
