// A scene drawn again with other materials shades the fragments kept from the call before: the
// bytes must be those of drawing it afresh, whatever changed in the materials, maps, lights, glass
// or the target, and any change to the geometry or the switches that shape it must draw afresh.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "engine/fragment_cache_p.h"
#include "engine/trivane.h"
#include "engine/worker_p.h"
#include "scene_fixture.h"

namespace {

constexpr int kWidth = 181, kHeight = 203;

// One call's inputs besides the scene.
struct Inputs {
    bool deep = false;
    int cx = kWidth / 2, cy = kHeight / 2;
    int width = kWidth, height = kHeight;
    bool maps = true, glass = true;
    int variant = 0;  // changes materials, lights, glass and textures, never the geometry
    int targetShade = 0;
    std::function<void()> switches;  // set after the library's reset
};

// The target bytes of one __RasterScene call of scene with inputs.
std::vector<BYTE> Draw(const fixture::Scene& original, const Inputs& in) {
    __SetDrawMode(6);
    __SetQuality(0);
    __SetDeep(in.deep);
    __SetDubleSide(0);
    __SetUseMultyRefract(0);
    __AddPersp(0, nullptr, 0.0f, 0.0f, 0.0f, 1000.0f);
    if (in.switches) in.switches();
    const int full = in.deep ? 32768 : 255;
    fixture::Image background(in.width, in.height, in.deep, full / 3, full / 2, full / 5, full);
    for (int i = 0; i < in.width * in.height; i += 5) {
        if (in.deep) {
            background.bytes[i * 8] = static_cast<BYTE>(i * 7);
        } else {
            background.bytes[i * 4] = static_cast<BYTE>(i * 7);
        }
    }
    fixture::Image target(in.width, in.height, in.deep, full / 4 + in.targetShade, full / 5, full / 6, full);
    fixture::Scene scene = original;
    fixture::Materials m(in.deep, in.maps, in.glass);
    for (int k = 0; k < 3; ++k) {
        m.list[k].diffuse[1] = 0.6f - 0.1f * in.variant;
        m.list[k].shininess = 0.25f + 0.2f * in.variant;
        m.glass[k].refraction += 3.0f * in.variant;
    }
    m.lights[0].x += 90.0f * in.variant;
    for (std::size_t i = 0; i < m.texels.size(); i += 3) m.texels[i] = static_cast<BYTE>(m.texels[i] + 40 * in.variant);
    __RasterScene(target.data(), background.data(), in.width, in.height, in.width * 4, 0, scene.Count(),
                  scene.triangles.data(), scene.points.data(), in.cx, in.cy, 3, m.list, in.maps ? m.slots : nullptr,
                  2, m.lights, in.glass ? m.glass : nullptr);
    return target.bytes;
}

// The bytes of a call drawn afresh, nothing kept before or after.
std::vector<BYTE> Fresh(const fixture::Scene& scene, const Inputs& in) {
    trivane::fragments::KeepScenes(false);
    std::vector<BYTE> bytes = Draw(scene, in);
    trivane::fragments::KeepScenes(true);
    return bytes;
}

class FragmentCache : public testing::Test {
protected:
    void SetUp() override {
        fixture::ResetLibrary();
        trivane::fragments::KeepScenes(true);
        trivane::fragments::Release();
    }
    void TearDown() override {
        trivane::fragments::Release();
        trivane::ForceThreadCount(0);
        fixture::ResetLibrary();
    }
};

TEST_F(FragmentCache, MaterialChangesOverAKeptSceneGiveTheBytesOfAFreshDraw) {
    const fixture::Scene scene = fixture::MixedScene(3, 400, kWidth, kHeight);
    for (bool deep : {false, true}) {
        for (int threads : {1, 2, 3}) {
            trivane::ForceThreadCount(threads);
            trivane::fragments::Release();
            const int before = trivane::fragments::Replays();
            // Kept, recorded, then shaded again four times, the target's colour changing too.
            for (int variant : {0, 1, 2, 0, 3, 1}) {
                Inputs in;
                in.deep = deep, in.variant = variant, in.targetShade = variant * 3;
                ASSERT_EQ(Draw(scene, in), Fresh(scene, in))
                    << "deep " << deep << ", " << threads << " threads, variant " << variant;
            }
            EXPECT_EQ(trivane::fragments::Replays() - before, 4) << "deep " << deep << ", " << threads << " threads";
        }
    }
}

TEST_F(FragmentCache, AMaterialThatNoLongerTakesTheQueueIsDrawnAfresh) {
    // Glass and maps go through the kernel's queue; a plain material is shaded in batches and is
    // not recorded, so the scene is drawn and recorded again when the maps come back: kept,
    // recorded, drawn (twice), recorded again, shaded twice.
    const fixture::Scene scene = fixture::MixedScene(4, 300, kWidth, kHeight);
    Inputs glassy, plain;
    plain.maps = plain.glass = false;
    const int before = trivane::fragments::Replays();
    for (const Inputs* in : {&glassy, &glassy, &plain, &plain, &glassy, &glassy, &glassy}) {
        ASSERT_EQ(Draw(scene, *in), Fresh(scene, *in)) << "maps " << in->maps;
    }
    EXPECT_EQ(trivane::fragments::Replays() - before, 2);
}

TEST_F(FragmentCache, ChangesToTheGeometryOrItsSwitchesDrawAfresh) {
    const fixture::Scene scene = fixture::MixedScene(8, 300, kWidth, kHeight);
    struct Change {
        std::string name;
        std::function<void(fixture::Scene&, Inputs&)> apply;
    };
    const std::vector<Change> changes = {
        {"a vertex moved", [](fixture::Scene& s, Inputs&) { s.points[30].x += 2.5f; }},
        {"depths turned over", [](fixture::Scene& s, Inputs&) {
             for (int k = 0; k < 150; ++k) s.points[k].z = -2.0f * s.points[k].z;
         }},
        {"normals turned", [](fixture::Scene& s, Inputs&) {
             for (int k = 0; k < 150; ++k) s.points[k].nx = -s.points[k].nx + 0.3f;
         }},
        {"texture coordinates", [](fixture::Scene& s, Inputs&) {
             for (int k = 0; k < 150; ++k) s.points[k].u += 0.4f;
         }},
        {"vertices unmapped", [](fixture::Scene& s, Inputs&) {
             for (int k = 0; k < 150; k += 3) s.points[k].mapped = 0;
         }},
        {"materials of triangles", [](fixture::Scene& s, Inputs&) {
             for (int k = 0; k < 50; ++k) s.triangles[k].material = (s.triangles[k].material + 1) % 3;
         }},
        {"a triangle's vertex", [](fixture::Scene& s, Inputs&) { s.triangles[12].v1 = 3; }},
        {"fewer triangles", [](fixture::Scene& s, Inputs&) { s.triangles.resize(s.triangles.size() - 60); }},
        {"the origin", [](fixture::Scene&, Inputs& in) { in.cx += 3; }},
        {"the image size", [](fixture::Scene&, Inputs& in) { in.height -= 40; }},
        {"both sides drawn", [](fixture::Scene&, Inputs& in) { in.switches = [] { __SetDubleSide(1); }; }},
        {"back faces let through", [](fixture::Scene&, Inputs& in) { in.switches = [] { __SetUseMultyRefract(2); }; }},
        {"perspective", [](fixture::Scene&, Inputs& in) {
             in.switches = [] { __AddPersp(0, nullptr, 0.5f, 20.0f, -10.0f, 900.0f); };
         }},
        {"16-bit samples", [](fixture::Scene&, Inputs& in) { in.deep = true; }},
    };
    trivane::ForceThreadCount(2);
    for (const Change& change : changes) {
        trivane::fragments::Release();
        Inputs base;
        Draw(scene, base);
        Draw(scene, base);  // recorded
        fixture::Scene changedScene = scene;
        Inputs changed;
        changed.variant = 1;
        change.apply(changedScene, changed);
        Inputs unchanged;
        unchanged.variant = 1;
        const std::vector<BYTE> expected = Fresh(changedScene, changed);
        if (changed.width == unchanged.width && changed.height == unchanged.height && changed.deep == unchanged.deep) {
            ASSERT_NE(expected, Fresh(scene, unchanged)) << change.name << " changes nothing drawn";
        }
        const int before = trivane::fragments::Replays();
        EXPECT_EQ(Draw(changedScene, changed), expected) << change.name;
        EXPECT_EQ(trivane::fragments::Replays(), before) << change.name;
    }
}

}  // namespace
