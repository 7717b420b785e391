// Trivane against Mesa's llvmpipe on named scenes, interleaved in one run, with the output
// buffer's memcpy as the floor. Prints a Markdown table: min and median milliseconds per renderer
// and the ratio Trivane / llvmpipe of the medians.
//
//   shading_bench [--reps N] [--scene NAME]... [--variant phong|quality_bump_layers|glass]...
//                 [--no-peer]    (Trivane only, e.g. under a profiler)
//                 [--dump DIR]   (writes both renderers' last frames as PNG files)
//                 [--scaling]    (the scaling curve's scenes, Trivane only; TRIVANE_THREADS sets the
//                                 thread count)
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/renderers.h"

namespace {

using bench::Variant;

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

template <typename F>
double Time(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return Milliseconds(std::chrono::steady_clock::now() - start);
}

struct Stats {
    double min = 0, median = 0;
};

Stats Summarise(std::vector<double> times) {
    if (times.empty()) return {};
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

void WritePng(const std::string& path, const std::uint8_t* pixels, int width, int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, pixels + static_cast<std::size_t>(y) * width * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
    int reps = 3;
    std::vector<std::string> sceneNames, variantNames;
    std::string dump;
    bool peer = true, scaling = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--reps" && i + 1 < argc) {
            reps = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--scene" && i + 1 < argc) {
            sceneNames.push_back(argv[++i]);
        } else if (arg == "--variant" && i + 1 < argc) {
            variantNames.push_back(argv[++i]);
        } else if (arg == "--no-peer") {
            peer = false;
        } else if (arg == "--scaling") {
            scaling = true;
            peer = false;
        } else if (arg == "--dump" && i + 1 < argc) {
            dump = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--reps N] [--scene NAME]... [--variant NAME]... [--no-peer] [--dump DIR] [--scaling]\n", argv[0]);
            return 2;
        }
    }
    const Variant allVariants[] = {Variant::Phong, Variant::QualityBump, Variant::Glass};
    auto wanted = [](const std::vector<std::string>& list, const std::string& name) {
        return list.empty() || std::find(list.begin(), list.end(), name) != list.end();
    };

    std::printf("| scene | variant | Trivane min | Trivane median | llvmpipe min | llvmpipe median | ratio (median) | memcpy min |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    for (const bench::SceneRecipe& recipe : bench::SceneRecipes()) {
        if (!wanted(sceneNames, recipe.name)) continue;
        if (recipe.scaling != scaling) continue;
        const bench::Scene scene = bench::MakeScene(recipe);
        struct Pair {
            Variant variant;
            std::unique_ptr<bench::Renderer> trivane, peer;
            std::vector<double> trivaneTimes, peerTimes;
        };
        std::vector<Pair> pairs;
        for (Variant v : allVariants) {
            if (!wanted(variantNames, bench::VariantName(v))) continue;
            pairs.push_back({v, bench::MakeTrivane(scene, v), peer ? bench::MakeLlvmpipe(scene, v) : nullptr, {}, {}});
            if (peer && !pairs.back().peer) std::fprintf(stderr, "no OSMesa context: llvmpipe column left empty\n");
        }
        std::vector<std::uint8_t> floorTarget(scene.background.size());
        std::vector<double> floorTimes;
        // One untimed frame each (llvmpipe compiles its shaders on first use), then interleaved:
        // every repetition runs each renderer of each variant once.
        for (Pair& p : pairs) {
            p.trivane->Render();
            if (p.peer) p.peer->Render();
        }
        for (int r = 0; r < reps; ++r) {
            floorTimes.push_back(Time([&] {
                std::memcpy(floorTarget.data(), scene.background.data(), floorTarget.size());
            }));
            for (Pair& p : pairs) {
                p.trivaneTimes.push_back(Time([&] { p.trivane->Render(); }));
                if (p.peer) p.peerTimes.push_back(Time([&] { p.peer->Render(); }));
            }
        }
        const Stats floor = Summarise(floorTimes);
        for (Pair& p : pairs) {
            const Stats t = Summarise(p.trivaneTimes), g = Summarise(p.peerTimes);
            std::printf("| %s | %s | %.1f | %.1f | %.1f | %.1f | %.2f | %.1f |\n", recipe.name, bench::VariantName(p.variant),
                        t.min, t.median, g.min, g.median, g.median > 0 ? t.median / g.median : 0.0, floor.min);
            std::fflush(stdout);
            if (!dump.empty()) {
                const std::string base = dump + "/" + recipe.name + "_" + bench::VariantName(p.variant);
                WritePng(base + "_trivane.png", p.trivane->Pixels(), scene.width, scene.height);
                if (p.peer) WritePng(base + "_llvmpipe.png", p.peer->Pixels(), scene.width, scene.height);
            }
        }
    }
    return 0;
}
