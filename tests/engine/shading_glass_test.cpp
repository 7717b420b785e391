// Glass of the built-in shading: displacement per channel, aberration, tint, clipping, the 2 x 2
// filter, multiple refraction and the window mean.
#include <cmath>
#include <cstring>
#include <vector>

#include "tests/engine/shading_fixture.h"

namespace shading_test {
namespace {

constexpr float kLevel = 0.02f;

// Background 16 x 16 whose pixel (x, y) holds (10x, 10y, 10x + y, 255): each channel tells where
// it was read.
Image Grid(bool deep = false) {
    Image image(16, 16, deep);
    const int scale = deep ? 128 : 1;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) image.SetPixel(x, y, 10 * x * scale, 10 * y * scale, (10 * x + y) * scale, 255 * scale);
    }
    return image;
}

// A glass pixel at the image centre (8, 8) whose output equals its glass colour: grey (no tint),
// self-illuminated, no highlight.
struct GlassScene : Scene {
    Image background = Grid();
    Image target{16, 16, false};

    GlassScene() {
        FrontLight();
        for (float& c : material.diffuse) c = 0.5f;
        material.selfIllum = 1.0f;
        material.shinStrength = 0.0f;
        withGlassArray = true;
        glass = {1, 0.0f, 10.0f, 0.0f};
        normal = {0.6f, 0.0f, 0.8f};
        Scene::background = background.data();
        Scene::target = target.data();
    }
};

TEST_F(ShadingTest, GreyMaterialAddsNoTintToTheRefractedColour) {
    GlassScene s;
    s.glass.refraction = 0.0f;
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 80.0f, kLevel);  // pixel (8, 8) itself
    EXPECT_NEAR(out.g, 80.0f, kLevel);
    EXPECT_NEAR(out.b, 88.0f, kLevel);
    EXPECT_FLOAT_EQ(out.a, 1.0f);
}

TEST_F(ShadingTest, TintIsTheColourLessOneHalf) {
    GlassScene s;
    s.glass.refraction = 0.0f;
    s.material.diffuse[0] = 0.7f;
    s.material.diffuse[1] = 0.1f;
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 80.0f + 0.2f * 255.0f, kLevel);
    EXPECT_NEAR(out.g, 0.0f, kLevel);  // 80 / 255 - 0.4 clamps at 0
}

TEST_F(ShadingTest, AberrationZeroDisplacesEveryChannelAlike) {
    GlassScene s;  // optical 0: displacement -R * N.x = -6
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 20.0f, kLevel);  // column 2
    EXPECT_NEAR(out.g, 80.0f, kLevel);
    EXPECT_NEAR(out.b, 28.0f, kLevel);
}

TEST_F(ShadingTest, AberrationHundredLeavesChannelsOneAndTwoInPlace) {
    GlassScene s;
    s.glass.aberration = 100.0f;
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 20.0f, kLevel);
    EXPECT_NEAR(out.b, 88.0f, kLevel);  // column 8
}

TEST_F(ShadingTest, AberrationFiftyShortensEachChannelByThreeQuarters) {
    GlassScene s;
    s.glass.aberration = 50.0f;  // lengths 10, 7.5, 5.625
    s.normal = {1.0f, 0.0f, 0.0f};  // f = -1 with optical 0: shifts -10, -7.5, -5.625
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 80.0f, kLevel);  // -2 lies outside: own column 8
    s.normal = {0.6f, 0.0f, 0.8f};      // shifts -6, -4.5, -3.375: columns 2, 3, 4
    const Shaded tilted = CallBuiltin(s);
    EXPECT_NEAR(tilted.r, 20.0f, kLevel);
    EXPECT_NEAR(tilted.b, 48.0f, kLevel);
}

TEST_F(ShadingTest, OpticalCoefficientZeroDisplacesByMinusRTimesTheNormal) {
    GlassScene s;
    s.glass.refraction = 5.0f;
    s.normal = {-0.48f, 0.64f, 0.6f};  // unit: shift (+2.4, -3.2) -> (10.4, 4.8)
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 100.0f, kLevel);
    EXPECT_NEAR(out.g, 40.0f, kLevel);
    s.glass.optical = 1.0f;  // f = -0.6 - 0.6 = -1.2: shift (+2.88, -3.84) -> (10.88, 4.16)
    const Shaded stronger = CallBuiltin(s);
    EXPECT_NEAR(stronger.r, 100.0f, kLevel);
    EXPECT_NEAR(stronger.g, 40.0f, kLevel);
    s.glass.optical = 2.0f;  // f = -1.2 - 0.2 = -1.4: (11.36, 3.52)
    const Shaded strongest = CallBuiltin(s);
    EXPECT_NEAR(strongest.r, 110.0f, kLevel);
    EXPECT_NEAR(strongest.g, 30.0f, kLevel);
}

TEST_F(ShadingTest, SampleOutsideTheClipFallsBackToThePixelAndAPixelOutsideIsClear) {
    GlassScene s;
    s.glass.refraction = 100.0f;
    Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 80.0f, kLevel);
    EXPECT_FLOAT_EQ(out.a, 1.0f);
    s.originX = 40.0f;  // the pixel itself lies outside
    out = CallBuiltin(s);
    EXPECT_FLOAT_EQ(out.a, 0.0f);
    EXPECT_NEAR(out.r, 0.0f, kLevel);  // value 0, grey tint 0
}

TEST_F(ShadingTest, NoGlassArrayOrGlassOffLeavesTheMaterialColour) {
    GlassScene s;
    s.withGlassArray = false;
    EXPECT_NEAR(CallBuiltin(s).r, 0.5f * 255.0f, kLevel);
    s.withGlassArray = true;
    s.glass.useGlass = 0;
    EXPECT_NEAR(CallBuiltin(s).r, 0.5f * 255.0f, kLevel);
    s.glass.useGlass = 1;
    s.Scene::background = nullptr;  // nothing to refract: value 0, tint only
    EXPECT_NEAR(CallBuiltin(s).r, 0.0f, kLevel);
}

TEST_F(ShadingTest, GlassWithoutMaterialsUsesElementZeroAndInvalidIndexNone) {
    GlassScene s;
    s.materialCount = 0;  // defaults: grey 0.5, strength 10 (d = 0.5: no highlight)
    s.lights[0].multiplier = 0.5f;
    s.normal = {0.0f, 0.0f, 1.0f};
    s.glass.refraction = 0.0f;
    EXPECT_NEAR(CallBuiltin(s).r, 0.5f * 80.0f, kLevel);
    s.materialCount = 1;
    s.triangle.material = 5;  // invalid index: no glass
    EXPECT_NEAR(CallBuiltin(s).r, 0.5f * 0.5f * 255.0f, kLevel);
}

TEST_F(ShadingTest, QualityWeighsTheTwoByTwoNeighbours) {
    _Quality = 1;
    GlassScene s;
    s.glass.refraction = 3.0f;  // shift -1.8: (6.2, 8)
    const Shaded out = CallBuiltin(s);
    const double fx = 6.2f - 6.0f;
    const double w[4] = {(2 - fx) * (2 - fx), fx * fx, (1 + fx) * (1 + fx), (1 - fx) * (1 - fx)};
    const double expected = (60 * w[0] + 70 * w[1] + 70 * w[2] + 60 * w[3]) / (w[0] + w[1] + w[2] + w[3]);
    EXPECT_NEAR(out.r, expected, 0.01);
    EXPECT_GT(out.r, 60.5f);  // the right neighbour weighs more than the one below
}

TEST_F(ShadingTest, SixteenBitGlassReadsSixteenBitSamples) {
    UseFrame(16, 16, true);
    GlassScene s;
    s.background = Grid(true);
    s.Scene::background = s.background.data();
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 20.0f * 128.0f, 0.5f);
}

// ---- Multiple refraction and the two-pass front ----------------------------------------------------

struct LayeredGlass : GlassScene {
    Image copy{16, 16, false};
    std::vector<float> depth = std::vector<float>(256);

    LayeredGlass() {
        glass.refraction = 0.0f;
        for (int row = 0; row < 16; ++row) {
            for (int column = 0; column < 16; ++column) {
                copy.SetPixel(column, row, 200, 200, 200, 255);
                target.SetPixel(column, row, 33, 33, 33, 255);
            }
        }
        std::memset(depth.data(), 0xFE, depth.size() * sizeof(float));
        trivane::g_state.backCopy = copy.data();
        trivane::g_state.glassDepth = depth.data();
    }
};

TEST_F(ShadingTest, MultipleRefractionReadsTheCopy) {
    _UseMultyRefract = 1;
    LayeredGlass s;
    EXPECT_NEAR(CallBuiltin(s).r, 200.0f, kLevel);
    _UseMultyRefract = 0;
    EXPECT_NEAR(CallBuiltin(s).r, 80.0f, kLevel);
}

TEST_F(ShadingTest, AnotherGlassLayerRefreshesTheCopyFromTheTarget) {
    _UseMultyRefract = 1;
    LayeredGlass s;
    s.z = 10.0f;
    s.depth[8 * 16 + 8] = 100.0f;  // another layer marked this pixel
    EXPECT_NEAR(CallBuiltin(s).r, 33.0f, kLevel);
    EXPECT_EQ(s.copy.Get(8, 8, 0), 33);
    s.copy.SetPixel(8, 8, 200, 200, 200, 255);
    s.depth[8 * 16 + 8] = 25.0f;  // the same layer: no refresh
    EXPECT_NEAR(CallBuiltin(s).r, 200.0f, kLevel);
    s.depth[8 * 16 + 8] = 100.0f;
    s.target.Set(8, 8, 3, 254);  // target not fully covered: no refresh
    EXPECT_NEAR(CallBuiltin(s).r, 200.0f, kLevel);
}

TEST_F(ShadingTest, FrontPassOfTwoPassesMixesCopyAndBackgroundByTargetCoverage) {
    _DrawBackFaces = 1;
    LayeredGlass s;
    s.target.Set(8, 8, 3, 51);  // k' = 0.2
    EXPECT_NEAR(CallBuiltin(s).r, 200.0f * 0.2f + 80.0f * 0.8f, 0.05f);
    s.copy.Set(8, 8, 3, 0);  // nothing drawn in the back pass there
    EXPECT_NEAR(CallBuiltin(s).r, 80.0f, kLevel);
}

// ---- Window mean ------------------------------------------------------------------------------------

TEST_F(ShadingTest, SamplesJumpingMoreThanTwoPixelsAverageTheSweptWindow) {
    _Quality = 1;
    _UseMultyRefract = 1;
    LayeredGlass s;
    for (int x = 0; x < 16; ++x) s.copy.SetPixel(x, 8, 10 * x, 0, 10 * x, x >= 5 ? 255 : 0);
    s.glass.refraction = 10.0f;
    s.withPrevious = true;
    // Previous pixel (x = -1): straight normal, sample at its own pixel (7, 8).
    s.x = -1.0f;
    s.normal = {0.0f, 0.0f, 1.0f};
    trivane::shading::BeginShadingCall();
    CallBuiltinContinuing(s);
    // This pixel (x = 0): sample shifted by -0.45 * 10 = -4.5 to (3.5, 8): moved 3 pixels left.
    s.x = 0.0f;
    s.normal = {0.45f, 0.0f, std::sqrt(1.0f - 0.45f * 0.45f)};
    s.previous = {};
    s.previous.valid = 1;
    s.previous.x = -1.0f;
    s.previous.y = 0.0f;
    const Shaded out = CallBuiltinContinuing(s);
    EXPECT_NEAR(out.r, (30 + 40 + 50 + 60) / 4.0f, kLevel);  // columns 3..6, back towards the previous sample
    EXPECT_NEAR(out.a, 0.5f, 1e-5f);                         // columns 3 and 4 are uncovered
    for (int x = 3; x <= 6; ++x) EXPECT_FLOAT_EQ(s.depth[8 * 16 + x], 0.0f) << x;  // marked with z
    EXPECT_NE(s.depth[8 * 16 + 2], 0.0f);
    EXPECT_NE(s.depth[8 * 16 + 7], 0.0f);
    // Without a matching previous record: the 2 x 2 filter at (4, 8).
    s.previous.x = -2.0f;
    trivane::shading::BeginShadingCall();
    EXPECT_NEAR(CallBuiltinContinuing(s).a, 1.0f, 1e-6f);
}

}  // namespace
}  // namespace shading_test
