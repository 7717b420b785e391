// The built-in shading reached through __RasterScene: what the rasteriser hands it, lights
// created by the call, glass over the call's background, and records changed between calls.
#include <cmath>
#include <cstdlib>

#include "tests/engine/shading_fixture.h"

namespace shading_test {
namespace {

constexpr int kW = 32, kH = 24;

// One flat triangle covering most of the image at depth 10, all vertex normals alike.
struct SceneCall {
    Image background{kW, kH, false};
    Image target{kW, kH, false};
    __Triangle3ds triangle{0, 1, 2, 0, 0};
    __Point3ds points[3] = {};
    material3ds material{};
    std::vector<light3ds> lights;
    GlassProp glass{};
    __Texture textures[4] = {};

    SceneCall() {
        const float corners[3][2] = {{-14.0f, -10.0f}, {14.0f, -10.0f}, {-14.0f, 11.0f}};
        for (int i = 0; i < 3; ++i) {
            points[i].x = corners[i][0], points[i].y = corners[i][1], points[i].z = 10.0f;
            points[i].nx = 0.3f, points[i].ny = -0.2f, points[i].nz = 0.93f;
        }
        // Front-facing: N = (V2 - V1) x (V0 - V1) needs N.z >= 0.
        const float ax = points[2].x - points[1].x, ay = points[2].y - points[1].y;
        const float bx = points[0].x - points[1].x, by = points[0].y - points[1].y;
        if (ax * by - ay * bx < 0.0f) std::swap(triangle.v0, triangle.v2);
        for (int i = 0; i < 3; ++i) material.diffuse[i] = 0.2f + 0.3f * i, material.specular[i] = 1.0f;
        material.shininess = 0.2f;
        material.shinStrength = 0.5f;
        for (map3ds& m : material.maps) m.uScale = m.vScale = 1.0f;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) background.SetPixel(x, y, 7 * x, 10 * y, 100, 255);
        }
    }
    void AddLight(float x, float y, float z) {
        light3ds l{};
        l.x = x, l.y = y, l.z = z, l.r = l.g = l.b = 1.0f, l.multiplier = 1.0f;
        lights.push_back(l);
    }
    void Render(bool withGlass = false) {
        target = background;
        __SetDrawMode(6);
        __RasterScene(target.data(), background.data(), kW, kH, kW * 4, 0, 1, &triangle, points, kW / 2, kH / 2, 1,
                      &material, textures, static_cast<int>(lights.size()), lights.empty() ? nullptr : lights.data(),
                      withGlass ? &glass : nullptr);
    }
    // The built-in shading's colour for pixel (px, py) of the triangle, asked directly.
    Shaded Direct(int px, int py) {
        Scene s;
        s.material = material;
        s.lights = lights;
        s.originX = kW / 2, s.originY = kH / 2;
        s.x = static_cast<float>(px - kW / 2), s.y = static_cast<float>(py - kH / 2), s.z = 10.0f;
        s.normal = {0.3f, -0.2f, 0.93f};
        return CallBuiltin(s);
    }
};

class ShadingSceneTest : public ShadingTest {
protected:
    void SetUp() override {
        ShadingTest::SetUp();
        savedMode_ = _DrawMode;
        __SetZBuff(nullptr, 0, 0);
        __SetLightDef(nullptr);
    }
    void TearDown() override {
        _DrawMode = savedMode_;
        __SetLightDef(nullptr);
        ShadingTest::TearDown();
    }

private:
    BYTE savedMode_ = 6;
};

TEST_F(ShadingSceneTest, InteriorPixelsCarryTheShadingOfTheirOwnPositionAndNormal) {
    SceneCall call;
    call.AddLight(-30.0f, -20.0f, 40.0f);
    call.AddLight(30.0f, 20.0f, 30.0f);
    call.Render();
    for (int py : {4, 8, 12}) {
        for (int px : {4, 9, 14}) {
            UseFrame(kW, kH, false);
            const Shaded expected = call.Direct(px, py);
            EXPECT_NEAR(call.target.Get(px, py, 0), expected.r, 1.0f) << px << "," << py;
            EXPECT_NEAR(call.target.Get(px, py, 1), expected.g, 1.0f) << px << "," << py;
            EXPECT_NEAR(call.target.Get(px, py, 2), expected.b, 1.0f) << px << "," << py;
            EXPECT_EQ(call.target.Get(px, py, 3), 255);
        }
    }
    // The lights sit at different places: the colour changes across the triangle.
    EXPECT_GT(std::abs(call.target.Get(4, 4, 2) - call.target.Get(14, 12, 2)), 10);
}

TEST_F(ShadingSceneTest, ACallWithoutLightsIsLitByItsOwnOrTheSetDefaultLight) {
    SceneCall call;
    call.Render();
    const int own = call.target.Get(8, 8, 2);
    EXPECT_GT(own, 50);  // (200, 200, 1000), white
    light3ds dim{};
    dim.z = 1000.0f, dim.r = dim.g = dim.b = 0.25f, dim.multiplier = 1.0f;
    __SetLightDef(&dim);
    call.Render();
    EXPECT_LT(call.target.Get(8, 8, 2), own);
}

TEST_F(ShadingSceneTest, RecordsChangedBetweenCallsAreSeen) {
    SceneCall call;
    call.AddLight(0.0f, 0.0f, 1000.0f);
    call.material.shinStrength = 0.0f;
    call.Render();
    const int first = call.target.Get(8, 8, 0);
    call.material.diffuse[0] = 0.9f;  // same array, new value
    call.Render();
    EXPECT_GT(call.target.Get(8, 8, 0), first + 100);
}

TEST_F(ShadingSceneTest, GlassShowsTheShiftedBackground) {
    SceneCall call;
    call.AddLight(0.0f, 0.0f, 1000.0f);
    for (float& c : call.material.diffuse) c = 0.5f;
    call.material.selfIllum = 1.0f;
    call.material.shinStrength = 0.0f;
    call.glass = {1, 0.0f, 10.0f, 0.0f};  // f = -1: shift by -10 x (0.3, -0.2) / |n|
    for (__Point3ds& p : call.points) p.nx = 0.3f, p.ny = 0.0f, p.nz = std::sqrt(1.0f - 0.09f);
    for (BYTE multiple : {0, 1}) {
        _UseMultyRefract = multiple;
        call.Render(true);
        // Pixel (12, 8) samples column 12 - 3 = 9: channel 0 is 7 x 9.
        EXPECT_NEAR(call.target.Get(12, 8, 0), 63, 1) << int(multiple);
        EXPECT_NEAR(call.target.Get(12, 8, 1), 80, 1);
    }
}

TEST_F(ShadingSceneTest, SixteenBitRenderShadesLikeEightBit) {
    SceneCall call;
    call.AddLight(-200.0f, -100.0f, 300.0f);
    call.Render();
    const int eight = call.target.Get(9, 8, 1);
    __SetDeep(1);
    Image background16(kW, kH, true), target16(kW, kH, true);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            for (int c = 0; c < 4; ++c) background16.Set(x, y, c, (call.background.Get(x, y, c) * 32768 + 128) / 255);
        }
    }
    target16 = background16;
    __RasterScene(target16.data(), background16.data(), kW, kH, kW * 4, 0, 1, &call.triangle, call.points, kW / 2,
                  kH / 2, 1, &call.material, call.textures, 1, call.lights.data(), nullptr);
    EXPECT_NEAR(target16.Get(9, 8, 1) / 32768.0, eight / 255.0, 1.5 / 255.0);
    EXPECT_EQ(target16.Get(9, 8, 3), 32768);
}

TEST_F(ShadingSceneTest, EveryFeatureTogetherInBothDepthsStaysInRange) {
    for (bool deep : {false, true}) {
        for (BYTE quality : {0, 1}) {
            __SetDeep(deep ? 1 : 0);
            __SetQuality(quality);
            _DrawBackFaces = 1;
            _DubleSide = 1;
            SceneCall call;
            call.AddLight(-200.0f, -100.0f, 300.0f);
            Image texture(5, 3, deep);
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 5; ++x) texture.SetPixel(x, y, 40 * x, 80 * y, 30, deep ? 32768 : 255);
            }
            for (int slot = 0; slot < 4; ++slot) call.textures[slot] = {1, 5, 3, texture.data(), BYTE(deep ? 1 : 0)};
            for (map3ds& m : call.material.maps) m.amount = 0.5f;
            for (__Point3ds& p : call.points) p.mapped = 1, p.u = p.x / 20.0f, p.v = p.y / 20.0f;
            call.glass = {1, 1.0f, 6.0f, 50.0f};
            Image background(kW, kH, deep), target(kW, kH, deep);
            const int full = deep ? 32768 : 255;
            for (int y = 0; y < kH; ++y) {
                for (int x = 0; x < kW; ++x) background.SetPixel(x, y, x * full / kW, y * full / kH, full / 2, full);
            }
            target = background;
            __RasterScene(target.data(), background.data(), kW, kH, kW * 4, 0, 1, &call.triangle, call.points, kW / 2,
                          kH / 2, 1, &call.material, call.textures, 1, call.lights.data(), &call.glass);
            int changed = 0;
            for (int y = 0; y < kH; ++y) {
                for (int x = 0; x < kW; ++x) {
                    for (int c = 0; c < 4; ++c) ASSERT_LE(target.Get(x, y, c), full);
                    changed += target.Get(x, y, 0) != background.Get(x, y, 0);
                }
            }
            EXPECT_GT(changed, 50) << deep << int(quality);
        }
    }
}

}  // namespace
}  // namespace shading_test
