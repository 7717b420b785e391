// Bad input never crashes, hangs or writes outside the buffers: degenerate and non-finite
// triangles, coordinates far outside the image, empty images, null arrays, broken textures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scene_fixture.h"

namespace {

using fixture::Image;
using fixture::Scene;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class BadInput : public ::testing::Test {
protected:
    void SetUp() override { fixture::ResetLibrary(); }
    void TearDown() override { fixture::ResetLibrary(); }

    // Every combination of the switches that change the drawing path.
    template <typename Body>
    void ForEverySetting(Body body) {
        for (int mode : {3, 6}) {
            for (BYTE quality : {0, 1}) {
                for (BYTE deep : {0, 1}) {
                    for (BYTE back : {0, 1}) {
                        fixture::ResetLibrary();
                        __SetDrawMode(static_cast<BYTE>(mode));
                        __SetQuality(quality);
                        __SetDeep(deep);
                        __SetDrawBackFaces(back);
                        __SetDubleSide(back);
                        body(deep != 0);
                    }
                }
            }
        }
    }
};

TEST_F(BadInput, DegenerateTrianglesDrawNothing) {
    ForEverySetting([](bool deep) {
        Image bg(20, 20, deep, 1, 2, 3, 4), target = bg;
        Scene scene;
        scene.Add(1, 1, 0, 1, 1, 0, 1, 1, 0);         // coincident vertices
        scene.Add(-5, -5, 0, 5, 5, 0, 0, 0, 0);       // collinear
        scene.Add(-5, 2, 0, 5, 2, 0, 0, 2, 0);        // zero height
        scene.Add(-5, 2, 0, -5, 2, 0, 7, 3, 0);       // two vertices the same
        scene.Add(0, 0, 0, 1e-7f, 0, 0, 0, 1e-7f, 0); // far below a pixel
        fixture::Raster(target, bg, scene, 10, 10);
        EXPECT_TRUE(target == bg);
    });
}

TEST_F(BadInput, NonFiniteAndFarAwayCoordinatesNeverCrash) {
    ForEverySetting([](bool deep) {
        Image bg(24, 16, deep, 0, 0, 0, 0), target = bg;
        Scene scene;
        scene.Add(kNaN, 0, 0, 5, 5, 0, 0, 5, 0);
        scene.Add(0, 0, kInf, 5, 0, 0, 5, 5, 0);
        scene.Add(-kInf, -kInf, 0, kInf, 0, 0, 0, kInf, 0);
        scene.Add(-1e30f, -1e30f, 0, 1e30f, -1e30f, 0, 1e30f, 1e30f, 0);
        scene.Add(-3e6f, -3e6f, 0, 3e6f, -3e6f, 0, 3e6f, 3e6f, 0);
        scene.Add(-1e6f, -1e6f, 1, 1e6f, -1e6f, 1, 1e6f, 1e6f, 1);  // huge but drawable: covers the image
        scene.Add(5000, 5000, 0, 5010, 5000, 0, 5010, 5010, 0);    // wholly outside
        scene.Add(-5000, 3, 0, 5000, 3, 0, 0, 9, 0);               // sliver across the image
        scene.points[0].nx = kNaN;
        fixture::Raster(target, bg, scene, 12, 8);
        EXPECT_NE(target.At(12, 8, 3), 0) << "the huge triangle covering the image is drawn";
    });
}

TEST_F(BadInput, NaNShadingResultsAreHandled) {
    __SetNewRenderOnePixel([](float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds*, material3ds*, int,
                              float& r, float& g, float& b, __Point*, BYTE, float, float, __Texture*, int, light3ds*,
                              __PrevInfo*, GlassProp*, float, float, float, float) -> float {
        r = kNaN, g = kInf, b = -kInf;
        return 1.0f;
    });
    Image bg(10, 10, false, 9, 9, 9, 255), target = bg;
    Scene scene;
    scene.Add(-4, -4, 0, 4, -4, 0, 4, 4, 0);
    fixture::Raster(target, bg, scene, 5, 5);
    EXPECT_EQ(target.At(7, 3, 0), 0);
    EXPECT_EQ(target.At(7, 3, 1), 255);
    EXPECT_EQ(target.At(7, 3, 2), 0);
    __SetNewRenderOnePixel([](float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds*, material3ds*, int,
                              float& r, float& g, float& b, __Point*, BYTE, float, float, __Texture*, int, light3ds*,
                              __PrevInfo*, GlassProp*, float, float, float, float) -> float {
        r = g = b = 1;
        return kNaN;
    });
    Image second = bg;
    fixture::Raster(second, bg, scene, 5, 5);
    EXPECT_TRUE(second == bg) << "a NaN opacity draws nothing";
}

TEST_F(BadInput, EmptyImagesNullArraysAndBadStridesDrawNothing) {
    ForEverySetting([](bool deep) {
        Scene scene;
        scene.Add(-4, -4, 0, 4, -4, 0, 4, 4, 0);
        Image bg(10, 10, deep, 1, 1, 1, 1), target = bg;
        auto raster = [&](BYTE* t, BYTE* b, int w, int h, int stride, int count, __Triangle3ds* tri, __Point3ds* pts) {
            __RasterScene(t, b, w, h, stride, 0, count, tri, pts, 5, 5, 0, nullptr, nullptr, 0, nullptr, nullptr);
        };
        raster(target.data(), bg.data(), 0, 10, 40, scene.Count(), scene.triangles.data(), scene.points.data());
        raster(target.data(), bg.data(), 10, 0, 40, scene.Count(), scene.triangles.data(), scene.points.data());
        raster(target.data(), bg.data(), -10, 10, 40, scene.Count(), scene.triangles.data(), scene.points.data());
        raster(target.data(), bg.data(), 10, 10, 8, scene.Count(), scene.triangles.data(), scene.points.data());
        raster(nullptr, bg.data(), 10, 10, 40, scene.Count(), scene.triangles.data(), scene.points.data());
        raster(target.data(), bg.data(), 10, 10, 40, scene.Count(), nullptr, scene.points.data());
        raster(target.data(), bg.data(), 10, 10, 40, scene.Count(), scene.triangles.data(), nullptr);
        raster(target.data(), bg.data(), 10, 10, 40, -5, scene.triangles.data(), scene.points.data());
        EXPECT_TRUE(target == bg);
        // A null background is read as transparent black.
        raster(target.data(), nullptr, 10, 10, 40, scene.Count(), scene.triangles.data(), scene.points.data());
        EXPECT_NE(target.At(7, 3, 3), 1);
        __RasterSolid(nullptr, 10, 10, 40, 0, 1, scene.triangles.data(), scene.points.data(), 5, 5, 1, 1, 1, 1);
        __RasterSolid(target.data(), 10, 10, 40, 0, 1, nullptr, nullptr, 5, 5, 1, 1, 1, 1);
        __RasterSolid(target.data(), 0, 0, 0, 0, 1, scene.triangles.data(), scene.points.data(), 5, 5, 1, 1, 1, 1);
    });
}

TEST_F(BadInput, NegativeVertexIndicesAreSkipped) {
    Image bg(10, 10, false, 0, 0, 0, 0), target = bg;
    Scene scene;
    scene.Add(-4, -4, 0, 4, -4, 0, 4, 4, 0);
    scene.triangles[0].v1 = -1;
    fixture::Raster(target, bg, scene, 5, 5);
    __Sort(1, scene.triangles.data(), scene.points.data());
    EXPECT_TRUE(target == bg);
}

TEST_F(BadInput, PresentTexturesWithoutTexelsAndMaterialsOutOfRangeAreHarmless) {
    ForEverySetting([](bool deep) {
        __SetDefRenderOnePixel();
        Image bg(16, 16, deep, 0, 0, 0, 0), target = bg;
        Scene scene;
        scene.Add(-6, -6, 0, 6, -6, 0, 6, 6, 0, 5);  // material 5 of 1
        material3ds material{};
        material.diffuse[0] = 1;
        std::vector<__Texture> textures(4, __Texture{1, 0, 0, nullptr, 0});
        GlassProp glass{1, 0.5f, 3.0f, 10.0f};
        light3ds light{};
        light.z = 100, light.r = light.g = light.b = 1, light.multiplier = 1;
        __RasterScene(target.data(), bg.data(), 16, 16, 64, 0, scene.Count(), scene.triangles.data(),
                      scene.points.data(), 8, 8, 1, &material, textures.data(), 1, &light, &glass);
        __ConvertText(&textures[0]);
        EXPECT_EQ(textures[0].texels, nullptr);
    });
}

}  // namespace
