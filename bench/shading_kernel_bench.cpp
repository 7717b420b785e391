// The shading alone, per pixel: the built-in callback one pixel at a time against the four-wide
// batch, on a row of Phong pixels with two point lights (as in the scene benchmark); and the exact
// lighting of queued pixels alone, on the processor's widest lanes for it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/scenes.h"
#include "engine/shading_lanes_p.h"
#include "engine/shading_p.h"
#include "engine/state_p.h"

namespace {

constexpr int kRow = 256;

struct Row {
    material3ds material{};
    light3ds lights[2] = {};
    __Triangle3ds triangle{0, 1, 2, 0, 0};
    std::vector<float> x, y, z, nx, ny, nz, r, g, b;

    Row() : x(kRow), y(kRow), z(kRow), nx(kRow), ny(kRow), nz(kRow), r(kRow), g(kRow), b(kRow) {
        for (int i = 0; i < 3; ++i) material.diffuse[i] = bench::kDiffuse[i], material.specular[i] = bench::kSpecular[i];
        material.shininess = bench::kShininess;
        material.shinStrength = bench::kStrength;
        material.selfIllum = bench::kSelfIllum;
        for (int i = 0; i < 2; ++i) {
            lights[i].x = bench::kLights[i].x, lights[i].y = bench::kLights[i].y, lights[i].z = bench::kLights[i].z;
            lights[i].r = bench::kLights[i].r, lights[i].g = bench::kLights[i].g, lights[i].b = bench::kLights[i].b;
            lights[i].multiplier = bench::kLights[i].multiplier;
        }
        for (int i = 0; i < kRow; ++i) {
            x[i] = static_cast<float>(i - kRow / 2), y[i] = 10.0f, z[i] = 500.0f;
            nx[i] = 0.3f * static_cast<float>(i % 7 - 3) / 3.0f, ny[i] = 0.1f, nz[i] = 1.0f;
        }
        trivane::g_state.fullScale = 255;
        trivane::g_state.pixelBytes = 4;
        Zwidth = 4000, Zheight = 3000;
        trivane::shading::BeginShadingCall();
    }
};

void CallbackPerPixel(benchmark::State& state) {
    Row row;
    for (auto _ : state) {
        for (int i = 0; i < kRow; ++i) {
            __Point normal{row.nx[i], row.ny[i], row.nz[i]};
            trivane::RenderOnePixelBuiltin(2000, 1500, nullptr, nullptr, row.x[i], row.y[i], row.z[i], &row.triangle,
                                           &row.material, 1, row.r[i], row.g[i], row.b[i], &normal, 0, 0, 0, nullptr,
                                           2, row.lights, nullptr, nullptr, 0, 0, 1, 0);
        }
        benchmark::DoNotOptimize(row.r.data());
    }
    state.SetItemsProcessed(state.iterations() * kRow);
}
BENCHMARK(CallbackPerPixel);

void BatchOfARow(benchmark::State& state) {
    Row row;
    trivane::shading::PixelBatch batch;
    batch.count = kRow;
    batch.x = row.x.data(), batch.y = row.y.data(), batch.z = row.z.data();
    batch.nx = row.nx.data(), batch.ny = row.ny.data(), batch.nz = row.nz.data();
    batch.red = row.r.data(), batch.green = row.g.data(), batch.blue = row.b.data();
    for (auto _ : state) {
        trivane::shading::ShadeBatchBuiltin(&row.triangle, &row.material, 1, nullptr, 2, row.lights, nullptr, false,
                                            batch);
        benchmark::DoNotOptimize(row.r.data());
    }
    state.SetItemsProcessed(state.iterations() * kRow);
}
BENCHMARK(BatchOfARow);

// The lighting and finish of the queue's pixels (normals as shaded, the material's colour), in
// runs of the length given (64: a long queue's; 24: a small triangle's), on lanes of the width given
// (16: the runs of eight pixels with their powers on sixteen doubles' room, AVX-512; 8: of four,
// AVX2; 2; 1).
void ExactLightingOfARow(benchmark::State& state) {
    namespace shading = trivane::shading;
    const int width = static_cast<int>(state.range(0));
    const int run = static_cast<int>(state.range(1));
    if (width > shading::LaneWidth()) {
        state.SkipWithError("this processor has no such lanes");
        return;
    }
    Row row;
    const shading::Plan& plan = shading::PlanFor(&row.triangle, &row.material, 1, nullptr, 2, row.lights, nullptr, false);
    std::vector<float> c0(kRow, row.material.diffuse[0]), c1(kRow, row.material.diffuse[1]),
        c2(kRow, row.material.diffuse[2]);
    const shading::lanes::ExactBatch b{row.x.data(),  row.y.data(), row.z.data(), row.nx.data(), row.ny.data(),
                                       row.nz.data(), true,         c0.data(),    c1.data(),     c2.data(),
                                       row.r.data(),  row.g.data(), row.b.data()};
    for (auto _ : state) {
        for (int first = 0; first + run <= kRow; first += run) {
            switch (width) {
                case 16: shading::lanes::LightRun8(plan, b, first, run); break;
                case 8: shading::lanes::LightRun4(plan, b, first, run); break;
                case 2: shading::lanes::LightRun<2>(plan, b, first, run); break;
                default: shading::lanes::LightRun<1>(plan, b, first, run); break;
            }
        }
        benchmark::DoNotOptimize(row.r.data());
    }
    state.SetItemsProcessed(state.iterations() * (kRow / run * run));
}
BENCHMARK(ExactLightingOfARow)->ArgsProduct({{16, 8, 2, 1}, {64, 24}});

}  // namespace

BENCHMARK_MAIN();
