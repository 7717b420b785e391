// Colour texture, opacity map, bump map and reflection map of the built-in shading.
#include <cmath>

#include "tests/engine/shading_fixture.h"

namespace shading_test {
namespace {

constexpr float kLevel = 0.02f;

// A texture whose column i has texel channels (10 * (i + 1), 0, 0, 255): only the last channel
// of the target (c2) changes from column to column.
Image ColumnRamp(int width, bool deep) {
    Image t(width, 2, deep);
    auto level = [deep](int v) { return deep ? (v * 32768 + 127) / 255 : v; };
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < width; ++x) t.SetPixel(x, y, level(10 * (x + 1)), 0, 0, level(255));
    }
    return t;
}

void Attach(Scene& s, int slot, Image& image, float amount) {
    s.textures[slot] = {1, image.width, image.height, image.data(), static_cast<BYTE>(image.deep ? 1 : 0)};
    const int map = slot == 0 ? kMapTexture : slot == 1 ? kMapOpacity : slot == 2 ? kMapBump : kMapReflection;
    s.material.maps[map].amount = amount;
}

// A scene lit so that the output is the surface colour itself: self-illuminated, no highlight.
Scene FlatLit() {
    Scene s;
    s.FrontLight();
    s.material.selfIllum = 1.0f;
    s.material.shinStrength = 0.0f;
    s.mapped = 1;
    return s;
}

// ---- Colour texture ---------------------------------------------------------------------------------

TEST_F(ShadingTest, TextureCoordinateOneReadsTheLastColumn) {
    for (BYTE quality : {0, 1}) {
        for (bool deep : {false, true}) {
            UseFrame(16, 16, deep);
            _Quality = quality;
            Image texture = ColumnRamp(4, deep);
            Scene s = FlatLit();
            Attach(s, 0, texture, 1.0f);
            s.u = 1.0f;
            const Shaded out = CallBuiltin(s);
            const float full = deep ? 32768.0f : 255.0f;
            EXPECT_NEAR(out.b / full * 255.0f, 40.0f, 0.05f) << int(quality) << deep;  // column 3
            s.u = 0.0f;
            EXPECT_NEAR(CallBuiltin(s).b / full * 255.0f, 10.0f, 0.05f);
        }
    }
}

TEST_F(ShadingTest, TextureChannelsFeedTheTargetChannelsReversed) {
    Image texture(1, 1, false);
    texture.SetPixel(0, 0, 51, 102, 204, 255);
    Scene s = FlatLit();
    Attach(s, 0, texture, 1.0f);
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 204.0f, kLevel);
    EXPECT_NEAR(out.g, 102.0f, kLevel);
    EXPECT_NEAR(out.b, 51.0f, kLevel);
}

TEST_F(ShadingTest, TextureBlendsByItsAlphaTimesTheAmount) {
    Image texture(1, 1, false);
    texture.SetPixel(0, 0, 0, 0, 255, 128);  // c0 = 1, alpha about one half
    Scene s = FlatLit();
    s.material.diffuse[0] = 0.2f;
    Attach(s, 0, texture, 0.5f);
    const float k = 128.0f / 255.0f * 0.5f;
    EXPECT_NEAR(CallBuiltin(s).r, ((1 - k) * 0.2f + k) * 255.0f, kLevel);
}

TEST_F(ShadingTest, BilinearTextureReadingWithQuality) {
    _Quality = 1;
    Image texture = ColumnRamp(4, false);
    Scene s = FlatLit();
    Attach(s, 0, texture, 1.0f);
    s.u = 0.5f;  // tx = 1.5: between columns 1 and 2
    EXPECT_NEAR(CallBuiltin(s).b, 25.0f, kLevel);
    _Quality = 0;
    EXPECT_NEAR(CallBuiltin(s).b, 20.0f, kLevel);
}

TEST_F(ShadingTest, ALargeJumpSincePreviousPixelAveragesTheFootprint) {
    _Quality = 1;
    Image texture(17, 1, false);
    for (int x = 0; x < 17; ++x) texture.SetPixel(x, 0, x % 2 ? 200 : 0, 0, 0, 255);  // stripes
    Scene s = FlatLit();
    Attach(s, 0, texture, 1.0f);
    s.u = 0.5f;  // texel 8 exactly
    s.withPrevious = true;
    s.previous.valid = 1;
    s.previous.u = 0.0f;  // 8 texels away: window of 8 stripes
    EXPECT_NEAR(CallBuiltin(s).b, 100.0f, kLevel);
    s.previous.u = 0.5f - 1.0f / 16.0f;  // one texel: plain bilinear
    EXPECT_NEAR(CallBuiltin(s).b, 0.0f, kLevel);
    s.previous.valid = 0;
    s.previous.u = 0.0f;
    EXPECT_NEAR(CallBuiltin(s).b, 0.0f, kLevel);
}

TEST_F(ShadingTest, MapsNeedMappedPixelsAndAValidMaterial) {
    Image texture(1, 1, false);
    texture.SetPixel(0, 0, 0, 0, 255, 255);
    Scene s = FlatLit();
    Attach(s, 0, texture, 1.0f);
    s.mapped = 0;
    EXPECT_NEAR(CallBuiltin(s).r, 0.6f * 255.0f, kLevel);
    s.mapped = 1;
    s.materialCount = 0;  // no valid material: defaults (grey, not self-illuminated), no maps
    s.lights[0].multiplier = 0.5f;
    EXPECT_NEAR(CallBuiltin(s).r, 0.5f * 0.5f * 255.0f, kLevel);
}

TEST_F(ShadingTest, DegenerateTexturesAreIgnored) {
    Image texture(2, 2, false);
    for (BYTE quality : {0, 1}) {
        _Quality = quality;
        const __Texture broken[] = {{1, 0, 4, texture.data(), 0}, {1, 4, 0, texture.data(), 0},
                                    {1, -3, 2, texture.data(), 0}, {1, 2, 2, nullptr, 0}};
        for (const __Texture& t : broken) {
            Scene s = FlatLit();
            for (__Texture& slot : s.textures) slot = t;
            for (map3ds& m : s.material.maps) m.amount = 1.0f;
            const Shaded out = CallBuiltin(s);
            EXPECT_NEAR(out.r, 0.6f * 255.0f, kLevel);
            EXPECT_FLOAT_EQ(out.a, 1.0f);
        }
    }
}

TEST_F(ShadingTest, UnconvertedTextureIsReadAtItsOwnDepth) {
    Image texture = ColumnRamp(4, false);  // 8-bit texels in a 16-bit call
    UseFrame(16, 16, true);
    Scene s = FlatLit();
    Attach(s, 0, texture, 1.0f);
    s.u = 1.0f;
    EXPECT_NEAR(CallBuiltin(s).b, 40.0f / 255.0f * 32768.0f, 1.0f);
}

// ---- Opacity map ------------------------------------------------------------------------------------

TEST_F(ShadingTest, OpacityMapTakesTheBrightestChannel) {
    Image texture(1, 1, false);
    texture.SetPixel(0, 0, 51, 153, 102, 255);
    Scene s = FlatLit();
    Attach(s, 1, texture, 1.0f);
    EXPECT_NEAR(CallBuiltin(s).a, 0.6f, 1e-5f);
    s.material.maps[kMapOpacity].amount = 0.5f;  // half way from 1 to 0.6
    EXPECT_NEAR(CallBuiltin(s).a, 0.8f, 1e-5f);
    s.lights.clear();  // still applies without light
    EXPECT_NEAR(CallBuiltin(s).a, 0.8f, 1e-5f);
}

// ---- Bump map ---------------------------------------------------------------------------------------

// Red output of a surface lit from +x at 45 degrees.
float LitBump(Scene& s) {
    s.lights[0].x = 100000.0f;
    s.material.selfIllum = 0.0f;
    return CallBuiltin(s).r;
}

TEST_F(ShadingTest, FlatBumpChangesNothingAndARampTiltsTheNormal) {
    Image flat(4, 4, false), ramp(4, 4, false);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) flat.SetPixel(x, y, 90, 90, 90, 255), ramp.SetPixel(x, y, 10 * x, 10 * x, 10 * x, 255);
    }
    Scene plain = FlatLit();
    const float reference = LitBump(plain);
    Scene s = FlatLit();
    Attach(s, 2, flat, 1.0f);
    EXPECT_NEAR(LitBump(s), reference, kLevel);
    // Ramp: S rises by 30 per column; N.x -= 0.1 * amount * 30 = 3 * amount. With amount 1/3,
    // N = (-1, 0, 1) (not normalised): N . L = 0 for L = (1, 0, 1) / sqrt 2.
    Attach(s, 2, ramp, 1.0f / 3.0f);
    EXPECT_NEAR(LitBump(s), 0.0f, 0.5f);
    // The last column is its own neighbour: no tilt there.
    s.u = 1.0f;
    EXPECT_NEAR(LitBump(s), reference, kLevel);
}

TEST_F(ShadingTest, SixteenBitBumpTiltsLikeEightBit) {
    Image ramp8(4, 1, false), ramp16(4, 1, true);
    for (int x = 0; x < 4; ++x) {
        ramp8.SetPixel(x, 0, 20 * x, 0, 0, 255);
        ramp16.SetPixel(x, 0, (20 * x * 32768 + 128) / 255, 0, 0, 32768);
    }
    Scene s8 = FlatLit();
    Attach(s8, 2, ramp8, 0.3f);
    const float eight = LitBump(s8) / 255.0f;
    UseFrame(16, 16, true);
    Scene s16 = FlatLit();
    Attach(s16, 2, ramp16, 0.3f);
    EXPECT_NEAR(LitBump(s16) / 32768.0f, eight, 1e-3f);
}

// ---- Reflection map ---------------------------------------------------------------------------------

TEST(ShadingReflection, BoxFractionPicksTheNearerWall) {
    using trivane::shading::BoxFraction;
    const float w = 100.0f;
    EXPECT_FLOAT_EQ(BoxFraction(20.0f, 0.0f, 0.0f, 0.0f, w), 0.6f);         // no direction
    EXPECT_FLOAT_EQ(BoxFraction(20.0f, 0.0f, 0.0f, 1.0f, w), 0.6f);         // straight back: z wall at x
    EXPECT_FLOAT_EQ(BoxFraction(20.0f, 0.0f, 1.0f, 0.0f, w), 0.5f);         // sideways: x wall at z = 0
    EXPECT_FLOAT_EQ(BoxFraction(0.0f, 0.0f, 1.0f, 0.5f, w), 0.75f);         // x wall at z = 50
    EXPECT_FLOAT_EQ(BoxFraction(0.0f, 0.0f, 0.5f, -1.0f, w), 0.75f);        // z wall -100 at x = 50
    EXPECT_FLOAT_EQ(BoxFraction(0.0f, 0.0f, -0.5f, -1.0f, w), 0.25f);
    EXPECT_FLOAT_EQ(BoxFraction(0.0f, 0.0f, 0.0f, 0.00005f, w), 0.5f);      // below 1e-4 both: centre by x
}

TEST_F(ShadingTest, ReflectionSeesTheBoxWallBehindTheViewer) {
    Image environment(11, 11, false);
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 11; ++x) environment.SetPixel(x, y, 20 * x, 20 * y, 0, 255);
    }
    Scene s = FlatLit();
    s.mapped = 0;  // needs no texture coordinates
    Attach(s, 3, environment, 1.0f);
    UseFrame(50, 50, false);  // W = 50
    s.x = 25.0f, s.y = -15.0f;  // fractions 0.75 and 0.35: texel (7.5, 3.5) -> (7, 3)
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.b, 140.0f, kLevel);
    EXPECT_NEAR(out.g, 60.0f, kLevel);
    s.material.maps[kMapReflection].amount = 0.25f;
    EXPECT_NEAR(CallBuiltin(s).b, 0.75f * 0.6f * 255.0f + 0.25f * 140.0f, kLevel);
}

}  // namespace
}  // namespace shading_test
