// The scene builder: coverage plan, growth directions, rebuild and reuse, scale, Single, budget,
// and a sweep over every effect and mask kind.
#include "generate/scene_builder_p.h"
#include "tests/generate/scene_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool SameBytes(const std::vector<__Point3ds>& a, const std::vector<__Point3ds>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

void SetEffect(RimelaceParams& p, int index) {  // list index 0..9
    p.EffectKind = index < 3 ? 1 : index < 6 ? 2 : 3;
    p.PatternKind = std::uint8_t(index < 3 ? index + 1 : index < 6 ? index - 2 : index - 5);
}

TEST(CoveragePlan, CompletanceFiftyOnFiveSegmentsWalksThreeWithTheLastToHalf) {
    const CoveragePlan plan = PlanCoverage(5, 50, 0);
    EXPECT_EQ(plan.count, 3);
    EXPECT_EQ(plan.full, 2);
    EXPECT_DOUBLE_EQ(plan.lastPart, 0.5);
}

TEST(CoveragePlan, FullCompletanceWithoutFadingCoversEverySegmentWhole) {
    for (int n : {1, 7, 40}) {
        const CoveragePlan plan = PlanCoverage(n, 100, 0);
        EXPECT_EQ(plan.count, n);
        EXPECT_DOUBLE_EQ(plan.lastPart, 1.0);
    }
    EXPECT_EQ(PlanCoverage(10, 20, 100).count, 10);  // fading segments never run past the path
    EXPECT_EQ(PlanCoverage(0, 100, 100).count, 0);
}

TEST(GrowthDirection, AllDirectionsCyclesVariantsOneToSevenWithoutSeven) {
    const PlanePoint g{-0.6f, -0.8f};
    for (int i = 0; i < 21; ++i) {
        const PlanePoint cycled = GrowthDirection(g, 8, i);
        const PlanePoint expected = GrowthDirection(g, i % 7, i);
        EXPECT_EQ(cycled.x, expected.x) << i;
        EXPECT_EQ(cycled.y, expected.y) << i;
    }
    // The variants themselves, and segment 6 takes variant 6 (|gx|, gy), not 7 (gx, |gy|).
    const float expected[8][2] = {{-0.6f, -0.8f}, {-0.6f, -0.8f}, {0.6f, 0.8f},   {0.6f, 0.8f},
                                  {0.6f, -0.8f},  {-0.6f, 0.8f},  {0.6f, -0.8f},  {-0.6f, 0.8f}};
    for (int v = 0; v < 8; ++v) {
        EXPECT_EQ(GrowthDirection(g, v, 0).x, expected[v][0]) << v;
        EXPECT_EQ(GrowthDirection(g, v, 0).y, expected[v][1]) << v;
    }
    EXPECT_EQ(GrowthDirection(g, 8, 6).x, 0.6f);
    EXPECT_EQ(GrowthDirection(g, 8, 6).y, -0.8f);
}

TEST(SceneBuilder, SameParametersGiveTheSameTriangles) {
    for (int effect : {0, 4, 8}) {
        SceneFixture a, b;
        SetEffect(a.params, effect);
        SetEffect(b.params, effect);
        a.Build();
        b.Build();
        ASSERT_GT(a.params.SceneTriangleCount, 0) << effect;
        EXPECT_TRUE(SameBytes(a.Points(), b.Points())) << effect;
        EXPECT_EQ(a.output, b.output) << effect;
    }
}

TEST(SceneBuilder, ScaleTwoHundredDoublesAboutTheCentre) {
    SceneFixture a, b;
    b.params.Scale = 200;
    a.Build();
    b.Build();
    const auto pa = a.Points(), pb = b.Points();
    ASSERT_EQ(pa.size(), pb.size());
    ASSERT_FALSE(pa.empty());
    for (std::size_t i = 0; i < pa.size(); ++i) {
        EXPECT_EQ(pb[i].x, pa[i].x * 2.0f);
        EXPECT_EQ(pb[i].y, pa[i].y * 2.0f);
        EXPECT_EQ(pb[i].z, pa[i].z * 2.0f);
    }
}

TEST(SceneBuilder, ARenderWithoutSceneDirtyDrawsTheCachedSceneEvenAfterGeometryChanges) {
    SceneFixture s;
    s.Build();
    EXPECT_TRUE(s.outcome.rebuilt);
    const auto points = s.Points();
    const auto first = s.output;
    s.params.MinInterval = 60;
    s.params.Width = 20;
    s.params.MaskKind = 1;
    s.Build();
    EXPECT_FALSE(s.outcome.rebuilt);
    EXPECT_TRUE(SameBytes(points, s.Points()));
    EXPECT_EQ(first, s.output);
}

TEST(SceneBuilder, ShininessChangeWithoutSceneDirtyChangesShadingNotTriangles) {
    SceneFixture s;
    s.Build();
    const auto points = s.Points();
    const auto first = s.output;
    s.params.Shininess = 120;
    s.Build();
    EXPECT_TRUE(SameBytes(points, s.Points()));
    EXPECT_NE(first, s.output);
}

TEST(SceneBuilder, SingleIgnoresThePathAndTheMaskKind) {
    for (int effect = 6; effect < 10; ++effect) {
        SceneFixture a;
        SetEffect(a.params, effect);
        a.params.MaskKind = 1;
        a.Build();
        for (int kind : {4, 7}) {
            SceneFixture b;
            SetEffect(b.params, effect);
            b.params.MaskKind = std::uint8_t(kind);
            b.MakeMask();
            b.Build();
            EXPECT_TRUE(SameBytes(a.Points(), b.Points())) << effect << " " << kind;
        }
    }
}

TEST(SceneBuilder, BySelectionWithoutASelectionGrowsNothingButStillRenders) {
    SceneFixture s;
    s.params.MaskKind = 7;
    s.Build();
    EXPECT_EQ(s.params.SceneTriangleCount, 0);
    EXPECT_EQ(s.output, s.input);  // the base image alone
    s.MakeMask();
    s.params.SceneDirty = 1;
    s.Build();
    EXPECT_GT(s.params.SceneTriangleCount, 0);
}

TEST(SceneBuilder, ABuildThatWouldPassTheBudgetIsGrownSmallerAndStillRenders) {
    SceneFixture s;
    s.params.MinInterval = 2;
    s.Build(300);
    EXPECT_TRUE(s.outcome.reduced);
    EXPECT_FALSE(s.outcome.budgetReached);
    EXPECT_GT(s.params.SceneTriangleCount, 0);
    EXPECT_LE(s.params.SceneTriangleCount, 300);
    EXPECT_GT(s.ChangedPixels(), 0);
    SceneFixture roomy;
    roomy.Build();
    EXPECT_FALSE(roomy.outcome.budgetReached);
    EXPECT_FALSE(roomy.outcome.reduced);
}

TEST(SceneBuilder, EveryEffectMaskKindAndDirectionRendersWhereItShould) {
    for (int effect = 0; effect < 10; ++effect)
        for (int kind = 1; kind <= 7; ++kind)
            for (int direction : {1, 2, 8}) {
                SceneFixture s;
                s.w = 96;
                s.h = 72;
                SetEffect(s.params, effect);
                s.params.MaskKind = std::uint8_t(kind);
                s.params.GrowDirect = std::uint8_t(direction);
                if (kind == 7) s.MakeMask();
                s.Build();
                const std::string at = std::to_string(effect) + "/" + std::to_string(kind) + "/" +
                                       std::to_string(direction);
                ASSERT_FALSE(s.outcome.outOfMemory) << at;
                EXPECT_GT(s.params.SceneTriangleCount, 0) << at;
                EXPECT_GT(s.ChangedPixels(), 0) << at;
                if (effect < 6 && direction == 1 && kind == 1) {
                    EXPECT_GT(s.ChangedMeanRow(), s.h / 2.0) << at;
                }
                if (effect < 6 && direction == 1 && kind == 2) {
                    EXPECT_LT(s.ChangedMeanRow(), s.h / 2.0) << at;
                }
            }
}

TEST(SceneBuilder, SixteenBitRendersTheSameSceneAsEightBit) {
    SceneFixture a, b;
    b.wide = true;
    b.MakeInput();
    a.Build();
    b.Build();
    EXPECT_TRUE(SameBytes(a.Points(), b.Points()));
    EXPECT_GT(b.ChangedPixels(), 0);
}

TEST(SceneBuilder, ARebuiltSceneIsTheSameAsOneBuiltAfresh) {
    // One record rebuilt through scenes of very different sizes (79462 triangles down to 139 and
    // back: the arrays of the one before are written again where they fit, replaced where they do
    // not) against a new record for each.
    SceneFixture kept;
    struct Step {
        int effect;
        std::int32_t minInterval;
    };
    for (const Step step : {Step{4, 2}, Step{0, 0}, Step{8, 0}, Step{4, 0}, Step{4, 2}, Step{6, 0}, Step{1, 0}}) {
        SceneFixture fresh;
        for (SceneFixture* s : {&kept, &fresh}) {
            SetEffect(s->params, step.effect);
            s->params.MinInterval = step.minInterval ? float(step.minInterval) : fresh.params.MinInterval;
            s->params.SceneDirty = 1;
            s->Build();
        }
        ASSERT_EQ(kept.params.SceneTriangleCount, fresh.params.SceneTriangleCount) << step.effect;
        EXPECT_EQ(kept.params.ScenePointCount, fresh.params.ScenePointCount) << step.effect;
        EXPECT_TRUE(SameBytes(kept.Points(), fresh.Points())) << step.effect;
        EXPECT_EQ(kept.output, fresh.output) << step.effect;
    }
}

TEST(SceneBuilder, AnImageTheSceneDoesNotReachComesBackUnchangedAtEveryWidthAndDepth) {
    // Into the renderer's order and back, whole vectors of pixels and the odd ones at a row's end.
    for (const bool wide : {false, true}) {
        for (const std::int32_t w : {1, 2, 3, 5, 157, 158, 160, 161}) {
            SceneFixture s;
            s.w = w;
            s.h = 7;
            s.wide = wide;
            s.MakeInput();
            s.params.CenterX = 10000;  // the pattern far outside the image
            s.params.CenterY = 10000;
            s.Build();
            EXPECT_EQ(s.output, s.input) << w << (wide ? " 16-bit" : " 8-bit");
        }
    }
}

}  // namespace
