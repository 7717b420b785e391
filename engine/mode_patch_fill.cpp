// Mode 8: every triangle cut into four sub-triangles through points on its curved patch's edges,
// each drawn as a mode-6 triangle through the layer (after its own orientation test).
#include <cstdint>

#include "engine/curved_patch_p.h"

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

void DrawPatchFill(const SceneCall& call) {
    // The sub-triangles go to mode 6 a batch of triangles at a time, in the order of their
    // triangles, from fixed storage: a scene of any size costs no memory and so cannot fail.
    constexpr int kBatch = 128;
    static __Point3ds points[kBatch * 6];
    static __Triangle3ds triangles[kBatch * 4];
    SceneCall subdivided = call;
    subdivided.triangles = triangles;
    subdivided.points = points;
    int pointCount = 0, triangleCount = 0;
    auto flush = [&]() {
        if (triangleCount == 0) return;
        subdivided.triangleCount = triangleCount;
        DrawPhongTriangles(subdivided, true);
        pointCount = 0, triangleCount = 0;
    };
    for (int i = 0; i < call.triangleCount; ++i) {
        const __Triangle3ds& t = call.triangles[i];
        if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) continue;
        const __Point3ds& v0 = call.points[t.v0];
        const __Point3ds& v1 = call.points[t.v1];
        const __Point3ds& v2 = call.points[t.v2];
        const BYTE mapped = (v0.mapped && v1.mapped && v2.mapped) ? 1 : 0;
        // V0 V1 V2 M3 M4 M5 at base + 0 .. 5.
        const std::int32_t base = pointCount;
        const __Point3ds corners[6] = {v0, v1, v2, EdgePoint(v0, v1, mapped), EdgePoint(v1, v2, mapped),
                                       EdgePoint(v2, v0, mapped)};
        for (const __Point3ds& p : corners) points[pointCount++] = p;
        const std::int32_t sub[4][3] = {{0, 3, 5}, {3, 1, 4}, {4, 2, 5}, {3, 4, 5}};
        for (const auto& s : sub) {
            triangles[triangleCount++] = __Triangle3ds{base + s[0], base + s[1], base + s[2], t.flags, t.material};
        }
        if (triangleCount == kBatch * 4) flush();
    }
    flush();
}

}  // namespace trivane
