// __RasterSolid: triangles filled with one colour and opacity, no depth, no shading.
#include "engine/raster_bands_p.h"
#include "engine/raster_fill_p.h"
#include "platform/platform.h"

namespace trivane {
namespace {

struct SolidShade {
    static constexpr bool kCanBatch = false;
    float red, green, blue, opacity;
    void BeginRow(float) {}
    bool Batched() const { return false; }
    float operator()(int, int, float, __PrevInfo*, float& r, float& g, float& b) const {
        r = red, g = green, b = blue;
        return opacity;
    }
};

template <typename S, bool kQuality>
void FillSolid(const SceneCall& band, SolidShade shade) {
    TriangleSetup s;
    const DirectWriter<S> out{band.target, 0, static_cast<float>(g_state.fullScale)};
    ForEachTriangle(band, [&](int i) {
        if (!SetupTriangle(band.triangles[i], band.points, band.cx, band.cy, s)) return;
        FillTriangle<S, kQuality>(s, out, shade, static_cast<const SceneCall*>(nullptr), 0, band.rowBegin, Zwidth,
                                  band.rowEnd);
    });
}

void DrawSolidBand(void* context, const SceneCall& band) {
    const SolidShade& shade = *static_cast<const SolidShade*>(context);
    if (_Deep) {
        _Quality ? FillSolid<std::uint16_t, true>(band, shade) : FillSolid<std::uint16_t, false>(band, shade);
    } else {
        _Quality ? FillSolid<BYTE, true>(band, shade) : FillSolid<BYTE, false>(band, shade);
    }
}

}  // namespace
}  // namespace trivane

using namespace trivane;

void __RasterSolid(BYTE* target, int width, int height, int stride, int /*unused*/, int count,
                   __Triangle3ds* triangles, __Point3ds* points, int cx, int cy, float r, float g, float b,
                   float a) {
    g_state.stride = stride;
    if (ZBuff != nullptr && (Zwidth != width || Zheight != height)) {
        // The clip size changes under a borrowed depth buffer: release it as a call of another
        // size would, so that no later call reads it with the wrong size.
        platform::FreePages(ZBuff);
        ZBuff = nullptr;
    }
    Zwidth = width;
    Zheight = height;
    g_state.fullScale = _Deep ? 32768 : 255;
    g_state.pixelBytes = _Deep ? 8 : 4;
    if (target == nullptr || triangles == nullptr || points == nullptr || count <= 0) return;
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF / 4 || stride < width * 4) return;

    const float full = static_cast<float>(g_state.fullScale);
    auto clamp = [full](float value) { return value > 0.0f ? (value < full ? value : full) : 0.0f; };
    SolidShade shade{clamp(r), clamp(g), clamp(b), a};
    SceneCall call;
    call.target = target;
    call.width = width, call.height = height;
    call.triangleCount = count;
    call.triangles = triangles;
    call.points = points;
    call.cx = cx, call.cy = cy;
    DrawPlainBands(call, width, height, Reach::Vertices, 4, DrawSolidBand, &shade);
}
