#include "generate/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Difference in units of the last place, measured at the larger magnitude (at least 2^-52 absolute
// near zero, where results are tiny and any relative measure blows up).
double UlpDifference(double a, double b) {
    const double scale = std::fmax(std::fmax(std::fabs(a), std::fabs(b)), 1.0 / 1024);
    return std::fabs(a - b) / (scale * 2.220446049250313e-16);
}

std::vector<double> Arguments() {
    std::vector<double> xs;
    for (int k = -4000; k <= 4000; ++k) xs.push_back(k * 0.00517);   // about -20 .. 20
    for (int k = 0; k <= 1000000; k += 997) xs.push_back(k);          // the fan depths cos(N)
    for (double x : {0.0, 1e-300, 1e-9, 0.785398, 0.7853981633974483, 1.570796, 3.141592, 3.14159265358979,
                     2.1991144, 100.0, 12345.678, 1e6 + 0.5})
        xs.push_back(x), xs.push_back(-x);
    return xs;
}

TEST(PortableMathTest, SineAndCosineAgreeWithTheRuntimeWithinOneUlp) {
    for (double x : Arguments()) {
        EXPECT_LE(UlpDifference(PortableSin(x), std::sin(x)), 1.0) << x;
        EXPECT_LE(UlpDifference(PortableCos(x), std::cos(x)), 1.0) << x;
    }
}

TEST(PortableMathTest, ArcTangentAgreesWithTheRuntimeWithinOneUlp) {
    for (double x : Arguments()) EXPECT_LE(UlpDifference(PortableAtan(x), std::atan(x)), 1.0) << x;
    for (double x : {1e20, -1e20, 1e300, 0.4375, 0.6875, 1.1875, 2.4375})
        EXPECT_LE(UlpDifference(PortableAtan(x), std::atan(x)), 1.0) << x;
}

TEST(PortableMathTest, ArcCosineAgreesWithTheRuntimeWithinTwoUlps) {
    for (int k = -1000; k <= 1000; ++k) {
        const double x = k / 1000.0;
        EXPECT_LE(UlpDifference(PortableAcos(x), std::acos(x)), 2.0) << x;
    }
    EXPECT_TRUE(std::isnan(PortableAcos(1.5)));
}

TEST(PortableMathTest, NonFiniteArgumentsGiveNaN) {
    EXPECT_TRUE(std::isnan(PortableSin(INFINITY)));
    EXPECT_TRUE(std::isnan(PortableCos(-INFINITY)));
    EXPECT_TRUE(std::isnan(PortableSin(NAN)));
    EXPECT_TRUE(std::isnan(PortableAtan(NAN)));
}

}  // namespace
