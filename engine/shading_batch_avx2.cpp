// The batched lighting on the lanes of processors with AVX2 (chosen at run time): eight floats for
// the plain Phong batches, the glass, the bump and the normals, four pixels with their powers in
// double for the exact lighting; the layer compositing of eight pixels; and the edge coverage of
// eight pixels.
#if !defined(__clang__)  // Clang gets -mavx2 on this file (engine/CMakeLists.txt)
#pragma GCC target("avx2")
#endif
#define TRIVANE_LANES_AVX2 1  // the pragma leaves the processor's feature macros as they were
#include "engine/edge_lanes_p.h"
#include "engine/layer_lanes_p.h"
#include "engine/shading_lanes_p.h"

namespace trivane::shading::lanes {

void PhongRun8(const Plan& plan, const PixelBatch& b, int first, int count) { PhongRun<8>(plan, b, first, count); }
void LightRun4(const Plan& plan, const ExactBatch& b, int first, int count) { LightRun<4>(plan, b, first, count); }
void RefractRun8(const Plan& plan, const GlassBatch& b, int first, int count) { RefractRun<8>(plan, b, first, count); }
void BumpRun8(const Plan& plan, const BumpBatch& b, int first, int count) { BumpRun<8>(plan, b, first, count); }
void NormalRun8(const Plan& plan, const NormalBatch& b, int first, int count) { NormalRun<8>(plan, b, first, count); }
void MixRun8(const NormalMix& mix, const int* columns, const int* rows, int first, int count, float* nx,
             float* ny, float* nz, float* u, float* v) {
    if (u != nullptr) {
        MixRun<8, true>(mix, columns, rows, first, count, nx, ny, nz, u, v);
    } else {
        MixRun<8>(mix, columns, rows, first, count, nx, ny, nz);
    }
}

}  // namespace trivane::shading::lanes

namespace trivane::composite {

template <typename S>
void CompositeRun8(const SceneCall& call, const CompositeBatch& b, int first, int count) {
    CompositeLanes<8, S>(call, b, first, count);
}
template void CompositeRun8<BYTE>(const SceneCall&, const CompositeBatch&, int, int);
template void CompositeRun8<std::uint16_t>(const SceneCall&, const CompositeBatch&, int, int);

template <typename S>
void BlendRun8(BYTE* image, int row0, const CompositeBatch& b, int first, int count) {
    BlendLanes<8, S>(image, row0, b, first, count);
}
template void BlendRun8<BYTE>(BYTE*, int, const CompositeBatch&, int, int);
template void BlendRun8<std::uint16_t>(BYTE*, int, const CompositeBatch&, int, int);

}  // namespace trivane::composite

namespace trivane::edges {

void CoverageRun8(const EdgeLanes& e, const float* x, const float* y, int first, int count, float* coverage,
                  std::uint64_t* positive) {
    CoverageLanes<8>(e, x, y, first, count, coverage, positive);
}

}  // namespace trivane::edges
