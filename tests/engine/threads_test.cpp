// Drawing in bands of rows on several threads gives the bytes of drawing the whole image at once on
// one thread: every draw mode, both sample depths, with and without quality (layers), maps and
// glass, a back-face pass, a borrowed depth buffer, and the one-colour fills and outlines, on 1, 2,
// 3 and 8 threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/raster_bands_p.h"
#include "engine/trivane.h"
#include "engine/worker_p.h"
#include "scene_fixture.h"

namespace {

constexpr int kWidth = 173, kHeight = 301;  // several bands of rows, the last one short

struct Case {
    int mode;
    bool deep, quality, maps, glass, backFaces, borrowedDepth;
    int multipleRefraction;
};

std::string Describe(const Case& c) {
    return "mode " + std::to_string(c.mode) + " deep " + std::to_string(c.deep) + " quality " +
           std::to_string(c.quality) + " maps " + std::to_string(c.maps) + " glass " + std::to_string(c.glass) +
           " back " + std::to_string(c.backFaces) + " borrowed " + std::to_string(c.borrowedDepth) + " multiple " +
           std::to_string(c.multipleRefraction);
}

// The target and (borrowed) depth bytes of one render on `threads` threads (0: the whole image at
// once).
std::vector<BYTE> Render(const Case& c, const fixture::Scene& original, int threads, int* used) {
    fixture::ResetLibrary();
    trivane::ForceThreadCount(threads > 0 ? threads : 1);
    trivane::ForceWholeImage(threads == 0);
    __SetDrawMode(static_cast<BYTE>(c.mode));
    __SetDeep(c.deep);
    __SetQuality(c.quality);
    __SetDrawBackFaces(c.backFaces);
    __SetUseMultyRefract(static_cast<BYTE>(c.multipleRefraction));
    _WireSize = 1.5f;
    const int full = c.deep ? 32768 : 255;
    fixture::Image background(kWidth, kHeight, c.deep, full / 3, full / 2, full / 5, full);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; x += 7) {
            const int v = (x * 31 + y * 17) % full;
            if (c.deep) {
                const std::uint16_t s = static_cast<std::uint16_t>(v);
                std::memcpy(&background.bytes[((y * kWidth + x) * 4) * 2], &s, 2);
            } else {
                background.bytes[(y * kWidth + x) * 4] = static_cast<BYTE>(v);
            }
        }
    }
    fixture::Image target = background;
    std::vector<float> depth;
    if (c.borrowedDepth) {
        depth.resize(static_cast<std::size_t>(kWidth) * kHeight);
        for (std::size_t i = 0; i < depth.size(); ++i) depth[i] = i % 5 == 0 ? 30.0f : -1e30f;
        __SetZBuff(depth.data(), kWidth, kHeight);
    }
    fixture::Scene scene = original;
    fixture::Materials m(c.deep, c.maps, c.glass);
    __RasterScene(target.data(), background.data(), kWidth, kHeight, kWidth * 4, 0, scene.Count(),
                  scene.triangles.data(), scene.points.data(), kWidth / 2, kHeight / 2, 3, m.list,
                  c.maps ? m.slots : nullptr, 2, m.lights, c.glass ? m.glass : nullptr);
    *used = trivane::LastRunThreads();
    std::vector<BYTE> bytes = target.bytes;
    const auto* d = reinterpret_cast<const BYTE*>(depth.data());
    bytes.insert(bytes.end(), d, d + depth.size() * sizeof(float));
    trivane::ForceThreadCount(0);
    trivane::ForceWholeImage(false);
    fixture::ResetLibrary();
    return bytes;
}

TEST(Threads, EveryModeDrawsTheSameBytesOnAnyNumberOfThreads) {
    const fixture::Scene scene = fixture::MixedScene(5, 260, kWidth, kHeight);
    const fixture::Scene patches = fixture::MixedScene(6, 40, kWidth, kHeight);
    int cases = 0, parallel = 0;
    for (int mode : {0, 1, 2, 3, 6, 8, 9, 10}) {
        for (bool deep : {false, true}) {
            for (bool quality : {false, true}) {
                for (int variant = 0; variant < 6; ++variant) {
                    Case c{mode, deep, quality, variant == 1 || variant == 5, variant >= 2 && variant != 5,
                           variant == 4, variant == 5, variant == 3 ? 0 : 1};
                    const fixture::Scene& drawn = mode >= 8 ? patches : scene;
                    int used = 0;
                    const std::vector<BYTE> one = Render(c, drawn, 0, &used);
                    for (int threads : {1, 2, 3, 8}) {
                        const std::vector<BYTE> many = Render(c, drawn, threads, &used);
                        ASSERT_EQ(one, many) << Describe(c) << " on " << threads << " threads";
                        if (used > 1) ++parallel;
                    }
                    ++cases;
                }
            }
        }
    }
    // Most cases are drawn in bands by several threads (the rest, glass that sees other glass or
    // the back faces, by one).
    EXPECT_GT(parallel, cases * 2);
}

TEST(Threads, FillsAndOutlinesDrawTheSameBytesOnAnyNumberOfThreads) {
    const fixture::Scene original = fixture::MixedScene(7, 300, kWidth, kHeight);
    for (bool deep : {false, true}) {
        for (bool quality : {false, true}) {
            std::vector<BYTE> first[2];
            for (int threads : {0, 1, 2, 3, 8}) {
                fixture::ResetLibrary();
                trivane::ForceThreadCount(threads > 0 ? threads : 1);
                trivane::ForceWholeImage(threads == 0);
                __SetDeep(deep);
                __SetQuality(quality);
                const int full = deep ? 32768 : 255;
                fixture::Image solid(kWidth, kHeight, deep, full / 4, full / 4, full / 4, full / 2);
                fixture::Scene scene = original;
                __RasterSolid(solid.data(), kWidth, kHeight, kWidth * 4, 0, scene.Count(), scene.triangles.data(),
                              scene.points.data(), kWidth / 2, kHeight / 2, full * 0.9f, full * 0.3f, full * 0.6f,
                              0.7f);
                fixture::Image lines(kWidth, kHeight, deep, 0, 0, 0, 0);
                __DrawScenesLineColor(2.5f, full / 2, full, full / 7, lines.data(), nullptr, kWidth, kHeight, 0,
                                      scene.Count(), scene.triangles.data(), scene.points.data(), kWidth / 2,
                                      kHeight / 2);
                if (threads == 0) {
                    first[0] = solid.bytes, first[1] = lines.bytes;
                } else {
                    EXPECT_EQ(first[0], solid.bytes) << "solid deep " << deep << " quality " << quality << " on "
                                                     << threads << " threads";
                    EXPECT_EQ(first[1], lines.bytes) << "outline deep " << deep << " quality " << quality << " on "
                                                     << threads << " threads";
                }
            }
            trivane::ForceThreadCount(0);
            trivane::ForceWholeImage(false);
            fixture::ResetLibrary();
        }
    }
}

// A call of many triangles has its band lists built by several threads, each over a share of the
// triangles: the lists, their columns and the count of busy bands are the ones one thread builds.
TEST(Threads, BandListsBuiltInSharesAreTheListsOfOneThread) {
    fixture::Scene scene = fixture::MixedScene(11, 20000, kWidth, kHeight);
    // Now and then a corner far out or not a number, and a bad index.
    scene.points[5].y = 1e30f;
    scene.points[17].x = std::nanf("");
    scene.triangles[23].v1 = -1;
    trivane::SceneCall call;
    call.triangleCount = scene.Count();
    call.triangles = scene.triangles.data();
    call.points = scene.points.data();
    call.cx = kWidth / 2, call.cy = kHeight / 2;
    for (trivane::Reach reach : {trivane::Reach::Vertices, trivane::Reach::SubTriangles, trivane::Reach::Patch}) {
        auto lists = [&](int threads) {
            trivane::ForceThreadCount(threads);
            trivane::Bins& bins = trivane::CallBins();
            EXPECT_TRUE(bins.Build(call, kWidth, kHeight, reach, 3));
            std::vector<int> out{bins.BandCount(), bins.BandsWithWork()};
            for (int b = 0; b < bins.BandCount(); ++b) {
                out.push_back(bins.ColumnsFirst(b));
                out.push_back(bins.ColumnsEnd(b));
                out.push_back(bins.ItemCount(b));
                out.insert(out.end(), bins.Items(b), bins.Items(b) + bins.ItemCount(b));
            }
            trivane::ForceThreadCount(0);
            return out;
        };
        const std::vector<int> one = lists(1);
        EXPECT_GT(one.size(), static_cast<std::size_t>(scene.Count()));
        for (int threads : {2, 3, 8}) {
            EXPECT_EQ(one, lists(threads)) << "reach " << static_cast<int>(reach) << " on " << threads << " threads";
        }
    }
    trivane::CallBins().Trim();
}

}  // namespace
