// Properties of the outline modes 0, 1 and 2 and of __DrawScenesLineColor.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scene_fixture.h"

namespace {

using fixture::Image;
using fixture::Scene;

class LinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture::ResetLibrary();
        __SetNewRenderOnePixel(fixture::SolidShade);
        fixture::g_solid[0] = 200, fixture::g_solid[1] = 100, fixture::g_solid[2] = 50, fixture::g_solid[3] = 1;
    }
    void TearDown() override { fixture::ResetLibrary(); }
};

int CountChanged(const Image& a, const Image& b) {
    int changed = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            for (int k = 0; k < 4; ++k) {
                if (a.At(x, y, k) != b.At(x, y, k)) {
                    ++changed;
                    break;
                }
            }
        }
    }
    return changed;
}

// Pixels changed in column x over rows y0 .. y1.
int ChangedInColumn(const Image& a, const Image& b, int x, int y0, int y1) {
    int changed = 0;
    for (int y = y0; y <= y1; ++y) changed += a.At(x, y, 3) != b.At(x, y, 3) || a.At(x, y, 0) != b.At(x, y, 0);
    return changed;
}

// Distance from (px, py) to the segment a-b.
float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    float ex = bx - ax, ey = by - ay;
    float t = ((px - ax) * ex + (py - ay) * ey) / (ex * ex + ey * ey);
    t = std::fmax(0.0f, std::fmin(1.0f, t));
    return std::hypot(px - ax - t * ex, py - ay - t * ey);
}

TEST_F(LinesTest, RoughDrawsTheInverseOfTheBackgroundOnFrontEdgesOnly) {
    for (BYTE deep : {0, 1}) {
        __SetDeep(deep);
        __SetDrawMode(0);
        const int full = deep ? 32768 : 255;
        Image bg(32, 32, deep, 10, 20, 30, 40), target(32, 32, deep, 0, 0, 0, 0);
        Scene scene;
        scene.Add(-10, -10, 0, 10, -10, 0, 10, 10, 0);   // front
        scene.Add(-10, 12, 0, 10, 12, 0, -10, 2, 0);      // back (wound the other way)
        scene.Add(3, -5, 0, 3, -5, 0, 3, -5, 0);          // coincident vertices
        fixture::Raster(target, bg, scene, 16, 16);
        EXPECT_EQ(target.At(16, 6, 0), full - 10) << "top edge of the front triangle";
        EXPECT_EQ(target.At(16, 6, 1), full - 20);
        EXPECT_EQ(target.At(16, 6, 2), full - 30);
        EXPECT_EQ(target.At(16, 6, 3), full);
        EXPECT_EQ(target.At(16, 28, 3), 0) << "back triangle drawn";
        EXPECT_EQ(target.At(19, 11, 3), 0) << "coincident vertices drawn";
        EXPECT_EQ(target.At(20, 12, 3), 0) << "inside filled";
    }
}

TEST_F(LinesTest, RoughOnCoincidentVerticesDrawsNothing) {
    __SetDrawMode(0);
    for (BYTE doubleSided : {0, 1}) {
        __SetDubleSide(doubleSided);
        Image bg(16, 16, false, 10, 20, 30, 255), target = bg;
        Scene scene;
        scene.Add(2, 2, 0, 2, 2, 0, 2, 2, 0);
        scene.Add(-3.5f, 1.25f, 4, -3.5f, 1.25f, -4, -3.5f, 1.25f, 9);
        fixture::Raster(target, bg, scene, 8, 8);
        EXPECT_TRUE(target == bg);
    }
}

TEST_F(LinesTest, LineWithoutQualityIsOnePixelWideWhateverTheWireSize) {
    __SetDrawMode(1);
    __SetQuality(0);
    Image bg(40, 40, false, 0, 0, 0, 255);
    Image reference = bg;
    bool first = true;
    for (float wire : {1.0f, 0.0f, 4.0f, 25.0f, 1e9f}) {
        _WireSize = wire;
        Image target = bg;
        Scene scene;
        scene.Add(-15, -10, 0, 15, -10, 0, 0, 15, 0);
        fixture::Raster(target, bg, scene, 20, 20);
        // The horizontal top edge (row 10): one pixel in each column, away from the other edges.
        for (int x = 12; x <= 28; x += 4) EXPECT_EQ(ChangedInColumn(target, bg, x, 4, 16), 1) << wire << " column " << x;
        if (first) reference = target, first = false;
        EXPECT_TRUE(target == reference) << wire;
    }
}

TEST_F(LinesTest, LineWithQualityGrowsWithTheWireSizeAndStaysOnTheEdges) {
    __SetDrawMode(1);
    __SetQuality(1);
    Image bg(60, 60, false, 0, 0, 0, 255);
    int previous = 0;
    for (float wire : {1.0f, 2.5f, 5.0f}) {
        _WireSize = wire;
        Image target = bg;
        Scene scene;
        scene.Add(-20, -20, 0, 20, -20, 0, 0, 20, 0);
        fixture::Raster(target, bg, scene, 30, 30);
        int changed = CountChanged(target, bg);
        EXPECT_GT(changed, previous) << wire;
        previous = changed;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 60; ++x) {
                if (target.At(x, y, 3) == 255 && target.At(x, y, 0) == 0) continue;
                float d = std::fmin(SegmentDistance(x, y, 10, 10, 50, 10),
                                    std::fmin(SegmentDistance(x, y, 50, 10, 30, 50),
                                              SegmentDistance(x, y, 30, 50, 10, 10)));
                EXPECT_LT(d, wire + 0.01f) << x << "," << y << " wire " << wire;
            }
        }
    }
    _WireSize = 0.0f;
    Image target = bg;
    Scene scene;
    scene.Add(-20, -20, 0, 20, -20, 0, 0, 20, 0);
    fixture::Raster(target, bg, scene, 30, 30);
    EXPECT_TRUE(target == bg) << "a line of width 0 covers nothing";
}

// Records what the line modes hand to the shading.
struct Seen {
    int calls = 0, nonZeroDepth = 0, previousGiven = 0, awayNormals = 0;
} g_seen;

float RecordingShade(float, float, BYTE*, BYTE*, float, float, float z, __Triangle3ds*, material3ds*, int,
                     float& red, float& green, float& blue, __Point* normal, BYTE, float, float, __Texture*, int,
                     light3ds*, __PrevInfo* previous, GlassProp*, float, float, float, float) {
    ++g_seen.calls;
    g_seen.nonZeroDepth += z != 0.0f;
    g_seen.previousGiven += previous != nullptr;
    g_seen.awayNormals += normal->z < 0.0f;
    red = green = blue = 100;
    return 1;
}

TEST_F(LinesTest, LinePixelsAreShadedAtDepthZeroFacingTheViewerWithoutPreviousPixel) {
    __SetNewRenderOnePixel(RecordingShade);
    __SetDrawMode(1);
    __SetDubleSide(1);
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        g_seen = Seen{};
        Image bg(30, 30, false, 0, 0, 0, 0), target = bg;
        Scene scene;
        scene.Add(-10, -10, 5, 10, -10, 7, 0, 10, 9);
        scene.Add(-10, -10, 5, 0, 10, 7, 10, -10, 9);  // back face, drawn double-sided
        fixture::Raster(target, bg, scene, 15, 15);
        EXPECT_GT(g_seen.calls, 50);
        EXPECT_EQ(g_seen.nonZeroDepth, 0);
        EXPECT_EQ(g_seen.previousGiven, 0);
        EXPECT_EQ(g_seen.awayNormals, 0);
    }
}

TEST_F(LinesTest, WireOfFlatNormalsDrawsTheStraightEdges) {
    __SetDrawMode(2);
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        // Flat and tilted triangles: with every normal (0, 0, 1) the edges stay straight on screen.
        for (float tilt : {0.0f, 0.7f}) {
            Image bg(50, 50, false, 0, 0, 0, 255), target = bg;
            Scene scene;
            scene.Add(-18, -15, 0, 20, -8, 20 * tilt, -2, 19, -30 * tilt);
            fixture::Raster(target, bg, scene, 25, 25);
            const float ax = 7, ay = 10, bx = 45, by = 17, qx = 23, qy = 44;
            float limit = quality ? 1.01f : 0.75f;
            for (int y = 0; y < 50; ++y) {
                for (int x = 0; x < 50; ++x) {
                    if (target.At(x, y, 0) == 0) continue;
                    // Pixels are taken at the floor of the line's position: compare with the
                    // pixel's centre without quality.
                    float fx = quality ? x : x + 0.5f, fy = quality ? y : y + 0.5f;
                    float d = std::fmin(SegmentDistance(fx, fy, ax, ay, bx, by),
                                        std::fmin(SegmentDistance(fx, fy, bx, by, qx, qy),
                                                  SegmentDistance(fx, fy, qx, qy, ax, ay)));
                    EXPECT_LT(d, limit) << x << "," << y << " tilt " << tilt << " quality " << int(quality);
                }
            }
            // And the whole edge is there: every column the top edge spans has a pixel near it.
            for (int x = 8; x < 45; ++x) {
                float y = ay + (x - ax) * (by - ay) / (bx - ax);
                int near = 0;
                for (int dy = -1; dy <= 1; ++dy) near += target.At(x, static_cast<int>(y) + dy, 0) != 0;
                EXPECT_GT(near, 0) << x;
            }
        }
    }
}

TEST_F(LinesTest, WireFollowsTheCurveOfBulgingNormals) {
    __SetDrawMode(2);
    __SetQuality(0);
    Image bg(80, 80, false, 0, 0, 0, 255), target = bg;
    Scene scene;
    scene.Add(-30, -30, 0, 30, -30, 0, 0, 30, 0);
    // Normals leaning outwards from the centroid: the edges bow outwards.
    for (__Point3ds& p : scene.points) {
        float gx = p.x, gy = p.y + 10;
        float length = std::hypot(gx, gy);
        p.nx = gx / length, p.ny = gy / length, p.nz = 1.0f;
    }
    fixture::Raster(target, bg, scene, 40, 40);
    // Above the straight top edge (y = 10) in the middle of it: the curve lies outside.
    int above = 0;
    for (int y = 0; y < 10; ++y) above += target.At(40, y, 0) != 0;
    EXPECT_GT(above, 0);
    EXPECT_EQ(target.At(40, 10, 0), 0) << "the straight edge is not drawn";
}

TEST_F(LinesTest, LineColorBeforeAnyOtherCallDrawsNothing) {
    // A fresh state: the library's clip is 0 x 0.
    __SetZBuff(nullptr, 0, 0);
    ASSERT_EQ(Zwidth, 0);
    Image target(20, 20, false, 1, 2, 3, 4), before = target;
    Scene scene;
    scene.Add(-5, -5, 0, 5, -5, 0, 0, 5, 0);
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        __DrawScenesLineColor(2.0f, 255, 0, 0, target.data(), nullptr, 20, 20, 0, scene.Count(),
                              scene.triangles.data(), scene.points.data(), 10, 10);
        EXPECT_TRUE(target == before);
    }
}

TEST_F(LinesTest, LineColorOutlinesFrontTrianglesInTheClipOfTheLastCall) {
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        Image target(30, 30, false, 0, 0, 0, 0);
        Scene none;
        __RasterSolid(target.data(), 30, 30, 120, 0, 0, none.triangles.data(), none.points.data(), 0, 0, 0, 0, 0, 0);
        Scene scene;
        scene.Add(-10, -10, 0, 10, -10, 0, 10, 10, 0);   // front
        scene.Add(-10, 12, 0, 10, 12, 0, -10, 2, 0);      // back
        __DrawScenesLineColor(1.0f, 300, 7, -5, target.data(), nullptr, 30, 30, 0, scene.Count(),
                              scene.triangles.data(), scene.points.data(), 15, 15);
        EXPECT_EQ(target.At(15, 5, 0), 255) << "colour clamped to full";
        EXPECT_EQ(target.At(15, 5, 1), 7);
        EXPECT_EQ(target.At(15, 5, 2), 0);
        EXPECT_EQ(target.At(15, 27, 3), 0) << "back face outlined";
        EXPECT_EQ(target.At(20, 10, 3), 0) << "inside filled";
    }
}

TEST_F(LinesTest, LineColorNeverWritesBeyondTheImageItIsGiven) {
    // The last call had a larger clip than the image now given: nothing lands past that image.
    Image big(64, 64, false, 0, 0, 0, 0);
    Scene none;
    __RasterSolid(big.data(), 64, 64, 256, 0, 0, none.triangles.data(), none.points.data(), 0, 0, 0, 0, 0, 0);
    std::vector<BYTE> small(16 * 16 * 4 + 64, 0);
    Scene scene;
    scene.Add(-30, -30, 0, 30, -30, 0, 30, 30, 0);
    for (BYTE quality : {0, 1}) {
        __SetQuality(quality);
        __DrawScenesLineColor(3.0f, 255, 255, 255, small.data(), nullptr, 16, 16, 0, scene.Count(),
                              scene.triangles.data(), scene.points.data(), 8, 8);
        for (std::size_t i = 16 * 16 * 4; i < small.size(); ++i) ASSERT_EQ(small[i], 0) << i;
    }
}

}  // namespace
