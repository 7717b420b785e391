#pragma once
// Hand-built records for calling the shading directly, and a fixture that restores the library's
// switches and per-call state after each test.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/shading_p.h"
#include "engine/state_p.h"
#include "engine/trivane.h"
#include "tests/engine/shading_reference.h"

namespace shading_test {

struct Shaded {
    float r, g, b, a;
};

// An image of 4-channel pixels in either depth, rows without gaps.
struct Image {
    int width = 0, height = 0;
    bool deep = false;
    std::vector<std::uint8_t> bytes;

    Image(int w, int h, bool is16) : width(w), height(h), deep(is16), bytes(static_cast<std::size_t>(w) * h * (is16 ? 8 : 4)) {}
    void Set(int x, int y, int channel, int value) {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4 + channel;
        if (deep) {
            reinterpret_cast<std::uint16_t*>(bytes.data())[i] = static_cast<std::uint16_t>(value);
        } else {
            bytes[i] = static_cast<std::uint8_t>(value);
        }
    }
    int Get(int x, int y, int channel) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4 + channel;
        return deep ? reinterpret_cast<const std::uint16_t*>(bytes.data())[i] : bytes[i];
    }
    void SetPixel(int x, int y, int c0, int c1, int c2, int c3) {
        Set(x, y, 0, c0), Set(x, y, 1, c1), Set(x, y, 2, c2), Set(x, y, 3, c3);
    }
    BYTE* data() { return bytes.data(); }
};

// One material with its 4 texture slots, lights, glass, and the pixel being shaded.
struct Scene {
    material3ds material{};
    __Texture textures[4] = {};
    std::vector<light3ds> lights;
    GlassProp glass{};
    __Triangle3ds triangle{0, 1, 2, 0, 0};
    int materialCount = 1;
    bool withGlassArray = false;
    light3ds defaultLight{};

    // Pixel.
    float originX = 8, originY = 8;
    float x = 0, y = 0, z = 0;
    __Point normal{0, 0, 1};
    BYTE mapped = 0;
    float u = 0, v = 0;
    __PrevInfo previous{};
    bool withPrevious = false;
    float plane[4] = {0, 0, 1, 0};
    BYTE* target = nullptr;
    BYTE* background = nullptr;

    Scene() {
        std::strcpy(material.name, "Material#0");
        for (int i = 0; i < 3; ++i) material.diffuse[i] = 0.6f, material.specular[i] = 1.0f;
        material.shininess = 0.5f;
        material.shinStrength = 1.0f;
        for (map3ds& m : material.maps) m.uScale = m.vScale = 1.0f;
    }

    // A white light straight in front of the pixel, far away.
    Scene& FrontLight() {
        light3ds l{};
        std::strcpy(l.name, "LightOne");
        l.x = x, l.y = y, l.z = 100000.0f;
        l.r = l.g = l.b = 1.0f;
        l.multiplier = 1.0f;
        lights.push_back(l);
        return *this;
    }
};

// Calls the built-in shading as the next pixel of the current call, as a fresh call, or the
// reference on the scene.
inline Shaded CallBuiltinContinuing(Scene& s) {
    Shaded out{};
    out.a = trivane::RenderOnePixelBuiltin(
        s.originX, s.originY, s.target, s.background, s.x, s.y, s.z, &s.triangle, &s.material, s.materialCount,
        out.r, out.g, out.b, &s.normal, s.mapped, s.u, s.v, s.textures, static_cast<int>(s.lights.size()),
        s.lights.empty() ? nullptr : s.lights.data(), s.withPrevious ? &s.previous : nullptr,
        s.withGlassArray ? &s.glass : nullptr, s.plane[0], s.plane[1], s.plane[2], s.plane[3]);
    return out;
}

inline Shaded CallBuiltin(Scene& s) {
    trivane::shading::BeginShadingCall();
    return CallBuiltinContinuing(s);
}

inline Shaded CallReference(Scene& s) {
    Shaded out{};
    out.a = reference::ShadeOnePixel(
        s.originX, s.originY, s.target, s.background, s.x, s.y, s.z, &s.triangle, &s.material, s.materialCount,
        out.r, out.g, out.b, &s.normal, s.mapped, s.u, s.v, s.textures, static_cast<int>(s.lights.size()),
        s.lights.empty() ? nullptr : s.lights.data(), s.withPrevious ? &s.previous : nullptr,
        s.withGlassArray ? &s.glass : nullptr, s.plane[0], s.plane[1], s.plane[2], s.plane[3]);
    return out;
}

// Restores every switch and the per-call state; starts in 8-bit mode with a 16 x 16 clip area.
class ShadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = trivane::g_state;
        savedSwitches_[0] = _Quality, savedSwitches_[1] = _Deep, savedSwitches_[2] = _DrawBackFaces;
        savedSwitches_[3] = _DrawBackFaces1, savedSwitches_[4] = _DubleSide, savedSwitches_[5] = _UseMultyRefract;
        savedZw_ = Zwidth, savedZh_ = Zheight;
        _Quality = 0, _Deep = 0, _DrawBackFaces = 0, _DrawBackFaces1 = 0, _DubleSide = 0, _UseMultyRefract = 0;
        UseFrame(16, 16, false);
        trivane::g_state.defaultLight = nullptr;
        trivane::g_state.backCopy = nullptr;
        trivane::g_state.glassDepth = nullptr;
    }
    void TearDown() override {
        trivane::g_state = saved_;
        _Quality = savedSwitches_[0], _Deep = savedSwitches_[1], _DrawBackFaces = savedSwitches_[2];
        _DrawBackFaces1 = savedSwitches_[3], _DubleSide = savedSwitches_[4], _UseMultyRefract = savedSwitches_[5];
        Zwidth = savedZw_, Zheight = savedZh_;
        trivane::shading::BeginShadingCall();
    }
    // The clip area and sample depth of a call, as __RasterScene sets them.
    static void UseFrame(int width, int height, bool deep) {
        Zwidth = width, Zheight = height;
        _Deep = deep ? 1 : 0;
        trivane::g_state.fullScale = deep ? 32768 : 255;
        trivane::g_state.pixelBytes = deep ? 8 : 4;
        trivane::g_state.stride = width * 4;
    }

private:
    trivane::RasterState saved_;
    BYTE savedSwitches_[6] = {};
    std::int32_t savedZw_ = 0, savedZh_ = 0;
};

}  // namespace shading_test
