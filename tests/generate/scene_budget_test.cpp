// The scene builder when memory runs out, and patterns that would pass the triangle budget.
#include "generate/scene_builder_p.h"
#include "platform/platform.h"
#include "tests/generate/scene_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Page allocations above `bytes` fail while it lives.
struct PageLimit {
    explicit PageLimit(std::size_t bytes) { platform::SetPageAllocationLimit(bytes); }
    ~PageLimit() { platform::SetPageAllocationLimit(0); }
};

TEST(SceneMemory, AFailedBuildIsNotKeptAndTheNextRenderBuildsAgain) {
    SceneFixture s;  // renders in place: only the scene arrays need large blocks
    {
        PageLimit limit(64 * 1024);
        s.Build();
    }
    EXPECT_TRUE(s.outcome.outOfMemory);
    EXPECT_EQ(s.params.SceneTriangleCount, 0);
    EXPECT_NE(s.params.SceneDirty, 0);
    s.Build();
    EXPECT_TRUE(s.outcome.rebuilt);
    EXPECT_FALSE(s.outcome.outOfMemory);
    EXPECT_GT(s.params.SceneTriangleCount, 0);
    EXPECT_GT(s.ChangedPixels(), 0);
}

TEST(SceneMemory, AFailedCopyOfTheSelectionIsReported) {
    SceneFixture s;
    s.w = 400;
    s.h = 300;
    s.params.MaskKind = 7;
    s.MakeInput();
    s.MakeMask();
    {
        PageLimit limit(100000);  // less than the 120,000-byte copy of the mask
        s.Build();
    }
    EXPECT_TRUE(s.outcome.outOfMemory);
    EXPECT_NE(s.params.SceneDirty, 0);
    s.Build();
    EXPECT_FALSE(s.outcome.outOfMemory);
    EXPECT_GT(s.params.SceneTriangleCount, 0);
}

// Share of the triangles' centres in each quarter of the working area's width.
std::vector<double> QuarterShares(const SceneFixture& s) {
    std::vector<double> shares(4, 0.0);
    const auto points = s.Points();
    const std::size_t n = points.size() / 3;
    for (std::size_t t = 0; t < n; ++t) {
        const double x = (points[3 * t].x + points[3 * t + 1].x + points[3 * t + 2].x) / 3 + s.w / 2.0;
        shares[std::size_t(std::clamp(int(4 * x / s.w), 0, 3))] += 1.0 / double(n);
    }
    return shares;
}

void BigGeometric(SceneFixture& s) {
    s.params.EffectKind = 1;
    s.params.PatternKind = 1;
    s.params.MaskKind = 1;  // "Bottom": one run from the left edge to the right edge
    s.params.MaxIterations = 6;
    s.params.MaxTriangles = 15;
}

TEST(SceneBudget, APatternThatWouldPassTheBudgetIsGrownSmallerAlongTheWholePath) {
    SceneFixture s;
    BigGeometric(s);
    s.Build(20000);
    EXPECT_TRUE(s.outcome.reduced);
    EXPECT_FALSE(s.outcome.budgetReached);
    EXPECT_GT(s.params.SceneTriangleCount, 0);
    EXPECT_LE(s.params.SceneTriangleCount, 20000);
    EXPECT_LT(s.outcome.reduction.iterations[1], 6);
    EXPECT_EQ(s.outcome.reduction.iterations[0], 6);
    const auto shares = QuarterShares(s);
    for (int k = 0; k < 4; ++k) EXPECT_GT(shares[std::size_t(k)], 0.1) << "quarter " << k;
    const std::string text = BudgetWarning(s.outcome, 20000);
    EXPECT_NE(text.find("20,000 triangles"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Max iterations\" " + std::to_string(s.outcome.reduction.iterations[1]) + " instead of 6"),
              std::string::npos)
        << text;
}

TEST(SceneBudget, APatternThatFitsIsGrownOnceUnchangedEvenWhenItFillsTheBudgetExactly) {
    SceneFixture a;
    a.Build();
    ASSERT_GT(a.params.SceneTriangleCount, 0);
    EXPECT_FALSE(a.outcome.reduced);
    EXPECT_TRUE(BudgetWarning(a.outcome, kDefaultTriangleBudget).empty());
    SceneFixture b;
    b.Build(a.params.SceneTriangleCount);
    EXPECT_FALSE(b.outcome.reduced);
    EXPECT_FALSE(b.outcome.budgetReached);
    ASSERT_EQ(a.params.SceneTriangleCount, b.params.SceneTriangleCount);
    EXPECT_EQ(0, std::memcmp(a.params.ScenePoints, b.params.ScenePoints,
                             sizeof(__Point3ds) * std::size_t(a.params.ScenePointCount)));
    EXPECT_EQ(a.output, b.output);
    SceneFixture c;
    c.Build(a.params.SceneTriangleCount - 1);
    EXPECT_TRUE(c.outcome.reduced);
}

TEST(SceneBudget, EveryEffectFitsASmallBudgetAndSaysWhatItChanged) {
    for (int effect = 0; effect < 10; ++effect) {
        SceneFixture s;
        s.params.EffectKind = std::uint8_t(effect < 3 ? 1 : effect < 6 ? 2 : 3);
        s.params.PatternKind = std::uint8_t(effect < 3 ? effect + 1 : effect < 6 ? effect - 2 : effect - 5);
        s.params.MaxIterations = 6;
        s.params.MaxTriangles = 15;
        s.params.MaxTriangles1 = 40;
        s.params.MinInterval = 1;
        s.Build(3000);
        EXPECT_LE(s.params.SceneTriangleCount, 3000) << effect;
        EXPECT_GT(s.params.SceneTriangleCount, 0) << effect;
        if (s.outcome.reduced || s.outcome.budgetReached) {
            EXPECT_FALSE(BudgetWarning(s.outcome, 3000).empty()) << effect;
        }
    }
}

TEST(SceneBudget, WhenEvenTheSmallestValuesPassTheBudgetTheSceneIsCutAndTheWarningSaysSo) {
    SceneFixture s;
    BigGeometric(s);
    s.Build(1);  // a fan and a path triangle at every sample: even one sample passes it
    EXPECT_TRUE(s.outcome.budgetReached);
    EXPECT_EQ(s.params.SceneTriangleCount, 1);
    const std::string text = BudgetWarning(s.outcome, 1);
    EXPECT_NE(text.find("cut short"), std::string::npos) << text;
}

}  // namespace
