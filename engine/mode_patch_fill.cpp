// Mode 8: every triangle cut into four sub-triangles through points on its curved patch's edges,
// each drawn as a mode-6 triangle through the layer (after its own orientation test).
#include <cstdint>

#include "engine/curved_patch_p.h"
#include "engine/raster_bands_p.h"

namespace trivane {
namespace {

// The edge point between a and b: on the tangent planes' mean, with the mean unit normal and the
// mean texture coordinates.
__Point3ds EdgePoint(const __Point3ds& a, const __Point3ds& b, BYTE mapped) {
    __Point3ds m{};
    float position[3];
    TangentMidpoint(a, b, position);
    m.x = position[0], m.y = position[1], m.z = position[2];
    m.mapped = mapped;
    m.u = (a.u + b.u) * 0.5f, m.v = (a.v + b.v) * 0.5f;
    auto unit = [](const __Point3ds& p, float n[3]) {
        float length = std::sqrt(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz);
        float inverse = length > 0.0f && std::isfinite(length) ? 1.0f / length : 0.0f;
        n[0] = p.nx * inverse, n[1] = p.ny * inverse, n[2] = p.nz * inverse;
    };
    float na[3], nb[3];
    unit(a, na);
    unit(b, nb);
    m.nx = (na[0] + nb[0]) * 0.5f, m.ny = (na[1] + nb[1]) * 0.5f, m.nz = (na[2] + nb[2]) * 0.5f;
    return m;
}

}  // namespace

void SubdivisionPoints(const __Point3ds& v0, const __Point3ds& v1, const __Point3ds& v2, __Point3ds out[6]) {
    const BYTE mapped = (v0.mapped && v1.mapped && v2.mapped) ? 1 : 0;
    out[0] = v0, out[1] = v1, out[2] = v2;
    out[3] = EdgePoint(v0, v1, mapped);
    out[4] = EdgePoint(v1, v2, mapped);
    out[5] = EdgePoint(v2, v0, mapped);
}

void DrawPatchFill(const SceneCall& call) {
    // The sub-triangles go to mode 6 a batch at a time, in the order of their triangles, from the
    // drawing thread's own fixed storage: a scene of any size costs no memory and so cannot fail.
    constexpr int kBatch = 32;
    __Point3ds points[kBatch * 6];
    __Triangle3ds triangles[kBatch * 4];
    SceneCall subdivided = call;
    subdivided.triangles = triangles;
    subdivided.points = points;
    subdivided.order = nullptr;
    int batched = 0;
    auto flush = [&] {
        if (batched == 0) return;
        subdivided.triangleCount = batched * 4;
        DrawPhongTriangles(subdivided, true);
        batched = 0;
    };
    ForEachTriangle(call, [&](int i) {
        const __Triangle3ds& t = call.triangles[i];
        if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return;
        // V0 V1 V2 M3 M4 M5 at base + 0 .. 5.
        const std::int32_t base = batched * 6;
        SubdivisionPoints(call.points[t.v0], call.points[t.v1], call.points[t.v2], points + base);
        const std::int32_t sub[4][3] = {{0, 3, 5}, {3, 1, 4}, {4, 2, 5}, {3, 4, 5}};
        for (int k = 0; k < 4; ++k) {
            triangles[batched * 4 + k] =
                __Triangle3ds{base + sub[k][0], base + sub[k][1], base + sub[k][2], t.flags, t.material};
        }
        if (++batched == kBatch) flush();
    });
    flush();
}

}  // namespace trivane
