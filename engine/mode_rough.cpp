// Mode 0 "Rough": the edges of every triangle that faces the pass as one-pixel DDA lines in the
// inverse of the background. No shading, no depth; pixels are addressed as (y * width + x) * 4
// samples, whatever the stride.
#include <cmath>
#include <cstdint>

#include "engine/line_p.h"

namespace trivane {
namespace {

template <typename S>
void RoughEdge(const SceneCall& call, float ax, float ay, float bx, float by) {
    // An edge towards a vertex that is not a finite point has no pixels.
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) return;
    const float dx = bx - ax, dy = by - ay;
    if (dx == 0.0f && dy == 0.0f) return;  // a zero-length edge
    // Cut to the image (one pixel of margin) so that far-off vertices cost no steps.
    if (!ClipSegment(ax, ay, bx, by, -1.0f, -1.0f, static_cast<float>(call.width) + 1.0f,
                     static_cast<float>(call.height) + 1.0f)) {
        return;
    }
    const float longer = std::max(std::fabs(bx - ax), std::fabs(by - ay));
    const int steps = static_cast<int>(std::ceil(longer));
    const float sx = steps > 0 ? (bx - ax) / static_cast<float>(steps) : 0.0f;
    const float sy = steps > 0 ? (by - ay) / static_cast<float>(steps) : 0.0f;
    const S full = static_cast<S>(g_state.fullScale);
    S* target = reinterpret_cast<S*>(call.target);
    const S* background = reinterpret_cast<const S*>(call.background);
    for (int i = 0; i <= steps; ++i) {
        const float x = ax + sx * static_cast<float>(i), y = ay + sy * static_cast<float>(i);
        if (!(x >= 0.0f && y >= 0.0f)) continue;
        const int px = static_cast<int>(x), py = static_cast<int>(y);
        if (px >= call.width || py >= call.height || py < call.rowBegin || py >= call.rowEnd) continue;
        const std::size_t offset = (static_cast<std::size_t>(py) * static_cast<std::size_t>(call.width) + px) * 4;
        for (int k = 0; k < 3; ++k) {
            const S under = background != nullptr ? background[offset + k] : S{0};
            target[offset + k] = under < full ? static_cast<S>(full - under) : S{0};
        }
        target[offset + 3] = full;
    }
}

template <typename S>
void RoughTriangles(const SceneCall& call) {
    const float cx = static_cast<float>(call.cx), cy = static_cast<float>(call.cy);
    ForEachTriangle(call, [&](int i) {
        const __Triangle3ds& t = call.triangles[i];
        if (!PassesOutlineOrientation(t, call.points)) return;
        const __Point3ds* v[3] = {&call.points[t.v0], &call.points[t.v1], &call.points[t.v2]};
        for (int e = 0; e < 3; ++e) {
            const __Point3ds& a = *v[e];
            const __Point3ds& b = *v[(e + 1) % 3];
            RoughEdge<S>(call, cx + a.x, cy + a.y, cx + b.x, cy + b.y);
        }
    });
}

}  // namespace

void DrawRough(const SceneCall& call) {
    if (call.target == nullptr || call.width <= 0 || call.height <= 0) return;
    _Deep ? RoughTriangles<std::uint16_t>(call) : RoughTriangles<BYTE>(call);
}

}  // namespace trivane
