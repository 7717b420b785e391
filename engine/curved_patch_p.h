#pragma once
// The curved patch of a triangle (modes 2, 8, 9 and 10): a cubic triangular Bezier patch rebuilt
// from the three vertices and their normals, with a quadratic normal field through the edge-mid
// normals, and the grid of barycentric samples that covers it about twice per pixel of length.

#include <algorithm>
#include <cmath>

#include "engine/raster_p.h"

namespace trivane {

struct CurvedPatch {
    // Control points in image coordinates (origin added to x and y), indexed by the powers of the
    // three barycentric weights a (V0), b (V1), c (V2): see ControlIndex.
    float p[10][3];
    float n[3][3];    // unit vertex normals (a zero normal stays zero)
    float mid[3][3];  // mean of the unit normals 0-1, 1-2, 2-0
    float u[3], v[3];
    BYTE mapped;      // all three vertices mapped
    float length01, length12, length20;  // edge lengths
    float minX, minY, maxX, maxY;        // box of the control points (holds the whole patch)
};

// One point of the patch.
struct PatchSample {
    float x, y, z;     // image coordinates
    float nx, ny, nz;  // unit normal (zero when the normals cancel)
    float u, v;
};

// Builds the patch of triangle t; false for bad indices, non-finite or far-off vertices.
bool BuildPatch(const __Triangle3ds& t, const __Point3ds* points, int cx, int cy, CurvedPatch& patch);

// The patch at barycentric weights (a, b, c), a + b + c = 1.
void EvaluatePatch(const CurvedPatch& patch, float a, float b, float c, PatchSample& out);

// The point of edge A-B used by the subdivision: the edge midpoint projected onto the tangent
// planes at A and at B, averaged (scene coordinates). A zero normal leaves the midpoint as it is.
void TangentMidpoint(const __Point3ds& a, const __Point3ds& b, float out[3]);

// Projects point q onto the plane through p with normal n (unit or zero).
inline void ProjectOntoTangent(const float q[3], const float p[3], const float n[3], float out[3]) {
    float distance = (q[0] - p[0]) * n[0] + (q[1] - p[1]) * n[1] + (q[2] - p[2]) * n[2];
    for (int k = 0; k < 3; ++k) out[k] = q[k] - distance * n[k];
}

// Parameter steps of the sampling grid: b steps by 1 / (2 |V1V2|), c by 1 / (2 |V0V2|) (1 for a zero
// length). The steps are kept coarse enough that neither count exceeds maxCount.
inline void PatchSteps(const CurvedPatch& patch, float maxCount, float& stepB, float& stepC) {
    auto step = [maxCount](float length) {
        float s = length > 0.0f ? 1.0f / (2.0f * length) : 1.0f;
        return std::max(s, 1.0f / maxCount);
    };
    stepB = step(patch.length12);
    stepC = step(patch.length20);
}

// Calls visit(sample) for every grid sample of the patch (b + c <= 1). A patch far larger than
// the clip rectangle is sampled more sparsely rather than for ever.
template <typename Visit>
void ForEachPatchSample(const CurvedPatch& patch, int clipWidth, int clipHeight, Visit&& visit) {
    const float maxCount = 4.0f * static_cast<float>(std::max(clipWidth, clipHeight)) + 64.0f;
    float stepB, stepC;
    PatchSteps(patch, maxCount, stepB, stepC);
    PatchSample sample;
    const int countB = static_cast<int>(1.0f / stepB);
    for (int i = 0; i <= countB; ++i) {
        const float b = std::min(1.0f, static_cast<float>(i) * stepB);
        const int countC = static_cast<int>((1.0f - b) / stepC + 1e-4f);
        for (int j = 0; j <= countC; ++j) {
            const float c = std::min(1.0f - b, static_cast<float>(j) * stepC);
            EvaluatePatch(patch, 1.0f - b - c, b, c, sample);
            visit(sample);
        }
    }
}

}  // namespace trivane

namespace trivane {
// Coverage of mode 10's outline colour at a sample whose normal has z = nz.
float SilhouetteCoverage(float nz);
}  // namespace trivane
