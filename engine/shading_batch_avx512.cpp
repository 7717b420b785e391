// The batched lighting on the lanes of processors with AVX-512 (chosen at run time): sixteen floats
// for the plain Phong batches and the edge coverage, eight pixels with their powers in double for
// the exact lighting.
#if !defined(__clang__)  // Clang gets -mavx512f on this file (engine/CMakeLists.txt)
#pragma GCC target("avx512f")
#endif
#define TRIVANE_LANES_AVX512 1  // the pragma leaves the processor's feature macros as they were
#include "engine/edge_lanes_p.h"
#include "engine/shading_lanes_p.h"

namespace trivane::shading::lanes {

void PhongRun16(const Plan& plan, const PixelBatch& b, int first, int count) { PhongRun<16>(plan, b, first, count); }
void LightRun8(const Plan& plan, const ExactBatch& b, int first, int count) { LightRun<8>(plan, b, first, count); }
void MixRun16(const NormalMix& mix, const int* columns, const int* rows, int first, int count, float* nx,
              float* ny, float* nz, float* u, float* v) {
    if (u != nullptr) {
        MixRun<16, true>(mix, columns, rows, first, count, nx, ny, nz, u, v);
    } else {
        MixRun<16>(mix, columns, rows, first, count, nx, ny, nz);
    }
}

}  // namespace trivane::shading::lanes

namespace trivane::edges {

void CoverageRun16(const EdgeLanes& e, const float* x, const float* y, int first, int count, float* coverage,
                   std::uint64_t* positive) {
    CoverageLanes<16>(e, x, y, first, count, coverage, positive);
}

}  // namespace trivane::edges
