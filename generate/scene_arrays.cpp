// The grown triangles as Trivane's arrays, and their placement in the scene.
#include <cstdint>

#include "engine/trivane.h"
#include "generate/scene_builder_p.h"
#include "generate/scene_placement.h"
#include "platform/platform.h"

namespace {
// Texture coordinates of the three corners of every pattern triangle.
constexpr float kCornerUV[3][2] = {{0.5f, 0.98f}, {0.01f, 0.01f}, {0.98f, 0.01f}};
}  // namespace

std::int32_t SceneArrayCapacity(std::int32_t count) {
    const std::int32_t step = kSceneArrayStep;
    return count <= 0 ? 0 : (count > INT32_MAX - step ? count : (count + step - 1) / step * step);
}

bool ConvertTriangles(TriangleList& list, __Triangle3ds** triangles, __Point3ds** points,
                      std::int32_t* triangleCount, std::int32_t* pointCount) {
    // The arrays handed in were allocated here for their count, so they hold at least
    // SceneArrayCapacity(count) triangles. They are used again when they hold this scene and are
    // not more than twice its size: a preview rebuilt on every change then writes into pages it
    // already has instead of faulting in fresh ones.
    __Triangle3ds* oldTriangles = *triangles;
    __Point3ds* oldPoints = *points;
    const std::int32_t oldCapacity = oldTriangles && oldPoints ? SceneArrayCapacity(*triangleCount) : 0;
    *triangles = nullptr;
    *points = nullptr;
    *triangleCount = *pointCount = 0;
    const std::int32_t n = list.Size();
    const std::int32_t capacity = SceneArrayCapacity(n);
    __Triangle3ds* tris = nullptr;
    __Point3ds* pts = nullptr;
    if (n > 0 && capacity <= oldCapacity && oldCapacity / 2 <= capacity) {
        tris = oldTriangles;
        pts = oldPoints;
    } else {
        platform::FreePages(oldTriangles);
        platform::FreePages(oldPoints);
    }
    if (n == 0) return true;
    if (tris == nullptr) {
        tris = static_cast<__Triangle3ds*>(platform::AllocPages(std::size_t(capacity) * sizeof(__Triangle3ds)));
        pts = static_cast<__Point3ds*>(platform::AllocPages(std::size_t(capacity) * 3 * sizeof(__Point3ds)));
    }
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
