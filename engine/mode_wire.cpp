// Mode 2 "Wire": the boundary curves of every triangle's curved patch as shaded lines. Each edge
// Vi -> Vj (V0 -> V1, V1 -> V2, V2 -> V0) is followed from Vi (t = 0) to Vj (t = 1) and cut into
// segments; a segment is shaded with the patch normal at its later end and drawn when that normal
// faces the pass. There is no triangle-level orientation test.
#include <algorithm>
#include <cstdint>

#include "engine/curved_patch_p.h"
#include "engine/line_p.h"

namespace trivane {
namespace {

// Whether a segment whose later end has normal z nz is drawn in the current pass.
bool SegmentFacesPass(float nz) {
    if (_DubleSide) return true;
    return BackPass() ? nz < 0.0f : nz >= -0.2f;
}

// The parameter step along every edge: 4 * min(1 / |V0V2|, 1 / |V1V2|), a reciprocal being 1 for a
// zero distance; never so small that an edge takes more than maxCount segments.
float WireStep(const CurvedPatch& patch, float maxCount) {
    auto reciprocal = [](float length) { return length > 0.0f ? 1.0f / length : 1.0f; };
    float step = 4.0f * std::min(reciprocal(patch.length20), reciprocal(patch.length12));
    return std::max(step, 1.0f / maxCount);
}

template <typename S, bool kQuality>
void WireTriangles(const SceneCall& call) {
    const float maxCount = 2.0f * static_cast<float>(std::max<int>(Zwidth, Zheight)) + 64.0f;
    CurvedPatch patch;
    ForEachTriangle(call, [&](int i) {
        __Triangle3ds* t = &call.triangles[i];
        if (!BuildPatch(*t, call.points, call.cx, call.cy, patch)) return;
        const float step = WireStep(patch, maxCount);
        LineShader<S> shader{&call, t, {}, {}};
        for (int e = 0; e < 3; ++e) {
            const int from = e, to = (e + 1) % 3;
            float weights[3] = {0.0f, 0.0f, 0.0f};
            PatchSample previous, current;
            weights[from] = 1.0f;
            EvaluatePatch(patch, weights[0], weights[1], weights[2], previous);
            for (float t0 = 0.0f; t0 < 1.0f;) {
                const float t1 = std::min(1.0f, t0 + step);
                weights[from] = 1.0f - t1, weights[to] = t1;
                EvaluatePatch(patch, weights[0], weights[1], weights[2], current);
                if (SegmentFacesPass(current.nz)) {
                    shader.normal = __Point{current.nx, current.ny, current.nz};
                    shader.plane[0] = -current.nx, shader.plane[1] = -current.ny, shader.plane[2] = -current.nz;
                    shader.plane[3] = current.nx * current.x + current.ny * current.y + current.nz * current.z;
                    WalkLine<kQuality>(previous.x, previous.y, current.x, current.y, _WireSize, Zwidth, Zheight,
                                       call.rowBegin, call.rowEnd, shader);
                }
                previous = current;
                t0 = t1;
            }
        }
    });
}

}  // namespace

void DrawWire(const SceneCall& call) {
    if (_Deep) {
        _Quality ? WireTriangles<std::uint16_t, true>(call) : WireTriangles<std::uint16_t, false>(call);
    } else {
        _Quality ? WireTriangles<BYTE, true>(call) : WireTriangles<BYTE, false>(call);
    }
}

}  // namespace trivane
