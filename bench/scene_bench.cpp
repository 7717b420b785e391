// Scene benchmarks: the dialog-preview path (grow + render, and material-only re-render) for the
// ten effects, and final renders of a 6000 x 4000 image through the stand-in host and the real
// module. One thread. Results and commands: bench/README.md ("Scene rendering").
#include "generate/render_state.h"
#include "generate/scene_builder.h"
#include "host/standin/standin.h"
#include "params/params.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstring>
#include <vector>

namespace {

// A 400 x 300 preview of a 4000 x 3000 image: PreviewZoom 10, 8-bit, quality 0.
struct Preview {
    RimelaceParams params{};
    std::vector<std::uint8_t> source, result;
    SceneContext ctx;
    explicit Preview(int effect) {
        ResetParams(params);
        params.SceneTriangles = nullptr;
        params.ScenePoints = nullptr;
        params.EffectKind = std::uint8_t(effect < 3 ? 1 : effect < 6 ? 2 : 3);
        params.PatternKind = std::uint8_t(effect < 3 ? effect + 1 : effect < 6 ? effect - 2 : effect - 5);
        source.resize(400 * 300 * 4);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) {
                std::uint8_t* p = &source[(std::size_t(y) * 400 + x) * 4];
                p[0] = 255;
                p[1] = std::uint8_t(x * 255 / 400);
                p[2] = std::uint8_t(y * 255 / 300);
                p[3] = std::uint8_t(160);
            }
        result.resize(source.size());
        PreviewMode = true;
        PreviewZoom = 10.0f;
        ctx.params = &params;
        ctx.w = ctx.W = 400;
        ctx.h = ctx.H = 300;
        ctx.preview = true;
    }
    ~Preview() {
        FreeSceneCache(params);
        PreviewMode = false;
        PreviewZoom = 1.0f;
    }
    SceneOutcome Render() {
        return BuildScene(ctx, result.data(), source.data(), 200, 150, 0, 0, 400 * 4, false);
    }
};

// The renderer keeps the last scene's fragments and would recognise the same scene grown again
// (the geometric patterns grow alike from any seed), so the image the preview stands for is one
// pixel wider every other repetition: every render is of another scene, drawn afresh.
void BM_PreviewGrowAndRender(benchmark::State& state) {
    Preview preview(int(state.range(0)));
    std::int32_t triangles = 0;
    static int renders = 0;  // counted across repetitions, which start from a new Preview
    for (auto _ : state) {
        preview.ctx.W = ++renders % 2 ? 401 : 400;
        preview.params.SceneDirty = 1;
        triangles = preview.Render().triangles;
    }
    state.counters["triangles"] = triangles;
}
BENCHMARK(BM_PreviewGrowAndRender)->DenseRange(0, 9)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_PreviewMaterialOnly(benchmark::State& state) {
    Preview preview(int(state.range(0)));
    preview.Render();
    float shininess = 15;
    for (auto _ : state) {
        preview.params.Shininess = shininess = shininess == 15 ? 60 : 15;
        preview.Render();
    }
}
BENCHMARK(BM_PreviewMaterialOnly)->Arg(5)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Final render of a 6000 x 4000 RGB image with the default effect through the stand-in host.
standin::Image FinalImage(std::int32_t depth) {
    standin::Image image = standin::Image::Make(6000, 4000, 3, depth);
    const std::uint32_t top = depth == 16 ? 32768 : 255;
    for (std::int32_t y = 0; y < image.height; y += 1)
        for (std::int32_t x = 0; x < image.width; ++x)
            for (int p = 0; p < 3; ++p) image.SetSample(x, y, p, (x * 7 + y * 3 + p * 60) % (top + 1));
    return image;
}

// The image is made anew for every run (outside the timing) so that the process holds what a host
// holds: the image and the output it fills.
void BM_FinalRender(benchmark::State& state) {
    const std::int32_t depth = std::int32_t(state.range(0));
    standin::HostOptions options;
    options.parametersCall = standin::ParametersCall::Never;
    standin::Host host(options);
    std::string error;
    if (!host.Load(LORVEX_MODULE_PATH, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    double imageBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        standin::Image image = FinalImage(depth);
        imageBytes = double(image.data.size());
        state.ResumeTiming();
        const standin::RunResult result = host.Run(image);
        if (result.code != noErr) state.SkipWithError(result.error.c_str());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["image_MB"] = imageBytes / (1024.0 * 1024.0);
}
BENCHMARK(BM_FinalRender)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
