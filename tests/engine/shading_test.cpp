// The built-in per-pixel shading, called directly with hand-built records: lighting, material,
// normal handling, the plan cache, and robustness against degenerate records.
#include <cmath>
#include <limits>

#include "tests/engine/shading_fixture.h"

namespace shading_test {
namespace {

constexpr float kLevel = 0.02f;  // tolerance on outputs in 8-bit sample units

// ---- Lights ---------------------------------------------------------------------------------------

TEST_F(ShadingTest, NoLightsAndNoDefaultLightGiveBlackAtTheMaterialOpacity) {
    Scene s;
    s.material.transparency = -0.25f;
    for (BYTE quality : {0, 1}) {
        _Quality = quality;
        const Shaded out = CallBuiltin(s);
        EXPECT_EQ(out.r, 0.0f);
        EXPECT_EQ(out.g, 0.0f);
        EXPECT_EQ(out.b, 0.0f);
        EXPECT_FLOAT_EQ(out.a, 0.75f);
    }
}

TEST_F(ShadingTest, NoLightsUsesTheDefaultLight) {
    Scene s;
    s.defaultLight = {};
    s.defaultLight.z = 1000.0f, s.defaultLight.r = s.defaultLight.g = s.defaultLight.b = 1.0f;
    s.defaultLight.multiplier = 1.0f;
    trivane::g_state.defaultLight = &s.defaultLight;
    s.material.shinStrength = 0.0f;
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 0.6f * 255.0f, kLevel);
    EXPECT_FLOAT_EQ(out.a, 1.0f);
}

TEST_F(ShadingTest, LightFacingTheSurfaceGivesDiffusePlusHighlight) {
    Scene s;
    s.FrontLight();
    s.material.diffuse[0] = 0.2f, s.material.diffuse[1] = 0.4f, s.material.diffuse[2] = 0.1f;
    s.material.shinStrength = 0.25f;
    s.material.specular[2] = 0.0f;
    const Shaded out = CallBuiltin(s);  // d = 1: spec = strength
    EXPECT_NEAR(out.r, (0.2f + 0.25f) * 255.0f, kLevel);
    EXPECT_NEAR(out.g, (0.4f + 0.25f) * 255.0f, kLevel);
    EXPECT_NEAR(out.b, 0.1f * 255.0f, kLevel);
}

TEST_F(ShadingTest, LightsAddUpAndOutputsClampAtFullScale) {
    Scene s;
    s.FrontLight().FrontLight();
    s.material.shinStrength = 0.0f;
    s.material.diffuse[0] = 0.3f, s.material.diffuse[1] = 0.7f;
    s.lights[1].r = 0.5f;
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 0.3f * 1.5f * 255.0f, kLevel);
    EXPECT_FLOAT_EQ(out.g, 255.0f);  // 1.4 clamped
}

TEST_F(ShadingTest, MultiplierScalesTheDiffuseAndHighlightTerm) {
    Scene s;
    s.FrontLight();
    s.lights[0].multiplier = 0.5f;
    s.material.shininess = 0.02f;  // exponent 2
    s.material.shinStrength = 1.0f;
    s.material.specular[0] = 0.0f;
    s.material.diffuse[1] = 0.0f;
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 0.5f * 0.6f * 255.0f, kLevel);
    EXPECT_NEAR(out.g, 0.25f * 255.0f, kLevel);
}

// ---- Self-illumination and lights behind the surface ------------------------------------------------

TEST_F(ShadingTest, SelfIlluminationOneLightsFullyWhateverTheLightDirection) {
    for (float lightZ : {100000.0f, -100000.0f}) {
        Scene s;
        s.FrontLight();
        s.lights[0].z = lightZ;
        s.material.selfIllum = 1.0f;
        s.material.shinStrength = 0.5f;
        const Shaded out = CallBuiltin(s);
        const float highlight = lightZ > 0 ? 0.5f : 0.0f;  // still follows d
        EXPECT_NEAR(out.r, std::fmin(0.6f + highlight, 1.0f) * 255.0f, kLevel) << lightZ;
    }
}

TEST_F(ShadingTest, LightBehindTheSurfaceGivesOnlyTheSelfIlluminatedShare) {
    Scene s;
    s.FrontLight();
    s.lights[0].z = -100000.0f;
    s.lights[0].g = 0.5f;
    s.material.selfIllum = 0.25f;
    s.material.shininess = 0.0f;  // exponent 0 would give 1 for any d; behind the surface: none
    s.material.shinStrength = 1.0f;
    const Shaded out = CallBuiltin(s);
    EXPECT_NEAR(out.r, 0.25f * 0.6f * 255.0f, kLevel);
    EXPECT_NEAR(out.g, 0.25f * 0.6f * 0.5f * 255.0f, kLevel);
}

// ---- Material -------------------------------------------------------------------------------------

TEST_F(ShadingTest, InvalidMaterialUsesTheDefaults) {
    for (int count : {0, 1}) {
        Scene s;
        s.FrontLight();
        s.materialCount = count;
        s.triangle.material = 3;  // not below the count
        s.lights[0].multiplier = 0.5f;  // d = 0.5: highlight 0.5^150 * 10 is nothing
        const Shaded out = CallBuiltin(s);
        EXPECT_NEAR(out.r, 0.5f * 0.5f * 255.0f, kLevel) << count;
        EXPECT_FLOAT_EQ(out.a, 1.0f);
    }
}

TEST_F(ShadingTest, TransparencyIsStoredNegatedAndClamped) {
    const float cases[][2] = {{-0.3f, 0.7f}, {0.4f, 1.0f}, {-2.0f, 0.0f}};
    for (const auto& c : cases) {
        Scene s;
        s.FrontLight();
        s.material.transparency = c[0];
        EXPECT_FLOAT_EQ(CallBuiltin(s).a, c[1]) << c[0];
    }
}

TEST_F(ShadingTest, SixteenBitOutputsScaleTo32768) {
    UseFrame(16, 16, true);
    Scene s;
    s.FrontLight();
    s.material.shinStrength = 0.0f;
    EXPECT_NEAR(CallBuiltin(s).r, 0.6f * 32768.0f, 0.1f);
}

// ---- Normal ---------------------------------------------------------------------------------------

// The red output of a surface lit from the +x side, for a given normal and switches.
float LitFromTheSide(__Point normal) {
    Scene s;
    s.FrontLight();
    s.lights[0].x = 100000.0f, s.lights[0].z = 100000.0f;
    s.material.shinStrength = 0.0f;
    s.normal = normal;
    return CallBuiltin(s).r;
}

TEST_F(ShadingTest, NormalLengthDoesNotMatter) {
    EXPECT_NEAR(LitFromTheSide({0.0f, 0.0f, 7.0f}), LitFromTheSide({0.0f, 0.0f, 0.01f}), kLevel);
}

TEST_F(ShadingTest, DoubleSidedTurnsOnlyTheZComponentTowardsTheViewer) {
    const float reference = LitFromTheSide({0.6f, 0.0f, 0.8f});
    _DubleSide = 1;
    EXPECT_NEAR(LitFromTheSide({0.6f, 0.0f, -0.8f}), reference, kLevel);
    EXPECT_GT(std::fabs(LitFromTheSide({-0.6f, 0.0f, -0.8f}) - reference), 10.0f);
}

TEST_F(ShadingTest, BackFacePassNegatesTheWholeNormal) {
    const float reference = LitFromTheSide({0.6f, 0.0f, 0.8f});
    _DrawBackFaces = 1, _DrawBackFaces1 = 1;
    EXPECT_NEAR(LitFromTheSide({-0.6f, 0.0f, -0.8f}), reference, kLevel);
}

TEST_F(ShadingTest, ZeroAndNaNNormalsGiveFiniteColours) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (__Point n : {__Point{0, 0, 0}, __Point{nan, 0, 1}, __Point{1e30f, 1e30f, 1e30f}}) {
        Scene s;
        s.FrontLight();
        s.normal = n;
        const Shaded out = CallBuiltin(s);
        for (float c : {out.r, out.g, out.b}) {
            EXPECT_TRUE(c >= 0.0f && c <= 255.0f) << c;
        }
        EXPECT_TRUE(out.a >= 0.0f && out.a <= 1.0f);
    }
}

// ---- Plan cache -------------------------------------------------------------------------------------

TEST_F(ShadingTest, InterleavedMaterialsEachKeepTheirOwnColour) {
    material3ds materials[2];
    Scene s;
    s.FrontLight();
    s.material.shinStrength = 0.0f;
    materials[0] = s.material;
    materials[1] = s.material;
    materials[1].diffuse[0] = 0.2f;
    light3ds light = s.lights[0];
    __Point normal{0, 0, 1};
    trivane::shading::BeginShadingCall();
    for (int round = 0; round < 3; ++round) {
        for (std::uint16_t m : {0, 1, 0}) {
            __Triangle3ds triangle{0, 1, 2, 0, m};
            float r, g, b;
            trivane::RenderOnePixelBuiltin(8, 8, nullptr, nullptr, 0, 0, 0, &triangle, materials, 2, r, g, b, &normal,
                                           0, 0, 0, nullptr, 1, &light, nullptr, nullptr, 0, 0, 1, 0);
            EXPECT_NEAR(r, materials[m].diffuse[0] * 255.0f, kLevel);
        }
    }
}

TEST_F(ShadingTest, ANewCallSeesChangedRecordsAndSwitches) {
    Scene s;
    s.FrontLight();
    s.material.shinStrength = 0.0f;
    EXPECT_NEAR(CallBuiltin(s).r, 0.6f * 255.0f, kLevel);
    s.material.diffuse[0] = 0.1f;  // same addresses, new values
    EXPECT_NEAR(CallBuiltin(s).r, 0.1f * 255.0f, kLevel);
    UseFrame(16, 16, true);
    EXPECT_NEAR(CallBuiltin(s).r, 0.1f * 32768.0f, 0.1f);
}

// ---- Specular power -----------------------------------------------------------------------------------

TEST(ShadingMath, FastPowFollowsThePowerWithinAMillionth) {
    using trivane::shading::FastPow;
    for (float exponent : {0.0f, 0.5f, 1.0f, 2.0f, 37.5f, 150.0f, 1000.0f}) {
        for (float base = 0.001f; base < 3.0f; base *= 1.0137f) {
            const double expected = std::pow(static_cast<double>(base), static_cast<double>(exponent));
            const float got = FastPow(base, exponent);
            if (expected < 1e-18) {
                EXPECT_LT(got, 1e-17f);
            } else if (expected > 1e30) {
                EXPECT_GT(got, 1e29f);
            } else {
                EXPECT_NEAR(got / expected, 1.0, 1e-6) << base << "^" << exponent;
            }
        }
    }
    EXPECT_EQ(FastPow(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(FastPow(-1.0f, 2.0f), 0.0f);
}

TEST(ShadingMath, PowThresholdNeverDropsAVisibleHighlight) {
    using trivane::shading::FastPow;
    using trivane::shading::FastPowThreshold;
    for (float exponent : {0.5f, 1.0f, 150.0f, 5000.0f}) {
        const float t = FastPowThreshold(exponent);
        EXPECT_GT(t, 0.0f);
        EXPECT_LT(FastPow(t, exponent), 2e-18f);  // at most about 2^-60 is lost
    }
    EXPECT_EQ(FastPowThreshold(0.0f), 0.0f);
}

TEST(ShadingMath, WrapKeepsCoordinatesInsideTheTexture) {
    using trivane::shading::WrapTexel;
    EXPECT_FLOAT_EQ(WrapTexel(3.0f, 4), 3.0f);
    EXPECT_FLOAT_EQ(WrapTexel(4.0f, 4), 0.0f);
    EXPECT_FLOAT_EQ(WrapTexel(-0.5f, 4), 3.5f);
    EXPECT_FLOAT_EQ(WrapTexel(-1e-9f, 4), 3.0f);  // reaches the size: last texel
    for (float t : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        const float r = WrapTexel(t, 3);
        EXPECT_TRUE(r >= 0.0f && r < 3.0f) << t;
    }
}

}  // namespace
}  // namespace shading_test
