// __RasterScene under hostile input: random switches and depths, every mode, random scenes
// (indices, NaN / infinite / huge coordinates, degenerate triangles), images of any size and
// stride, materials with textures (one of them 2^25 texels long), lights, glass, a perspective, a
// borrowed Z-buffer of the right or the wrong size, the built-in or a custom shading; then
// __DrawScenesLineColor (possibly at another depth) and __RasterSolid.
//
// Besides the sanitizers' findings, it checks that the call never changes what it only reads
// (background, points, triangles, materials, textures) and ends the back-face pass.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "tests/fuzz/engine_input.h"

namespace {

float g_custom[4];

float CustomShade(float, float, BYTE* target, BYTE* background, float, float, float, __Triangle3ds* triangle,
                  material3ds*, int, float& red, float& green, float& blue, __Point* normal, BYTE, float, float,
                  __Texture*, int, light3ds*, __PrevInfo*, GlassProp*, float, float, float, float) {
    if (target == nullptr || background == nullptr || triangle == nullptr || normal == nullptr) std::abort();
    red = g_custom[0], green = g_custom[1], blue = g_custom[2];
    return g_custom[3];
}

// 2^25 texels in one row (or column): long enough that float texel coordinates lose their fraction.
constexpr int kLongTexture = 1 << 25;
BYTE* LongTexels() {
    static std::unique_ptr<BYTE[]> texels(new BYTE[static_cast<std::size_t>(kLongTexture) * 4]);
    return texels.get();
}

struct Materials {
    std::vector<material3ds> materials;
    std::vector<__Texture> textures;
    std::vector<std::vector<BYTE>> texels;

    Materials(FuzzedDataProvider& in, int count) {
        materials.resize(static_cast<std::size_t>(count));
        for (material3ds& m : materials) {
            for (int k = 0; k < 3; ++k) {
                m.diffuse[k] = fuzz::ReadFloat(in, 0.0f, 1.0f);
                m.specular[k] = fuzz::ReadFloat(in, 0.0f, 1.0f);
            }
            m.shininess = in.ConsumeBool() ? fuzz::ReadFloat(in, 0.0f, 2.0f) : in.ConsumeFloatingPointInRange(0.0f, 1e-6f);
            m.shinStrength = fuzz::ReadFloat(in, 0.0f, 10.0f);
            m.transparency = fuzz::ReadFloat(in, -1.0f, 0.2f);
            m.selfIllum = fuzz::ReadFloat(in, 0.0f, 1.0f);
            for (map3ds& map : m.maps) {
                map.amount = fuzz::ReadFloat(in, 0.0f, 1.0f);
                map.uScale = in.ConsumeBool() ? 1.0f : fuzz::ReadFloat(in, -4.0f, 4.0f);
                map.vScale = in.ConsumeBool() ? 1.0f : fuzz::ReadFloat(in, -4.0f, 4.0f);
                map.uOffset = in.ConsumeBool() ? 0.0f : fuzz::ReadFloat(in, -2.0f, 2.0f);
                map.vOffset = in.ConsumeBool() ? 0.0f : fuzz::ReadFloat(in, -2.0f, 2.0f);
            }
        }
        textures.resize(static_cast<std::size_t>(count) * kSlotsPerMaterial);
        for (__Texture& t : textures) {
            t = __Texture{};
            t.present = in.ConsumeIntegralInRange<BYTE>(0, 3) == 0 ? 0 : in.ConsumeIntegral<BYTE>() | 1;
            if (!t.present) continue;
            const int kind = in.ConsumeIntegralInRange<int>(0, 15);
            if (kind == 0) {
                const bool wide = in.ConsumeBool();
                t.width = wide ? kLongTexture : 1;
                t.height = wide ? 1 : kLongTexture;
                t.texels = LongTexels();
                t.is16 = 0;
                continue;
            }
            if (kind == 1) continue;  // present without texels
            t.width = in.ConsumeIntegralInRange<int>(1, 9);
            t.height = in.ConsumeIntegralInRange<int>(1, 9);
            t.is16 = in.ConsumeBool();
            std::vector<BYTE> bytes(static_cast<std::size_t>(t.width) * t.height * 4 * (t.is16 ? 2 : 1));
            std::vector<BYTE> fill = in.ConsumeBytes<BYTE>(8);
            for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = fill.empty() ? 128 : fill[i % fill.size()];
            texels.push_back(std::move(bytes));
            t.texels = texels.back().data();
        }
    }
};

std::vector<light3ds> ReadLights(FuzzedDataProvider& in) {
    std::vector<light3ds> lights(in.ConsumeIntegralInRange<std::size_t>(0, 3));
    for (light3ds& l : lights) {
        l.x = fuzz::ReadFloat(in, -300.0f, 300.0f);
        l.y = fuzz::ReadFloat(in, -300.0f, 300.0f);
        l.z = fuzz::ReadFloat(in, -300.0f, 1000.0f);
        l.r = fuzz::ReadFloat(in, 0.0f, 1.0f);
        l.g = fuzz::ReadFloat(in, 0.0f, 1.0f);
        l.b = fuzz::ReadFloat(in, 0.0f, 1.0f);
        l.multiplier = fuzz::ReadFloat(in, 0.0f, 2.0f);
    }
    return lights;
}

template <typename T>
bool Same(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    fuzz::ReadSwitches(in);
    _WireSize = fuzz::ReadFloat(in, 0.0f, 6.0f);
    int width, height;
    fuzz::ReadImageSize(in, width, height);
    const int stride = fuzz::ReadStride(in, width);
    const bool deep = _Deep != 0;
    fuzz::Image target(in, width, height, stride, deep), background(in, width, height, stride, deep);
    fuzz::Scene scene(in, static_cast<float>(width), static_cast<float>(height), 16);
    const int cx = in.ConsumeBool() ? width / 2 : in.ConsumeIntegralInRange<int>(-100000, 100000);
    const int cy = in.ConsumeBool() ? height / 2 : in.ConsumeIntegralInRange<int>(-100000, 100000);

    const int materialCount = in.ConsumeIntegralInRange<int>(-1, 3);
    Materials materials(in, materialCount > 0 ? materialCount : 0);
    std::vector<light3ds> lights = ReadLights(in);
    std::vector<GlassProp> glass;
    if (in.ConsumeBool()) {
        glass.resize(static_cast<std::size_t>(materialCount > 0 ? materialCount : 1));
        for (GlassProp& g : glass) {
            g.useGlass = in.ConsumeBool();
            g.optical = fuzz::ReadFloat(in, -1.0f, 2.0f);
            g.refraction = fuzz::ReadFloat(in, -60.0f, 60.0f);
            g.aberration = fuzz::ReadFloat(in, -100.0f, 100.0f);
        }
    }
    light3ds defaultLight{};
    if (in.ConsumeBool()) {
        defaultLight.x = fuzz::ReadFloat(in, -300.0f, 300.0f);
        defaultLight.z = fuzz::ReadFloat(in, -300.0f, 1000.0f);
        defaultLight.r = defaultLight.g = defaultLight.b = 1.0f;
        defaultLight.multiplier = fuzz::ReadFloat(in, 0.0f, 2.0f);
        __SetLightDef(&defaultLight);
    } else {
        __SetLightDef(nullptr);
    }
    if (in.ConsumeBool()) {
        for (float& value : g_custom) value = fuzz::ReadFloat(in, -0.5f, 300.0f);
        __SetNewRenderOnePixel(CustomShade);
    } else {
        __SetDefRenderOnePixel();
    }
    if (in.ConsumeIntegralInRange<int>(0, 3) == 0) {
        __AddPersp(static_cast<int>(scene.points.size()), scene.points.data(), fuzz::ReadFloat(in, -2.0f, 2.0f),
                   fuzz::ReadFloat(in, -100.0f, 100.0f), fuzz::ReadFloat(in, -100.0f, 100.0f),
                   fuzz::ReadFloat(in, -2000.0f, 2000.0f));
    } else {
        __AddPersp(0, nullptr, 0.0f, 0.0f, 0.0f, 1000.0f);
    }
    // A borrowed Z-buffer: of the call's size, or of another (which the call releases).
    float* borrowed = nullptr;
    if (in.ConsumeBool() && width > 0 && height > 0) {
        const int zw = in.ConsumeBool() ? width : in.ConsumeIntegralInRange<int>(1, 80);
        const int zh = in.ConsumeBool() ? height : in.ConsumeIntegralInRange<int>(1, 80);
        borrowed = static_cast<float*>(platform::AllocPages(static_cast<std::size_t>(zw) * zh * sizeof(float)));
        __SetZBuff(borrowed, zw, zh);
    } else {
        __SetZBuff(nullptr, 0, 0);
    }

    const std::vector<BYTE> backgroundBefore = background.bytes;
    const std::vector<__Point3ds> pointsBefore = scene.points;
    const std::vector<__Triangle3ds> trianglesBefore = scene.triangles;
    const std::vector<material3ds> materialsBefore = materials.materials;
    const std::vector<__Texture> texturesBefore = materials.textures;
    const bool nullBackground = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    __RasterScene(target.data(), nullBackground ? nullptr : background.data(), width, height, stride,
                  in.ConsumeIntegral<int>(), in.ConsumeBool() ? scene.Count() : std::min(scene.Count(), in.ConsumeIntegralInRange<int>(-2, 2)),
                  scene.triangles.data(), scene.points.data(), cx, cy, materialCount,
                  materials.materials.empty() ? nullptr : materials.materials.data(),
                  materials.textures.empty() ? nullptr : materials.textures.data(), static_cast<int>(lights.size()),
                  lights.empty() ? nullptr : lights.data(), glass.empty() ? nullptr : glass.data());
    if (!Same(background.bytes, backgroundBefore) || !Same(scene.points, pointsBefore) ||
        !Same(scene.triangles, trianglesBefore) || !Same(materials.materials, materialsBefore) ||
        !Same(materials.textures, texturesBefore) || _DrawBackFaces1 != 0) {
        std::abort();
    }

    // The one-colour outline after it, perhaps at another depth and over an image of another size.
    if (in.ConsumeBool()) {
        if (in.ConsumeBool()) __SetDeep(in.ConsumeBool());
        int lineWidth, lineHeight;
        fuzz::ReadImageSize(in, lineWidth, lineHeight);
        if (in.ConsumeBool()) lineWidth = width, lineHeight = height;
        fuzz::Image lines(in, lineWidth, lineHeight, lineWidth * 4, _Deep != 0);
        __DrawScenesLineColor(fuzz::ReadFloat(in, 0.0f, 6.0f), in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(),
                              in.ConsumeIntegral<int>(), lines.data(), nullptr, lineWidth, lineHeight, 0, scene.Count(),
                              scene.triangles.data(), scene.points.data(), in.ConsumeIntegralInRange<int>(-50, 100),
                              in.ConsumeIntegralInRange<int>(-50, 100));
    }
    if (in.ConsumeBool()) {
        __SetDeep(deep);  // the target's depth
        __RasterSolid(target.data(), width, height, stride, 0, scene.Count(), scene.triangles.data(),
                      scene.points.data(), cx, cy, fuzz::ReadFloat(in, -10.0f, 40000.0f),
                      fuzz::ReadFloat(in, -10.0f, 40000.0f), fuzz::ReadFloat(in, -10.0f, 40000.0f),
                      fuzz::ReadFloat(in, -0.5f, 1.5f));
    }

    // A Z-buffer still set after the calls can only be the borrowed one: give it back.
    float* left;
    int leftWidth, leftHeight;
    __GetZBuff(left, leftWidth, leftHeight);
    if (left != nullptr) {
        if (left != borrowed) std::abort();
        platform::FreePages(left);
    }
    __SetZBuff(nullptr, 0, 0);
    __SetLightDef(nullptr);
    return 0;
}
