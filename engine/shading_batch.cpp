// Batches of plain Phong pixels, four at a time: normal, lighting and finish as in the kernels,
// with the highlight's power in float. Only IEEE operations (no reciprocal estimates), so every
// x86 build computes the same bits.
#include "engine/shading_p.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TRIVANE_BATCH_SSE2 1
#endif

namespace trivane::shading {

namespace {

#if TRIVANE_BATCH_SSE2

struct Lanes {
    __m128 x, y, z;
};

inline __m128 Dot(const Lanes& a, const Lanes& b) {
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(a.x, b.x), _mm_mul_ps(a.y, b.y)), _mm_mul_ps(a.z, b.z));
}

// Unit length where the length is positive; zero vectors stay zero.
inline Lanes Normalize(Lanes v) {
    const __m128 length = _mm_sqrt_ps(Dot(v, v));
    const __m128 positive = _mm_cmpgt_ps(length, _mm_setzero_ps());
    const __m128 inverse = _mm_div_ps(_mm_set1_ps(1.0f), length);
    const __m128 scale = _mm_or_ps(_mm_and_ps(positive, inverse), _mm_andnot_ps(positive, _mm_set1_ps(1.0f)));
    return {_mm_mul_ps(v.x, scale), _mm_mul_ps(v.y, scale), _mm_mul_ps(v.z, scale)};
}

// base^exponent for base > threshold (other lanes give 0): log2 from the exponent bits and an
// atanh series of the mantissa centred on 1, exp2 from a rounded integer part and a Taylor
// polynomial; the same limits as FastPow (2^-60 floor, 2^100 ceiling).
inline __m128 PowerLanes(__m128 base, float exponent, float threshold) {
    const __m128 live = _mm_cmpgt_ps(base, _mm_set1_ps(threshold > 0.0f ? threshold : 0.0f));
    const __m128 safe = _mm_or_ps(_mm_and_ps(live, base), _mm_andnot_ps(live, _mm_set1_ps(1.0f)));
    // Exponent and mantissa in [sqrt(1/2), sqrt(2)).
    __m128i bits = _mm_castps_si128(safe);
    __m128i e = _mm_sub_epi32(_mm_srli_epi32(bits, 23), _mm_set1_epi32(127));
    __m128 m = _mm_castsi128_ps(_mm_or_si128(_mm_and_si128(bits, _mm_set1_epi32(0x007FFFFF)), _mm_set1_epi32(0x3F800000)));
    const __m128 high = _mm_cmpgt_ps(m, _mm_set1_ps(1.41421356f));
    m = _mm_or_ps(_mm_and_ps(high, _mm_mul_ps(m, _mm_set1_ps(0.5f))), _mm_andnot_ps(high, m));
    e = _mm_sub_epi32(e, _mm_castps_si128(high));  // high lanes are -1: exponent + 1
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 s = _mm_div_ps(_mm_sub_ps(m, one), _mm_add_ps(m, one));
    const __m128 s2 = _mm_mul_ps(s, s);
    __m128 series = _mm_add_ps(_mm_set1_ps(2.0f / 7.0f), _mm_mul_ps(s2, _mm_set1_ps(2.0f / 9.0f)));
    series = _mm_add_ps(_mm_set1_ps(2.0f / 5.0f), _mm_mul_ps(s2, series));
    series = _mm_add_ps(_mm_set1_ps(2.0f / 3.0f), _mm_mul_ps(s2, series));
    series = _mm_add_ps(_mm_set1_ps(2.0f), _mm_mul_ps(s2, series));
    const __m128 log2 = _mm_add_ps(_mm_cvtepi32_ps(e), _mm_mul_ps(_mm_mul_ps(s, series), _mm_set1_ps(1.44269504f)));
    __m128 y = _mm_mul_ps(_mm_set1_ps(exponent), log2);
    const __m128 visible = _mm_and_ps(live, _mm_cmpge_ps(y, _mm_set1_ps(static_cast<float>(kPowFloorLog2))));
    y = _mm_min_ps(_mm_max_ps(y, _mm_set1_ps(static_cast<float>(kPowFloorLog2))),
                   _mm_set1_ps(static_cast<float>(kPowCeilingLog2)));
    // 2^y.
    const __m128i whole = _mm_cvtps_epi32(y);  // nearest
    const __m128 f = _mm_mul_ps(_mm_sub_ps(y, _mm_cvtepi32_ps(whole)), _mm_set1_ps(0.693147181f));
    __m128 p = _mm_add_ps(_mm_set1_ps(1.0f / 120.0f), _mm_mul_ps(f, _mm_set1_ps(1.0f / 720.0f)));
    p = _mm_add_ps(_mm_set1_ps(1.0f / 24.0f), _mm_mul_ps(f, p));
    p = _mm_add_ps(_mm_set1_ps(1.0f / 6.0f), _mm_mul_ps(f, p));
    p = _mm_add_ps(_mm_set1_ps(0.5f), _mm_mul_ps(f, p));
    p = _mm_add_ps(one, _mm_mul_ps(f, p));
    p = _mm_add_ps(one, _mm_mul_ps(f, p));
    const __m128 scale = _mm_castsi128_ps(_mm_slli_epi32(_mm_add_epi32(whole, _mm_set1_epi32(127)), 23));
    return _mm_and_ps(visible, _mm_mul_ps(p, scale));
}

void PhongLanes(const Plan& plan, const float* px, const float* py, const float* pz, const float* nx,
                const float* ny, const float* nz, float* red, float* green, float* blue) {
    const __m128 sign = _mm_set1_ps(plan.normalSign);
    Lanes n{_mm_mul_ps(_mm_loadu_ps(nx), sign), _mm_mul_ps(_mm_loadu_ps(ny), sign), _mm_mul_ps(_mm_loadu_ps(nz), sign)};
    if (plan.turnToViewer) n.z = _mm_andnot_ps(_mm_set1_ps(-0.0f), n.z);  // negative z turned: |z|
    n = Normalize(n);
    const Lanes p{_mm_loadu_ps(px), _mm_loadu_ps(py), _mm_loadu_ps(pz)};
    const __m128 self = _mm_set1_ps(plan.selfIllumination);
    const __m128 lit = _mm_set1_ps(1.0f - plan.selfIllumination);
    const __m128 zero = _mm_setzero_ps();
    __m128 o0 = zero, o1 = zero, o2 = zero;
    for (int i = 0; i < plan.lightCount; ++i) {
        const light3ds& light = plan.lights[i];
        const Lanes l = Normalize({_mm_sub_ps(_mm_set1_ps(light.x), p.x), _mm_sub_ps(_mm_set1_ps(light.y), p.y),
                                   _mm_sub_ps(_mm_set1_ps(light.z), p.z)});
        const __m128 d = _mm_max_ps(_mm_mul_ps(Dot(n, l), _mm_set1_ps(light.multiplier)), zero);  // NaN: 0
        const __m128 spec = _mm_mul_ps(PowerLanes(d, plan.exponent, plan.powThreshold), _mm_set1_ps(plan.strength));
        const __m128 diffuse = _mm_add_ps(_mm_mul_ps(d, lit), self);
        o0 = _mm_add_ps(o0, _mm_mul_ps(_mm_add_ps(_mm_mul_ps(diffuse, _mm_set1_ps(plan.colour[0])),
                                                  _mm_mul_ps(spec, _mm_set1_ps(plan.specular[0]))),
                                       _mm_set1_ps(light.r)));
        o1 = _mm_add_ps(o1, _mm_mul_ps(_mm_add_ps(_mm_mul_ps(diffuse, _mm_set1_ps(plan.colour[1])),
                                                  _mm_mul_ps(spec, _mm_set1_ps(plan.specular[1]))),
                                       _mm_set1_ps(light.g)));
        o2 = _mm_add_ps(o2, _mm_mul_ps(_mm_add_ps(_mm_mul_ps(diffuse, _mm_set1_ps(plan.colour[2])),
                                                  _mm_mul_ps(spec, _mm_set1_ps(plan.specular[2]))),
                                       _mm_set1_ps(light.b)));
    }
    const __m128 full = _mm_set1_ps(plan.fullScale);
    // max(v, 0) first: a NaN lane becomes 0.
    _mm_storeu_ps(red, _mm_min_ps(_mm_max_ps(_mm_mul_ps(o0, full), zero), full));
    _mm_storeu_ps(green, _mm_min_ps(_mm_max_ps(_mm_mul_ps(o1, full), zero), full));
    _mm_storeu_ps(blue, _mm_min_ps(_mm_max_ps(_mm_mul_ps(o2, full), zero), full));
}

#endif

// One pixel through the scalar kernel.
void PhongOne(const Plan& plan, const PixelBatch& b, int i) {
    const __Point normal{b.nx[i], b.ny[i], b.nz[i]};
    const Pixel pixel{0, 0, nullptr, nullptr, b.x[i], b.y[i], b.z[i], &normal, 0, 0, nullptr, 0, 0, 0, 0};
    float out[3];
    plan.kernel(plan, pixel, out);
    b.red[i] = out[0], b.green[i] = out[1], b.blue[i] = out[2];
}

}  // namespace

const Plan* BatchPlan(const __Triangle3ds* triangle, const material3ds* materials, int materialCount,
                      const __Texture* textures, int lightCount, const light3ds* lights, const GlassProp* glass,
                      bool mapped) {
    const Plan& plan = PlanFor(triangle, materials, materialCount, textures, lightCount, lights, glass, mapped);
    return Batches(plan) ? &plan : nullptr;
}

float ShadeBatchBuiltin(const __Triangle3ds* triangle, const material3ds* materials, int materialCount,
                        const __Texture* textures, int lightCount, const light3ds* lights, const GlassProp* glass,
                        bool mapped, const PixelBatch& b) {
    const Plan* plan = BatchPlan(triangle, materials, materialCount, textures, lightCount, lights, glass, mapped);
    return plan != nullptr ? ShadeBatch(*plan, b) : -1.0f;
}

float ShadeBatch(const Plan& plan, const PixelBatch& b) {
    if (plan.kernel == KernelUnlit) {
        for (int i = 0; i < b.count; ++i) b.red[i] = b.green[i] = b.blue[i] = 0.0f;
        return Clamp01(plan.opacity);
    }
    int i = 0;
#if TRIVANE_BATCH_SSE2
    for (; i + 4 <= b.count; i += 4) {
        PhongLanes(plan, b.x + i, b.y + i, b.z + i, b.nx + i, b.ny + i, b.nz + i, b.red + i, b.green + i, b.blue + i);
    }
    if (i < b.count) {
        // The last 1..3 pixels, padded to four lanes.
        float in[6][4] = {}, out[3][4];
        const int rest = b.count - i;
        for (int k = 0; k < rest; ++k) {
            in[0][k] = b.x[i + k], in[1][k] = b.y[i + k], in[2][k] = b.z[i + k];
            in[3][k] = b.nx[i + k], in[4][k] = b.ny[i + k], in[5][k] = b.nz[i + k];
        }
        PhongLanes(plan, in[0], in[1], in[2], in[3], in[4], in[5], out[0], out[1], out[2]);
        for (int k = 0; k < rest; ++k) b.red[i + k] = out[0][k], b.green[i + k] = out[1][k], b.blue[i + k] = out[2][k];
        i = b.count;
    }
#endif
    for (; i < b.count; ++i) PhongOne(plan, b, i);
    return plan.opacity;
}

}  // namespace trivane::shading
