#pragma once
// The anti-aliased edges' coverage of many pixels at once, one pixel a lane: for each of the three
// edge lines in turn, EdgeCoverage's steps with the same operations in the same order, each chosen
// per lane, so that every width gives the bits of one edge after the other.
#include <cstdint>

#include "engine/raster_p.h"
#include "engine/shading_lanes_p.h"

namespace trivane::edges {

// Pixels [first, first + count) on the wide processors' lanes (shading_batch_avx2.cpp,
// shading_batch_avx512.cpp), first and count multiples of the width.
void CoverageRun8(const EdgeLanes& e, const float* x, const float* y, int first, int count, float* coverage,
                  std::uint64_t* positive);
void CoverageRun16(const EdgeLanes& e, const float* x, const float* y, int first, int count, float* coverage,
                   std::uint64_t* positive);

// Internal linkage, as in shading_lanes_p.h.
namespace {

// One bit a lane, lane 0 lowest: whether its mask is set.
template <int W>
inline std::uint64_t LaneBits(shading::lanes::I<W> mask) {
#if defined(TRIVANE_LANES_AVX512)
    if constexpr (W == 16) {
        return _mm512_cmpneq_epi32_mask(reinterpret_cast<__m512i>(mask), _mm512_setzero_si512());
    }
#endif
#if defined(TRIVANE_LANES_AVX2) || defined(TRIVANE_LANES_AVX512)
    if constexpr (W == 8) return static_cast<unsigned>(_mm256_movemask_ps(reinterpret_cast<__m256>(mask)));
#endif
#if defined(__SSE2__) || defined(_M_X64)
    if constexpr (W == 4) return static_cast<unsigned>(_mm_movemask_ps(reinterpret_cast<__m128>(mask)));
#endif
    std::uint64_t bits = 0;
    for (int k = 0; k < W; ++k) bits |= static_cast<std::uint64_t>(mask[k] != 0) << k;
    return bits;
}

// The coverages of pixels [first, first + count) (first and count multiples of W), and their bits
// in positive (bit i of word i / 64 for pixel i) set where the coverage is above 0.
template <int W>
inline void CoverageLanes(const EdgeLanes& e, const float* xs, const float* ys, int first, int count,
                          float* coverage, std::uint64_t* positive) {
    using F = shading::lanes::F<W>;
    using I = shading::lanes::I<W>;
    const F zero{}, one = zero + 1.0f, half = zero - 0.5f;
    const I magnitudeBits = I{} + 0x7FFFFFFF;
    auto magnitude = [&](F v) { return reinterpret_cast<F>(reinterpret_cast<I>(v) & magnitudeBits); };
    for (int i = first; i < first + count; i += W) {
        const F x = shading::lanes::Load<W>(xs + i), y = shading::lanes::Load<W>(ys + i);
        F best = zero;
        for (int k = 0; k < 3; ++k) {
            if (e.used[k] == 0) continue;  // an edge of no length gives nothing
            const F ax = zero + e.ax[k], ay = zero + e.ay[k], bx = zero + e.bx[k], by = zero + e.by[k];
            const F t = ((x - ax) * e.ex[k] + (y - ay) * e.ey[k]) * e.inverseSquare[k];
            const I along = (t >= zero) & (t <= one);
            // Foot of the perpendicular on the edge: the signed distance to the line; half a pixel
            // or more inside, the edge gives nothing.
            const F signedDistance = (e.a[k] * x + e.b[k] * y + e.c[k]) * e.inverseLength[k];
            const I inside = signedDistance < zero;
            const I passed = along & inside & ~(signedDistance > half);
            // Beyond the edge's ends: the distance to the end point nearer by |dx| + |dy|.
            const F dax = x - ax, day = y - ay, dbx = x - bx, dby = y - by;
            const I nearA = magnitude(dax) + magnitude(day) <= magnitude(dbx) + magnitude(dby);
            const F toEnd = shading::lanes::Sqrt<W>(nearA ? dax * dax + day * day : dbx * dbx + dby * dby);
            const F distance = along ? (inside ? zero : signedDistance) : toEnd;
            const F candidate = one - distance;
            // A candidate is never -0 and NaN ones are never taken, so the largest does not depend
            // on the order of the edges.
            const F given = ~passed & (zero < candidate) ? candidate : zero;
            best = best < given ? given : best;
        }
        shading::lanes::Store<W>(coverage + i, one < best ? one : best);
        // A group never straddles two words: it starts at a multiple of its width.
        const std::uint64_t bits = LaneBits<W>(best > zero) << (i & 63);
        positive[i >> 6] = (i & 63) == 0 ? bits : positive[i >> 6] | bits;
    }
}

}  // namespace
}  // namespace trivane::edges
