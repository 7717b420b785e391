// Scene rendering: material, bump texture, lights and glass from the parameters, the buffers in
// Trivane's layout, one __RasterScene, and the result back in the caller's layout.
#include "generate/scene_render.h"

#include "generate/portable_math.h"
#include "params/params.h"
#include "platform/platform.h"

#include <cstring>

namespace {

constexpr double kDegree = 3.141592 / 180.0;

void Report(const SceneRenderInput& in, int done) {
    if (in.progress) in.progress(done, 100);
}

void ColourOf(std::int32_t colour, float out[3]) {
    out[0] = float(colour & 0xFF) / 255.0f;
    out[1] = float((colour >> 8) & 0xFF) / 255.0f;
    out[2] = float((colour >> 16) & 0xFF) / 255.0f;
}

// Pixel order: the caller's (coverage, r, g, b) and Trivane's (r, g, b, coverage), as one
// little-endian word of 4 samples rotated by one sample. Each works on one word or on a vector
// of words alike.
struct ToTrivane8 {
    template <typename T> T operator()(T v) const { return (v >> 8) | (v << 24); }
};
struct FromTrivane8 {
    template <typename T> T operator()(T v) const { return (v << 8) | (v >> 24); }
};
struct ToTrivane16 {
    template <typename T> T operator()(T v) const { return (v >> 16) | (v << 48); }
};
struct FromTrivane16 {
    template <typename T> T operator()(T v) const { return (v << 16) | (v >> 48); }
};

// Rotates every pixel of the rows into `to` and, when `also` is set, into `also` too (same stride),
// 16 bytes at a time and the rest word by word.
template <typename Word, typename Rotate>
void RotateRows(const std::uint8_t* from, std::size_t fromStride, std::uint8_t* to, std::size_t toStride, int w,
                int h, std::uint8_t* also = nullptr) {
    typedef Word Words __attribute__((vector_size(16)));
    constexpr int kPerVector = 16 / sizeof(Word);
    const Rotate rotate;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = from + std::size_t(y) * fromStride;
        std::uint8_t* d = to + std::size_t(y) * toStride;
        int x = 0;
        for (; x + kPerVector <= w; x += kPerVector) {
            Words v;
            std::memcpy(&v, s + std::size_t(x) * sizeof(Word), sizeof v);
            v = rotate(v);
            std::memcpy(d + std::size_t(x) * sizeof(Word), &v, sizeof v);
        }
        for (; x < w; ++x) {
            Word v;
            std::memcpy(&v, s + std::size_t(x) * sizeof(Word), sizeof(Word));
            v = rotate(v);
            std::memcpy(d + std::size_t(x) * sizeof(Word), &v, sizeof(Word));
        }
        if (also != nullptr) std::memcpy(also + std::size_t(y) * toStride, d, std::size_t(w) * sizeof(Word));
    }
}

// Into Trivane's order in `to` and, when `also` is set, in `also` too (the first target: one pass for both).
void ToTrivane(bool wide, const std::uint8_t* from, std::size_t fromStride, std::uint8_t* to, std::size_t toStride,
               int w, int h, std::uint8_t* also = nullptr) {
    if (wide)
        RotateRows<std::uint64_t, ToTrivane16>(from, fromStride, to, toStride, w, h, also);
    else
        RotateRows<std::uint32_t, ToTrivane8>(from, fromStride, to, toStride, w, h, also);
}
void FromTrivane(bool wide, const std::uint8_t* from, std::size_t fromStride, std::uint8_t* to,
                 std::size_t toStride, int w, int h) {
    if (wide)
        RotateRows<std::uint64_t, FromTrivane16>(from, fromStride, to, toStride, w, h);
    else
        RotateRows<std::uint32_t, FromTrivane8>(from, fromStride, to, toStride, w, h);
}

// The bump texture: 40 x 40 texels of 4 channels, the bump value in channel 2; 16-bit samples
// widen 0..255 to 0..32768 as Trivane's own converter does.
BYTE* MakeBumpTexels(const std::uint8_t* bump, bool wide) {
    const std::size_t texels = std::size_t(kBumpSize) * kBumpSize;
    auto* data = static_cast<BYTE*>(platform::AllocPages(texels * 4 * (wide ? 2 : 1)));
    if (!data) return nullptr;
    for (std::size_t i = 0; i < texels; ++i) {
        const unsigned red = bump[i * 3];
        if (wide) {
            const std::uint16_t s = std::uint16_t((red * 32768u + 128u) / 255u);
            std::memcpy(data + (i * 4 + 2) * 2, &s, 2);
        } else {
            data[i * 4 + 2] = BYTE(red);
        }
    }
    return data;
}

}  // namespace

BYTE DrawModeFor(int renderMode) {
    switch (renderMode) {
        case 1: return 0;
        case 2: return 1;
        case 3: return 2;
        case 4: return 3;
        case 5: return 6;
        case 6: return 8;
        case 7: return 9;
        default: return 6;
    }
}

void FillMaterial(const RimelaceParams& params, bool haveBump, material3ds& m) {
    std::memset(&m, 0, sizeof m);
    std::strcpy(m.name, "Material#0");
    ColourOf(params.Diffuse, m.ambient);
    ColourOf(params.Diffuse, m.diffuse);
    ColourOf(params.Speculare, m.specular);
    m.shininess = params.Shininess / 10.0f;
    m.shinStrength = params.Shinstrength / 10.0f;
    m.transparency = -params.Transparancy / 100.0f;
    m.selfIllum = params.SelfIllumination / 100.0f;
    map3ds& bump = m.maps[kMapBump];
    if (haveBump) std::strcpy(bump.name, "Bump");
    bump.amount = params.BumpPercent / 500.0f;
    bump.uScale = bump.vScale = 1.0f;
    bump.uOffset = bump.vOffset = 0.0f;
}

void FillLights(const RimelaceParams& params, light3ds lights[2]) {
    std::memset(lights, 0, 2 * sizeof(light3ds));
    const double alpha = double(params.LightAlpha) * kDegree;
    const double beta = double(params.LightBeta) * kDegree;
    const double r = PortableCos(beta) * 2000.0;
    const double pi = 3.141592653589793, below = -0.4363323129985824;  // 25 degrees under the image
    const double r2 = PortableCos(below) * 2000.0;
    const double pos[2][3] = {
        {PortableCos(alpha) * r, PortableSin(alpha) * r, PortableSin(beta) * 2000.0},
        {PortableCos(alpha + pi) * r2, PortableSin(alpha + pi) * r2, PortableSin(below) * 2000.0}};
    std::strcpy(lights[0].name, "LightOne");
    std::strcpy(lights[1].name, "Light#2");
    float colour[3];
    ColourOf(params.LightColor, colour);
    for (int i = 0; i < 2; ++i) {
        lights[i].x = float(pos[i][0]);
        lights[i].y = float(pos[i][1]);
        lights[i].z = float(pos[i][2]);
        lights[i].r = colour[0];
        lights[i].g = colour[1];
        lights[i].b = colour[2];
        lights[i].multiplier = params.LightMultiplay / 100.0f;
    }
}

GlassProp FillGlass(const RimelaceParams& params, float ratio) {
    GlassProp glass{};
    glass.useGlass = params.UseGlass;
    glass.optical = params.Koefficient / 10.0f;
    glass.refraction = params.Refraction / 10.0f * ratio;
    glass.aberration = params.Aberration;
    return glass;
}

bool RenderScene(const SceneRenderInput& in) {
    const RimelaceParams& params = *in.params;
    if (in.w <= 0 || in.h <= 0 || !in.output || !in.input) return true;
    Report(in, 60);
    std::uint8_t* bump = params.BumpImage;
    std::uint8_t* ownBump = nullptr;
    if (!bump) bump = ownBump = LoadBumpImage();

    __SetDrawMode(DrawModeFor(params.RenderMode));
    __SetQuality(in.preview ? 0 : 1);
    __SetDeep(in.depth16 ? 1 : 0);
    const bool wide = in.depth16;
    const std::size_t pixelBytes = wide ? 8 : 4;
    const std::size_t callerStride = std::size_t(in.rowBytes);
    const std::size_t stride = std::size_t(in.w) * pixelBytes;
    Report(in, 65);

    // Base image and the Trivane layout. Rows without gaps are converted in place (the input is
    // restored afterwards); otherwise into buffers of their own.
    bool ok = true;
    const bool inPlace = callerStride == stride;
    const bool converted = in.rendererOrder && inPlace;
    const std::size_t bytes = stride * std::size_t(in.h);
    BYTE* target = inPlace ? in.output : static_cast<BYTE*>(platform::AllocPages(bytes));
    BYTE* background = inPlace ? in.input : static_cast<BYTE*>(platform::AllocPages(bytes));
    if (!target || !background) {
        ok = false;
    } else {
        Report(in, 70);
        if (params.AlphaCut) {
            if (!converted) ToTrivane(wide, in.input, callerStride, background, stride, in.w, in.h);
            std::memset(target, 0, bytes);
        } else if (!converted) {
            ToTrivane(wide, in.input, callerStride, background, stride, in.w, in.h, target);
        } else {
            std::memcpy(target, background, bytes);
        }
        Report(in, 74);

        __Texture textures[kSlotsPerMaterial] = {};
        const bool bumpTextureWide = __GetDeep() != 0;
        BYTE* bumpTexels = bump ? MakeBumpTexels(bump, bumpTextureWide) : nullptr;
        if (bumpTexels) {
            textures[2].present = 1;
            textures[2].width = textures[2].height = kBumpSize;
            textures[2].texels = bumpTexels;
            textures[2].is16 = in.depth16 ? 1 : 0;
        }
        material3ds material;
        FillMaterial(params, bumpTexels != nullptr, material);
        light3ds lights[2];
        FillLights(params, lights);
        GlassProp glass = FillGlass(params, in.ratio);
        __SetUseMultyRefract(0);
        __SetDubleSide(0);
        Report(in, 75);

        if (in.triangleCount > 0 && in.triangles && in.points)
            __RasterScene(target, background, in.w, in.h, in.w * 4, in.pointCount, in.triangleCount, in.triangles,
                          in.points, in.w / 2, in.h / 2, 1, &material, textures, 2, lights, &glass);
        Report(in, 95);
        platform::FreePages(bumpTexels);
    }

    // Back into the caller's layout (and the borrowed input restored).
    if (ok && !converted) {
        FromTrivane(wide, target, stride, in.output, callerStride, in.w, in.h);
        if (inPlace) FromTrivane(wide, background, stride, in.input, callerStride, in.w, in.h);
    }
    if (!inPlace) {
        platform::FreePages(target);
        platform::FreePages(background);
    }
    Report(in, 100);
    platform::FreePages(ownBump);
    Report(in, 0);
    return ok;
}
