// Mode 10: the silhouette of every triangle's curved patch. Where the patch faces the viewer
// (|n.z| > 0.3) the background is put back; towards the outline the material's diffuse colour is
// painted, strongest at |n.z| = 0.15. No shading, no depth, no layer; not drawn in a back-face
// pass. Pixels are addressed as (y * Zwidth + x) * 4 samples.
#include <algorithm>
#include <cstdint>

#include "engine/curved_patch_p.h"

namespace trivane {

// Coverage of the outline colour at a sample with normal z nz (|nz| <= 0.3): a tent over |nz| in
// [0, 0.3] peaking at 0.15, squared.
float SilhouetteCoverage(float nz) {
    const float a = std::fabs(nz);
    float t = a < 0.15f ? a * 6.6666667f : (0.3f - a) * 6.6666667f;
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t;
}

namespace {

template <typename S>
void SilhouetteTriangles(const SceneCall& call) {
    const float full = static_cast<float>(g_state.fullScale);
    const float width = static_cast<float>(Zwidth), height = static_cast<float>(Zheight);
    S* target = reinterpret_cast<S*>(call.target);
    const S* background = reinterpret_cast<const S*>(call.background);
    CurvedPatch patch;
    ForEachTriangle(call, [&](int i) {
        const __Triangle3ds& t = call.triangles[i];
        if (!BuildPatch(t, call.points, call.cx, call.cy, patch)) return;
        float colour[3] = {full, 0.0f, 0.0f};
        if (call.materials != nullptr && call.materialCount > 0) {
            const material3ds& m = call.materials[std::min<int>(t.material, call.materialCount - 1)];
            for (int k = 0; k < 3; ++k) colour[k] = m.diffuse[k] * full;
        }
        ForEachPatchSample(patch, Zwidth, Zheight, [&](const PatchSample& p) {
            if (!(p.x >= 0.0f && p.x < width && p.y >= 0.0f && p.y < height)) return;
            if (!(p.nz >= 0.0f)) return;
            if (static_cast<int>(p.y) < call.rowBegin || static_cast<int>(p.y) >= call.rowEnd) return;
            const std::size_t offset =
                (static_cast<std::size_t>(p.y) * static_cast<std::size_t>(Zwidth) + static_cast<std::size_t>(p.x)) * 4;
            if (p.nz > 0.3f) {
                for (int k = 0; k < 4; ++k) target[offset + k] = background != nullptr ? background[offset + k] : S{0};
            } else {
                BlendPixel<S>(target + offset, colour[0], colour[1], colour[2], SilhouetteCoverage(p.nz), full);
            }
        });
    });
}

}  // namespace

void DrawSilhouette(const SceneCall& call) {
    if (BackPass()) return;
    _Deep ? SilhouetteTriangles<std::uint16_t>(call) : SilhouetteTriangles<BYTE>(call);
}

}  // namespace trivane
