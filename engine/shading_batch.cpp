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

constexpr int kWidest = 16;

// Pixels [first, first + count) of b on lanes of the given width (16, 8, 4 or 1), count a multiple
// of it.
void RunLanes(const Plan& plan, const PixelBatch& b, int width, int first, int count) {
    switch (width) {
        case 16: lanes::PhongRun16(plan, b, first, count); break;
        case 8: lanes::PhongRun8(plan, b, first, count); break;
        case 4: lanes::PhongRun<4>(plan, b, first, count); break;
        default: lanes::PhongRun<1>(plan, b, first, count); break;
    }
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
    // Whole groups on the widest lanes, then the rest as one group of the narrowest lanes that hold
    // it, its empty lanes repeating the last pixel (lanes never mix, so they change nothing).
    const int width = Widest();
    const int whole = width >= 4 ? b.count / width * width : b.count;
    RunLanes(plan, b, width, 0, whole);
    const int rest = b.count - whole;
    if (rest == 0) return plan.opacity;
    int group = 4;
    while (group < rest) group *= 2;
    float in[6][kWidest], out[3][kWidest];
    const float* from[6] = {b.x, b.y, b.z, b.nx, b.ny, b.nz};
    for (int k = 0; k < 6; ++k) {
        for (int i = 0; i < group; ++i) in[k][i] = from[k][whole + (i < rest ? i : rest - 1)];
    }
    PixelBatch padded;
    padded.count = group;
    padded.x = in[0], padded.y = in[1], padded.z = in[2], padded.nx = in[3], padded.ny = in[4], padded.nz = in[5];
    padded.red = out[0], padded.green = out[1], padded.blue = out[2];
    RunLanes(plan, padded, group, 0, group);
    for (int i = 0; i < rest; ++i) {
        b.red[whole + i] = out[0][i], b.green[whole + i] = out[1][i], b.blue[whole + i] = out[2][i];
    }
    return plan.opacity;
}

namespace {

// Whole groups on the widest lanes, then groups of four, then one by one; with kTexture the
// texture coordinates too.
template <bool kTexture>
void Mix(const NormalMix& mix, const int* columns, const int* rows, int count, float* nx, float* ny, float* nz,
         float* u, float* v) {
    const int width = Widest();
    int done = 0;
    if (width >= 8) {
        const int whole = count / width * width;
        if (width == 16) {
            lanes::MixRun16(mix, columns, rows, 0, whole, nx, ny, nz, u, v);
        } else {
            lanes::MixRun8(mix, columns, rows, 0, whole, nx, ny, nz, u, v);
        }
        done = whole;
    }
    if (width >= 4) {
        const int fours = (count - done) / 4 * 4;
        lanes::MixRun<4, kTexture>(mix, columns, rows, done, fours, nx, ny, nz, u, v);
        done += fours;
    }
    lanes::MixRun<1, kTexture>(mix, columns, rows, done, count - done, nx, ny, nz, u, v);
}

}  // namespace

void MixNormals(const NormalMix& mix, const int* columns, const int* rows, int count, float* nx, float* ny,
                float* nz) {
    Mix<false>(mix, columns, rows, count, nx, ny, nz, nullptr, nullptr);
}

void MixAttributes(const NormalMix& mix, const int* columns, const int* rows, int count, float* nx, float* ny,
                   float* nz, float* u, float* v) {
    Mix<true>(mix, columns, rows, count, nx, ny, nz, u, v);
}

}  // namespace trivane::shading
