// With the built-in shading installed, the rasteriser hands runs of depth-tested pixels to it in
// batches. The result must be the one of calling it pixel by pixel: the same depths exactly, and
// colours within the batches' rounding.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/shading_p.h"
#include "engine/state_p.h"
#include "scene_fixture.h"

namespace {

// The built-in shading behind another address, so the rasteriser calls it pixel by pixel.
float OneByOne(float ox, float oy, BYTE* t, BYTE* b, float x, float y, float z, __Triangle3ds* tri, material3ds* m,
               int mc, float& r, float& g, float& bl, __Point* n, BYTE mapped, float u, float v, __Texture* tex, int lc,
               light3ds* l, __PrevInfo* p, GlassProp* gl, float a, float bb, float c, float d) {
    return trivane::RenderOnePixelBuiltin(ox, oy, t, b, x, y, z, tri, m, mc, r, g, bl, n, mapped, u, v, tex, lc, l, p,
                                          gl, a, bb, c, d);
}

struct Result {
    fixture::Image image;
    std::vector<float> depth;
};

Result Render(bool batched, int mode, bool deep, bool quality, unsigned seed, float opacity) {
    fixture::ResetLibrary();
    __SetDrawMode(static_cast<BYTE>(mode));
    __SetDeep(deep);
    __SetQuality(quality);
    if (batched) {
        __SetDefRenderOnePixel();
    } else {
        __SetNewRenderOnePixel(OneByOne);
    }
    const int w = 90, h = 70, full = deep ? 32768 : 255;
    fixture::Image bg(w, h, deep, full / 4, full / 3, full / 2, full);
    Result result{bg, std::vector<float>(w * h)};
    std::memset(result.depth.data(), 0xFE, result.depth.size() * sizeof(float));
    __SetZBuff(result.depth.data(), w, h);
    fixture::Scene scene = fixture::RandomScene(seed, 60, w, h, 45.0f);
    for (auto& t : scene.triangles) t.material = 0;
    material3ds material{};
    material.diffuse[0] = 0.8f, material.diffuse[1] = 0.5f, material.diffuse[2] = 0.3f;
    for (float& s : material.specular) s = 1.0f;
    material.shininess = 0.3f, material.shinStrength = 0.7f, material.selfIllum = 0.1f;
    material.transparency = -(1.0f - opacity);
    light3ds lights[2] = {};
    lights[0].x = -100, lights[0].y = -80, lights[0].z = 300, lights[0].r = lights[0].g = lights[0].b = 1;
    lights[0].multiplier = 1;
    lights[1] = lights[0];
    lights[1].x = 120, lights[1].g = 0.5f;
    __RasterScene(result.image.data(), bg.data(), w, h, w * 4, 0, scene.Count(), scene.triangles.data(),
                  scene.points.data(), w / 2, h / 2, 1, &material, nullptr, 2, lights, nullptr);
    fixture::ResetLibrary();
    return result;
}

TEST(RasterBatch, BatchedBuiltInShadingMatchesPixelByPixel) {
    for (int mode : {3, 6}) {
        for (bool deep : {false, true}) {
            for (bool quality : {false, true}) {
                for (float opacity : {1.0f, 0.7f}) {
                    for (unsigned seed = 31; seed <= 33; ++seed) {
                        Result batched = Render(true, mode, deep, quality, seed, opacity);
                        Result single = Render(false, mode, deep, quality, seed, opacity);
                        ASSERT_EQ(batched.depth, single.depth) << mode << deep << quality << seed;
                        int largest = 0;
                        for (int y = 0; y < batched.image.height; ++y) {
                            for (int x = 0; x < batched.image.width; ++x) {
                                for (int k = 0; k < 4; ++k) {
                                    largest = std::max(largest, std::abs(batched.image.At(x, y, k) -
                                                                         single.image.At(x, y, k)));
                                }
                            }
                        }
                        // One level of 255 in either depth.
                        EXPECT_LE(largest, deep ? 129 : 1) << "mode " << mode << " deep " << deep << " quality "
                                                           << quality << " opacity " << opacity << " seed " << seed;
                    }
                }
            }
        }
    }
}

// Materials the batches cannot shade (maps, bump, glass) go through the kernel's queue, pixels in
// drawing order with their lighting on the widest lanes, and are written on lanes: the exact bits of
// the shading called pixel by pixel, opaque or translucent (blended over drawn and clear pixels).
TEST(RasterBatch, QueuedPixelsGetTheExactBitsOfThePerPixelShading) {
    for (int mode : {3, 6}) {
        for (bool deep : {false, true}) {
            for (bool quality : {false, true}) {
                for (int glass : {0, 1, 2}) {
                  for (float opacity : {1.0f, 0.6f}) {
                    auto render = [&](bool builtin) {
                        fixture::ResetLibrary();
                        __SetDrawMode(static_cast<BYTE>(mode));
                        __SetDeep(deep);
                        __SetQuality(quality);
                        __SetUseMultyRefract(glass == 2 ? 1 : 0);
                        if (!builtin) __SetNewRenderOnePixel(OneByOne);
                        const int w = 90, h = 130, full = deep ? 32768 : 255;
                        fixture::Image bg(w, h, deep, full / 4, full / 3, full / 2, full);
                        for (std::size_t i = 0; i < bg.bytes.size(); i += 7) bg.bytes[i] = static_cast<BYTE>(i * 13);
                        if (opacity < 1.0f) {
                            // Clear pixels here and there, which a translucent pixel takes as it is.
                            for (int y = 0; y < h; ++y) {
                                for (int x = (y * 3) % 5; x < w; x += 5) {
                                    const std::size_t sample = (static_cast<std::size_t>(y) * w + x) * 4 + 3;
                                    const std::size_t bytes = deep ? 2 : 1;
                                    std::memset(&bg.bytes[sample * bytes], 0, bytes);
                                }
                            }
                        }
                        fixture::Image target = bg;
                        fixture::Scene scene = fixture::RandomScene(41 + glass, 70, w, h, 40.0f);
                        material3ds materials[3] = {};
                        std::vector<BYTE> texels(16 * 16 * 4 * (deep ? 2 : 1));
                        for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<BYTE>(i * 29 + 3);
                        __Texture textures[12] = {};
                        for (material3ds& m : materials) {
                            m.diffuse[0] = 0.7f, m.diffuse[1] = 0.4f, m.diffuse[2] = 0.2f;
                            for (float& sp : m.specular) sp = 0.8f;
                            m.shininess = 0.4f, m.shinStrength = 0.9f, m.selfIllum = 0.1f;
                            m.transparency = -(1.0f - opacity);
                            for (map3ds& map : m.maps) map.uScale = map.vScale = 1.0f, map.amount = 0.6f;
                        }
                        // Bump on material 0, a colour texture on 1, and reflection maps (which need no
                        // mapped vertices) on both, so that no triangle's interior goes to the batches.
                        // Material 2 has the bump alone, scaled, and the vertices' u shifted, so that with
                        // quality the texel footprint between neighbouring pixels is below two texels on
                        // some triangles and beyond on others (the window means); its unmapped triangles
                        // go to the batches.
                        const __Texture t{1, 16, 16, texels.data(), static_cast<BYTE>(deep)};
                        textures[2] = t, textures[3] = t, textures[4] = t, textures[7] = t, textures[10] = t;
                        materials[2].maps[kMapBump].uScale = materials[2].maps[kMapBump].vScale = 10.0f;
                        for (std::size_t i = 0; i < scene.points.size(); ++i) scene.points[i].u += 0.05f * (i % 5);
                        GlassProp glassProps[3] = {{static_cast<BYTE>(glass != 0), 0.5f, 7.0f, 30.0f},
                                                   {0, 0.0f, 0.0f, 0.0f}, {0, 0.0f, 0.0f, 0.0f}};
                        light3ds lights[2] = {};
                        lights[0].x = -100, lights[0].y = -80, lights[0].z = 300;
                        lights[0].r = lights[0].g = lights[0].b = lights[0].multiplier = 1;
                        lights[1] = lights[0];
                        lights[1].x = 120, lights[1].g = 0.5f;
                        __RasterScene(target.data(), bg.data(), w, h, w * 4, 0, scene.Count(), scene.triangles.data(),
                                      scene.points.data(), w / 2, h / 2, 3, materials, textures, 2, lights, glassProps);
                        fixture::ResetLibrary();
                        return target.bytes;
                    };
                    const std::vector<BYTE> oneByOne = render(false);
                    // The queue's steps on lanes (the bump, the glass, the lighting, with quality the
                    // layer's compositing) at every width the processor has (0: its widest), and on one
                    // lane.
                    for (int width : {1, 4, 8, 0}) {
                        trivane::shading::ForceLaneWidth(width);
                        EXPECT_EQ(render(true), oneByOne) << "mode " << mode << " deep " << deep << " quality "
                                                          << quality << " glass " << glass << " opacity " << opacity
                                                          << " lanes " << width;
                    }
                    trivane::shading::ForceLaneWidth(0);
                  }
                }
            }
        }
    }
}

// Mapped triangles' normals and texture coordinates are made for a whole queue at once: on lanes
// for the linear mix without the perspective, else pixel by pixel (the quadratic mix, the
// perspective-correct coordinates). Either way the bits of the shading called pixel by pixel, with
// the bump's window means reading the previous pixel's coordinates.
TEST(RasterBatch, QueuedMappedPixelsKeepTheirBitsWithThePerspectiveAndTheQuadraticMix) {
    const int w = 100, h = 90;
    fixture::Scene scene = fixture::RandomScene(77, 40, w, h, 50.0f);
    for (std::size_t i = 0; i < scene.points.size(); ++i) scene.points[i].u += 0.07f * (i % 4);
    std::vector<BYTE> texels(16 * 16 * 4);
    for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<BYTE>(i * 37 + 11);
    const __Texture texture{1, 16, 16, texels.data(), 0};
    __Texture textures[12] = {};
    textures[2] = texture;  // the bump alone: its steps, and the lighting, on lanes
    material3ds material{};
    material.diffuse[0] = 0.6f, material.diffuse[1] = 0.5f, material.diffuse[2] = 0.3f;
    for (float& sp : material.specular) sp = 0.9f;
    material.shininess = 0.35f, material.shinStrength = 0.8f, material.selfIllum = 0.05f;
    material.transparency = -0.2f;
    for (map3ds& map : material.maps) map.uScale = map.vScale = 1.0f, map.amount = 0.7f;
    material.maps[kMapBump].uScale = material.maps[kMapBump].vScale = 8.0f;
    light3ds lights[2] = {};
    lights[0].x = -90, lights[0].y = -70, lights[0].z = 280;
    lights[0].r = lights[0].g = lights[0].b = lights[0].multiplier = 1;
    lights[1] = lights[0];
    lights[1].x = 110, lights[1].r = 0.6f;
    fixture::Image bg(w, h, false, 60, 80, 120, 255);
    std::vector<BYTE> plain;  // quadratic mix, no perspective
    for (bool quadratic : {false, true}) {
        for (bool perspective : {false, true}) {
            auto render = [&](bool builtin) {
                fixture::ResetLibrary();
                __SetDrawMode(6);
                __SetQuality(1);
                __SetUsePhong2(quadratic ? 1 : 0);
                if (perspective) __AddPersp(0, nullptr, 0.6f, 12.0f, -8.0f, 400.0f);
                if (!builtin) __SetNewRenderOnePixel(OneByOne);
                fixture::Image target = bg;
                __RasterScene(target.data(), bg.data(), w, h, w * 4, 0, scene.Count(), scene.triangles.data(),
                              scene.points.data(), w / 2, h / 2, 1, &material, textures, 2, lights, nullptr);
                fixture::ResetLibrary();
                return target.bytes;
            };
            const std::vector<BYTE> oneByOne = render(false);
            EXPECT_NE(oneByOne, bg.bytes);
            if (quadratic && !perspective) plain = oneByOne;
            if (quadratic && perspective) {
                EXPECT_NE(oneByOne, plain) << "the perspective changed nothing";
            }
            for (int width : {1, 4, 0}) {
                trivane::shading::ForceLaneWidth(width);
                EXPECT_EQ(render(true), oneByOne) << "quadratic " << quadratic << " perspective " << perspective
                                                  << " lanes " << width;
            }
            trivane::shading::ForceLaneWidth(0);
        }
    }
}

}  // namespace

namespace {

// Straight into the target, triangles of plain materials hand their pixels on to one gather while
// they follow one another with one material and mapping: drawing them in one call gives the bytes
// and depths of drawing each in a call of its own (every run cut short), whatever the runs.
TEST(RasterBatch, PixelsGatheredAcrossTrianglesDrawTheBytesOfOneCallPerTriangle) {
    const int w = 96, h = 150;  // three bands of rows
    fixture::Scene scene = fixture::RandomScene(57, 400, w, h, 9.0f);
    for (std::size_t i = 0; i < scene.triangles.size(); ++i) {
        // Runs of one to five triangles of a material (the mapping flips within them now and then).
        scene.triangles[i].material = static_cast<std::uint16_t>((i * i / 7 + i / 3) % 3);
    }
    material3ds materials[3] = {};
    for (int m = 0; m < 3; ++m) {
        materials[m].diffuse[0] = 0.3f + 0.2f * m, materials[m].diffuse[1] = 0.5f, materials[m].diffuse[2] = 0.7f;
        for (float& sp : materials[m].specular) sp = 0.9f;
        materials[m].shininess = 0.2f + 0.1f * m, materials[m].shinStrength = 0.8f, materials[m].selfIllum = 0.1f;
    }
    materials[1].transparency = -0.35f;  // blended, not opaque
    light3ds lights[2] = {};
    lights[0].x = -100, lights[0].y = -80, lights[0].z = 300, lights[0].r = lights[0].g = lights[0].b = 1;
    lights[0].multiplier = 1;
    lights[1] = lights[0];
    lights[1].x = 120, lights[1].b = 0.4f;
    for (int mode : {3, 6}) {
        for (bool deep : {false, true}) {
            const int full = deep ? 32768 : 255;
            const fixture::Image bg(w, h, deep, full / 4, full / 3, full / 2, full);
            auto draw = [&](bool oneByOne) {
                fixture::ResetLibrary();
                __SetDrawMode(static_cast<BYTE>(mode));
                __SetDeep(deep);
                __SetQuality(0);
                Result result{bg, std::vector<float>(w * h)};
                std::memset(result.depth.data(), 0xFE, result.depth.size() * sizeof(float));
                fixture::Image background = bg;
                for (int first = 0; first < scene.Count(); first += oneByOne ? 1 : scene.Count()) {
                    __SetZBuff(result.depth.data(), w, h);
                    __RasterScene(result.image.data(), background.data(), w, h, w * 4, 0,
                                  oneByOne ? 1 : scene.Count(), scene.triangles.data() + first,
                                  scene.points.data(), w / 2, h / 2, 3, materials, nullptr, 2, lights, nullptr);
                }
                fixture::ResetLibrary();
                return result;
            };
            const Result together = draw(false), apart = draw(true);
            EXPECT_TRUE(together.image == apart.image) << "mode " << mode << " deep " << deep;
            EXPECT_EQ(together.depth, apart.depth) << "mode " << mode << " deep " << deep;
            EXPECT_FALSE(together.image == bg) << "mode " << mode << " deep " << deep;
        }
    }
}

}  // namespace

namespace {

light3ds g_seen;
bool g_sawLight = false;

float RecordDefaultLight(float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds*, material3ds*, int,
                         float& r, float& g, float& b, __Point*, BYTE, float, float, __Texture*, int, light3ds*,
                         __PrevInfo*, GlassProp*, float, float, float, float) {
    g_sawLight = trivane::g_state.defaultLight != nullptr;
    if (g_sawLight) g_seen = *trivane::g_state.defaultLight;
    r = g = b = 0;
    return 1.0f;
}

void RasterOneTriangle(int lightCount, light3ds* lights) {
    std::vector<BYTE> target(16 * 16 * 4), background(16 * 16 * 4);
    fixture::Scene scene;
    scene.Add(-5, -5, 0, 5, -5, 0, 5, 5, 0);
    __RasterScene(target.data(), background.data(), 16, 16, 64, 0, 1, scene.triangles.data(), scene.points.data(),
                  8, 8, 0, nullptr, nullptr, lightCount, lights, nullptr);
}

TEST(DefaultLight, ACallWithoutLightsGetsAWhiteLightAt200_200_1000ForItsDuration) {
    fixture::ResetLibrary();
    __SetNewRenderOnePixel(RecordDefaultLight);
    g_sawLight = false;
    RasterOneTriangle(0, nullptr);
    ASSERT_TRUE(g_sawLight);
    EXPECT_FLOAT_EQ(g_seen.x, 200);
    EXPECT_FLOAT_EQ(g_seen.y, 200);
    EXPECT_FLOAT_EQ(g_seen.z, 1000);
    EXPECT_FLOAT_EQ(g_seen.r, 1);
    EXPECT_FLOAT_EQ(g_seen.g, 1);
    EXPECT_FLOAT_EQ(g_seen.b, 1);
    EXPECT_FLOAT_EQ(g_seen.multiplier, 1);
    EXPECT_EQ(trivane::g_state.defaultLight, nullptr) << "the call's own light is gone afterwards";

    // A light set with __SetLightDef is used as it is and stays set.
    light3ds mine{};
    mine.x = 7, mine.multiplier = 0.5f;
    __SetLightDef(&mine);
    g_sawLight = false;
    RasterOneTriangle(0, nullptr);
    ASSERT_TRUE(g_sawLight);
    EXPECT_FLOAT_EQ(g_seen.x, 7);
    EXPECT_EQ(trivane::g_state.defaultLight, &mine);
    fixture::ResetLibrary();
}

}  // namespace
