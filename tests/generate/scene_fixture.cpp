#include "tests/generate/scene_fixture.h"

#include "generate/render_driver.h"
#include "generate/render_state.h"

#include <cstdio>
#include <cstring>

SceneFixture::SceneFixture() {
    ResetParams(params);
    params.SceneTriangles = nullptr;
    params.ScenePoints = nullptr;
    params.SceneTriangleCount = params.ScenePointCount = 0;
    PreviewMode = ThumbnailMode = false;
    PreviewZoom = 1.0f;
    MakeInput();
}

SceneFixture::~SceneFixture() { FreeSceneCache(params); }

void SceneFixture::MakeInput() {
    const std::size_t n = std::size_t(w) * h;
    input.assign(n * (wide ? 8 : 4), 0);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint32_t s[4] = {255, std::uint32_t(x * 255 / w), std::uint32_t(y * 255 / h), 90};
            for (int c = 0; c < 4; ++c) {
                const std::size_t i = (std::size_t(y) * w + x) * 4 + c;
                if (wide) {
                    const std::uint16_t v = std::uint16_t((s[c] * 32768 + 128) / 255);
                    std::memcpy(&input[i * 2], &v, 2);
                } else {
                    input[i] = std::uint8_t(s[c]);
                }
            }
        }
    output.assign(input.size(), 0);
}

bool SceneFixture::LoadPpm(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    int width = 0, height = 0, maximum = 0;
    const bool header = std::fscanf(f, "P6 %d %d %d", &width, &height, &maximum) == 3 && std::fgetc(f) != EOF &&
                        width > 0 && height > 0 && width <= 4096 && height <= 4096 && maximum == 255;
    std::vector<std::uint8_t> rgb(header ? std::size_t(width) * height * 3 : 0);
    const bool ok = header && std::fread(rgb.data(), 1, rgb.size(), f) == rgb.size();
    std::fclose(f);
    if (!ok) return false;
    w = width;
    h = height;
    wide = false;
    input.assign(std::size_t(w) * h * 4, 0);
    for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
        input[i * 4] = 255;
        std::memcpy(&input[i * 4 + 1], &rgb[i * 3], 3);
    }
    output.assign(input.size(), 0);
    return true;
}

void SceneFixture::MakeMask() {
    mask.assign(std::size_t(w) * h, 0);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const double dx = (x - w / 2.0) / (w * 0.35), dy = (y - h / 2.0) / (h * 0.35);
            if (dx * dx + dy * dy < 1) mask[std::size_t(y) * w + x] = 255;
        }
}

SceneContext SceneFixture::Context(std::int32_t budget) {
    SceneContext ctx;
    ctx.params = &params;
    ctx.w = ctx.W = w;
    ctx.h = ctx.H = h;
    ctx.depth16 = wide;
    ctx.mask = mask.empty() ? nullptr : mask.data();
    ctx.maskRowBytes = w;
    ctx.triangleBudget = budget;
    return ctx;
}

void SceneFixture::Build(std::int32_t budget) {
    if (input.size() != std::size_t(w) * h * (wide ? 8 : 4)) MakeInput();
    output.assign(input.size(), 0);
    float cx, cy;
    EffectCentre(params, w, h, 0, 0, cx, cy);
    outcome = BuildScene(Context(budget), output.data(), input.data(), cx, cy, 0, 0, RowBytes(), false);
}

std::vector<__Triangle3ds> SceneFixture::Triangles() const {
    if (!params.SceneTriangles) return {};
    return {params.SceneTriangles, params.SceneTriangles + params.SceneTriangleCount};
}

std::vector<__Point3ds> SceneFixture::Points() const {
    if (!params.ScenePoints) return {};
    return {params.ScenePoints, params.ScenePoints + params.ScenePointCount};
}

int SceneFixture::ChangedPixels() const {
    const std::size_t bytes = wide ? 8 : 4;
    int changed = 0;
    for (std::size_t i = 0; i < input.size(); i += bytes)
        if (std::memcmp(&input[i], &output[i], bytes) != 0) ++changed;
    return changed;
}

double SceneFixture::ChangedMeanRow() const {
    const std::size_t bytes = wide ? 8 : 4;
    double sum = 0;
    int changed = 0;
    for (std::size_t i = 0; i < input.size(); i += bytes)
        if (std::memcmp(&input[i], &output[i], bytes) != 0) {
            sum += double(i / bytes / std::size_t(w));
            ++changed;
        }
    return changed ? sum / changed : -1;
}
