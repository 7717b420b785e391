#include "generate/portable_math.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Difference in units of the last place of the expected value (at least 2^-1074 apart counts 1).
double Ulps(double actual, double expected) {
    const double ulp =
        std::fmax(std::nextafter(std::fabs(expected), INFINITY) - std::fabs(expected), 4.9e-324);
    return std::fabs(actual - expected) / ulp;
}

// Reference values (bit patterns), correctly rounded as far as the Linux C library knows;
// fixed here because the Windows runtimes' own sin and cos lose bits for large arguments.
struct TrigCase {
    double x;
    std::uint64_t sin, cos, atan;
};
constexpr TrigCase kTrig[] = {
    {1e-09, 0x3e112e0be826d695ull, 0x3ff0000000000000ull, 0x3e112e0be826d695ull},
    {0.1, 0x3fb98eaecb8bcb2cull, 0x3fefd712f9a817c1ull, 0x3fb983e282e2cc4dull},
    {0.5, 0x3fdeaee8744b05f0ull, 0x3fec1528065b7d50ull, 0x3fddac670561bb4full},
    {0.785398, 0x3fe6a09e28779cb0ull, 0x3fe6a09ea486da3full, 0x3fe54e048a1b910cull},
    {1.0, 0x3feaed548f090ceeull, 0x3fe14a280fb5068cull, 0x3fe921fb54442d18ull},
    {1.570796, 0x3feffffffffffe1full, 0x3e95ee4b2791a5b8ull, 0x3ff00fe96ea05a11ull},
    {2.1991144, 0x3fe9e3782bf7eeb5ull, 0xbfe2cf223dbe48e3ull, 0x3ff24de4ea709cf9ull},
    {3.141592, 0x3ea5ee4b2791a46full, 0xbfeffffffffff87cull, 0x3ff433b892fec2b3ull},
    {3.14159265358979, 0x3ced1a62633145c0ull, 0xbff0000000000000ull, 0x3ff433b8a322ddd1ull},
    {4.0, 0xbfe837b9dddc1eaeull, 0xbfe4eaa606db24c1ull, 0x3ff5368c951e9cfdull},
    {6.283185, 0xbe949d4e1c46983eull, 0x3feffffffffffe57ull, 0x3ff69b8152b175e9ull},
    {10.0, 0xbfe1689ef5f34f52ull, 0xbfead9ac890c6b1full, 0x3ff789bd2c160054ull},
    {19.99, 0x3fed150b45822529ull, 0x3fdab341b47273e6ull, 0x3ff8553ffe09cab2ull},
    {-0.3, 0xbfd2e9cd95baba33ull, 0x3fee921dd42f09baull, 0xbfd2a73a661eaf06ull},
    {-2.5, 0xbfe326af0dcfcab1ull, 0xbfe9a2f7ef858b7dull, 0xbff30b6d796a4da8ull},
    {-7.25, 0xbfea56adb62a27b9ull, 0x3fe22c6f50dc3fbeull, 0xbff6f08f07435fecull},
    {100.0, 0xbfe03425b78c4db8ull, 0x3feb981dbf665fdfull, 0x3ff8f905eb2def22ull},
    {1234.5678, 0x3fb3fa00084ee3ddull, 0xbfefe7053dc31387ull, 0x3ff91ea9fb93a10cull},
    {65536.0, 0x3fe62566735b8513ull, 0xbfe719453109288bull, 0x3ff921eb54442d1eull},
    {123457.0, 0xbfeee6f60a731accull, 0x3fd09eac0a370c62ull, 0x3ff921f2d5f15c62ull},
    {499999.0, 0x3fed9290f8078e10ull, 0xbfd8738481186876ull, 0x3ff921f93b64f2a3ull},
    {500000.0, 0x3fc6c32c3d5d59f3ull, 0xbfef7d6d81d1c85dull, 0x3ff921f93b653902ull},
    {999983.0, 0x3fefe6938b3b62f8ull, 0x3fb42731536a50aaull, 0x3ff921fa47d387faull},
    {1000000.5, 0x3fc22b9252dc614dull, 0x3fefad0a779be88eull, 0x3ff921fa47d4bbd9ull},
};
struct AcosCase {
    double x;
    std::uint64_t acos;
};
constexpr AcosCase kAcos[] = {
    {-1.0, 0x400921fb54442d18ull},       {-0.999, 0x4008c66280ae928eull}, {-0.75, 0x400359d26f93b6c3ull},
    {-0.5, 0x4000c152382d7366ull},       {-0.1, 0x3ffabc447ba464a1ull},   {0.0, 0x3ff921fb54442d18ull},
    {1e-07, 0x3ff921fb396c3a7eull},      {0.3, 0x3ff441f5ecbeef59ull},    {0.5, 0x3ff0c152382d7366ull},
    {0.70710678, 0x3fe921fb552acd95ull}, {0.9, 0x3fdcdd9f8f922e98ull},    {0.9999, 0x3f8cf69d216bd74bull},
    {1.0, 0x0000000000000000ull},
};

TEST(PortableMathTest, AgreesWithReferenceValuesWithinOneUlp) {
    for (const TrigCase& c : kTrig) {
        EXPECT_LE(Ulps(PortableSin(c.x), std::bit_cast<double>(c.sin)), 1.0) << c.x;
        EXPECT_LE(Ulps(PortableCos(c.x), std::bit_cast<double>(c.cos)), 1.0) << c.x;
        EXPECT_LE(Ulps(PortableAtan(c.x), std::bit_cast<double>(c.atan)), 1.0) << c.x;
    }
    for (const AcosCase& c : kAcos) {
        if (c.x == 1.0)
            EXPECT_EQ(PortableAcos(c.x), 0.0);
        else
            EXPECT_LE(Ulps(PortableAcos(c.x), std::bit_cast<double>(c.acos)), 2.0) << c.x;
    }
}

// A sweep against the runtime with a loose bound: catches a wrong coefficient or a broken
// reduction in any build (the runtimes differ from each other by far less than this).
TEST(PortableMathTest, StaysCloseToTheRuntimeOverWideSweeps) {
    std::vector<double> xs;
    for (int k = -4000; k <= 4000; ++k)
        xs.push_back(k * 0.00517);
    for (int k = 0; k <= 1000000; k += 997)
        xs.push_back(k);
    for (double x : xs) {
        EXPECT_NEAR(PortableSin(x), std::sin(x), 1e-12) << x;
        EXPECT_NEAR(PortableCos(x), std::cos(x), 1e-12) << x;
        EXPECT_NEAR(PortableAtan(x), std::atan(x), 1e-14) << x;
    }
    for (int k = -1000; k <= 1000; ++k)
        EXPECT_NEAR(PortableAcos(k / 1000.0), std::acos(k / 1000.0), 1e-14);
    for (double x : {1e20, -1e20, 1e300})
        EXPECT_NEAR(PortableAtan(x), std::atan(x), 1e-15);
}

// The growers take sine and cosine of one angle together: the pair must be the two functions' own
// bits in every quadrant, on both sides of the kernel-only range and for large arguments.
TEST(PortableMathTest, SineAndCosineTogetherGiveTheSameBitsAsApart) {
    std::vector<double> xs = {0.0, -0.0, 1e-300, 1e-9, 0.785398, 0.7853982, -0.7853982, 1e6, -123457.0, 1e300};
    for (int k = -3000; k <= 3000; ++k)
        xs.push_back(k * 0.00731 + (k % 7) * 1e-13);
    for (const TrigCase& c : kTrig)
        xs.push_back(c.x);
    for (double x : xs) {
        double s, c;
        PortableSinCos(x, s, c);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(s), std::bit_cast<std::uint64_t>(PortableSin(x))) << x;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(c), std::bit_cast<std::uint64_t>(PortableCos(x))) << x;
    }
    double s, c;
    PortableSinCos(NAN, s, c);
    EXPECT_TRUE(std::isnan(s) && std::isnan(c));
    PortableSinCos(-INFINITY, s, c);
    EXPECT_TRUE(std::isnan(s) && std::isnan(c));
}

TEST(PortableMathTest, NonFiniteArgumentsGiveNaN) {
    EXPECT_TRUE(std::isnan(PortableSin(INFINITY)));
    EXPECT_TRUE(std::isnan(PortableCos(-INFINITY)));
    EXPECT_TRUE(std::isnan(PortableSin(NAN)));
    EXPECT_TRUE(std::isnan(PortableAtan(NAN)));
    EXPECT_TRUE(std::isnan(PortableAcos(1.5)));
}

} // namespace
