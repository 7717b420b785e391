// Faults found by probing the built library with hostile input: writes past the image when the
// depth changes between calls, conversions of NaN, highlights lost to tiny exponents, triangles
// and patches dropped or drawn with holes when they reach far beyond the image, back faces let
// through where they do not belong.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/platform.h"
#include "scene_fixture.h"

namespace {

using fixture::Image;
using fixture::Scene;

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override { fixture::ResetLibrary(); }
    void TearDown() override { fixture::ResetLibrary(); }
};

// An image buffer followed by guard bytes that no call may touch.
struct Guarded {
    static constexpr std::size_t kGuard = 4096;
    std::vector<BYTE> bytes;
    std::size_t imageBytes;
    explicit Guarded(std::size_t image) : bytes(image + kGuard, 0), imageBytes(image) {
        std::memset(bytes.data() + image, 0xA5, kGuard);
    }
    BYTE* data() { return bytes.data(); }
    bool GuardIntact() const {
        for (std::size_t i = imageBytes; i < bytes.size(); ++i) {
            if (bytes[i] != 0xA5) return false;
        }
        return true;
    }
    int Sample16(int x, int y, int channel, int width) const {
        std::uint16_t s;
        std::memcpy(&s, bytes.data() + ((static_cast<std::size_t>(y) * width + x) * 4 + channel) * 2, 2);
        return s;
    }
};

// ---- The outline after a change of depth ----------------------------------------------------------

TEST_F(HostileInput, LineColorFollowsTheDepthOfItsOwnCall) {
    Scene scene;
    scene.Add(-30, -30, 0, 30, -30, 0, 30, 30, 0);  // front-facing, edges through the image
    __SetQuality(0);

    // 16-bit drawing call, then an 8-bit outline: 8-bit samples, nothing past the image.
    Guarded solid(64 * 64 * 8);
    __SetDeep(1);
    __RasterSolid(solid.data(), 64, 64, 256, 0, scene.Count(), scene.triangles.data(), scene.points.data(), 32, 32,
                  100, 100, 100, 1);
    __SetDeep(0);
    Guarded narrow(64 * 64 * 4);
    __DrawScenesLineColor(1, 10, 20, 255, narrow.data(), nullptr, 64, 64, 0, scene.Count(), scene.triangles.data(),
                          scene.points.data(), 32, 32);
    EXPECT_TRUE(narrow.GuardIntact());
    const BYTE* onEdge = narrow.data() + (2 * 64 + 40) * 4;  // (40, 2) lies on the edge y = -30
    EXPECT_EQ(onEdge[0], 10);
    EXPECT_EQ(onEdge[2], 255);
    EXPECT_EQ(onEdge[3], 255);

    // 8-bit drawing call, then a 16-bit outline: 16-bit samples at full scale 32768.
    Guarded eight(64 * 64 * 4);
    __RasterSolid(eight.data(), 64, 64, 256, 0, scene.Count(), scene.triangles.data(), scene.points.data(), 32, 32,
                  100, 100, 100, 1);
    __SetDeep(1);
    Guarded wide(64 * 64 * 8);
    __DrawScenesLineColor(1, 10, 20, 40000, wide.data(), nullptr, 64, 64, 0, scene.Count(), scene.triangles.data(),
                          scene.points.data(), 32, 32);
    EXPECT_TRUE(wide.GuardIntact());
    EXPECT_EQ(wide.Sample16(40, 2, 0, 64), 10);
    EXPECT_EQ(wide.Sample16(40, 2, 2, 64), 32768);
    EXPECT_EQ(wide.Sample16(40, 2, 3, 64), 32768);
    EXPECT_EQ(wide.Sample16(41, 2, 3, 64), 32768) << "pixels of 8 bytes, not 4";
}

// ---- Non-finite vertices in mode 0 ------------------------------------------------------------

TEST_F(HostileInput, RoughSkipsEdgesWithNonFiniteEndsAndDrawsTheOthers) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (float bad : {nan, inf, -inf}) {
        fixture::ResetLibrary();
        __SetDrawMode(0);
        Image bg(20, 20, false, 0, 0, 0, 0), target = bg;
        Scene scene;
        scene.Add(-8, -8, 0, 8, -8, 0, 8, 8, 0);
        scene.Add(-8, 5, 0, bad, 5, 0, 0, 9, 0);
        scene.points[4].y = bad;
        fixture::Raster(target, bg, scene, 10, 10);
        EXPECT_EQ(target.At(12, 2, 3), 255) << "the finite triangle's edge y = -8";
        EXPECT_EQ(target.At(5, 15, 3), 0) << "no edge towards the non-finite vertex";
    }
}

// ---- Tiny specular exponents ------------------------------------------------------------------------

TEST_F(HostileInput, TinyShininessKeepsTheHighlight) {
    // d = 0.9 (a light straight in front, multiplier 0.9), strength 1, no diffuse colour: the
    // highlight is 0.9^exponent, almost 1 for an exponent near 0.
    for (float shininess : {0.05f, 0.0005f, 1e-7f, 1e-10f, 1e-30f}) {
        for (BYTE quality : {0, 1}) {
            fixture::ResetLibrary();
            __SetQuality(quality);
            Image bg(8, 8, false, 0, 0, 0, 0), target = bg;
            Scene scene;
            scene.Add(-20, -20, 0, 20, -20, 0, 20, 20, 0);
            scene.Add(-20, -20, 0, 20, 20, 0, -20, 20, 0);
            material3ds material{};
            material.specular[0] = material.specular[1] = material.specular[2] = 1;
            material.shininess = shininess;
            material.shinStrength = 1;
            std::vector<__Texture> textures(4, __Texture{});
            light3ds light{};
            light.z = 1e6f, light.r = light.g = light.b = 1, light.multiplier = 0.9f;
            __RasterScene(target.data(), bg.data(), 8, 8, 32, 0, scene.Count(), scene.triangles.data(),
                          scene.points.data(), 4, 4, 1, &material, textures.data(), 1, &light, nullptr);
            const double expected = 255.0 * std::pow(0.9, shininess * 100.0);
            EXPECT_NEAR(target.At(4, 4, 0), expected, 1.5) << "shininess " << shininess;
        }
    }
}

// ---- Triangles and patches far larger than the image ---------------------------------------------

// Pixels of a width x height image whose coverage is full.
int Covered(const Image& image) {
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) count += image.At(x, y, 3) == 255 ? 1 : 0;
    }
    return count;
}

// A flat equilateral triangle around the image centre with circumradius r, facing the viewer.
Scene Equilateral(float r, float z = 0) {
    Scene scene;
    const float c = 0.8660254f * r;
    scene.Add(0, -r, z, c, r / 2, z, -c, r / 2, z);
    return scene;
}

TEST_F(HostileInput, CurvedModesCoverEveryPixelOfPatchesLargerThanTheImage) {
    for (float radius : {150.0f, 600.0f, 5000.0f}) {
        for (BYTE quality : {0, 1}) {
            fixture::ResetLibrary();
            __SetDrawMode(9);
            __SetQuality(quality);
            __SetNewRenderOnePixel(fixture::SolidShade);
            Image bg(200, 200, false, 0, 0, 0, 0), target = bg;
            Scene scene = Equilateral(radius);
            fixture::Raster(target, bg, scene, 100, 100);
            const int inside = radius == 150.0f ? 0 : 40000;  // the small one leaves the corners
            if (inside > 0) {
                EXPECT_EQ(Covered(target), inside) << "mode 9, radius " << radius;
            } else {
                EXPECT_GT(Covered(target), 20000) << "mode 9, radius " << radius;
            }

            // Mode 10 puts the background back wherever a flat patch faces the viewer.
            fixture::ResetLibrary();
            __SetDrawMode(10);
            Image canvas(200, 200, false, 9, 9, 9, 9);
            fixture::Raster(canvas, bg, scene, 100, 100);
            int restored = 0;
            for (int y = 0; y < 200; ++y) {
                for (int x = 0; x < 200; ++x) restored += canvas.At(x, y, 3) == 0 ? 1 : 0;
            }
            if (inside > 0) {
                EXPECT_EQ(restored, inside) << "mode 10, radius " << radius;
            }
        }
    }
}

TEST_F(HostileInput, FilledModesClipTrianglesReachingFarBeyondTheImage) {
    // A triangle over the whole 200 x 200 image with a vertex 3 million pixels away.
    Scene scene;
    scene.Add(-300, -300, 5, 3e6f, 0, 5, -300, 300, 5);
    for (int mode : {3, 6, 8, 9}) {
        for (BYTE quality : {0, 1}) {
            fixture::ResetLibrary();
            __SetDrawMode(static_cast<BYTE>(mode));
            __SetQuality(quality);
            __SetNewRenderOnePixel(fixture::SolidShade);
            Image bg(200, 200, false, 0, 0, 0, 0), target = bg;
            fixture::Raster(target, bg, scene, 100, 100);
            EXPECT_EQ(Covered(target), 40000) << "mode " << mode << " quality " << int(quality);
        }
    }
    for (BYTE quality : {0, 1}) {
        fixture::ResetLibrary();
        __SetQuality(quality);
        Image target(200, 200, false, 0, 0, 0, 0);
        __RasterSolid(target.data(), 200, 200, 800, 0, scene.Count(), scene.triangles.data(), scene.points.data(),
                      100, 100, 10, 20, 30, 1);
        EXPECT_EQ(Covered(target), 40000) << "solid, quality " << int(quality);
    }
    // Its depths near the image are those of its plane: a nearer triangle drawn before still hides it.
    fixture::ResetLibrary();
    __SetNewRenderOnePixel(fixture::SolidShade);
    float* depth = static_cast<float*>(platform::AllocPages(200 * 200 * sizeof(float)));
    ASSERT_NE(depth, nullptr);
    std::memset(depth, 0xFE, 200 * 200 * sizeof(float));
    __SetZBuff(depth, 200, 200);
    Image bg(200, 200, false, 0, 0, 0, 0), target = bg;
    Scene nearer;
    nearer.Add(-50, -50, 6, 50, 0, 6, -50, 50, 6);
    fixture::g_solid[0] = 200;
    fixture::Raster(target, bg, nearer, 100, 100);
    fixture::g_solid[0] = 50;
    fixture::Raster(target, bg, scene, 100, 100);
    fixture::g_solid[0] = 200;
    EXPECT_EQ(target.At(100, 100, 0), 200);
    EXPECT_EQ(target.At(10, 10, 0), 50);
    __SetZBuff(nullptr, 0, 0);
    platform::FreePages(depth);
}

TEST_F(HostileInput, CurvedModesDrawPatchesFarAlongTheDepthAxis) {
    const float z = 3e6f;
    for (int mode : {2, 9, 10}) {
        fixture::ResetLibrary();
        __SetDrawMode(static_cast<BYTE>(mode));
        __SetNewRenderOnePixel(fixture::SolidShade);
        Image bg(100, 100, false, 0, 0, 0, 0), target(100, 100, false, 9, 9, 9, 9);
        Scene scene;
        scene.Add(-30, -30, z, 30, -30, z, 30, 30, z);
        fixture::Raster(target, bg, scene, 50, 50);
        const int y = mode == 2 ? 20 : 30;  // on the edge y = -30 for the wire, inside for 9 and 10
        EXPECT_NE(target.At(60, y, 3), 9) << "mode " << mode;
    }
}

// ---- Back faces of the outline modes -------------------------------------------------------------

TEST_F(HostileInput, OutlineModesDrawNoBackFacesWhateverTheRefractionSetting) {
    for (int mode : {0, 1}) {
        for (BYTE quality : {0, 1}) {
            fixture::ResetLibrary();
            __SetDrawMode(static_cast<BYTE>(mode));
            __SetQuality(quality);
            __SetUseMultyRefract(2);
            __SetNewRenderOnePixel(fixture::SolidShade);
            Image bg(20, 20, false, 0, 0, 0, 0), target = bg;
            Scene scene;
            scene.Add(-8, -8, 0, 8, 8, 0, 8, -8, 0);  // N.z < 0: a back face
            fixture::Raster(target, bg, scene, 10, 10);
            EXPECT_TRUE(target == bg) << "mode " << mode << " quality " << int(quality);
        }
    }
}

}  // namespace
