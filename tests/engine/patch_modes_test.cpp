// Properties of the curved-patch modes 8, 9 and 10, and bad input in every non-filled mode.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "scene_fixture.h"

namespace {

using fixture::Image;
using fixture::Scene;

class PatchModes : public ::testing::Test {
protected:
    void SetUp() override {
        fixture::ResetLibrary();
        __SetNewRenderOnePixel(fixture::SolidShade);
        fixture::g_solid[0] = 200, fixture::g_solid[1] = 100, fixture::g_solid[2] = 50, fixture::g_solid[3] = 1;
    }
    void TearDown() override { fixture::ResetLibrary(); }
};

// A fan around a centre facing the viewer whose rim normals lie flat: a dome seen from above.
Scene Dome(float radius, int sides) {
    Scene scene;
    for (int i = 0; i < sides; ++i) {
        float a0 = 6.2831853f * i / sides, a1 = 6.2831853f * (i + 1) / sides;
        float x0 = radius * std::cos(a0), y0 = radius * std::sin(a0);
        float x1 = radius * std::cos(a1), y1 = radius * std::sin(a1);
        scene.Add(0, 0, radius, x1, y1, 0, x0, y0, 0);
        __Point3ds* p = &scene.points[scene.points.size() - 3];
        p[1].nx = std::cos(a1), p[1].ny = std::sin(a1), p[1].nz = 0;
        p[2].nx = std::cos(a0), p[2].ny = std::sin(a0), p[2].nz = 0;
    }
    return scene;
}

TEST_F(PatchModes, SubdividedFlatTriangleWithEqualNormalsCoversWhatPhongCovers) {
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        Image bg(48, 48, false, 0, 0, 0, 0);
        Image phong = bg, subdivided = bg;
        Scene scene;
        scene.Add(-18, -14, 3, 16, -18, 3, 2, 20, 3);
        scene.Add(-20, 10, 3, -18, -14, 3, 2, 20, 3);
        __SetDrawMode(6);
        fixture::Raster(phong, bg, scene, 24, 24);
        __SetDrawMode(8);
        fixture::Raster(subdivided, bg, scene, 24, 24);
        int differ = 0, covered = 0;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 48; ++x) {
                covered += phong.At(x, y, 3) != 0;
                bool a = phong.At(x, y, 3) != 0, b = subdivided.At(x, y, 3) != 0;
                differ += a != b;
                if (!quality) {
                    EXPECT_EQ(a, b) << x << "," << y;
                }
            }
        }
        EXPECT_GT(covered, 500);
        // With quality the edge memories may treat a pixel of a split edge differently.
        EXPECT_LE(differ, quality ? 4 : 0);
    }
}

TEST_F(PatchModes, SubTrianglesKeepTheFlagsAndMaterialAndFaceTheirOwnWay) {
    std::vector<int> materials;
    static std::vector<int>* seen = &materials;
    __SetNewRenderOnePixel([](float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds* t, material3ds*, int,
                              float& r, float& g, float& b, __Point*, BYTE, float, float, __Texture*, int, light3ds*,
                              __PrevInfo*, GlassProp*, float, float, float, float) -> float {
        seen->push_back(t->material * 1000 + t->flags);
        r = g = b = 100;
        return 1.0f;
    });
    __SetDrawMode(8);
    __SetQuality(0);
    Image bg(40, 40, false, 0, 0, 0, 0), target = bg;
    Scene scene;
    scene.Add(-15, -15, 0, 15, -15, 0, 0, 15, 0, 7);
    scene.triangles[0].flags = 3;
    scene.Add(-15, -15, 0, 0, 15, 0, 15, -15, 0, 9);  // a back face: none of its parts drawn
    fixture::Raster(target, bg, scene, 20, 20);
    ASSERT_FALSE(materials.empty());
    for (int m : materials) EXPECT_EQ(m, 7003);
}

TEST_F(PatchModes, DensePointsCoverAFlatTriangleAndTestDepth) {
    __SetDrawMode(9);
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        Image bg(40, 40, false, 0, 0, 0, 0), target = bg;
        std::vector<float> depth(40 * 40);
        std::memset(depth.data(), 0xFE, depth.size() * sizeof(float));
        __SetZBuff(depth.data(), 40, 40);
        Scene scene;
        scene.Add(-15, -15, 5, 15, -15, 5, 0, 15, 5);
        fixture::Raster(target, bg, scene, 20, 20);
        // Every pixel well inside is drawn, opaque (normals face the viewer: factor 1), depth 5.
        for (int y = 8; y < 28; ++y) {
            const int half = 15 * (35 - y) / 30;  // the triangle narrows from row 5 to its apex at row 35
            for (int x = 20 - half + 2; x < 20 + half - 2; ++x) {
                EXPECT_EQ(target.At(x, y, 3), 255) << x << "," << y;
                EXPECT_NEAR(depth[y * 40 + x], 5.0f, 1e-4f);
            }
        }
        // A farther copy behind it changes nothing.
        Image before = target;
        fixture::g_solid[0] = 10;
        Scene behind;
        behind.Add(-15, -15, 4, 15, -15, 4, 0, 15, 4);
        fixture::Raster(target, bg, behind, 20, 20);
        EXPECT_TRUE(target == before);
        fixture::g_solid[0] = 200;
        __SetZBuff(nullptr, 0, 0);
    }
}

// Records the previous-sample records mode 9 hands over.
int g_valid = 0, g_calls = 0, g_badNormal = 0;
float PreviousShade(float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds*, material3ds*, int, float& r,
                    float& g, float& b, __Point* normal, BYTE, float, float, __Texture*, int, light3ds*,
                    __PrevInfo* previous, GlassProp*, float, float, float, float) {
    ++g_calls;
    if (previous != nullptr && previous->valid) {
        ++g_valid;
        float length = std::sqrt(previous->nx * previous->nx + previous->ny * previous->ny + previous->nz * previous->nz);
        g_badNormal += std::fabs(length - 1.0f) > 1e-3f;
    }
    g_badNormal += previous == nullptr;
    (void)normal;
    r = g = b = 50;
    return 1.0f;
}

TEST_F(PatchModes, DensePointsHandTheShadingThePreviousSample) {
    __SetNewRenderOnePixel(PreviousShade);
    __SetDrawMode(9);
    Image bg(40, 40, false, 0, 0, 0, 0), target = bg;
    Scene scene = Dome(15, 6);
    fixture::Raster(target, bg, scene, 20, 20);
    EXPECT_GT(g_calls, 200);
    EXPECT_GT(g_valid, g_calls / 2);
    EXPECT_EQ(g_badNormal, 0);
}

TEST_F(PatchModes, DensePointsFadeTowardsTheSilhouette) {
    __SetDrawMode(9);
    __SetQuality(0);
    Image bg(60, 60, false, 0, 0, 0, 0), target = bg;
    Scene scene = Dome(25, 8);
    fixture::Raster(target, bg, scene, 30, 30);
    EXPECT_EQ(target.At(30, 30, 3), 255) << "the top of the dome is opaque";
    // Near the rim the normal turns sideways: the coverage there stays partial.
    int partial = 0;
    for (int x = 50; x < 56; ++x) partial += target.At(x, 30, 3) > 0 && target.At(x, 30, 3) < 255;
    EXPECT_GT(partial, 0);
}

TEST_F(PatchModes, SilhouetteRestoresTheBackgroundInsideAndPaintsTheRim) {
    __SetDrawMode(10);
    for (BYTE deep : {0, 1}) {
        __SetDeep(deep);
        const int full = deep ? 32768 : 255;
        Image bg(60, 60, deep, 10, 20, 30, full), target(60, 60, deep, 90, 90, 90, full);
        Scene scene = Dome(25, 8);
        material3ds material{};
        material.diffuse[0] = 0.0f, material.diffuse[1] = 1.0f, material.diffuse[2] = 0.0f;
        __RasterScene(target.data(), bg.data(), 60, 60, 240, 0, scene.Count(), scene.triangles.data(),
                      scene.points.data(), 30, 30, 1, &material, nullptr, 0, nullptr, nullptr);
        // Inside: the background put back.
        for (int k = 0; k < 4; ++k) EXPECT_EQ(target.At(30, 30, k), bg.At(30, 30, k));
        for (int k = 0; k < 4; ++k) EXPECT_EQ(target.At(40, 35, k), bg.At(40, 35, k));
        // Along a ray outwards: the green rim peaks before the outline, not at it.
        int best = -1, bestX = 0;
        for (int x = 30; x < 58; ++x) {
            if (target.At(x, 30, 1) > best) best = target.At(x, 30, 1), bestX = x;
        }
        EXPECT_GT(best, full / 2);
        EXPECT_GT(bestX, 45);
        EXPECT_LT(bestX, 55);
        EXPECT_EQ(target.At(58, 30, 0), 90) << "outside the patch untouched";
    }
}

TEST_F(PatchModes, SilhouetteIsSkippedInTheBackFacePass) {
    __SetDrawMode(10);
    __SetDrawBackFaces(1);
    Image bg(40, 40, false, 10, 20, 30, 255), target(40, 40, false, 90, 90, 90, 255);
    Scene scene = Dome(15, 6);
    for (__Triangle3ds& t : scene.triangles) std::swap(t.v1, t.v2);  // every face turned away
    for (__Point3ds& p : scene.points) p.nz = -p.nz;
    Image before = target;
    fixture::Raster(target, bg, scene, 20, 20);
    EXPECT_TRUE(target == before);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST_F(PatchModes, BadInputNeverCrashesInAnyOutlineOrPatchMode) {
    for (int mode : {0, 1, 2, 8, 9, 10}) {
        for (float wire : {0.0f, 1.0f, 1e9f, kNaN}) {
            for (BYTE quality : {0, 1}) {
                for (BYTE deep : {0, 1}) {
                    fixture::ResetLibrary();
                    __SetNewRenderOnePixel(fixture::AttributeShade);
                    __SetDrawMode(static_cast<BYTE>(mode));
                    __SetQuality(quality);
                    __SetDeep(deep);
                    __SetDubleSide(quality);
                    __SetDrawBackFaces(deep);
                    _WireSize = wire;
                    Image bg(24, 16, deep, 1, 2, 3, 4), target = bg;
                    Scene scene;
                    scene.Add(1, 1, 0, 1, 1, 0, 1, 1, 0);
                    scene.Add(-5, -5, 0, 5, 5, 0, 0, 0, 0);
                    scene.Add(kNaN, 0, 0, 5, 5, 0, 0, 5, 0);
                    scene.Add(0, 0, kInf, 5, 0, 0, 5, 5, 0);
                    scene.Add(-1e30f, -1e30f, 0, 1e30f, -1e30f, 0, 1e30f, 1e30f, 0);
                    scene.Add(-3e6f, -3e6f, 0, 3e6f, -3e6f, 0, 3e6f, 3e6f, 0);
                    scene.Add(-1e5f, -1e5f, 1, 1e5f, -1e5f, 1, 1e5f, 1e5f, 1);
                    scene.Add(-5000, 3, 0, 5000, 3, 0, 0, 9, 0);
                    scene.Add(-4, -4, 0, 4, -4, 0, 0, 4, 0);
                    scene.points[0].nx = kNaN;
                    for (int k = 24; k < 27; ++k) scene.points[k].nx = scene.points[k].ny = scene.points[k].nz = 0;
                    fixture::Raster(target, bg, scene, 12, 8);
                    __DrawScenesLineColor(wire, 255, 0, 0, target.data(), bg.data(), 24, 16, 0, scene.Count(),
                                          scene.triangles.data(), scene.points.data(), 12, 8);
                }
            }
        }
    }
    SUCCEED() << "no crash, no hang, no write outside the images (checked by the sanitizer build)";
}

}  // namespace
