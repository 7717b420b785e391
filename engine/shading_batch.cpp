// Batches of plain Phong pixels: normal, lighting and finish as in the kernels, with the
// highlight's power in float, on the widest lanes the processor has (shading_lanes_p.h). Every
// width computes the same bits, the one-lane path included.
#include <atomic>

#include "engine/shading_lanes_p.h"

namespace trivane::shading {

namespace {

// The widest lanes of this processor: 16 (AVX-512), 8 (AVX2), 4 (SSE2) or 1. 0: not probed yet.
std::atomic<int> g_widest{0};
int g_forcedWidth = 0;

int ProbeWidest() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return 16;
    if (__builtin_cpu_supports("avx2")) return 8;
#endif
#if defined(__SSE2__) || defined(_M_X64)
    return 4;
#else
    return 1;
#endif
}

int Widest() {
    if (g_forcedWidth > 0) return g_forcedWidth;
    int widest = g_widest.load(std::memory_order_relaxed);
    if (widest == 0) {
        widest = ProbeWidest();
        g_widest.store(widest, std::memory_order_relaxed);
    }
    return widest;
}

}  // namespace

int LaneWidth() { return Widest(); }
void ForceLaneWidth(int width) { g_forcedWidth = width; }

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
    // Whole groups on the widest lanes, then fours, then the last pixels one lane at a time.
    const int width = Widest();
    int i = 0;
    if (width >= 16) {
        const int whole = b.count / 16 * 16;
        lanes::PhongRun16(plan, b, 0, whole);
        i = whole;
    }
    if (width >= 8) {
        const int whole = (b.count - i) / 8 * 8;
        lanes::PhongRun8(plan, b, i, whole);
        i += whole;
    }
    if (width >= 4) {
        const int whole = (b.count - i) / 4 * 4;
        lanes::PhongRun<4>(plan, b, i, whole);
        i += whole;
    }
    lanes::PhongRun<1>(plan, b, i, b.count - i);
    return plan.opacity;
}

}  // namespace trivane::shading
