#include "generate/portable_math.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

std::uint32_t HighWord(double x) {
    return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(x) >> 32);
}

double FromHighWord(std::uint32_t high) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(high) << 32);
}

// sin(x + y) for |x + y| <= pi/4, y the tail of x; tailed = false when y is 0.
[[gnu::always_inline]] inline double KernelSin(double x, double y, bool tailed) {
    constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                     S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                     S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
    if ((HighWord(x) & 0x7fffffffu) < 0x3e400000u) return x; // |x| < 2^-27
    const double z = x * x;
    const double v = z * x;
    const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    if (!tailed) return x + v * (S1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x + y| <= pi/4.
[[gnu::always_inline]] inline double KernelCos(double x, double y) {
    constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                     C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                     C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
    const std::uint32_t ix = HighWord(x) & 0x7fffffffu;
    if (ix < 0x3e400000u) return 1.0; // |x| < 2^-27
    const double z = x * x;
    const double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    if (ix < 0x3fd33333u) return 1.0 - (0.5 * z - (z * r - x * y));                // |x| < 0.3
    const double qx = ix > 0x3fe90000u ? 0.28125 : FromHighWord(ix - 0x00200000u); // about |x|/4
    const double hz = 0.5 * z - qx;
    const double a = 1.0 - qx;
    return a - (hz - (z * r - x * y));
}

// x = n * pi/2 + (y0 + y1) with |y0 + y1| <= pi/4 (about); returns n mod 4.
int ReduceHalfPi(double x, double& y0, double& y1) {
    constexpr double kInvHalfPi = 6.36619772367581382433e-01;
    constexpr double P1 = 1.57079632673412561417e+00, P1t = 6.07710050650619224932e-11;
    constexpr double P2 = 6.07710050630396597660e-11, P2t = 2.02226624879595063154e-21;
    constexpr double P3 = 2.02226624871116645580e-21, P3t = 8.47842766036889956997e-32;
    const bool negative = x < 0;
    const double t0 = std::fabs(x);
    // floor of a value >= 0.5: its truncation, exact below 2^52 (from there on it is whole).
    const double nearest = t0 * kInvHalfPi + 0.5;
    const double fn =
        nearest < 4503599627370496.0 ? static_cast<double>(static_cast<std::int64_t>(nearest)) : nearest;
    // Three rounds of Cody-Waite subtraction: good to about 150 bits for fn < 2^20.
    double r = t0 - fn * P1;
    double w = fn * P1t;
    double t = r;
    w = fn * P2;
    r = t - w;
    w = fn * P2t - ((t - r) - w);
    t = r;
    w = fn * P3;
    r = t - w;
    w = fn * P3t - ((t - r) - w);
    y0 = r - w;
    y1 = (r - y0) - w;
    // Beyond 2^53 the quadrant is meaningless anyway; keep it defined.
    const int n = fn < 9.0e15 ? static_cast<int>(static_cast<std::int64_t>(fn) & 3) : 0;
    if (negative) {
        y0 = -y0;
        y1 = -y1;
        return (4 - n) & 3;
    }
    return n;
}

} // namespace

double PortableSin(double x) {
    const std::uint32_t ix = HighWord(x) & 0x7fffffffu;
    if (ix <= 0x3fe921fbu) return KernelSin(x, 0.0, false); // |x| <= pi/4
    if (ix >= 0x7ff00000u) return x - x;                    // NaN or infinity
    double y0, y1;
    switch (ReduceHalfPi(x, y0, y1)) {
    case 0:
        return KernelSin(y0, y1, true);
    case 1:
        return KernelCos(y0, y1);
    case 2:
        return -KernelSin(y0, y1, true);
    default:
        return -KernelCos(y0, y1);
    }
}

double PortableCos(double x) {
    const std::uint32_t ix = HighWord(x) & 0x7fffffffu;
    if (ix <= 0x3fe921fbu) return KernelCos(x, 0.0);
    if (ix >= 0x7ff00000u) return x - x;
    double y0, y1;
    switch (ReduceHalfPi(x, y0, y1)) {
    case 0:
        return KernelCos(y0, y1);
    case 1:
        return -KernelSin(y0, y1, true);
    case 2:
        return -KernelCos(y0, y1);
    default:
        return KernelSin(y0, y1, true);
    }
}

void PortableSinCos(double x, double& sine, double& cosine) {
    const std::uint32_t ix = HighWord(x) & 0x7fffffffu;
    if (ix <= 0x3fe921fbu) {
        sine = KernelSin(x, 0.0, false);
        cosine = KernelCos(x, 0.0);
        return;
    }
    if (ix >= 0x7ff00000u) {
        sine = cosine = x - x;
        return;
    }
    double y0, y1;
    const int quadrant = ReduceHalfPi(x, y0, y1);
    const double s = KernelSin(y0, y1, true), c = KernelCos(y0, y1);
    switch (quadrant) {
    case 0:
        sine = s;
        cosine = c;
        break;
    case 1:
        sine = c;
        cosine = -s;
        break;
    case 2:
        sine = -s;
        cosine = -c;
        break;
    default:
        sine = -c;
        cosine = s;
    }
}

double PortableAtan(double x) {
    constexpr double kHi[] = {4.63647609000806093515e-01, 7.85398163397448278999e-01,
                              9.82793723247329054082e-01, 1.57079632679489655800e+00};
    constexpr double kLo[] = {2.26987774529616870924e-17, 3.06161699786838301793e-17,
                              1.39033110312309984516e-17, 6.12323399573676603587e-17};
    constexpr double aT[] = {
        3.33333333333329318027e-01,  -1.99999999998764832476e-01, 1.42857142725034663711e-01,
        -1.11111104054623557880e-01, 9.09088713343650656196e-02,  -7.69187620504482999495e-02,
        6.66107313738753120669e-02,  -5.83357013379057348645e-02, 4.97687799461593236017e-02,
        -3.65315727442169155270e-02, 1.62858201153657823623e-02};
    const std::uint32_t hx = HighWord(x);
    const std::uint32_t ix = hx & 0x7fffffffu;
    const bool negative = (hx >> 31) != 0;
    if (x != x) return x + x;
    if (ix >= 0x44100000u) return negative ? -(kHi[3] + kLo[3]) : kHi[3] + kLo[3]; // |x| >= 2^66
    int id;
    if (ix < 0x3fdc0000u) {             // |x| < 0.4375
        if (ix < 0x3e200000u) return x; // |x| < 2^-29
        id = -1;
    } else {
        x = std::fabs(x);
        if (ix < 0x3ff30000u) {     // |x| < 1.1875
            if (ix < 0x3fe60000u) { // 7/16 <= |x| < 11/16
                id = 0;
                x = (2.0 * x - 1.0) / (2.0 + x);
            } else { // 11/16 <= |x| < 19/16
                id = 1;
                x = (x - 1.0) / (x + 1.0);
            }
        } else if (ix < 0x40038000u) { // |x| < 2.4375
            id = 2;
            x = (x - 1.5) / (1.0 + 1.5 * x);
        } else {
            id = 3;
            x = -1.0 / x;
        }
    }
    const double z = x * x;
    const double w = z * z;
    const double s1 = z * (aT[0] + w * (aT[2] + w * (aT[4] + w * (aT[6] + w * (aT[8] + w * aT[10])))));
    const double s2 = w * (aT[1] + w * (aT[3] + w * (aT[5] + w * (aT[7] + w * aT[9]))));
    if (id < 0) return x - x * (s1 + s2);
    const double result = kHi[id] - ((x * (s1 + s2) - kLo[id]) - x);
    return negative ? -result : result;
}

double PortableAcos(double x) {
    if (!(x >= -1.0 && x <= 1.0)) return (x - x) / (x - x); // NaN
    if (x == -1.0) return 3.14159265358979311600e+00;
    // acos x = 2 atan(sqrt((1 - x) / (1 + x))); 1 - x is exact for x >= 0.5.
    return 2.0 * PortableAtan(std::sqrt((1.0 - x) / (1.0 + x)));
}
