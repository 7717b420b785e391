// The scene builder with random parameter records: every field of the table may take any value
// of its type (NaN, infinities and extremes included), on small working images of either depth,
// with or without a selection, in a final render or a preview (any zoom), and a small triangle
// budget so that every input stays quick. The scene is built, then rendered again from the cache.
//
// Besides the sanitizers' findings it checks: the scene never holds more triangles than the
// budget, its arrays agree with their counts and every index is in range, the input image is
// only read, and a render from the cache draws the same scene again.
#include "engine/trivane.h"
#include "generate/render_state.h"
#include "generate/scene_builder.h"
#include "params/param_table.h"
#include "params/params.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void FuzzField(FuzzedDataProvider& in, RimelaceParams& p, const ParamEntry& entry) {
    const int choice = in.ConsumeIntegralInRange(0, 3);
    if (choice == 0) return;  // the default
    double value;
    if (choice == 1) {  // inside the dialog's range
        if (entry.rangeKind == RangeKind::Angle)
            value = in.ConsumeFloatingPointInRange(-720.0, 720.0);
        else if (entry.ref.type == FieldType::F32)
            value = in.ConsumeFloatingPointInRange(entry.rangeMin, entry.rangeMax);
        else
            value = double(in.ConsumeIntegralInRange<std::int64_t>(std::int64_t(entry.rangeMin),
                                                                    std::int64_t(entry.rangeMax)));
    } else if (choice == 2) {  // just outside it
        value = in.ConsumeBool() ? entry.rangeMin - 1 : entry.rangeMax + 1;
    } else {  // anything its type holds
        switch (entry.ref.type) {
            case FieldType::U8: p.*entry.ref.u8 = in.ConsumeIntegral<std::uint8_t>(); return;
            case FieldType::I32: p.*entry.ref.i32 = in.ConsumeIntegral<std::int32_t>(); return;
            case FieldType::F32: p.*entry.ref.f32 = in.ConsumeFloatingPoint<float>(); return;
        }
        return;
    }
    switch (entry.ref.type) {
        case FieldType::U8: p.*entry.ref.u8 = std::uint8_t(std::int64_t(value)); break;
        case FieldType::I32: p.*entry.ref.i32 = std::int32_t(value); break;
        case FieldType::F32: p.*entry.ref.f32 = float(value); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // The image first, so that short inputs still give a picture to grow on.
    const std::int32_t w = 48 - in.ConsumeIntegralInRange(0, 40), h = 36 - in.ConsumeIntegralInRange(0, 30);
    const bool wide = in.ConsumeBool();
    const bool preview = !wide && in.ConsumeBool();
    const std::int32_t budget = 3000 - in.ConsumeIntegralInRange(0, 3000);
    const int maskShape = in.ConsumeIntegralInRange(0, 2);  // none, an oval, an oval with a hole
    RimelaceParams params{};
    ResetParams(params);
    for (const ParamEntry& entry : ParamTable()) FuzzField(in, params, entry);
    params.SceneDirty = 1;
    params.SceneTriangles = nullptr;
    params.ScenePoints = nullptr;
    params.SceneTriangleCount = params.ScenePointCount = 0;
    params.BumpImage = nullptr;

    PreviewMode = preview;
    ThumbnailMode = false;
    PreviewZoom = preview ? in.ConsumeFloatingPointInRange(0.05f, 40.0f) : 1.0f;
    SceneContext ctx;
    ctx.params = &params;
    ctx.w = w;
    ctx.h = h;
    ctx.W = preview ? std::int32_t(w * PreviewZoom + 0.5f) : w;
    ctx.H = preview ? std::int32_t(h * PreviewZoom + 0.5f) : h;
    ctx.depth16 = wide;
    ctx.preview = preview;
    ctx.triangleBudget = budget;
    std::vector<std::uint8_t> mask;
    if (maskShape != 0) {
        mask.resize(std::size_t(w) * std::size_t(h));
        const double cx = in.ConsumeProbability<double>() * w, cy = in.ConsumeProbability<double>() * h;
        const double rx = 1 + in.ConsumeProbability<double>() * w, ry = 1 + in.ConsumeProbability<double>() * h;
        const double hole = maskShape == 2 ? 0.2 + 0.6 * in.ConsumeProbability<double>() : 0;
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x) {
                const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry, d = dx * dx + dy * dy;
                mask[std::size_t(y) * std::size_t(w) + std::size_t(x)] = d < 1 && d >= hole * hole ? 255 : 0;
            }
        ctx.mask = mask.data();
        ctx.maskRowBytes = w;
    }

    const std::size_t rowBytes = std::size_t(w) * (wide ? 8 : 4);
    std::vector<std::uint8_t> input(rowBytes * std::size_t(h)), output(input.size());
    for (std::uint8_t& b : input) b = in.ConsumeIntegral<std::uint8_t>();
    if (wide)  // 16-bit samples run 0..32768
        for (std::size_t i = 0; i + 1 < input.size(); i += 2) input[i + 1] &= 0x7F;
    const std::vector<std::uint8_t> before = input;

    const float cx = in.ConsumeFloatingPoint<float>(), cy = in.ConsumeFloatingPoint<float>();
    const SceneOutcome first = BuildScene(ctx, output.data(), input.data(), cx, cy, 0, 0, std::int32_t(rowBytes), false);
    Check(input == before);
    Check(params.SceneTriangleCount >= 0 && params.SceneTriangleCount <= budget);
    Check(params.ScenePointCount == 3 * params.SceneTriangleCount);
    Check((params.SceneTriangles != nullptr) == (params.SceneTriangleCount > 0));
    for (std::int32_t t = 0; t < params.SceneTriangleCount; ++t) {
        const auto& tri = params.SceneTriangles[t];
        Check(tri.v0 >= 0 && tri.v0 < params.ScenePointCount && tri.v1 >= 0 && tri.v1 < params.ScenePointCount &&
              tri.v2 >= 0 && tri.v2 < params.ScenePointCount);
    }
    if (!first.outOfMemory) {
        Check(params.SceneDirty == 0);
        const std::vector<std::uint8_t> drawn = output;
        const SceneOutcome again =
            BuildScene(ctx, output.data(), input.data(), cx, cy, 0, 0, std::int32_t(rowBytes), false);
        Check(!again.rebuilt && again.triangles == first.triangles);
        if (!again.outOfMemory) Check(output == drawn);
    }
    FreeSceneCache(params);
    return 0;
}
