// The fast filled modes against the slow reference over a grid of random scenes: equal byte for
// byte without anti-aliasing, and within a stated tolerance with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "reference_raster.h"
#include "scene_fixture.h"

namespace {

struct Difference {
    int largest = 0;        // largest sample difference
    std::size_t count = 0;  // samples that differ
};

Difference Compare(const fixture::Image& a, const fixture::Image& b) {
    Difference d;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            for (int k = 0; k < 4; ++k) {
                int diff = std::abs(a.At(x, y, k) - b.At(x, y, k));
                if (diff != 0) ++d.count;
                d.largest = std::max(d.largest, diff);
            }
        }
    }
    return d;
}

struct Case {
    int mode;
    bool deep, quality, backFaces, doubleSide, phong2, transparentBackground;
};

// Renders a scene of w x h pixels with both rasterisers and returns how far they differ.
Difference RenderBoth(const Case& c, const fixture::Scene& scene, int w, int h) {
    fixture::ResetLibrary();
    __SetDrawMode(static_cast<BYTE>(c.mode));
    __SetDeep(c.deep);
    __SetQuality(c.quality);
    __SetDrawBackFaces(c.backFaces);
    __SetDubleSide(c.doubleSide);
    __SetUsePhong2(c.phong2);
    __SetNewRenderOnePixel(fixture::AttributeShade);
    const int full = c.deep ? 32768 : 255;
    int alpha = c.transparentBackground ? 0 : full;
    fixture::Image background(w, h, c.deep, full / 3, full / 2, full / 5, alpha);
    fixture::Image fast = background, slow = background;
    fixture::Scene drawn = scene, copy = scene;
    fixture::Raster(fast, background, drawn, w / 2, h / 2);
    std::vector<float> depth;
    reference::RasterScene(slow.data(), background.bytes.data(), w, h, w * 4, copy.Count(), copy.triangles.data(),
                           copy.points.data(), w / 2, h / 2, 0, nullptr, nullptr, 0, nullptr, nullptr,
                           fixture::AttributeShade, depth);
    fixture::ResetLibrary();
    return Compare(fast, slow);
}

// The same for one random scene of 61 x 47 pixels.
Difference RenderBoth(const Case& c, unsigned seed, int count, float size) {
    return RenderBoth(c, fixture::RandomScene(seed, count, 61, 47, size), 61, 47);
}

std::string Describe(const Case& c, unsigned seed) {
    return "mode " + std::to_string(c.mode) + " deep " + std::to_string(c.deep) + " quality " +
           std::to_string(c.quality) + " back " + std::to_string(c.backFaces) + " double " +
           std::to_string(c.doubleSide) + " phong2 " + std::to_string(c.phong2) + " clear " +
           std::to_string(c.transparentBackground) + " seed " + std::to_string(seed);
}

TEST(ReferenceRaster, FilledModesMatchTheReferenceExactlyWithoutQuality) {
    for (int mode : {3, 6}) {
        for (bool deep : {false, true}) {
            for (bool back : {false, true}) {
                for (bool doubleSide : {false, true}) {
                    for (unsigned seed = 1; seed <= 6; ++seed) {
                        Case c{mode, deep, false, back, doubleSide, false, seed % 2 == 0};
                        Difference d = RenderBoth(c, seed, 40, seed < 4 ? 12.0f : 40.0f);
                        EXPECT_EQ(d.count, 0u) << Describe(c, seed) << " largest " << d.largest;
                    }
                }
            }
        }
    }
}

// With anti-aliasing both walk the same rules; the tolerance leaves room for nothing but a one-level
// rounding difference in a few samples.
TEST(ReferenceRaster, FilledModesMatchTheReferenceWithQuality) {
    for (int mode : {3, 6}) {
        for (bool deep : {false, true}) {
            for (bool back : {false, true}) {
                for (bool phong2 : {false, true}) {
                    for (unsigned seed = 11; seed <= 16; ++seed) {
                        Case c{mode, deep, true, back, false, phong2, seed % 2 == 0};
                        Difference d = RenderBoth(c, seed, 40, seed < 14 ? 12.0f : 40.0f);
                        EXPECT_LE(d.largest, 1) << Describe(c, seed);
                        EXPECT_LE(d.count, 4u) << Describe(c, seed);
                    }
                }
            }
        }
    }
}

// Large triangles on a wide image: triangles with more edge-band pixels than the fill works out at
// once, and long, nearly level edges whose band holds hundreds of pixels in one row.
TEST(ReferenceRaster, LargeTrianglesMatchTheReferenceWithQuality) {
    const int w = 700, h = 90;
    for (int mode : {3, 6}) {
        for (bool deep : {false, true}) {
            for (unsigned seed = 21; seed <= 24; ++seed) {
                Case c{mode, deep, true, false, false, false, seed % 2 == 0};
                fixture::Scene scene = fixture::RandomScene(seed, 6, w, h, seed < 23 ? 150.0f : 900.0f);
                const float tilt = static_cast<float>(seed - 22);  // rows the long edges climb
                scene.Add(-330.0f, -20.0f, 10.0f, 320.0f, -20.0f + tilt, 30.0f, -300.0f, -14.0f, 20.0f);
                scene.Add(300.0f, 25.0f - tilt, 5.0f, -320.0f, 22.0f, 15.0f, 310.0f, 18.0f, 25.0f);
                Difference d = RenderBoth(c, scene, w, h);
                EXPECT_LE(d.largest, 1) << Describe(c, seed);
                EXPECT_LE(d.count, 4u) << Describe(c, seed);
            }
        }
    }
}

TEST(ReferenceRaster, SolidFillMatchesTheReference) {
    for (bool quality : {false, true}) {
        for (bool deep : {false, true}) {
            for (unsigned seed = 21; seed <= 24; ++seed) {
                fixture::ResetLibrary();
                __SetQuality(quality);
                __SetDeep(deep);
                const int w = 53, h = 41, full = deep ? 32768 : 255;
                fixture::Image fast(w, h, deep, full / 4, full / 4, full / 4, seed % 2 ? full : 0);
                fixture::Image slow = fast;
                fixture::Scene scene = fixture::RandomScene(seed, 30, w, h, 25.0f);
                float r = full * 0.9f, g = full * 0.2f, b = full * 1.5f, a = 0.7f;
                __RasterSolid(fast.data(), w, h, w * 4, 0, scene.Count(), scene.triangles.data(),
                              scene.points.data(), w / 2, h / 2, r, g, b, a);
                reference::RasterSolid(slow.data(), w, h, w * 4, scene.Count(), scene.triangles.data(),
                                       scene.points.data(), w / 2, h / 2, r, g, b, a);
                Difference d = Compare(fast, slow);
                EXPECT_EQ(d.count, 0u) << "quality " << quality << " deep " << deep << " seed " << seed;
            }
        }
    }
    fixture::ResetLibrary();
}

}  // namespace
