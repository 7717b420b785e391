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

// Builds the patch of triangle t; false for bad indices or non-finite vertices.
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

// Bounds on how fast the patch moves across the image per unit of b and of c: |dx/db|, |dy/db|,
// |dx/dc|, |dy/dc| anywhere on the patch.
void PatchSlopes(const CurvedPatch& patch, float slopes[4]);

namespace patch_detail {

// The grid of a patch whose samples would be too many to take everywhere: only the blocks of the
// grid whose part of the patch can reach the clip rectangle are sampled. A block's part lies within
// the slopes times the block's extent of its first sample, which lies on the patch.
class ClippedGrid {
public:
    ClippedGrid(const CurvedPatch& patch, float stepB, float stepC, int clipWidth, int clipHeight)
        : patch_(patch), stepB_(stepB), stepC_(stepC), width_(static_cast<float>(clipWidth)),
          height_(static_cast<float>(clipHeight)) {
        PatchSlopes(patch, slopes_);
    }

    // Samples in the blocks that reach the clip rectangle (counting stops beyond limit).
    long long Count(long long limit) {
        long long total = 0;
        Walk(0, Last(stepB_), 0, Last(stepC_), [&](int i, int j0, int j1) {
            total += std::max(0, std::min(j1, RowCount(i)) - j0 + 1);
            return total <= limit;
        });
        return total;
    }

    template <typename Visit>
    void ForEach(Visit& visit) {
        PatchSample sample;
        Walk(0, Last(stepB_), 0, Last(stepC_), [&](int i, int j0, int j1) {
            const float b = B(i);
            const int last = std::min(j1, RowCount(i));
            for (int j = j0; j <= last; ++j) {
                EvaluatePatch(patch_, 1.0f - b - C(b, j), b, C(b, j), sample);
                visit(sample);
            }
            return true;
        });
    }

private:
    static int Last(float step) { return static_cast<int>(1.0f / step); }
    float B(int i) const { return std::min(1.0f, static_cast<float>(i) * stepB_); }
    float C(float b, int j) const { return std::min(1.0f - b, static_cast<float>(j) * stepC_); }
    int RowCount(int i) const { return static_cast<int>((1.0f - B(i)) / stepC_ + 1e-4f); }

    // Whether the part of the patch over rows i0..i1 and columns j0..j1 may reach the clip rectangle.
    bool Reaches(int i0, int i1, int j0, int j1) const {
        const float b0 = B(i0);
        if (static_cast<float>(j0) * stepC_ > 1.0f - b0 + stepC_) return false;  // beyond b + c = 1
        PatchSample first;
        const float c0 = C(b0, j0);
        EvaluatePatch(patch_, 1.0f - b0 - c0, b0, c0, first);
        // c may also fall below c0 along b + c = 1, by at most the span of b.
        const float spanB = B(i1) - b0;
        const float spanC = std::max(static_cast<float>(j1 - j0 + 1) * stepC_, spanB);
        const float reachX = slopes_[0] * spanB + slopes_[2] * spanC + 1.0f;
        const float reachY = slopes_[1] * spanB + slopes_[3] * spanC + 1.0f;
        // NaN anywhere counts as reaching: such blocks are sampled, and their samples dropped.
        return !(first.x + reachX < 0.0f || first.x - reachX >= width_ || first.y + reachY < 0.0f ||
                 first.y - reachY >= height_);
    }

    // Calls row(i, j0, j1) for the rows of every leaf block that reaches the clip rectangle, in
    // order of b, then c; stops when row returns false.
    template <typename Row>
    bool Walk(int i0, int i1, int j0, int j1, Row&& row) const {
        if (!Reaches(i0, i1, j0, j1)) return true;
        const long long rows = i1 - i0 + 1, columns = j1 - j0 + 1;
        if (rows * columns <= kLeafSamples) {
            for (int i = i0; i <= i1; ++i) {
                if (!row(i, j0, j1)) return false;
            }
            return true;
        }
        if (rows >= columns) {
            const int middle = i0 + static_cast<int>(rows / 2) - 1;
            return Walk(i0, middle, j0, j1, row) && Walk(middle + 1, i1, j0, j1, row);
        }
        const int middle = j0 + static_cast<int>(columns / 2) - 1;
        return Walk(i0, i1, j0, middle, row) && Walk(i0, i1, middle + 1, j1, row);
    }

    static constexpr long long kLeafSamples = 1024;
    const CurvedPatch& patch_;
    float stepB_, stepC_;
    float width_, height_;
    float slopes_[4];
};

}  // namespace patch_detail

// Calls visit(sample) for every grid sample of the patch (b + c <= 1), in order of b, then c. A
// patch whose grid would be far larger than the clip rectangle is sampled at the same steps only
// where it can reach the clip rectangle (in blocks, so the order differs); only when even that
// part would take far more samples than the clip rectangle has pixels (a patch seen edge on) are
// the steps made coarser.
template <typename Visit>
void ForEachPatchSample(const CurvedPatch& patch, int clipWidth, int clipHeight, Visit&& visit) {
    if (clipWidth <= 0 || clipHeight <= 0) return;
    const float maxCount = 4.0f * static_cast<float>(std::max(clipWidth, clipHeight)) + 64.0f;
    // About 16 samples a pixel: at least what the old grid of a patch inside the rectangle took.
    const long long budget =
        16LL * (clipWidth + 2LL) * (clipHeight + 2LL) + 16LL * std::max(clipWidth, clipHeight) + 4096;
    float stepB, stepC;
    PatchSteps(patch, maxCount, stepB, stepC);
    const float naturalB = patch.length12 > 0.0f ? 1.0f / (2.0f * patch.length12) : 1.0f;
    const float naturalC = patch.length20 > 0.0f ? 1.0f / (2.0f * patch.length20) : 1.0f;
    const double gridCount = (1.0 / stepB + 1.0) * (1.0 / stepC + 1.0) / 2.0;
    if (stepB == naturalB && stepC == naturalC && gridCount <= static_cast<double>(budget)) {
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
        return;
    }
    // At most 2^24 steps a side.
    constexpr float kFinest = 1.0f / 16777216.0f;
    stepB = std::max(naturalB, kFinest);
    stepC = std::max(naturalC, kFinest);
    for (;;) {
        patch_detail::ClippedGrid grid(patch, stepB, stepC, clipWidth, clipHeight);
        if ((stepB >= 1.0f && stepC >= 1.0f) || grid.Count(budget) <= budget) {
            grid.ForEach(visit);
            return;
        }
        stepB = std::min(1.0f, stepB * 2.0f);
        stepC = std::min(1.0f, stepC * 2.0f);
    }
}

}  // namespace trivane

namespace trivane {
// Coverage of mode 10's outline colour at a sample whose normal has z = nz.
float SilhouetteCoverage(float nz);
}  // namespace trivane
