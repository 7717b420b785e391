#include "generate/growth.h"
#include "generate/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::vector<PatternTriangle> Contents(const TriangleList& list) {
    return {list.begin(), list.end()};
}

bool SameTriangles(const std::vector<PatternTriangle>& a, const std::vector<PatternTriangle>& b,
                   std::size_t count) {
    if (a.size() < count || b.size() < count) return false;
    for (std::size_t k = 0; k < count; ++k)
        if (std::memcmp(&a[k], &b[k], sizeof(PatternTriangle)) != 0) return false;
    return true;
}

// One Geometric sample as the scene builder grows it, with the given budget.
std::vector<PatternTriangle> GrowFan(std::int32_t triangles, std::int32_t iterations, std::uint32_t seed,
                                     std::int32_t budget = kDefaultTriangleBudget, bool* reached = nullptr) {
    TriangleList list(budget);
    TriangleCount = 0;
    SeedRandom(seed);
    GrowGeometricBranch(list, 0, 2, 0, 10, 20, 0, {0, -1}, 0.4f, 12, 0.05f, 0.05f, 0.25f, 0.15f, triangles,
                        iterations);
    EXPECT_EQ(TriangleCount, list.Size());
    if (reached) *reached = list.BudgetReached();
    return Contents(list);
}

TEST(GeometricGrowthTest, OneIterationGivesOneFanWithoutChildren) {
    for (std::int32_t triangles : {1, 3, 7, 15})
        for (std::uint32_t seed : {1u, 77u, 4242u}) {
            const auto fan = GrowFan(triangles, 1, seed);
            const std::size_t size = triangles * 0.5 < 1 ? 1 : static_cast<std::size_t>(triangles * 0.5);
            ASSERT_EQ(fan.size(), size) << triangles;
            for (const PatternTriangle& t : fan) {
                EXPECT_EQ(t.tag, 0);
                EXPECT_EQ(t.corner[0].x, 10.0f); // every fan triangle starts at the start point
                EXPECT_EQ(t.corner[0].y, 20.0f);
            }
        }
}

TEST(GeometricGrowthTest, ThreeTrianglesGiveOneAtDepthZeroAndFansOfTwoBelow) {
    for (std::uint32_t seed : {1u, 2u, 3u, 99u}) {
        // Two iterations: the depth limit is trunc((r mod 2) * 0.5 + 2) = 2, so depths 0 and 1.
        const auto fan = GrowFan(3, 2, seed);
        ASSERT_EQ(fan.size(), 5u);
        EXPECT_EQ(fan[0].tag, 0);
        for (std::size_t k = 1; k < 5; ++k)
            EXPECT_EQ(fan[k].tag, 1);
        // The two child fans start at the outer corners of the first triangle, at the parent's z.
        EXPECT_EQ(fan[1].corner[0].x, fan[0].corner[1].x);
        EXPECT_EQ(fan[1].corner[0].y, fan[0].corner[1].y);
        EXPECT_EQ(fan[3].corner[0].x, fan[0].corner[2].x);
        EXPECT_EQ(fan[3].corner[0].z, fan[0].corner[0].z);
    }
    // One triangle per fan: a binary tree of depth 2, 1 + 2 triangles.
    EXPECT_EQ(GrowFan(1, 2, 5).size(), 3u);
}

TEST(GeometricGrowthTest, SameInputsAndGeneratorStateGiveTheSameTriangles) {
    const auto a = GrowFan(5, 4, 31337);
    const auto b = GrowFan(5, 4, 31337);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_TRUE(SameTriangles(a, b, a.size()));
    EXPECT_FALSE(SameTriangles(a, GrowFan(5, 4, 31338), a.size()));
}

TEST(TriangleBudgetTest, LargestParametersStopAtTheBudgetQuickly) {
    bool reached = false;
    const auto cut = GrowFan(15, 6, 7, 20000, &reached);
    EXPECT_TRUE(reached);
    EXPECT_EQ(cut.size(), 20000u);
    // The default budget holds too (about 10^9 triangles unbounded).
    const auto big = GrowFan(15, 6, 7, kDefaultTriangleBudget, &reached);
    EXPECT_TRUE(reached);
    EXPECT_EQ(big.size(), static_cast<std::size_t>(kDefaultTriangleBudget));
    // A cut pattern is the start of the full one: everything before the cut is unchanged.
    EXPECT_TRUE(SameTriangles(cut, big, cut.size()));
}

TEST(TriangleBudgetTest, BelowTheBudgetNothingChanges) {
    bool reached = true;
    const auto full = GrowFan(7, 4, 11, kDefaultTriangleBudget, &reached);
    EXPECT_FALSE(reached);
    const auto exact = GrowFan(7, 4, 11, static_cast<std::int32_t>(full.size()) + 1, &reached);
    EXPECT_FALSE(reached);
    ASSERT_EQ(exact.size(), full.size());
    EXPECT_TRUE(SameTriangles(full, exact, full.size()));
    const auto shorter = GrowFan(7, 4, 11, static_cast<std::int32_t>(full.size()) - 1, &reached);
    EXPECT_TRUE(reached);
    EXPECT_EQ(shorter.size(), full.size() - 1);
    EXPECT_TRUE(SameTriangles(full, shorter, shorter.size()));
}

TEST(TriangleBudgetTest, EveryGrowerStopsAtAFullList) {
    TriangleList list(0);
    TriangleCount = 0;
    SeedRandom(5);
    AddPathTriangle(list, {0, 0}, {4, 0}, {0, -1}, 2, 1);
    GrowGeometricBranch(list, 0, 1, 0, 0, 0, 0, {0, -1}, 1, 10, 0, 0, 0, 0, 15, 6);
    GrowFloralBranch(list, 3, 0, 0, 0, 0, 1, 100, 1, true, 10);
    DrawArcBranch(list, 0, 0, 0, 0, 1, 100, 10, 1, 0, nullptr);
    DrawCurl(list, 0, 0, 0, 0, 1, 100);
    GrowFernBranch(list, 3, 0, 0, 0, 0, 1, 500, 1, 15, 15, 0.1f, 1, 0);
    EXPECT_EQ(list.Size(), 0);
    EXPECT_EQ(TriangleCount, 0);
    EXPECT_EQ(RandomState(), 5u); // nothing drawn either
}

TEST(FloralGrowthTest, AnArcHasAtLeastEightTriangles) {
    for (std::int32_t count : {1, 3, 7}) {
        TriangleList list;
        SeedRandom(1);
        PlanePoint end{};
        ASSERT_TRUE(
            DrawArcBranch(list, 5, 5, 0, 0.5f, 1.2f, 60, count, 0.1f, 2, &end)); // level 2: no side arc
        EXPECT_EQ(list.Size(), 8);
    }
    TriangleList list;
    SeedRandom(1);
    EXPECT_TRUE(DrawArcBranch(list, 5, 5, 0, 0.5f, 1.2f, 60, 12, 0.1f, 2, nullptr));
    EXPECT_EQ(list.Size(), 13);
    TriangleList none;
    EXPECT_FALSE(DrawArcBranch(none, 5, 5, 0, 0.5f, 1.2f, 60, 0, 0.1f, 0, nullptr));
    EXPECT_EQ(none.Size(), 0);
    for (std::uint32_t seed = 1; seed < 20; ++seed) {
        TriangleList chain;
        SeedRandom(seed);
        GrowFloralBranch(chain, 3, 0, 0, 20, 0, 0.8f, 80, 0.2f, false, -400);
        EXPECT_GE(chain.Size(), 8 * 4); // a side ornament and three arcs
    }
}

TEST(FloralGrowthTest, ArcRunsFromItsStartTowardsItsAngle) {
    TriangleList list;
    SeedRandom(3);
    PlanePoint end{};
    // Turn close to 0: the arc is almost straight, so its end lies about L/2 along the angle.
    DrawArcBranch(list, 100, 50, 0, 0, 0.001f, 40, 8, 0.1f, 2, &end);
    EXPECT_NEAR(list[0].corner[0].x, 100.0f, 1e-3);
    EXPECT_NEAR(list[0].corner[0].y, 50.0f, 1e-3);
    EXPECT_NEAR(end.x, 80.0f, 0.01); // off = -L (cos tau, sin tau): the arc points back along -x
    EXPECT_NEAR(end.y, 50.0f, 0.05);
}

TEST(FloralGrowthTest, ZeroTurnSideArcUsesTheAngleplusHalfPi) {
    // Without a curl and with tau = 0 the side ornament is DrawArcBranch at theta + pi/2.
    TriangleList chain, side;
    SeedRandom(8);
    GrowFloralBranch(chain, 1, 3, 4, 0, 0.3f, 0, 50, 0.2f, false, 10);
    SeedRandom(8);
    DrawArcBranch(side, 3, 4, 0, static_cast<float>(0.3f + 1.570796), 0, 25, 5, 0.1f, 0, nullptr);
    ASSERT_GT(chain.Size(), side.Size());
    for (std::int32_t k = 0; k < side.Size(); ++k)
        EXPECT_EQ(std::memcmp(&chain[k], &side[k], sizeof(PatternTriangle)), 0) << k;
}

TEST(FloralGrowthTest, ZeroTurnCurlWindsWithANegativeStepWithoutExchangingCorners) {
    TriangleList list;
    DrawCurl(list, 0, 0, 10, 0, 0, 30);
    ASSERT_EQ(list.Size(), 8);
    const double step = -(2.1991143f / 8);
    for (int i = 0; i < 7; ++i) {
        const PatternTriangle& t = list[i];
        const double a1 = std::atan2(t.corner[1].y, t.corner[1].x);
        const double a2 = std::atan2(t.corner[2].y, t.corner[2].x);
        EXPECT_NEAR(std::remainder(a2 - a1 - step, 2 * 3.141592653589793), 0.0, 1e-5) << i;
        EXPECT_EQ(t.corner[1].z, 5.0f);  // corner 1 keeps z / 2
        EXPECT_EQ(t.corner[2].z, 15.0f); // corner 2 keeps z * 1.5
    }
    // The first corner starts at theta - 2.1991144, at a third of the length.
    EXPECT_NEAR(std::atan2(list[0].corner[1].y, list[0].corner[1].x), -2.1991144, 1e-5);
    EXPECT_NEAR(std::hypot(list[0].corner[1].x, list[0].corner[1].y), 10.0, 1e-4);
}

TEST(FernGrowthTest, AShortFernDrawsNothingAndDrawsNoNumbers) {
    for (float length : {1.0f, 5.0f, 11.0f}) {
        TriangleList list;
        SeedRandom(17);
        GrowFernBranch(list, 2, 0, 0, 0, 0, 0.5f, length, 0.1f, 10, -400, 0.1f, 1, 0);
        EXPECT_EQ(list.Size(), 0) << length;
        EXPECT_EQ(RandomState(), 17u);
    }
    TriangleList list;
    GrowFernBranch(list, 2, 0, 0, 0, 0, 0.5f, 13, 0.1f, 10, -400, 0.1f, 1, 0);
    EXPECT_GE(list.Size(), 16); // one pair of arcs
}

TEST(FernGrowthTest, TypesTwoAndThreeDiffer) {
    TriangleList two, three;
    SeedRandom(4);
    GrowFernBranch(two, 2, 0, 0, 0, 0, 0.5f, 200, 0.1f, 10, -400, 0.1f, 1, 0);
    SeedRandom(4);
    GrowFernBranch(three, 3, 0, 0, 0, 0, 0.5f, 200, 0.1f, 10, -400, 0.1f, 1, 0);
    ASSERT_GT(two.Size(), 0);
    EXPECT_NE(std::memcmp(&two[0], &three[0], sizeof(PatternTriangle)), 0);
}

TEST(BranchAngleTest, QuadrantsFollowTheRule) {
    EXPECT_DOUBLE_EQ(BranchAngle(1, 0, 0, 0), 90.0);
    EXPECT_DOUBLE_EQ(BranchAngle(-1, 0, 0, 0), 270.0);
    EXPECT_DOUBLE_EQ(BranchAngle(0, 1, 0, 0), 180.0);
    EXPECT_DOUBLE_EQ(BranchAngle(0, -1, 0, 0), 0.0);
    // The factor is 180 / 3.141592, so 45 degrees come out as 45 * pi / 3.141592.
    const double d45 = 0.7853981633974483 * 57.29579143313326;
    EXPECT_NEAR(BranchAngle(-1, -1, 0, 0), 360 - d45, 1e-9);
    EXPECT_NEAR(BranchAngle(1, -1, 0, 0), d45, 1e-9);
    EXPECT_NEAR(BranchAngle(1, 1, 0, 0), 180 - d45, 1e-9);
}

TEST(PathTriangleTest, WindingIsTheSameForEveryDirection) {
    SeedRandom(2024);
    TriangleList list;
    for (int k = 0; k < 360; ++k) {
        const double a = k * 3.141592653589793 / 180;
        const float gx = static_cast<float>(std::cos(a)), gy = static_cast<float>(std::sin(a));
        // The step runs across g, as along a path.
        AddPathTriangle(list, {10 + gy * 5, 10 - gx * 5}, {10 - gy * 5, 10 + gx * 5}, {gx, gy}, 5, 1);
    }
    ASSERT_EQ(list.Size(), 360);
    int positive = 0, negative = 0;
    for (const PatternTriangle& t : list) {
        const double cross =
            (static_cast<double>(t.corner[1].x) - t.corner[0].x) * (t.corner[2].y - t.corner[0].y) -
            (static_cast<double>(t.corner[1].y) - t.corner[0].y) * (t.corner[2].x - t.corner[0].x);
        if (cross > 1e-9) ++positive;
        if (cross < -1e-9) ++negative;
        EXPECT_EQ(t.corner[2].z, 0.0f);
        EXPECT_EQ(t.tag, 0);
    }
    EXPECT_EQ(positive * negative, 0) << positive << " " << negative;
    EXPECT_GT(positive + negative, 350);
}

TEST(PathTriangleTest, ApexLiesAheadAlongTheGrowthDirection) {
    SeedRandom(1); // first draw 41: q = 0.041
    TriangleList list;
    AddPathTriangle(list, {0, 0}, {10, 0}, {0, -1}, 5, 1);
    const double q = 0.041, o = 5 * q, h = o + 2.5;
    bool found = false;
    for (const PatternVertex& v : list[0].corner)
        if (std::fabs(v.x - 5) < 1e-6 && std::fabs(v.y + h) < 1e-6) found = true;
    EXPECT_TRUE(found);
    // Interval factor above 1.5 stretches the apex by 1.5 at most.
    SeedRandom(1);
    TriangleList stretched;
    AddPathTriangle(stretched, {0, 0}, {10, 0}, {0, -1}, 5, 4);
    float lowest = 0;
    for (const PatternVertex& v : stretched[0].corner)
        lowest = std::fmin(lowest, v.y);
    EXPECT_NEAR(lowest, -h * 1.5, 1e-5);
}

} // namespace
