// Mode 9: every triangle's curved patch drawn as dense points through the layer. Each sample has
// its own orientation and depth test, fades out towards the silhouette, and hands the shading the
// previous sample of the same patch.
#include <algorithm>
#include <cstdint>

#include "engine/curved_patch_p.h"
#include "engine/shading_p.h"

namespace trivane {
namespace {

// The orientation test of a triangle, applied to a sample's normal z.
bool SampleFacesPass(float nz) {
    if (_DubleSide) return true;
    if (BackPass()) return nz < 0.0f;
    return nz >= 0.0f || _UseMultyRefract == 2;
}

// A coordinate truncated into 0..size (NaN gives 0).
int ClampToPixels(float value, int size) {
    if (!(value > 0.0f)) return 0;
    if (!(value < static_cast<float>(size))) return size;
    return static_cast<int>(value);
}

// 1 away from the silhouette, falling to 0 as |n.z| goes below 0.2.
float SilhouetteFactor(float nz) {
    if (std::fabs(nz) >= 0.2f) return 1.0f;
    return std::min(1.0f, 25.0f * nz * nz);
}

template <typename S>
void PointTriangles(const SceneCall& call) {
    const float full = static_cast<float>(g_state.fullScale);
    const float width = static_cast<float>(Zwidth), height = static_cast<float>(Zheight);
    const float originX = static_cast<float>(call.cx), originY = static_cast<float>(call.cy);
    CurvedPatch patch;
    ForEachTriangle(call, [&](int i) {
        __Triangle3ds* t = &call.triangles[i];
        if (!BuildPatch(*t, call.points, call.cx, call.cy, patch)) return;
        const int x0 = ClampToPixels(patch.minX - 3.0f, Zwidth);
        const int y0 = std::max(call.rowBegin, ClampToPixels(patch.minY - 3.0f, Zheight));
        const int x1 = ClampToPixels(patch.maxX + 3.0f, Zwidth);
        const int y1 = std::min(call.rowEnd, ClampToPixels(patch.maxY + 3.0f, Zheight));
        if (x1 <= x0 || y1 <= y0) return;
        ClearLayer(call, x0, y0, x1, y1);

        __PrevInfo previous{};
        ForEachPatchSample(patch, Zwidth, Zheight, [&](const PatchSample& p) {
            if (!(p.x >= 0.0f && p.x < width && p.y >= 0.0f && p.y < height)) return;
            if (!SampleFacesPass(p.nz)) return;
            const int px = static_cast<int>(p.x), py = static_cast<int>(p.y);
            if (py < call.rowBegin || py >= call.rowEnd) return;
            if (float* row = DepthRow(call, py)) {
                float& depth = row[px];
                if (!(depth < p.z)) return;
                depth = p.z;
            }
            const float factor = SilhouetteFactor(p.nz);
            __Point normal{p.nx, p.ny, p.nz};
            float red = 0.0f, green = 0.0f, blue = 0.0f;
            const float sceneX = p.x - originX, sceneY = p.y - originY;
            const float u = patch.mapped ? p.u : 0.0f, v = patch.mapped ? p.v : 0.0f;
            const float opacity = g_state.renderOnePixel(
                originX, originY, call.target, call.background, sceneX, sceneY, p.z, t, call.materials,
                call.materialCount, red, green, blue, &normal, patch.mapped, u, v, call.textures, call.lightCount,
                call.lights, &previous, call.glass, p.nx, p.ny, p.nz, -(p.x * p.nx + p.y * p.ny + p.z * p.nz));
            BlendPixel<S>(reinterpret_cast<S*>(call.layer + PlaneOffset(call, px, py)), red, green, blue,
                          opacity * factor, full);
            previous.nx = p.nx, previous.ny = p.ny, previous.nz = p.nz;
            previous.valid = 1;
            previous.x = sceneX, previous.y = sceneY;
            previous.u = u, previous.v = v;
        });
        CompositeLayer<S>(call, x0, y0, x1, y1);
    });
}

}  // namespace

void DrawPatchPoints(const SceneCall& call) {
    if (call.layer == nullptr) return;
    _Deep ? PointTriangles<std::uint16_t>(call) : PointTriangles<BYTE>(call);
}

}  // namespace trivane
