// The outline and curved-patch modes against mode 6 on the same scenes: seeded random triangles
// with tilted vertex normals, built-in shading, _Quality on and off.
//   build/bench/lines_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "engine/trivane.h"

namespace {

struct LineScene {
    int width, height;
    std::vector<__Point3ds> points;
    std::vector<__Triangle3ds> triangles;
    std::vector<BYTE> background;
};

// count triangles of about area pixels each, front-facing, normals tilted up to 45 degrees.
LineScene MakeScene(int width, int height, int count, float area) {
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    LineScene scene{width, height, {}, {}, std::vector<BYTE>(static_cast<std::size_t>(width) * height * 4, 90)};
    const float side = std::sqrt(2.0f * area);
    for (int i = 0; i < count; ++i) {
        float cx = (unit(random) - 0.5f) * width, cy = (unit(random) - 0.5f) * height, z = unit(random) * 100;
        float angle = unit(random) * 6.2831853f;
        std::int32_t base = static_cast<std::int32_t>(scene.points.size());
        for (int k = 0; k < 3; ++k) {
            float a = angle + k * 2.0943951f;  // front-facing (N.z >= 0)
            __Point3ds p{};
            p.x = cx + side * 0.6f * std::cos(a), p.y = cy + side * 0.6f * std::sin(a), p.z = z + unit(random) * 10;
            p.nx = (unit(random) - 0.5f), p.ny = (unit(random) - 0.5f), p.nz = 1.0f;
            scene.points.push_back(p);
        }
        scene.triangles.push_back(__Triangle3ds{base, base + 1, base + 2, 0, 0});
    }
    return scene;
}

void RunMode(benchmark::State& state, int width, int height, int count, float area) {
    static LineScene scene;
    if (scene.width != width || scene.triangles.size() != static_cast<std::size_t>(count)) {
        scene = MakeScene(width, height, count, area);
    }
    const BYTE mode = static_cast<BYTE>(state.range(0));
    __SetDrawMode(mode);
    __SetQuality(static_cast<BYTE>(state.range(1)));
    _WireSize = 1.5f;
    material3ds material{};
    material.diffuse[0] = 0.3f, material.diffuse[1] = 0.5f, material.diffuse[2] = 0.8f;
    material.shininess = 0.3f, material.shinStrength = 0.5f;
    std::vector<BYTE> target(scene.background.size());
    for (auto _ : state) {
        std::memcpy(target.data(), scene.background.data(), target.size());
        __RasterScene(target.data(), scene.background.data(), width, height, width * 4, 0,
                      static_cast<int>(scene.triangles.size()), scene.triangles.data(), scene.points.data(),
                      width / 2, height / 2, 1, &material, nullptr, 0, nullptr, nullptr);
        benchmark::DoNotOptimize(target.data());
    }
}

void Preview(benchmark::State& state) { RunMode(state, 400, 300, 2000, 60.0f); }
void Large(benchmark::State& state) { RunMode(state, 6000, 4000, 20000, 400.0f); }

void Modes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"mode", "quality"})->Unit(benchmark::kMillisecond);
    for (int quality : {0, 1}) {
        for (int mode : {6, 0, 1, 2, 8, 9, 10}) b->Args({mode, quality});
    }
}

BENCHMARK(Preview)->Apply(Modes);
BENCHMARK(Large)->Apply(Modes)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
