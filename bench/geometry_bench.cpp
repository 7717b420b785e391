// Speed of the growers (triangles per second) and of the mask tracer (time per megapixel).
#include "generate/base_paths.h"
#include "generate/growth.h"
#include "generate/random.h"
#include "generate/scene_builder_p.h"
#include "geometry/mesh_builder.h"
#include "params/params.h"
#include "platform/platform.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

template <typename Grow>
void RunGrower(benchmark::State& state, Grow grow, std::int32_t budget = kDefaultTriangleBudget) {
    std::int64_t triangles = 0;
    for (auto _ : state) {
        TriangleList list(budget);
        TriangleCount = 0;
        SeedRandom(1212);
        grow(list);
        triangles += list.Size();
        benchmark::DoNotOptimize(list.Size());
    }
    state.SetItemsProcessed(triangles);
    state.counters["triangles"] = static_cast<double>(triangles) / static_cast<double>(state.iterations());
}

void BM_PathTriangles(benchmark::State& state) {
    RunGrower(state, [](TriangleList& list) {
        for (int k = 0; k < 1000; ++k)
            AddPathTriangle(list, {k * 2.0f, 0}, {k * 2.0f + 2, 0.5f}, {0.1f, -1}, 1, 1.2f);
    });
}

void BM_GeometricBranch(benchmark::State& state) {
    RunGrower(state, [](TriangleList& list) {
        GrowGeometricBranch(list, 0, 2, 0, 0, 0, 0, {0, -1}, 0.5f, 20, 0.1f, 0.1f, 0.25f, 0.15f, 7, 4);
    });
}

void BM_GeometricToTheBudget(benchmark::State& state) {
    // The largest parameters (about 10^9 triangles unbounded) stop at the default budget.
    RunGrower(state, [](TriangleList& list) {
        GrowGeometricBranch(list, 0, 2, 0, 0, 0, 0, {0, -1}, 0.5f, 20, 0.1f, 0.1f, 0.25f, 0.15f, 15, 6);
    });
}

void BM_FloralArcs(benchmark::State& state) {
    RunGrower(state, [](TriangleList& list) {
        for (int k = 0; k < 20; ++k)
            GrowFloralBranch(list, 3, k * 10.0f, 0, 20, -1.57f, 2.0f, 70, 0.08f, false, -640);
    });
}

void BM_FloralCurl(benchmark::State& state) {
    RunGrower(state, [](TriangleList& list) {
        GrowFloralBranch(list, 6, 0, 0, 0, -1.0f, 3.0f, 200, 0.01f, true, 75);
    });
}

void BM_FernBranch(benchmark::State& state) {
    RunGrower(state, [](TriangleList& list) {
        GrowFernBranch(list, 3, 0, 0, 0, -1.57f, 0.9f, 250, 0.005f, 37, 15, 0.05f, 3.1f, 0);
    });
}

void BM_WindowLayout(benchmark::State& state) {
    for (auto _ : state) {
        BasePath path;
        BuildWindowPath(path, -3000, -2000, 6000, 4000);
        benchmark::DoNotOptimize(path.segmentCount);
        FreeBasePath(path);
    }
}

// A 6000 x 4000 selection of a few ellipses: some thousands of border pixels.
std::vector<std::uint8_t> LargeMask(int columns, int rows) {
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
    struct Ellipse {
        int cx, cy, rx, ry;
    };
    const Ellipse shapes[] = {{1500, 1200, 500, 300}, {4000, 2500, 300, 600}, {2500, 3200, 200, 200}};
    for (const Ellipse& e : shapes)
        for (int r = e.cy - e.ry; r <= e.cy + e.ry; ++r)
            for (int c = e.cx - e.rx; c <= e.cx + e.rx; ++c) {
                const double dx = double(c - e.cx) / e.rx, dy = double(r - e.cy) / e.ry;
                if (dx * dx + dy * dy <= 1) mask[static_cast<std::size_t>(r) * columns + c] = 255;
            }
    return mask;
}

void BM_TraceSelection6000x4000(benchmark::State& state) {
    const int columns = 6000, rows = 4000;
    const auto mask = LargeMask(columns, rows);
    std::int32_t points = 0;
    for (auto _ : state) {
        CMeshBuilder builder;
        std::int32_t n = 0, m = 0;
        MeshPoint* p = nullptr;
        MeshSegment* s = nullptr;
        if (!builder.BuildBorderLines(columns, rows, columns, mask.data(), 1.0f, 30, &n, &m, &p, &s))
            state.SkipWithError("trace failed");
        points = n;
        platform::FreePages(p);
        platform::FreePages(s);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(columns) * rows);
    state.counters["points"] = points;
}

// A scene past the budget: "Geometric 1" along "U-like" with (width, iterations, triangles) from
// state.range, grown to fit the default budget (GrowWithinBudget), against one growth cut at the
// budget (what a single pass costs; the pattern of that pass would cover only the start of the
// path).
void GrowPastTheBudget(benchmark::State& state, bool whole) {
    RimelaceParams p{};
    ResetParams(p);
    p.EffectKind = 1;
    p.PatternKind = 1;
    p.MaxIterations = static_cast<std::int32_t>(state.range(1));
    p.MaxTriangles = static_cast<std::int32_t>(state.range(2));
    const std::int32_t W = static_cast<std::int32_t>(state.range(0)), H = W * 3 / 4;
    BasePath path;
    BuildLayoutPath(p.MaskKind, path, -W / 2.0f, -H / 2.0f, float(W), float(H));
    std::int32_t triangles = 0, iterations = 0, fanTriangles = 0;
    for (auto _ : state) {
        TriangleList list;
        if (whole) {
            SceneOutcome outcome;
            GrowWithinBudget(p, W, path, false, 0, 0, kDefaultTriangleBudget, list, outcome, nullptr);
            iterations = outcome.reduction.iterations[1];
            fanTriangles = outcome.reduction.triangles[1];
        } else {
            SceneQuantities q = DeriveQuantities(p, W);
            AdjustForEffectKind(p, W, q);
            SeedRandom(std::uint32_t(q.seed) + 1212u);
            TriangleCount = 0;
            list.Reset(kDefaultTriangleBudget);
            WalkPath(path, p, q, W, list, nullptr);
        }
        triangles = list.Size();
    }
    FreeBasePath(path);
    state.counters["triangles"] = triangles;
    if (whole) {
        state.counters["iterations"] = iterations;
        state.counters["fan_triangles"] = fanTriangles;
    }
}

void BM_GrowWithinBudget(benchmark::State& state) { GrowPastTheBudget(state, true); }
void BM_GrowOnceCutAtTheBudget(benchmark::State& state) { GrowPastTheBudget(state, false); }

} // namespace

BENCHMARK(BM_GrowWithinBudget)->Args({400, 6, 15})->Args({1600, 4, 8})->Args({1600, 6, 15})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrowOnceCutAtTheBudget)->Args({400, 6, 15})->Args({1600, 4, 8})->Args({1600, 6, 15})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PathTriangles);
BENCHMARK(BM_GeometricBranch);
BENCHMARK(BM_GeometricToTheBudget)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloralArcs);
BENCHMARK(BM_FloralCurl);
BENCHMARK(BM_FernBranch);
BENCHMARK(BM_WindowLayout);
BENCHMARK(BM_TraceSelection6000x4000)->Unit(benchmark::kMillisecond);
