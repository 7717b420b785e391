// The grown triangles as Trivane's arrays, and their placement in the scene.
#include "engine/trivane.h"
#include "generate/scene_builder_p.h"
#include "generate/scene_placement.h"
#include "platform/platform.h"

namespace {
// Texture coordinates of the three corners of every pattern triangle.
constexpr float kCornerUV[3][2] = {{0.5f, 0.98f}, {0.01f, 0.01f}, {0.98f, 0.01f}};
}  // namespace

bool ConvertTriangles(TriangleList& list, __Triangle3ds** triangles, __Point3ds** points,
                      std::int32_t* triangleCount, std::int32_t* pointCount) {
    *triangles = nullptr;
    *points = nullptr;
    *triangleCount = *pointCount = 0;
    const std::int32_t n = list.Size();
    if (n == 0) return true;
    auto* tris = static_cast<__Triangle3ds*>(platform::AllocPages(std::size_t(n) * sizeof(__Triangle3ds)));
    auto* pts = static_cast<__Point3ds*>(platform::AllocPages(std::size_t(n) * 3 * sizeof(__Point3ds)));
    if (!tris || !pts) {
        platform::FreePages(tris);
        platform::FreePages(pts);
        list.Clear();
        return false;
    }
    for (std::int32_t j = 0; j < n; ++j) {
        const PatternTriangle& t = list[0];  // released once converted
        tris[j] = {3 * j, 3 * j + 1, 3 * j + 2, 0, 0};
        for (int c = 0; c < 3; ++c) {
            const PatternVertex& v = t.corner[c];
            __Point3ds& p = pts[3 * j + c];
            p.x = v.x;
            p.y = v.y;
            p.z = v.z;
            p.mapped = 1;
            p.u = kCornerUV[c][0];
            p.v = kCornerUV[c][1];
            p.tag = v.flag;
            p.nx = v.nx;
            p.ny = v.ny;
            p.nz = v.nz;
        }
        list.PopFront(nullptr);
    }
    *triangles = tris;
    *points = pts;
    *triangleCount = n;
    *pointCount = 3 * n;
    return true;
}

void PlaceScene(__Point3ds* points, std::int32_t pointCount, const ScenePlacement& place) {
    if (place.scaleFactor != 1.0) {
        for (std::int32_t i = 0; i < pointCount; ++i) {
            place.Place(points[i].x, points[i].y);
            points[i].z *= place.scale;
        }
    } else if (!place.single && (place.ox != 0 || place.oy != 0)) {
        for (std::int32_t i = 0; i < pointCount; ++i) place.Place(points[i].x, points[i].y);
    }
}
