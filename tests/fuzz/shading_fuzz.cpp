// The built-in shading under hostile materials: a few triangles over a small image, drawn in the
// filled and curved modes with random materials (tiny and huge exponents, odd transparencies),
// textures of any depth and size in all four slots (one 2^25 texels long), map scales and offsets,
// texture coordinates, lights and glass.
//
// It also checks the shading's numeric helpers directly: a wrapped texel coordinate always
// truncates to an index inside the texture, and the highlight's shortcut never drops a power that
// is not zero.
#include <cstdlib>
#include <memory>

#include "engine/shading_math_p.h"
#include "tests/fuzz/engine_input.h"

namespace {

constexpr int kLongTexture = 1 << 25;
BYTE* LongTexels() {
    static std::unique_ptr<BYTE[]> texels(new BYTE[static_cast<std::size_t>(kLongTexture) * 4]);
    return texels.get();
}

void CheckHelpers(FuzzedDataProvider& in) {
    const float t = fuzz::ReadFloat(in, -100.0f, 100.0f);
    const int size = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(1, 64) : in.ConsumeIntegralInRange<int>(1, INT32_MAX);
    const float wrapped = trivane::shading::WrapTexel(t, size);
    if (!(wrapped >= 0.0f) || !(static_cast<double>(wrapped) < size) || static_cast<long long>(wrapped) >= size) {
        std::abort();
    }
    const float base = in.ConsumeFloatingPointInRange<float>(0.0f, 1.0f);
    const float exponent = in.ConsumeBool() ? fuzz::ReadFloat(in, 0.0f, 300.0f) : in.ConsumeFloatingPointInRange(0.0f, 0.1f);
    const float power = trivane::shading::FastPow(base, exponent);
    if (power > 0.0f && !(base > trivane::shading::FastPowThreshold(exponent))) std::abort();
    if (!(power >= 0.0f)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    CheckHelpers(in);

    static const BYTE kModes[] = {1, 2, 3, 6, 8, 9};
    __SetDrawMode(in.PickValueInArray(kModes));
    __SetQuality(in.ConsumeBool());
    __SetDeep(in.ConsumeBool());
    __SetDubleSide(in.ConsumeBool());
    __SetDrawBackFaces(in.ConsumeBool());
    __SetUseMultyRefract(in.ConsumeIntegralInRange<BYTE>(0, 2));
    __SetUsePhong2(in.ConsumeBool());
    const bool deep = _Deep != 0;
    const int width = in.ConsumeIntegralInRange<int>(1, 24), height = in.ConsumeIntegralInRange<int>(1, 24);
    fuzz::Image target(in, width, height, width * 4, deep), background(in, width, height, width * 4, deep);

    // Up to four triangles over the image, every vertex with its own normal and texture coordinates.
    std::vector<__Point3ds> points;
    std::vector<__Triangle3ds> triangles;
    const int count = in.ConsumeIntegralInRange<int>(1, 4);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) {
            __Point3ds p{};
            p.x = in.ConsumeFloatingPointInRange<float>(-w, w);
            p.y = in.ConsumeFloatingPointInRange<float>(-h, h);
            p.z = in.ConsumeFloatingPointInRange<float>(-50.0f, 50.0f);
            p.mapped = in.ConsumeIntegralInRange<int>(0, 7) != 0;
            p.u = fuzz::ReadFloat(in, -1.0f, 2.0f);
            p.v = fuzz::ReadFloat(in, -1.0f, 2.0f);
            p.nx = fuzz::ReadFloat(in, -1.0f, 1.0f);
            p.ny = fuzz::ReadFloat(in, -1.0f, 1.0f);
            p.nz = fuzz::ReadFloat(in, -1.0f, 1.0f);
            points.push_back(p);
        }
        triangles.push_back(__Triangle3ds{3 * i, 3 * i + 1, 3 * i + 2, 0,
                                          in.ConsumeIntegralInRange<std::uint16_t>(0, 2)});
    }

    const int materialCount = in.ConsumeIntegralInRange<int>(0, 2);
    std::vector<material3ds> materials(static_cast<std::size_t>(materialCount));
    std::vector<__Texture> textures(static_cast<std::size_t>(materialCount) * kSlotsPerMaterial);
    std::vector<std::vector<BYTE>> texels;
    for (material3ds& m : materials) {
        for (int k = 0; k < 3; ++k) {
            m.diffuse[k] = fuzz::ReadFloat(in, 0.0f, 1.0f);
            m.specular[k] = fuzz::ReadFloat(in, 0.0f, 1.0f);
        }
        m.shininess = in.ConsumeBool() ? fuzz::ReadFloat(in, 0.0f, 2.0f) : in.ConsumeFloatingPointInRange(0.0f, 1e-3f);
        m.shinStrength = fuzz::ReadFloat(in, 0.0f, 10.0f);
        m.transparency = fuzz::ReadFloat(in, -1.0f, 0.0f);
        m.selfIllum = fuzz::ReadFloat(in, 0.0f, 1.0f);
        for (map3ds& map : m.maps) {
            map.amount = fuzz::ReadFloat(in, 0.0f, 1.0f);
            map.uScale = fuzz::ReadFloat(in, -3.0f, 3.0f);
            map.vScale = fuzz::ReadFloat(in, -3.0f, 3.0f);
            map.uOffset = fuzz::ReadFloat(in, -2.0f, 2.0f);
            map.vOffset = fuzz::ReadFloat(in, -2.0f, 2.0f);
        }
    }
    for (__Texture& t : textures) {
        t.present = in.ConsumeBool();
        if (!t.present) continue;
        if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
            const bool wide = in.ConsumeBool();
            t.width = wide ? kLongTexture : 1;
            t.height = wide ? 1 : kLongTexture;
            t.texels = LongTexels();
            continue;
        }
        t.width = in.ConsumeIntegralInRange<int>(1, 6);
        t.height = in.ConsumeIntegralInRange<int>(1, 6);
        t.is16 = in.ConsumeBool();
        std::vector<BYTE> bytes(static_cast<std::size_t>(t.width) * t.height * 4 * (t.is16 ? 2 : 1));
        std::vector<BYTE> fill = in.ConsumeBytes<BYTE>(8);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = fill.empty() ? 200 : fill[i % fill.size()];
        texels.push_back(std::move(bytes));
        t.texels = texels.back().data();
    }
    std::vector<light3ds> lights(in.ConsumeIntegralInRange<std::size_t>(0, 2));
    for (light3ds& l : lights) {
        l.x = fuzz::ReadFloat(in, -100.0f, 100.0f);
        l.y = fuzz::ReadFloat(in, -100.0f, 100.0f);
        l.z = fuzz::ReadFloat(in, -100.0f, 500.0f);
        l.r = l.g = l.b = 1.0f;
        l.multiplier = fuzz::ReadFloat(in, 0.0f, 2.0f);
    }
    std::vector<GlassProp> glass(static_cast<std::size_t>(materialCount > 0 ? materialCount : 1));
    for (GlassProp& g : glass) {
        g.useGlass = in.ConsumeBool();
        g.optical = fuzz::ReadFloat(in, -1.0f, 2.0f);
        g.refraction = fuzz::ReadFloat(in, -40.0f, 40.0f);
        g.aberration = fuzz::ReadFloat(in, -100.0f, 100.0f);
    }

    __SetZBuff(nullptr, 0, 0);
    __RasterScene(target.data(), background.data(), width, height, width * 4, 0, count, triangles.data(),
                  points.data(), width / 2, height / 2, materialCount, materials.empty() ? nullptr : materials.data(),
                  textures.empty() ? nullptr : textures.data(), static_cast<int>(lights.size()),
                  lights.empty() ? nullptr : lights.data(), in.ConsumeBool() ? glass.data() : nullptr);
    return 0;
}
