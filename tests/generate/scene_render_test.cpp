// Scene rendering: draw modes, lights, material, AlphaCut, the bump image, and the layout round trip.
#include "generate/scene_render.h"
#include "platform/platform.h"
#include "tests/generate/scene_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(SceneRender, RenderModesSelectTheirDrawModes) {
    EXPECT_EQ(DrawModeFor(5), 6);  // "Phong"
    EXPECT_EQ(DrawModeFor(1), 0);
    EXPECT_EQ(DrawModeFor(2), 1);
    EXPECT_EQ(DrawModeFor(3), 2);
    EXPECT_EQ(DrawModeFor(4), 3);
    EXPECT_EQ(DrawModeFor(6), 8);
    EXPECT_EQ(DrawModeFor(7), 9);
    EXPECT_EQ(DrawModeFor(0), 6);
    EXPECT_EQ(DrawModeFor(200), 6);
}

TEST(SceneRender, LightAlphaZeroAndBetaNinetyPutTheFirstLightStraightAbove) {
    RimelaceParams p{};
    ResetParams(p);
    p.LightAlpha = 0;
    p.LightBeta = 90;
    light3ds lights[2];
    FillLights(p, lights);
    EXPECT_NEAR(lights[0].x, 0, 0.01);
    EXPECT_NEAR(lights[0].y, 0, 0.01);
    EXPECT_NEAR(lights[0].z, 2000, 0.01);
    EXPECT_NEAR(lights[1].x, -1812.6, 0.05);
    EXPECT_NEAR(lights[1].y, 0, 0.01);
    EXPECT_NEAR(lights[1].z, -845.2, 0.05);
    EXPECT_STREQ(lights[0].name, "LightOne");
    EXPECT_STREQ(lights[1].name, "Light#2");
}

TEST(SceneRender, MaterialAndGlassFollowTheParameters) {
    RimelaceParams p{};
    ResetParams(p);
    p.Diffuse = 0x0080FF;  // red 255, green 128, blue 0
    p.Transparancy = 30;
    material3ds m;
    FillMaterial(p, true, m);
    EXPECT_STREQ(m.name, "Material#0");
    EXPECT_FLOAT_EQ(m.diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(m.diffuse[1], 128 / 255.0f);
    EXPECT_FLOAT_EQ(m.diffuse[2], 0.0f);
    EXPECT_FLOAT_EQ(m.transparency, -0.3f);
    EXPECT_STREQ(m.maps[kMapBump].name, "Bump");
    EXPECT_FLOAT_EQ(m.maps[kMapBump].amount, 20 / 500.0f);
    FillMaterial(p, false, m);
    EXPECT_STREQ(m.maps[kMapBump].name, "");
    const GlassProp glass = FillGlass(p, 0.5f);
    EXPECT_FLOAT_EQ(glass.refraction, -5.0f * 0.5f);
    EXPECT_FLOAT_EQ(glass.optical, 7.5f);
    EXPECT_EQ(glass.useGlass, 1);
}

TEST(SceneRender, AlphaCutLeavesUncoveredPixelsZeroInAllFourSamples) {
    for (bool wide : {false, true}) {
        SceneFixture s;
        s.wide = wide;
        s.MakeInput();
        s.params.AlphaCut = 1;
        s.params.MaskKind = 1;  // "Bottom": the upper rows stay uncovered
        s.Build();
        const std::size_t bytes = wide ? 8 : 4;
        int zero = 0, covered = 0;
        for (std::size_t i = 0; i < s.output.size(); i += bytes) {
            bool allZero = true;
            for (std::size_t b = 0; b < bytes; ++b) allZero &= s.output[i + b] == 0;
            const bool coverageZero = s.output[i] == 0 && (!wide || s.output[i + 1] == 0);
            EXPECT_EQ(allZero, coverageZero);  // nothing coloured without coverage
            zero += allZero;
            covered += !allZero;
        }
        EXPECT_GT(zero, 0);
        EXPECT_GT(covered, 0);
        // The top rows lie above every branch.
        for (std::size_t i = 0; i < std::size_t(s.w) * bytes; ++i) EXPECT_EQ(s.output[i], 0);
    }
}

TEST(SceneRender, AnEmptySceneLeavesTheInputExactlyAndTheInputUntouched) {
    SceneFixture s;
    s.params.MaskKind = 7;  // no selection: no pattern
    const auto before = s.input;
    s.Build();
    EXPECT_EQ(s.output, before);
    EXPECT_EQ(s.input, before);
}

TEST(SceneRender, TheBorrowedInputIsRestoredAfterARender) {
    for (bool wide : {false, true}) {
        SceneFixture s;
        s.wide = wide;
        s.MakeInput();
        const auto before = s.input;
        s.Build();
        EXPECT_EQ(s.input, before);
        EXPECT_GT(s.ChangedPixels(), 0);
    }
}

TEST(BumpImage, BitmapNineHundredNinetyNineIsFortyByFortyNoiseFromZeroTo246) {
    std::uint8_t* bump = LoadBumpImage();
    ASSERT_NE(bump, nullptr);
    int lo = 255, hi = 0;
    double sum = 0;
    for (int i = 0; i < kBumpSize * kBumpSize; ++i) {
        lo = std::min<int>(lo, bump[i * 3]);
        hi = std::max<int>(hi, bump[i * 3]);
        sum += bump[i * 3];
        EXPECT_EQ(bump[i * 3 + 1], 0);
        EXPECT_EQ(bump[i * 3 + 2], 0);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 246);
    EXPECT_NEAR(sum / (kBumpSize * kBumpSize), 150, 5);
    platform::FreePages(bump);
}

}  // namespace
