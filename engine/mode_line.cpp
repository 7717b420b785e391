// Mode 1 "Line": the edges of every triangle that faces the pass as shaded lines, _WireSize wide
// with quality, one pixel wide without. The shading sees the face normal turned towards the
// viewer; lines neither test nor write depth.
#include <cmath>
#include <cstdint>

#include "engine/line_p.h"

namespace trivane {
namespace {

// The face normal (V2 - V1) x (V0 - V1), unit and turned towards the viewer ((0, 0, 1) for a
// triangle without area), and its plane through V0 in image coordinates.
void FacePlane(const SceneCall& call, const __Triangle3ds& t, __Point& normal, float plane[4]) {
    const __Point3ds& p0 = call.points[t.v0];
    const __Point3ds& p1 = call.points[t.v1];
    const __Point3ds& p2 = call.points[t.v2];
    float ax = p2.x - p1.x, ay = p2.y - p1.y, az = p2.z - p1.z;
    float bx = p0.x - p1.x, by = p0.y - p1.y, bz = p0.z - p1.z;
    float nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    float length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        nx = 0.0f, ny = 0.0f, nz = 1.0f;
    } else {
        if (nz < 0.0f) length = -length;
        nx /= length, ny /= length, nz /= length;
    }
    normal = __Point{nx, ny, nz};
    // The plane as the filled modes give it: normal away from the viewer.
    plane[0] = -nx, plane[1] = -ny, plane[2] = -nz;
    plane[3] = nx * (p0.x + call.cx) + ny * (p0.y + call.cy) + nz * p0.z;
}

template <typename S, bool kQuality>
void LineTriangles(const SceneCall& call) {
    const float cx = static_cast<float>(call.cx), cy = static_cast<float>(call.cy);
    ForEachTriangle(call, [&](int i) {
        __Triangle3ds* t = &call.triangles[i];
        if (!PassesOutlineOrientation(*t, call.points)) return;
        LineShader<S> shader{&call, t, {}, {}};
        FacePlane(call, *t, shader.normal, shader.plane);
        const __Point3ds* v[3] = {&call.points[t->v0], &call.points[t->v1], &call.points[t->v2]};
        for (int e = 0; e < 3; ++e) {
            const __Point3ds& a = *v[e];
            const __Point3ds& b = *v[(e + 1) % 3];
            WalkLine<kQuality>(cx + a.x, cy + a.y, cx + b.x, cy + b.y, _WireSize, Zwidth, Zheight, call.rowBegin,
                               call.rowEnd, shader);
        }
    });
}

}  // namespace

void DrawLine(const SceneCall& call) {
    if (_Deep) {
        _Quality ? LineTriangles<std::uint16_t, true>(call) : LineTriangles<std::uint16_t, false>(call);
    } else {
        _Quality ? LineTriangles<BYTE, true>(call) : LineTriangles<BYTE, false>(call);
    }
}

}  // namespace trivane
