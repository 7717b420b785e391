#pragma once
// The batched Phong lighting written once for any number of lanes with the compiler's vector types.
// Every lane does exactly the operations of the one-lane instance, in the same order, with IEEE
// arithmetic only (no reciprocal estimates, no fused multiply-add), so every width gives the same
// bits: the processor's widest is chosen at run time (shading_batch.cpp), and the one-lane
// instance is the scalar path beside them.
#include <cstdint>
#include <cstring>

#include "engine/shading_p.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <immintrin.h>
#endif

namespace trivane::shading::lanes {

// Pixels for the exact lighting: position, normal (raw, or already as the kernel shades it),
// colour, and the outputs in sample units.
struct ExactBatch {
    const float *x, *y, *z;
    const float *nx, *ny, *nz;
    bool rawNormals;  // the normals still need the kernel's sign, turn and unit length
    const float *c0, *c1, *c2;
    float *red, *green, *blue;
};

// Pixels for the glass over the caller's background alone, without quality: position, the normal
// as shaded (after the bump), the colour (tinted in place) and the opacity (0 where a channel looks
// beyond the image).
struct GlassBatch {
    const float *x, *y;
    const float *nx, *ny, *nz;
    float *c0, *c1, *c2;
    float* opacity;
    float originX, originY;
    const void* background;  // samples of the plan's depth; null: seen as 0
    int stride;              // in samples
    int width, height;
};

// Pixels for the bump: texture coordinates, and the normal as shaded, tilted in place (x and y).
// With quality, the previous pixel's coordinates (NaN where there is no record): a pixel whose
// texel footprint since then exceeds two texels is left as it was and marked in beyond (-1) for
// the kernel's window means.
struct BumpBatch {
    const float *u, *v;
    float *nx, *ny;
    const float *previousU = nullptr, *previousV = nullptr;  // null: without quality
    std::int32_t* beyond = nullptr;
    const std::int32_t* steps = nullptr;  // the map's BumpSteps; null: the texels are read
};

// Normals as handed to the kernel, and the same normals as it shades them (sign, turn, length).
struct NormalBatch {
    const float *nx, *ny, *nz;
    float *outX, *outY, *outZ;
};

// The per-width runs of the wide processors (shading_batch_avx2.cpp, shading_batch_avx512.cpp):
// pixels [first, first + count), count a multiple of the width.
void PhongRun8(const Plan& plan, const PixelBatch& b, int first, int count);
void PhongRun16(const Plan& plan, const PixelBatch& b, int first, int count);
void LightRun4(const Plan& plan, const ExactBatch& b, int first, int count);
void LightRun8(const Plan& plan, const ExactBatch& b, int first, int count);
void RefractRun8(const Plan& plan, const GlassBatch& b, int first, int count);
void BumpRun8(const Plan& plan, const BumpBatch& b, int first, int count);
void NormalRun8(const Plan& plan, const NormalBatch& b, int first, int count);
// With u and v (both or neither), the texture coordinates too.
void MixRun8(const NormalMix& mix, const int* columns, const int* rows, int first, int count, float* nx, float* ny,
             float* nz, float* u, float* v);
void MixRun16(const NormalMix& mix, const int* columns, const int* rows, int first, int count, float* nx,
              float* ny, float* nz, float* u, float* v);

// Everything below has internal linkage, so that the copies compiled for the wide processors and
// the ones compiled for every processor never stand in for each other.
namespace {

template <int W>
struct Lanes {
    typedef float F __attribute__((vector_size(W * 4)));
    typedef std::int32_t I __attribute__((vector_size(W * 4)));
    typedef std::uint32_t U __attribute__((vector_size(W * 4)));
};

template <int W>
using F = typename Lanes<W>::F;
template <int W>
using I = typename Lanes<W>::I;
template <int W>
using U = typename Lanes<W>::U;

template <int W>
inline F<W> Load(const float* p) {
    F<W> v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <int W>
inline void Store(float* p, F<W> v) {
    std::memcpy(p, &v, sizeof v);
}
template <int W>
inline F<W> Splat(float x) {
    return F<W>{} + x;
}
// The processor's max and min: the second operand where the comparison fails (NaN, equal).
template <int W>
inline F<W> Max(F<W> a, F<W> b) {
    return a > b ? a : b;
}
template <int W>
inline F<W> Min(F<W> a, F<W> b) {
    return a < b ? a : b;
}
template <int W>
inline F<W> Sqrt(F<W> v) {
    if constexpr (W == 1) {
        float x = v[0];
        return F<W>{__builtin_sqrtf(x)};
#if defined(TRIVANE_LANES_AVX512)
    } else if constexpr (W == 16) {
        return reinterpret_cast<F<W>>(_mm512_maskz_sqrt_ps(static_cast<__mmask16>(0xFFFF), reinterpret_cast<__m512>(v)));
#endif
#if defined(TRIVANE_LANES_AVX2) || defined(TRIVANE_LANES_AVX512)
    } else if constexpr (W == 8) {
        return reinterpret_cast<F<W>>(_mm256_sqrt_ps(reinterpret_cast<__m256>(v)));
#endif
#if defined(__SSE2__) || defined(_M_X64)
    } else if constexpr (W == 4) {
        return reinterpret_cast<F<W>>(_mm_sqrt_ps(reinterpret_cast<__m128>(v)));
#endif
    } else {
        F<W> r = v;
        for (int i = 0; i < W; ++i) r[i] = __builtin_sqrtf(v[i]);
        return r;
    }
}
// Round to the nearest integer, ties to even (|v| below 2^22): the float's own rounding.
template <int W>
inline I<W> RoundToInt(F<W> v) {
    const F<W> magic = Splat<W>(12582912.0f);  // 1.5 * 2^23
    const F<W> rounded = (v + magic) - magic;
    return __builtin_convertvector(rounded, I<W>);
}
template <int W>
inline F<W> AsFloat(U<W> u) {
    return reinterpret_cast<F<W>>(u);
}
template <int W>
inline U<W> AsBits(F<W> f) {
    return reinterpret_cast<U<W>>(f);
}

#if defined(TRIVANE_LANES_AVX2) || defined(TRIVANE_LANES_AVX512)
// The 32-bit words at base + index[k] * kScale bytes, on eight lanes.
template <int kScale>
inline U<8> GatherWords(const int* base, const I<8>& index) {
    return reinterpret_cast<U<8>>(_mm256_i32gather_epi32(base, reinterpret_cast<__m256i>(index), kScale));
}
// The same for the lanes of mask (all bits set); the others read nothing and give 0.
template <int kScale>
inline U<8> GatherWordsWhere(const int* base, const I<8>& index, const I<8>& mask) {
    return reinterpret_cast<U<8>>(_mm256_mask_i32gather_epi32(_mm256_setzero_si256(), base,
                                                              reinterpret_cast<__m256i>(index),
                                                              reinterpret_cast<__m256i>(mask), kScale));
}
#endif

template <int W>
struct Vec {
    F<W> x, y, z;
};
template <int W>
inline F<W> Dot(const Vec<W>& a, const Vec<W>& b) {
    return (a.x * b.x + a.y * b.y) + a.z * b.z;
}
// Unit length where the length is positive; zero vectors stay zero.
template <int W>
inline Vec<W> Normalize(Vec<W> v) {
    const F<W> length = Sqrt<W>(Dot<W>(v, v));
    const F<W> inverse = Splat<W>(1.0f) / length;
    const F<W> scale = length > Splat<W>(0.0f) ? inverse : Splat<W>(1.0f);
    return {v.x * scale, v.y * scale, v.z * scale};
}

// base^exponent for base > threshold (other lanes give 0): log2 from the exponent bits and an
// atanh series of the mantissa centred on 1, exp2 from a rounded integer part and a Taylor
// polynomial; the same limits as FastPow (2^-60 floor, 2^100 ceiling).
template <int W>
inline F<W> Power(F<W> base, float exponent, float threshold) {
    const F<W> one = Splat<W>(1.0f);
    const auto live = base > Splat<W>(threshold > 0.0f ? threshold : 0.0f);
    const F<W> safe = live ? base : one;
    // Exponent and mantissa in [sqrt(1/2), sqrt(2)).
    const U<W> bits = AsBits<W>(safe);
    I<W> e = reinterpret_cast<I<W>>(bits >> 23) - 127;
    F<W> m = AsFloat<W>((bits & 0x007FFFFFu) | 0x3F800000u);
    const auto high = m > Splat<W>(1.41421356f);
    m = high ? m * Splat<W>(0.5f) : m;
    e = e - high;  // high lanes are -1: exponent + 1
    const F<W> s = (m - one) / (m + one);
    const F<W> s2 = s * s;
    F<W> series = Splat<W>(2.0f / 7.0f) + s2 * Splat<W>(2.0f / 9.0f);
    series = Splat<W>(2.0f / 5.0f) + s2 * series;
    series = Splat<W>(2.0f / 3.0f) + s2 * series;
    series = Splat<W>(2.0f) + s2 * series;
    const F<W> log2 = __builtin_convertvector(e, F<W>) + (s * series) * Splat<W>(1.44269504f);
    F<W> y = Splat<W>(exponent) * log2;
    const F<W> floorLog2 = Splat<W>(static_cast<float>(kPowFloorLog2));
    const auto visible = live & (y >= floorLog2);
    y = Min<W>(Max<W>(y, floorLog2), Splat<W>(static_cast<float>(kPowCeilingLog2)));
    // 2^y.
    const I<W> whole = RoundToInt<W>(y);
    const F<W> f = (y - __builtin_convertvector(whole, F<W>)) * Splat<W>(0.693147181f);
    F<W> p = Splat<W>(1.0f / 120.0f) + f * Splat<W>(1.0f / 720.0f);
    p = Splat<W>(1.0f / 24.0f) + f * p;
    p = Splat<W>(1.0f / 6.0f) + f * p;
    p = Splat<W>(0.5f) + f * p;
    p = one + f * p;
    p = one + f * p;
    const F<W> scale = AsFloat<W>(reinterpret_cast<U<W>>((whole + 127) << 23));
    return visible ? p * scale : Splat<W>(0.0f);
}

// W pixels of a plain Phong material: normal, lighting and finish as in the kernels, with the
// highlight's power in float.
template <int W>
inline void Phong(const Plan& plan, const float* px, const float* py, const float* pz, const float* nx,
                  const float* ny, const float* nz, float* red, float* green, float* blue) {
    const F<W> sign = Splat<W>(plan.normalSign);
    Vec<W> n{Load<W>(nx) * sign, Load<W>(ny) * sign, Load<W>(nz) * sign};
    if (plan.turnToViewer) n.z = AsFloat<W>(AsBits<W>(n.z) & 0x7FFFFFFFu);  // negative z turned: |z|
    n = Normalize<W>(n);
    const Vec<W> p{Load<W>(px), Load<W>(py), Load<W>(pz)};
    const F<W> self = Splat<W>(plan.selfIllumination);
    const F<W> lit = Splat<W>(1.0f - plan.selfIllumination);
    const F<W> zero = Splat<W>(0.0f);
    F<W> o0 = zero, o1 = zero, o2 = zero;
    for (int i = 0; i < plan.lightCount; ++i) {
        const light3ds& light = plan.lights[i];
        const Vec<W> l = Normalize<W>({Splat<W>(light.x) - p.x, Splat<W>(light.y) - p.y, Splat<W>(light.z) - p.z});
        const F<W> d = Max<W>(Dot<W>(n, l) * Splat<W>(light.multiplier), zero);  // NaN: 0
        const F<W> spec = Power<W>(d, plan.exponent, plan.powThreshold) * Splat<W>(plan.strength);
        const F<W> diffuse = d * lit + self;
        o0 = o0 + (diffuse * Splat<W>(plan.colour[0]) + spec * Splat<W>(plan.specular[0])) * Splat<W>(light.r);
        o1 = o1 + (diffuse * Splat<W>(plan.colour[1]) + spec * Splat<W>(plan.specular[1])) * Splat<W>(light.g);
        o2 = o2 + (diffuse * Splat<W>(plan.colour[2]) + spec * Splat<W>(plan.specular[2])) * Splat<W>(light.b);
    }
    const F<W> full = Splat<W>(plan.fullScale);
    // max(v, 0) first: a NaN lane becomes 0.
    Store<W>(red, Min<W>(Max<W>(o0 * full, zero), full));
    Store<W>(green, Min<W>(Max<W>(o1 * full, zero), full));
    Store<W>(blue, Min<W>(Max<W>(o2 * full, zero), full));
}

// ---- The exact lighting: the per-pixel kernels' arithmetic, lane by lane ----------------------------
// Double-precision lanes for the highlight's power, which the kernels take in double.
template <int W>
struct Wide {
    typedef double D __attribute__((vector_size(W * 8)));
    typedef std::int64_t L __attribute__((vector_size(W * 8)));
    typedef std::uint64_t Q __attribute__((vector_size(W * 8)));
};
template <int W>
using D = typename Wide<W>::D;
template <int W>
using L = typename Wide<W>::L;
template <int W>
using Q = typename Wide<W>::Q;

template <int W>
inline D<W> SplatD(double x) {
    return D<W>{} + x;
}
template <int W>
inline D<W> AsDouble(Q<W> q) {
    return reinterpret_cast<D<W>>(q);
}
template <int W>
inline Q<W> AsBits64(D<W> d) {
    return reinterpret_cast<Q<W>>(d);
}

// The power of K groups of W lanes side by side: every step below is taken for each group before
// the next step, so that the groups' chains of dependent double operations (some forty each) stand
// next to each other in program order and the processor overlaps them. Each lane still does the
// one-lane operations in their order.
#define TRIVANE_EACH_GROUP _Pragma("GCC unroll 8") for (int k = 0; k < K; ++k)

// Log2Positive of shading_math_p.h on K groups of W lanes, in place (positive finite values).
template <int W, int K>
[[gnu::always_inline]] inline void Log2Positive(D<W> (&value)[K]) {
    D<W> exponent[K], mantissa[K], s[K], s2[K], series[K];
    TRIVANE_EACH_GROUP {
        const Q<W> bits = AsBits64<W>(value[k]);
        // The exponent field as a double: 2^52 + e exactly, less 2^52 + 1023.
        exponent[k] = AsDouble<W>(((bits >> 52) & 0x7FFu) | 0x4330000000000000u) - SplatD<W>(4503599627371519.0);
        mantissa[k] = AsDouble<W>((bits & 0x000FFFFFFFFFFFFFu) | 0x3FF0000000000000u);  // [1, 2)
    }
    TRIVANE_EACH_GROUP {
        const auto high = mantissa[k] > SplatD<W>(1.4142135623730951);
        mantissa[k] = high ? mantissa[k] * SplatD<W>(0.5) : mantissa[k];
        exponent[k] = high ? exponent[k] + SplatD<W>(1.0) : exponent[k];
    }
    TRIVANE_EACH_GROUP s[k] = (mantissa[k] - SplatD<W>(1.0)) / (mantissa[k] + SplatD<W>(1.0));
    TRIVANE_EACH_GROUP s2[k] = s[k] * s[k];
    // s (2 + s2 (2/3 + s2 (2/5 + s2 (2/7 + s2 (2/9 + s2 2/11))))), innermost first.
    TRIVANE_EACH_GROUP series[k] = s2[k] * SplatD<W>(2.0 / 11.0);
    const double terms[] = {2.0 / 9.0, 2.0 / 7.0, 2.0 / 5.0, 2.0 / 3.0};
    for (const double term : terms) {
        TRIVANE_EACH_GROUP series[k] = SplatD<W>(term) + series[k];
        TRIVANE_EACH_GROUP series[k] = s2[k] * series[k];
    }
    TRIVANE_EACH_GROUP series[k] = SplatD<W>(2.0) + series[k];
    TRIVANE_EACH_GROUP series[k] = s[k] * series[k];
    TRIVANE_EACH_GROUP value[k] = exponent[k] + series[k] * SplatD<W>(1.4426950408889634);
}

// Exp2Bounded of shading_math_p.h on K groups of W lanes, in place (y within the power's floor and
// ceiling).
template <int W, int K>
[[gnu::always_inline]] inline void Exp2Bounded(D<W> (&y)[K]) {
    const D<W> magic = SplatD<W>(6755399441055744.0);  // 1.5 * 2^52
    D<W> t[K], whole[K], f[K], p[K];
    // floor(y + 0.5): round to nearest with the double's own rounding, then down where that went up.
    TRIVANE_EACH_GROUP t[k] = y[k] + SplatD<W>(0.5);
    TRIVANE_EACH_GROUP whole[k] = (t[k] + magic) - magic;
    TRIVANE_EACH_GROUP whole[k] = whole[k] > t[k] ? whole[k] - SplatD<W>(1.0) : whole[k];
    TRIVANE_EACH_GROUP f[k] = (y[k] - whole[k]) * SplatD<W>(0.6931471805599453);
    // 1 + f (1 + f (1/2 + f (1/6 + f (1/24 + f (1/120 + f (1/720 + f (1/5040 + f 1/40320))))))),
    // innermost first.
    TRIVANE_EACH_GROUP p[k] = f[k] * SplatD<W>(1.0 / 40320);
    const double terms[] = {1.0 / 5040, 1.0 / 720, 1.0 / 120, 1.0 / 24, 1.0 / 6, 1.0 / 2, 1.0};
    for (const double term : terms) {
        TRIVANE_EACH_GROUP p[k] = SplatD<W>(term) + p[k];
        TRIVANE_EACH_GROUP p[k] = f[k] * p[k];
    }
    TRIVANE_EACH_GROUP {
        p[k] = SplatD<W>(1.0) + p[k];
        // 2^whole: whole + 1023 (963..1123) in the exponent field.
        const Q<W> biased = AsBits64<W>(whole[k] + SplatD<W>(4503599627371519.0)) & 0x7FFu;
        y[k] = p[k] * AsDouble<W>(biased << 52);
    }
}

// FastPow of shading_math_p.h for K groups of W lanes at base and power (K * W floats each): lanes
// whose base is above threshold (>= 0) get the power, the others 0.
template <int W, int K>
[[gnu::always_inline]] inline void FastPow(const float* base, float* power, float exponent, float threshold) {
    I<W> live[K];
    D<W> y[K];
    TRIVANE_EACH_GROUP {
        const F<W> b = Load<W>(base + k * W);
        live[k] = b > Splat<W>(threshold);
        y[k] = __builtin_convertvector(live[k] ? b : Splat<W>(1.0f), D<W>);
    }
    Log2Positive<W, K>(y);
    L<W> visible[K];
    TRIVANE_EACH_GROUP {
        y[k] = SplatD<W>(static_cast<double>(exponent)) * y[k];
        visible[k] = __builtin_convertvector(live[k], L<W>) & (y[k] >= SplatD<W>(kPowFloorLog2));
        y[k] = y[k] > SplatD<W>(kPowCeilingLog2) ? SplatD<W>(kPowCeilingLog2) : y[k];
        y[k] = visible[k] ? y[k] : SplatD<W>(0.0);
    }
    Exp2Bounded<W, K>(y);
    TRIVANE_EACH_GROUP {
        const F<W> value = __builtin_convertvector(y[k], F<W>);
        Store<W>(power + k * W, __builtin_convertvector(visible[k], I<W>) ? value : Splat<W>(0.0f));
    }
}
#undef TRIVANE_EACH_GROUP

// The kernels' normal: the back-face sign, a negative z turned with double sides, unit length.
template <int W>
inline Vec<W> ShadeNormal(const Plan& plan, const float* nx, const float* ny, const float* nz) {
    const F<W> sign = Splat<W>(plan.normalSign);
    Vec<W> n{Load<W>(nx) * sign, Load<W>(ny) * sign, Load<W>(nz) * sign};
    if (plan.turnToViewer) n.z = n.z < Splat<W>(0.0f) ? -n.z : n.z;
    return Normalize<W>(n);
}

// Mixed normals of pixels [first, first + count), count a multiple of W: the operations of
// WeightRowTerms, WeightsAt (NormalizeWeights) and the linear mix, in their order; with kTexture
// the texture coordinates as MixTexture mixes them.
template <int W, bool kTexture = false>
inline void MixRun(const NormalMix& mix, const int* columns, const int* rows, int first, int count, float* nx,
                   float* ny, float* nz, float* u = nullptr, float* v = nullptr) {
    const F<W> zero = Splat<W>(0.0f), one = Splat<W>(1.0f);
    for (int i = first; i < first + count; i += W) {
        I<W> column, row;
        std::memcpy(&column, columns + i, sizeof column);
        std::memcpy(&row, rows + i, sizeof row);
        const F<W> x = __builtin_convertvector(column, F<W>), y = __builtin_convertvector(row, F<W>);
        F<W> w[3];
        for (int k = 0; k < 3; ++k) {
            const F<W> rowTerm = mix.wy[k] * y + mix.w0[k];
            w[k] = mix.wx[k] * x + rowTerm;
            w[k] = w[k] >= zero ? w[k] : zero;
        }
        const F<W> sum = w[0] + w[1] + w[2];
        const F<W> scale = one / (sum > zero ? sum : one);
        for (F<W>& weight : w) weight *= scale;
        float* out[3] = {nx, ny, nz};
        for (int k = 0; k < 3; ++k) {
            Store<W>(out[k] + i, w[0] * mix.n[0][k] + w[1] * mix.n[1][k] + w[2] * mix.n[2][k]);
        }
        if constexpr (kTexture) {
            Store<W>(u + i, w[0] * mix.u[0] + w[1] * mix.u[1] + w[2] * mix.u[2]);
            Store<W>(v + i, w[0] * mix.v[0] + w[1] * mix.v[1] + w[2] * mix.v[2]);
        }
    }
}

// Pixels [first, first + count) of a batch, count a multiple of W.
template <int W>
inline void PhongRun(const Plan& plan, const PixelBatch& b, int first, int count) {
    for (int i = first; i < first + count; i += W) {
        Phong<W>(plan, b.x + i, b.y + i, b.z + i, b.nx + i, b.ny + i, b.nz + i, b.red + i, b.green + i, b.blue + i);
    }
}

// The kernels' lighting and finish of pixels [first, first + count), count a multiple of W, in parts
// of up to kLightPart pixels; out in sample units. The lights are taken in three passes over the
// part (several lights at a time in a short part): each light's direction and diffuse factor d,
// the highlight's powers of the d's (a long chain of dependent double operations for each group of
// pixels: taken side by side, the processor overlaps the chains), then the colour summed light by
// light. Every lane does the operations of the one-lane instance in the same order.
constexpr int kLightPart = 64;
// Groups of pixels whose powers are taken side by side: a whole part of eight groups of eight with
// the 32 registers of AVX-512, four groups where there are 16 (more would not stay in them).
template <int W>
constexpr int kPowGroups = W >= 8 ? 8 : 4;

// The powers of groups groups of W pixels at base: K groups side by side at a time, the rest in
// fewer.
template <int W, int K>
inline void Powers(const float* base, float* power, int groups, float exponent, float threshold) {
    int g = 0;
    for (; g + K <= groups; g += K) FastPow<W, K>(base + g * W, power + g * W, exponent, threshold);
    if constexpr (K > 1) {
        if (g < groups) Powers<W, K / 2>(base + g * W, power + g * W, groups - g, exponent, threshold);
    }
}

template <int W>
inline void LightRun(const Plan& plan, const ExactBatch& b, int first, int count) {
    static_assert(kLightPart % W == 0);
    const F<W> self = Splat<W>(plan.selfIllumination);
    const F<W> lit = Splat<W>(1.0f - plan.selfIllumination);
    const F<W> zero = Splat<W>(0.0f);
    const F<W> full = Splat<W>(plan.fullScale);
    const F<W> threshold = Splat<W>(plan.powThreshold);
    const F<W> strength = Splat<W>(plan.strength);
    for (int part = first; part < first + count; part += kLightPart) {
        const int n = first + count - part < kLightPart ? first + count - part : kLightPart;
        // The normals as shaded (the batch's own where they are), and the sums of the colour channels.
        alignas(64) float shaded[3][kLightPart];
        alignas(64) float sum[3][kLightPart];
        const float *nx = b.nx + part, *ny = b.ny + part, *nz = b.nz + part;
        if (b.rawNormals) {
            for (int i = 0; i < n; i += W) {
                const Vec<W> normal = ShadeNormal<W>(plan, nx + i, ny + i, nz + i);
                Store<W>(shaded[0] + i, normal.x), Store<W>(shaded[1] + i, normal.y), Store<W>(shaded[2] + i, normal.z);
            }
            nx = shaded[0], ny = shaded[1], nz = shaded[2];
        }
        for (int i = 0; i < n; i += W) {
            for (auto& channel : sum) Store<W>(channel + i, zero);
        }
        // The d of as many lights as fill a part's room one after another (light j's at j * n), their
        // powers in one pass: a short part's few groups are too few chains side by side.
        alignas(64) float d[kLightPart], power[kLightPart];
        const int together = kLightPart / n;
        for (int k0 = 0; k0 < plan.lightCount; k0 += together) {
            const int lights = plan.lightCount - k0 < together ? plan.lightCount - k0 : together;
            for (int j = 0; j < lights; ++j) {
                const light3ds& light = plan.lights[k0 + j];
                float* dj = d + j * n;
                for (int i = 0; i < n; i += W) {
                    const int at = part + i;
                    const Vec<W> normal{Load<W>(nx + i), Load<W>(ny + i), Load<W>(nz + i)};
                    const Vec<W> l = Normalize<W>({Splat<W>(light.x) - Load<W>(b.x + at),
                                                  Splat<W>(light.y) - Load<W>(b.y + at),
                                                  Splat<W>(light.z) - Load<W>(b.z + at)});
                    Store<W>(dj + i, Max<W>(Dot<W>(normal, l) * Splat<W>(light.multiplier), zero));  // NaN: 0
                }
            }
            Powers<W, kPowGroups<W>>(d, power, lights * n / W, plan.exponent, plan.powThreshold);
            // Light k0's term, then k0 + 1's, ... into each pixel's sums.
            for (int j = 0; j < lights; ++j) {
                const light3ds& light = plan.lights[k0 + j];
                const float lightColour[3] = {light.r, light.g, light.b};
                const float *dj = d + j * n, *pj = power + j * n;
                for (int i = 0; i < n; i += W) {
                    const int at = part + i;
                    const F<W> diffuseBase = Load<W>(dj + i);
                    const F<W> spec = diffuseBase > threshold ? Load<W>(pj + i) * strength : zero;
                    const F<W> diffuse = diffuseBase * lit + self;
                    const F<W> colour[3] = {Load<W>(b.c0 + at), Load<W>(b.c1 + at), Load<W>(b.c2 + at)};
                    for (int c = 0; c < 3; ++c) {
                        const F<W> term =
                            (diffuse * colour[c] + spec * Splat<W>(plan.specular[c])) * Splat<W>(lightColour[c]);
                        Store<W>(sum[c] + i, Load<W>(sum[c] + i) + term);
                    }
                }
            }
        }
        float* outs[3] = {b.red, b.green, b.blue};
        for (int i = 0; i < n; i += W) {
            for (int c = 0; c < 3; ++c) {
                const F<W> value = Load<W>(sum[c] + i) * full;
                Store<W>(outs[c] + part + i, value > zero ? Min<W>(value, full) : zero);
            }
        }
    }
}

template <int W>
inline void NormalRun(const Plan& plan, const NormalBatch& b, int first, int count) {
    for (int i = first; i < first + count; i += W) {
        const Vec<W> n = ShadeNormal<W>(plan, b.nx + i, b.ny + i, b.nz + i);
        Store<W>(b.outX + i, n.x);
        Store<W>(b.outY + i, n.y);
        Store<W>(b.outZ + i, n.z);
    }
}

// The background's samples of channel at (ix, iy) for the inside lanes (0 elsewhere). Eight lanes
// of an AVX2 processor gather the 32 bits of the pixel (or of its half holding the channel) that
// hold the sample, when every offset in the background fits the gather's 32-bit indices.
template <int W, typename S>
inline F<W> BackgroundSamples(const GlassBatch& b, const I<W>& ix, const I<W>& iy, const I<W>& inside, int channel,
                              bool gather) {
    const S* background = static_cast<const S*>(b.background);
#if defined(TRIVANE_LANES_AVX2) || defined(TRIVANE_LANES_AVX512)
    if constexpr (W == 8) {
        if (gather) {
            // Byte offset of the pixel, and of the 32 bits holding the channel within it.
            constexpr int kHalf = sizeof(S) == 1 ? 0 : 4;
            const I<W> pixel = (iy & inside) * b.stride + (ix & inside) * 4;
            const I<W> offset = pixel * static_cast<int>(sizeof(S)) + (channel >= 2 ? kHalf : 0);
            const U<W> words = GatherWordsWhere<1>(reinterpret_cast<const int*>(background), offset, inside);
            const int shift = sizeof(S) == 1 ? 8 * channel : 16 * (channel & 1);
            const U<W> sample = (words >> shift) & (sizeof(S) == 1 ? 0xFFu : 0xFFFFu);
            return __builtin_convertvector(reinterpret_cast<I<W>>(sample), F<W>);
        }
    }
#endif
    (void)gather;
    F<W> value = Splat<W>(0.0f);
    for (int k = 0; k < W; ++k) {
        if (!inside[k]) continue;
        const std::size_t at = static_cast<std::size_t>(iy[k]) * static_cast<std::size_t>(b.stride) +
                               static_cast<std::size_t>(ix[k]) * 4u + static_cast<std::size_t>(channel);
        value[k] = static_cast<float>(background[at]);
    }
    return value;
}

// Asks for the background's lines the next row's pixels will likely sample: those of the first and
// the last lane's sample one row further down, held inside the image; the background's offsets fit
// 32 bits (a hint only; always inlined, since a call the compiler sees as free of effects would be
// dropped with its hints).
template <int W, typename S>
[[gnu::always_inline]] inline void FetchRowBelow(const GlassBatch& b, const I<W>& ix, const I<W>& iy) {
    const I<W> zero = I<W>{}, lastRow = I<W>{} + (b.height - 1), lastColumn = I<W>{} + (b.width - 1);
    I<W> row = iy + 1;
    row = row < zero ? zero : row;
    row = row > lastRow ? lastRow : row;
    I<W> column = ix < zero ? zero : ix;
    column = column > lastColumn ? lastColumn : column;
    const I<W> offset = row * b.stride + column * 4;  // in samples
    const S* background = static_cast<const S*>(b.background);
    __builtin_prefetch(background + offset[0]);
    __builtin_prefetch(background + offset[W - 1]);
}

// The glass of one channel over the background alone, as RefractSampled has it: the sample
// displaced along the normal by the channel's length, held at the pixel on an axis where it leaves
// the image, the background there plus the tint (colour - 0.5), clamped; a sample still outside
// makes the colour the tint alone and the pixel transparent.
template <int W, typename S>
inline void RefractChannel(const GlassBatch& b, F<W> px, F<W> py, F<W> fx, F<W> fy, float length, float fullScale,
                           int channel, float* colour, I<W>& outside, int i, bool gather, bool fetch) {
    const F<W> width = Splat<W>(static_cast<float>(b.width)), height = Splat<W>(static_cast<float>(b.height));
    const F<W> minusOne = Splat<W>(-1.0f), zero = Splat<W>(0.0f), one = Splat<W>(1.0f);
    F<W> sx = px + fx * length;
    F<W> sy = py + fy * length;
    sx = (sx > minusOne) & (sx < width) ? sx : px;
    sy = (sy > minusOne) & (sy < height) ? sy : py;
    const I<W> inside = (sx > minusOne) & (sx < width) & (sy > minusOne) & (sy < height);
    const I<W> ix = __builtin_convertvector(sx, I<W>), iy = __builtin_convertvector(sy, I<W>);
    if (fetch) FetchRowBelow<W, S>(b, ix, iy);
    const F<W> value = b.background != nullptr ? BackgroundSamples<W, S>(b, ix, iy, inside, channel, gather) : zero;
    const F<W> tint = Load<W>(colour + i) - 0.5f;
    const F<W> seen = inside ? value / fullScale + tint : tint;
    Store<W>(colour + i, seen > zero ? (seen < one ? seen : one) : zero);
    outside |= ~inside;
}

// Backgrounds of this many bytes and more have the next row's samples asked for ahead.
constexpr std::int64_t kFetchBackgroundFrom = std::int64_t{4} << 20;

// Pixels [first, first + count) of a glass batch, count a multiple of W.
template <int W, typename S>
inline void RefractLanes(const Plan& plan, const GlassBatch& b, int first, int count) {
    const float o = plan.opticalCoefficient;
    const float lengths[3] = {plan.refraction, plan.refraction * plan.aberrationFactor,
                              plan.refraction * plan.aberrationFactor * plan.aberrationFactor};
    float* colours[3] = {b.c0, b.c1, b.c2};
    const std::int64_t bytes = static_cast<std::int64_t>(b.height) * b.stride * static_cast<std::int64_t>(sizeof(S));
    // Whether every byte offset of the background is a 32-bit index.
    const bool gather = bytes < std::int64_t{1} << 31;
    // Whether the next row's samples are asked for ahead: not for a background the caches hold.
    const bool fetch = b.background != nullptr && gather && bytes >= kFetchBackgroundFrom;
    for (int i = first; i < first + count; i += W) {
        const F<W> px = Splat<W>(b.originX) + Load<W>(b.x + i);
        const F<W> py = Splat<W>(b.originY) + Load<W>(b.y + i);
        const F<W> nz = Load<W>(b.nz + i);
        const F<W> f = -nz * o - ((nz - 1.0f) * o + 1.0f);
        const F<W> fx = f * Load<W>(b.nx + i), fy = f * Load<W>(b.ny + i);
        I<W> outside = I<W>{};
        for (int c = 0; c < 3; ++c) {
            RefractChannel<W, S>(b, px, py, fx, fy, lengths[c], plan.fullScale, c, colours[c], outside, i, gather,
                                 fetch);
        }
        const F<W> opacity = Load<W>(b.opacity + i);
        Store<W>(b.opacity + i, outside ? Splat<W>(0.0f) : opacity);
    }
}

template <int W>
inline void RefractRun(const Plan& plan, const GlassBatch& b, int first, int count) {
    if (plan.deepSamples) {
        RefractLanes<W, std::uint16_t>(plan, b, first, count);
    } else {
        RefractLanes<W, std::uint8_t>(plan, b, first, count);
    }
}

// WrapTexel for maps of at most 2^24 texels a side (every size a float): t - trunc(t / size) *
// size, plus size when negative, held inside [0, size). Only the sign of a zero may differ from
// WrapTexel's, which no texel index sees.
template <int W>
inline F<W> WrapTexels(F<W> t, float size) {
    const F<W> q = t / size;
    const F<W> magnitude = AsFloat<W>(AsBits<W>(q) & 0x7FFFFFFFu);
    // Below 2^23 the integer conversion truncates; above, the float is whole already (or NaN).
    const I<W> small = magnitude < Splat<W>(8388608.0f);
    const F<W> truncated = __builtin_convertvector(__builtin_convertvector(small ? q : Splat<W>(0.0f), I<W>), F<W>);
    const F<W> whole = small ? truncated : q;
    F<W> r = t - whole * size;
    const F<W> zero = Splat<W>(0.0f), fsize = Splat<W>(size);
    r = r < zero ? r + fsize : r;
    r = r < fsize ? r : fsize - 1.0f;
    return r < zero ? zero : r;
}

// Sum of the three colour channels of texels index[k] (in texels) as floats. Eight lanes of an AVX2
// processor gather the texels' 32-bit words when every texel's offset in words fits the gather's
// indices (gather).
template <int W, typename T>
inline F<W> TexelHeights(const void* texels, const I<W>& index, bool gather) {
#if defined(TRIVANE_LANES_AVX2) || defined(TRIVANE_LANES_AVX512)
    if constexpr (W == 8) {
        if (gather) {
            const int* words = static_cast<const int*>(texels);
            if constexpr (sizeof(T) == 1) {
                const U<W> w = GatherWords<4>(words, index);
                const I<W> sum = reinterpret_cast<I<W>>((w & 0xFFu) + ((w >> 8) & 0xFFu) + ((w >> 16) & 0xFFu));
                return __builtin_convertvector(sum, F<W>);
            } else {
                const I<W> at = index + index;  // channels 0, 1; channels 2, 3 in the next word
                const U<W> low = GatherWords<4>(words, at), high = GatherWords<4>(words + 1, at);
                const I<W> sum = reinterpret_cast<I<W>>((low & 0xFFFFu) + (low >> 16) + (high & 0xFFFFu));
                return __builtin_convertvector(sum, F<W>);
            }
        }
    }
#endif
    (void)gather;
    const T* t = static_cast<const T*>(texels);
    F<W> out;
    for (int k = 0; k < W; ++k) {
        const T* texel = t + static_cast<std::size_t>(static_cast<std::uint32_t>(index[k])) * 4u;
        out[k] = static_cast<float>(texel[0] + texel[1] + texel[2]);
    }
    return out;
}

// The height steps towards the next column and row of texels index[k] from the map's BumpSteps
// (an 8-bit map's: T is the map's sample). Eight lanes of an AVX2 processor gather them.
template <int W, typename T>
inline void TexelSteps(const std::int32_t* steps, const I<W>& index, F<W>& stepX, F<W>& stepY) {
#if defined(TRIVANE_LANES_AVX2) || defined(TRIVANE_LANES_AVX512)
    if constexpr (W == 8) {
        const int* words = reinterpret_cast<const int*>(steps);
        if constexpr (sizeof(T) == 1) {
            const U<W> w = GatherWords<4>(words, index);
            stepX = __builtin_convertvector(reinterpret_cast<I<W>>(w << 16) >> 16, F<W>);
            stepY = __builtin_convertvector(reinterpret_cast<I<W>>(w) >> 16, F<W>);
        } else {
            const I<W> at = index + index;
            stepX = __builtin_convertvector(reinterpret_cast<I<W>>(GatherWords<4>(words, at)), F<W>);
            stepY = __builtin_convertvector(reinterpret_cast<I<W>>(GatherWords<4>(words + 1, at)), F<W>);
        }
        return;
    }
#endif
    for (int k = 0; k < W; ++k) {
        const std::size_t at = static_cast<std::uint32_t>(index[k]);
        if constexpr (sizeof(T) == 1) {
            const std::int32_t w = steps[at];
            stepX[k] = static_cast<float>(static_cast<std::int16_t>(w & 0xFFFF));
            stepY[k] = static_cast<float>(w >> 16);
        } else {
            stepX[k] = static_cast<float>(steps[2 * at]);
            stepY[k] = static_cast<float>(steps[2 * at + 1]);
        }
    }
}

// Pixels [first, first + count) of a bump batch, count a multiple of W, as ApplyBump has them
// within a footprint of two texels: the height differences towards the next column and row (the
// last column and row their own neighbours) tilt the normal.
template <int W, typename T>
inline void BumpLanes(const Plan& plan, const BumpBatch& b, int first, int count) {
    const MapView& map = plan.bumpMap;
    const float widthSpan = static_cast<float>(map.width - 1), heightSpan = static_cast<float>(map.height - 1);
    const I<W> lastColumn = I<W>{} + (map.width - 1), lastRow = I<W>{} + (map.height - 1), one = I<W>{} + 1;
    const I<W> rowLength = I<W>{} + map.width;
    // Whether every texel's offset in 32-bit words is a gather index.
    const bool gather = static_cast<std::int64_t>(map.width) * map.height * static_cast<std::int64_t>(sizeof(T)) <
                        std::int64_t{1} << 30;
    for (int i = first; i < first + count; i += W) {
        const F<W> tx = (Load<W>(b.u + i) * map.uScale + map.uOffset) * widthSpan;
        const F<W> ty = (Load<W>(b.v + i) * map.vScale + map.vOffset) * heightSpan;
        I<W> beyond = I<W>{};
        if (b.previousU != nullptr) {
            // FootprintBeyondTwo: |dx| + |dy| in texels since the previous pixel (false for NaN).
            const F<W> beforeX = (Load<W>(b.previousU + i) * map.uScale + map.uOffset) * widthSpan;
            const F<W> beforeY = (Load<W>(b.previousV + i) * map.vScale + map.vOffset) * heightSpan;
            const F<W> sizeX = AsFloat<W>(AsBits<W>(tx - beforeX) & 0x7FFFFFFFu);
            const F<W> sizeY = AsFloat<W>(AsBits<W>(ty - beforeY) & 0x7FFFFFFFu);
            beyond = sizeX + sizeY > Splat<W>(2.0f);
            std::memcpy(b.beyond + i, &beyond, sizeof beyond);
        }
        const I<W> ix = __builtin_convertvector(WrapTexels<W>(tx, static_cast<float>(map.width)), I<W>);
        const I<W> iy = __builtin_convertvector(WrapTexels<W>(ty, static_cast<float>(map.height)), I<W>);
        // The steps in height: whole numbers below 2^24, so the difference of the heights as floats
        // is the step's float.
        F<W> stepX, stepY;
        if (b.steps != nullptr) {
            TexelSteps<W, T>(b.steps, iy * rowLength + ix, stepX, stepY);
        } else {
            const I<W> nextX = ix + one < rowLength ? ix + one : lastColumn;
            const I<W> nextY = iy + one < lastRow + one ? iy + one : lastRow;
            const F<W> centre = TexelHeights<W, T>(map.texels, iy * rowLength + ix, gather);
            const F<W> right = TexelHeights<W, T>(map.texels, iy * rowLength + nextX, gather);
            const F<W> below = TexelHeights<W, T>(map.texels, nextY * rowLength + ix, gather);
            stepX = right - centre;
            stepY = below - centre;
        }
        const F<W> nx = Load<W>(b.nx + i), ny = Load<W>(b.ny + i);
        Store<W>(b.nx + i, beyond ? nx : nx - plan.bumpFactor * stepX);
        Store<W>(b.ny + i, beyond ? ny : ny - plan.bumpFactor * stepY);
    }
}

template <int W>
inline void BumpRun(const Plan& plan, const BumpBatch& b, int first, int count) {
    if (plan.bumpMap.is16) {
        BumpLanes<W, std::uint16_t>(plan, b, first, count);
    } else {
        BumpLanes<W, std::uint8_t>(plan, b, first, count);
    }
}

}  // namespace
}  // namespace trivane::shading::lanes
