// The built-in shading at the limits of its numbers: texture sides too long for float texel
// coordinates to keep a fraction, and specular exponents near zero.
#include <cmath>
#include <limits>

#include "platform/platform.h"
#include "tests/engine/shading_fixture.h"

namespace shading_test {
namespace {

TEST(ShadingLimits, WrappedTexelsOfLongSidesStayInsideTheTexture) {
    using trivane::shading::WrapTexel;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int size : {(1 << 24) - 1, 1 << 24, (1 << 24) + 1, 1 << 25, (1 << 25) + 3, 1 << 30, 0x7FFFFFFF}) {
        for (float t : {-1e-9f, -1e-3f, -0.5f, nan, static_cast<float>(size), 3e9f, -3e9f}) {
            const float r = WrapTexel(t, size);
            EXPECT_GE(r, 0.0f) << t << " in " << size;
            EXPECT_LT(static_cast<long long>(r), size) << t << " in " << size;
        }
    }
    EXPECT_FLOAT_EQ(WrapTexel(-1e-9f, 4), 3.0f);  // short sides keep their last texel exactly
}

TEST_F(ShadingTest, TexturesWithSidesOf2To25TexelsReadTheirOwnTexels) {
    // One row of 2^25 texels, followed by one more that belongs to no texture: a coordinate that
    // wraps to the size itself would read it.
    constexpr int kSize = 1 << 25;
    BYTE* texels = static_cast<BYTE*>(platform::AllocPages((static_cast<std::size_t>(kSize) + 1) * 4));
    ASSERT_NE(texels, nullptr);
    // The last texels red (float texel coordinates this far out step by 2).
    for (int i = kSize - 4; i < kSize; ++i) {
        BYTE* texel = texels + static_cast<std::size_t>(i) * 4;
        texel[0] = 0, texel[1] = 0, texel[2] = 255, texel[3] = 255;
    }
    BYTE* beyond = texels + static_cast<std::size_t>(kSize) * 4;
    beyond[0] = 255, beyond[1] = 255, beyond[2] = 0, beyond[3] = 255;
    for (BYTE quality : {0, 1}) {
        _Quality = quality;
        for (float u : {-1e-9f, std::numeric_limits<float>::quiet_NaN()}) {
            Scene s;
            s.FrontLight();
            s.material.shinStrength = 0.0f;
            s.material.maps[kMapTexture].amount = 1.0f;
            s.textures[0] = __Texture{1, kSize, 1, texels, 0};
            s.mapped = 1;
            s.u = u, s.v = 0.0f;
            const Shaded out = CallBuiltin(s);
            EXPECT_LT(out.b, 1.0f) << "u " << u << " quality " << int(quality);
            EXPECT_GT(out.r, 254.0f) << "u " << u << " quality " << int(quality);
        }
    }
    platform::FreePages(texels);
}

TEST(ShadingLimits, PowThresholdOfTinyExponentsLetsEveryPowerThrough) {
    using trivane::shading::FastPow;
    using trivane::shading::FastPowThreshold;
    for (float exponent : {0.06f, 0.05f, 0.01f, 1e-5f, 3e-8f, 1e-8f, 1e-20f, 1e-38f, 1e-45f}) {
        EXPECT_LT(FastPowThreshold(exponent), 1e-30f) << exponent;
        EXPECT_NEAR(FastPow(0.9f, exponent), std::pow(0.9, static_cast<double>(exponent)), 1e-6) << exponent;
    }
}

}  // namespace
}  // namespace shading_test
