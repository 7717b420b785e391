// __DrawScenesLineColor: the edges of the scene's front triangles in one colour, with the line walk
// of mode 1 but unshaded. It keeps the stride and clip size of the last drawing call; the sample
// depth is that of _Deep now, since the image it is given is of that depth.
#include <algorithm>
#include <cstdint>

#include "engine/line_p.h"
#include "engine/raster_bands_p.h"

namespace trivane {
namespace {

struct Outline {
    float lineWidth;
    float colour[3];
    int clipWidth, clipHeight;
};

template <typename S, bool kQuality>
void OutlineTriangles(const Outline& o, const SceneCall& band) {
    constexpr float full = sizeof(S) == 2 ? 32768.0f : 255.0f;
    const std::size_t stride = static_cast<std::size_t>(g_state.stride);
    auto plot = [&](int px, int py, float coverage) {
        S* pixel = reinterpret_cast<S*>(band.target) +
                   (static_cast<std::size_t>(py) * stride + static_cast<std::size_t>(px) * 4);
        BlendPixel<S>(pixel, o.colour[0], o.colour[1], o.colour[2], coverage, full);
    };
    const float fx = static_cast<float>(band.cx), fy = static_cast<float>(band.cy);
    ForEachTriangle(band, [&](int i) {
        const __Triangle3ds& t = band.triangles[i];
        if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return;
        float normalZ;
        if (!FacesViewer(t, band.points, normalZ) && !_DubleSide) return;
        const __Point3ds* v[3] = {&band.points[t.v0], &band.points[t.v1], &band.points[t.v2]};
        for (int e = 0; e < 3; ++e) {
            const __Point3ds& a = *v[e];
            const __Point3ds& b = *v[(e + 1) % 3];
            WalkLine<kQuality>(fx + a.x, fy + a.y, fx + b.x, fy + b.y, o.lineWidth, o.clipWidth, o.clipHeight,
                               band.rowBegin, band.rowEnd, plot);
        }
    });
}

void DrawOutlineBand(void* context, const SceneCall& band) {
    const Outline& o = *static_cast<const Outline*>(context);
    if (_Deep) {
        _Quality ? OutlineTriangles<std::uint16_t, true>(o, band) : OutlineTriangles<std::uint16_t, false>(o, band);
    } else {
        _Quality ? OutlineTriangles<BYTE, true>(o, band) : OutlineTriangles<BYTE, false>(o, band);
    }
}

}  // namespace
}  // namespace trivane

using namespace trivane;

void __DrawScenesLineColor(float lineWidth, int r, int g, int b, BYTE* target, BYTE* /*background*/, int width,
                           int height, int /*unused*/, int count, __Triangle3ds* triangles, __Point3ds* points,
                           int cx, int cy) {
    if (target == nullptr || triangles == nullptr || points == nullptr || count <= 0) return;
    // The clip rectangle of the last call, but never beyond the image handed to this one, nor
    // beyond what the last call's stride can address.
    const int clipWidth = std::min({static_cast<int>(Zwidth), width, g_state.stride / 4});
    int clipHeight = std::min(static_cast<int>(Zheight), height);
    if (clipWidth <= 0 || clipHeight <= 0) return;
    // Rows addressed with the last call's stride must stay inside width x height packed pixels.
    const long long rowBytes = static_cast<long long>(g_state.stride), imageBytes = 4LL * width * height;
    if (rowBytes > 0) {
        clipHeight = static_cast<int>(std::min<long long>(clipHeight, (imageBytes - 4LL * clipWidth) / rowBytes + 1));
    }
    if (clipHeight <= 0) return;
    const float full = _Deep ? 32768.0f : 255.0f;
    auto clamp = [full](int value) { return std::clamp(static_cast<float>(value), 0.0f, full); };
    const Outline outline{lineWidth, {clamp(r), clamp(g), clamp(b)}, clipWidth, clipHeight};
    SceneCall call;
    call.target = target;
    call.triangleCount = count;
    call.triangles = triangles;
    call.points = points;
    call.cx = cx, call.cy = cy;
    const int margin = LineMargin(lineWidth, clipWidth, clipHeight);
    DrawPlainBands(call, clipWidth, clipHeight, Reach::Vertices, margin, DrawOutlineBand,
                   const_cast<Outline*>(&outline));
}
