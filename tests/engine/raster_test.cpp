// Properties of __RasterScene and __RasterSolid: depth, passes, modes, buffers, seams.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "scene_fixture.h"

namespace {

using fixture::Image;
using fixture::Scene;

class RasterTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture::ResetLibrary();
        __SetNewRenderOnePixel(fixture::SolidShade);
        fixture::g_solid[0] = 200, fixture::g_solid[1] = 100, fixture::g_solid[2] = 50, fixture::g_solid[3] = 1;
    }
    void TearDown() override { fixture::ResetLibrary(); }
};

// A square of two triangles sharing the diagonal, both front-facing, at depth z.
void AddSquare(Scene& scene, float x0, float y0, float x1, float y1, float z, std::uint16_t material = 0) {
    scene.Add(x0, y0, z, x1, y0, z, x1, y1, z, material);
    scene.Add(x0, y0, z, x1, y1, z, x0, y1, z, material);
}

TEST_F(RasterTest, FrontTrianglesOfTheSceneAreDrawnAndBackTrianglesAreNot) {
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        Image bg(20, 20, false, 0, 0, 0, 255), target = bg;
        Scene scene;
        AddSquare(scene, -5, -5, 5, 5, 0);
        // The same square wound the other way, shifted: a back face.
        scene.Add(-8, -8, 0, -2, -2, 0, -2, -8, 0);
        fixture::Raster(target, bg, scene, 10, 10);
        EXPECT_EQ(target.At(10, 10, 0), 200) << int(quality);
        EXPECT_EQ(target.At(10, 10, 3), 255);
        EXPECT_EQ(target.At(4, 3, 0), 0) << "back face drawn";
    }
}

TEST_F(RasterTest, UnknownModesLeaveTheTargetAsItWas) {
    for (int mode : {0, 4, 5, 7, 11, 200}) {
        __SetDrawMode(static_cast<BYTE>(mode));
        __SetDrawBackFaces(1);
        Image bg(16, 16, false, 10, 20, 30, 255), target = bg;
        Scene scene;
        AddSquare(scene, -6, -6, 6, 6, 0);
        // Mode 0 draws its outline in the background's inverse; a back-facing square shows none.
        if (mode == 0) std::swap(scene.triangles[0].v0, scene.triangles[0].v2);
        if (mode == 0) std::swap(scene.triangles[1].v0, scene.triangles[1].v2);
        fixture::Raster(target, bg, scene, 8, 8);
        EXPECT_TRUE(target == bg) << mode;
        EXPECT_EQ(_DrawBackFaces1, 0);
        EXPECT_EQ(__GetDrawBackFaces(), mode == 0 ? 0 : 1) << "only mode 0 clears the back-face switch";
    }
}

TEST_F(RasterTest, EqualDepthFailsAndGreaterDepthWins) {
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        fixture::g_solid[0] = 200;
        Image bg(20, 20, false, 0, 0, 0, 255), target = bg;
        std::vector<float> depth(20 * 20);
        std::memset(depth.data(), 0xFE, depth.size() * sizeof(float));
        __SetZBuff(depth.data(), 20, 20);
        Scene first, same, nearer;
        AddSquare(first, -6, -6, 6, 6, 5);
        AddSquare(same, -6, -6, 6, 6, 5);
        AddSquare(nearer, -3, -3, 3, 3, 6);
        fixture::Raster(target, bg, first, 10, 10);
        EXPECT_FLOAT_EQ(depth[10 * 20 + 10], 5.0f) << "a borrowed buffer of the call's size keeps the depths";
        fixture::g_solid[0] = 10;
        fixture::Raster(target, bg, same, 10, 10);
        EXPECT_EQ(target.At(10, 10, 0), 200) << "equal depth must fail, quality " << int(quality);
        fixture::Raster(target, bg, nearer, 10, 10);
        EXPECT_EQ(target.At(10, 10, 0), 10) << "greater depth wins";
        EXPECT_EQ(ZBuff, depth.data());
        __SetZBuff(nullptr, 0, 0);
    }
}

TEST_F(RasterTest, NearerTriangleWinsWhateverTheOrder) {
    for (BYTE quality : {0, 1}) {
        for (int order = 0; order < 2; ++order) {
            __SetQuality(quality);
            __SetNewRenderOnePixel(fixture::AttributeShade);
            Image bg(30, 30, false, 0, 0, 0, 255), target = bg, alone = bg;
            Scene scene, near;
            AddSquare(near, -6, -6, 6, 6, 20);
            if (order == 0) {
                AddSquare(scene, -10, -10, 10, 10, 0);
                AddSquare(scene, -6, -6, 6, 6, 20);
            } else {
                AddSquare(scene, -6, -6, 6, 6, 20);
                AddSquare(scene, -10, -10, 10, 10, 0);
            }
            fixture::Raster(target, bg, scene, 15, 15);
            fixture::Raster(alone, bg, near, 15, 15);
            for (int y = 10; y <= 19; ++y) {
                for (int x = 10; x <= 19; ++x) {
                    for (int k = 0; k < 3; ++k) {
                        ASSERT_EQ(target.At(x, y, k), alone.At(x, y, k))
                            << "quality " << int(quality) << " order " << order << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST_F(RasterTest, AdjacentTrianglesOfOneColourLeaveNoSeam) {
    for (BYTE deep : {0, 1}) {
        for (int background : {0, 1}) {
            __SetDeep(deep);
            __SetDrawMode(6);
            const int full = deep ? 32768 : 255;
            fixture::g_solid[0] = full * 0.8f, fixture::g_solid[1] = full * 0.4f, fixture::g_solid[2] = full * 0.2f;
            Image bg(40, 40, deep, full / 10, full / 10, full / 10, background ? full : 0), target = bg;
            Scene scene;
            // Shared edges at several slopes: a fan around the centre.
            scene.Add(0.3f, 0.2f, 0, 14.7f, -3.1f, 0, 12.2f, 9.6f, 0);
            scene.Add(0.3f, 0.2f, 0, 12.2f, 9.6f, 0, -4.4f, 15.3f, 0);
            scene.Add(0.3f, 0.2f, 0, -4.4f, 15.3f, 0, -13.9f, -1.7f, 0);
            scene.Add(0.3f, 0.2f, 0, -13.9f, -1.7f, 0, 14.7f, -3.1f, 0);
            fixture::Raster(target, bg, scene, 20, 20);
            int expected[3] = {static_cast<int>(full * 0.8f), static_cast<int>(full * 0.4f),
                               static_cast<int>(full * 0.2f)};
            // Every pixel more than 2 pixels inside the fan's outline carries exactly the colour.
            const float outline[4][2] = {{14.7f, -3.1f}, {12.2f, 9.6f}, {-4.4f, 15.3f}, {-13.9f, -1.7f}};
            int checked = 0;
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 40; ++x) {
                    float px = x - 20.0f, py = y - 20.0f;
                    bool inside = true;
                    for (int i = 0; i < 4; ++i) {
                        const float* a = outline[i];
                        const float* b = outline[(i + 1) % 4];
                        float nx = b[1] - a[1], ny = -(b[0] - a[0]);
                        float s = (nx * (px - a[0]) + ny * (py - a[1])) / std::sqrt(nx * nx + ny * ny);
                        if (!(s < -2.0f)) inside = false;
                    }
                    if (!inside) continue;
                    ++checked;
                    for (int k = 0; k < 3; ++k) {
                        ASSERT_EQ(target.At(x, y, k), expected[k]) << "seam at " << x << "," << y << " deep "
                                                                   << int(deep) << " bg " << background;
                    }
                    ASSERT_EQ(target.At(x, y, 3), full);
                }
            }
            EXPECT_GT(checked, 150);
        }
    }
}

TEST_F(RasterTest, BackFacesAreDrawnFirstAndFrontFacesOverThem) {
    __SetDrawBackFaces(1);
    __SetQuality(0);
    Image bg(20, 20, false, 0, 0, 0, 255), target = bg;
    Scene scene;
    // A front face behind a back face: in one pass the back face (nearer) would hide it, but the
    // front pass runs on a fresh depth buffer and draws over.
    AddSquare(scene, -5, -5, 5, 5, 0, 0);
    scene.Add(-5, -5, 10, 5, 5, 10, 5, -5, 10, 2);  // back-facing, nearer
    __SetNewRenderOnePixel([](float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds* t, material3ds*, int,
                              float& r, float& g, float& b, __Point*, BYTE, float, float, __Texture*, int, light3ds*,
                              __PrevInfo*, GlassProp*, float, float, float, float) -> float {
        r = t->material == 2 ? 255.0f : 0.0f;
        g = _DrawBackFaces1 ? 255.0f : 0.0f;
        b = 77;
        return 1.0f;
    });
    fixture::Raster(target, bg, scene, 10, 10);
    EXPECT_EQ(target.At(12, 8, 0), 0) << "front face drawn over the back face";
    EXPECT_EQ(target.At(12, 8, 1), 0) << "drawn in the front pass";
    EXPECT_EQ(target.At(12, 8, 2), 77);
    EXPECT_EQ(_DrawBackFaces1, 0);
    EXPECT_EQ(__GetDrawBackFaces(), 1);

    // Without the front face, the back face shows from the back-face pass.
    Image alone = bg;
    Scene back;
    back.Add(-5, -5, 10, 5, 5, 10, 5, -5, 10, 2);
    fixture::Raster(alone, bg, back, 10, 10);
    EXPECT_EQ(alone.At(12, 8, 0), 255);
    EXPECT_EQ(alone.At(12, 8, 1), 255);
}

TEST_F(RasterTest, BorrowedDepthBufferOfAnotherSizeIsReplacedForTheCall) {
    float* borrowed = static_cast<float*>(platform::AllocPages(10 * 10 * sizeof(float)));
    __SetZBuff(borrowed, 10, 10);
    Image bg(24, 18, false, 0, 0, 0, 255), target = bg;
    Scene scene;
    AddSquare(scene, -5, -5, 5, 5, 0);
    fixture::Raster(target, bg, scene, 12, 9);
    EXPECT_EQ(target.At(12, 9, 0), 200);
    EXPECT_EQ(ZBuff, nullptr) << "the call's own buffer is released at the end";
    EXPECT_EQ(Zwidth, 24);
    EXPECT_EQ(Zheight, 18);
}

TEST_F(RasterTest, PartialOpacityBlendsOverTheTarget) {
    __SetQuality(0);
    fixture::g_solid[3] = 0.5f;
    Image bg(16, 16, false, 100, 100, 100, 255), target = bg;
    Scene scene;
    AddSquare(scene, -5, -5, 5, 5, 0);
    fixture::Raster(target, bg, scene, 8, 8);
    EXPECT_EQ(target.At(8, 8, 0), 150);  // 100 + (200 - 100) * 0.5
    EXPECT_EQ(target.At(8, 8, 1), 100);
    EXPECT_EQ(target.At(8, 8, 2), 75);
    EXPECT_EQ(target.At(8, 8, 3), 255);
    // Over a transparent pixel the colour is taken as it is, the coverage from the opacity.
    Image clear(16, 16, false, 0, 0, 0, 0), onClear = clear;
    fixture::Raster(onClear, clear, scene, 8, 8);
    EXPECT_EQ(onClear.At(8, 8, 0), 200);
    EXPECT_EQ(onClear.At(8, 8, 3), 127);
}

TEST_F(RasterTest, EdgesAreSmoothWithQualityAndHardWithout) {
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        Image bg(30, 30, false, 0, 0, 0, 255), target = bg;
        Scene scene;
        scene.Add(-10, -10, 0, 10, -10, 0, 10, 8, 0);  // a slanted edge
        fixture::Raster(target, bg, scene, 15, 15);
        int partial = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x) {
                int r = target.At(x, y, 0);
                if (r != 0 && r != 200) ++partial;
            }
        }
        if (quality) {
            EXPECT_GT(partial, 10);
        } else {
            EXPECT_EQ(partial, 0);
        }
    }
}

TEST_F(RasterTest, SolidFillIgnoresDepthAndClampsTheColour) {
    __SetQuality(0);
    std::vector<float> depth(16 * 16, 1e30f);
    __SetZBuff(depth.data(), 16, 16);
    Image target(16, 16, false, 0, 0, 0, 255);
    Scene scene;
    AddSquare(scene, -5, -5, 5, 5, 0);
    __RasterSolid(target.data(), 16, 16, 64, 0, scene.Count(), scene.triangles.data(), scene.points.data(), 8, 8,
                  300.0f, -20.0f, 128.0f, 1.0f);
    EXPECT_EQ(target.At(8, 8, 0), 255);
    EXPECT_EQ(target.At(8, 8, 1), 0);
    EXPECT_EQ(target.At(8, 8, 2), 128);
    EXPECT_FLOAT_EQ(depth[8 * 16 + 8], 1e30f) << "solid fills never write depth";
    // Back faces are filled too (no orientation test).
    Image back(16, 16, false, 0, 0, 0, 255);
    Scene reversed;
    reversed.Add(-5, -5, 0, 5, 5, 0, 5, -5, 0);
    __RasterSolid(back.data(), 16, 16, 64, 0, 1, reversed.triangles.data(), reversed.points.data(), 8, 8, 9, 9, 9,
                  1.0f);
    EXPECT_EQ(back.At(11, 6, 0), 9);
    __SetZBuff(nullptr, 0, 0);
}

TEST_F(RasterTest, TheShadingSeesSceneCoordinatesAndThePreviousPixel) {
    __SetQuality(0);
    __SetDrawMode(3);
    static std::vector<std::array<float, 6>> calls;
    calls.clear();
    __SetNewRenderOnePixel([](float ox, float oy, BYTE*, BYTE*, float x, float y, float z, __Triangle3ds*,
                              material3ds*, int, float& r, float& g, float& b, __Point* n, BYTE, float, float,
                              __Texture*, int, light3ds*, __PrevInfo* previous, GlassProp*, float, float, float,
                              float) -> float {
        calls.push_back({x, y, z, n->z, previous != nullptr && previous->valid ? previous->x : -1000.0f, ox + oy});
        r = g = b = 0;
        return 1.0f;
    });
    Image bg(20, 20, false, 0, 0, 0, 255), target = bg;
    Scene scene;
    scene.Add(-4, -4, 7, 4, 4, 7, -4, 4, 7);
    fixture::Raster(target, bg, scene, 10, 9);
    ASSERT_FALSE(calls.empty());
    for (const auto& c : calls) {
        EXPECT_FLOAT_EQ(c[2], 7.0f);     // depth on the plane
        EXPECT_FLOAT_EQ(c[3], 1.0f);     // face normal turned towards the viewer
        EXPECT_FLOAT_EQ(c[5], 19.0f);    // origin
        if (c[4] != -1000.0f) {
            EXPECT_FLOAT_EQ(c[4], c[0] - 1);  // previous pixel on the row
        }
        EXPECT_GE(c[0], -4.0f);
        EXPECT_LE(c[1], 4.0f);
    }
}

}  // namespace
