// The scene builder with values no dialog gives (scripts, presets): counts far beyond their
// ranges and seeds at the ends of their type.
#include "generate/scene_builder_p.h"
#include "tests/generate/scene_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(SceneLimits, TriangleCountsAreMultipliedWideAndClamped) {
    RimelaceParams p{};
    ResetParams(p);
    p.MaxTriangles = 1000000000;
    p.MaxTriangles1 = 2000000000;
    SceneQuantities q = DeriveQuantities(p, 400);
    EXPECT_EQ(q.triLimit, 1000000000);
    EXPECT_EQ(q.triLimit5, kMax);
    EXPECT_EQ(q.subLimit, kMax);
    for (int kind : {2, 3}) {
        p.EffectKind = std::uint8_t(kind);
        q = DeriveQuantities(p, 400);
        AdjustForEffectKind(p, 400, q);
        EXPECT_EQ(q.triLimit, kMax) << kind;
    }
    p.MaxTriangles = -1000000000;
    p.MaxTriangles1 = kMin;
    q = DeriveQuantities(p, 400);
    EXPECT_EQ(q.triLimit5, kMin);
    EXPECT_EQ(q.subLimit, kMin);
    // Inside the ranges nothing changes.
    p.MaxTriangles = 7;
    p.MaxTriangles1 = 15;
    q = DeriveQuantities(p, 400);
    EXPECT_EQ(q.triLimit5, 35);
    EXPECT_EQ(q.subLimit, 30);
}

TEST(SceneLimits, CompletanceBeyondItsRangeCoversTheWholePathOrNothing) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (float fade : {0.0f, 1e30f, inf}) {
        EXPECT_EQ(PlanCoverage(40, 1e30f, fade).count, 40) << fade;
        EXPECT_EQ(PlanCoverage(40, inf, fade).count, 40) << fade;
    }
    for (float c : {-1e30f, -inf, nan}) EXPECT_EQ(PlanCoverage(40, c, 0).count, 0) << c;
    EXPECT_EQ(PlanCoverage(40, 0, nan).count, 0);
}

// Seeds at the ends of their type: the sums that reseed the generator wrap like its own 32-bit
// state (the sanitizer build stops at a signed overflow here).
TEST(SceneLimits, SeedsAtTheEndsOfTheirTypeGrowAPattern) {
    for (int effect : {0, 4}) {
        for (std::int32_t seed : {kMax, kMin, kMax - 1211}) {
            SceneFixture s;
            s.w = 96;
            s.h = 72;
            s.params.EffectKind = std::uint8_t(effect < 3 ? 1 : 2);
            s.params.PatternKind = std::uint8_t(effect < 3 ? effect + 1 : effect - 2);
            s.params.RandomSeed = seed;
            s.Build();
            EXPECT_GT(s.params.SceneTriangleCount, 0) << effect << " " << seed;
            EXPECT_GT(s.ChangedPixels(), 0) << effect << " " << seed;
        }
    }
}

TEST(SceneLimits, HugeCountsFromScriptsStillEndWithinTheBudget) {
    for (int effect : {0, 3, 4, 6, 8}) {
        SceneFixture s;
        s.w = 96;
        s.h = 72;
        s.params.EffectKind = std::uint8_t(effect < 3 ? 1 : effect < 6 ? 2 : 3);
        s.params.PatternKind = std::uint8_t(effect < 3 ? effect + 1 : effect < 6 ? effect - 2 : effect - 5);
        s.params.MaxTriangles = 1000000000;
        s.params.MaxTriangles1 = 1000000000;
        s.params.MaxIterations = 1000000000;
        s.Build(20000);
        EXPECT_FALSE(s.outcome.outOfMemory) << effect;
        EXPECT_LE(s.params.SceneTriangleCount, 20000) << effect;
        EXPECT_GT(s.params.SceneTriangleCount, 0) << effect;
    }
}

}  // namespace
