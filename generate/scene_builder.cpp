// BuildScene: working quantities, rebuild or reuse of the cached scene, then rendering.
#include "generate/scene_builder.h"

#include "engine/trivane.h"
#include "generate/random.h"
#include "generate/scene_builder_p.h"
#include "generate/scene_placement.h"
#include "generate/scene_render.h"
#include "geometry/mesh_builder.h"
#include "params/params.h"
#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kDegree = 3.141592 / 180.0;

// count x factor for counts that scripts and presets may set to anything: computed in 64 bits,
// then clamped to the 32-bit range.
std::int32_t ScaledCount(std::int32_t count, std::int32_t factor) {
    const std::int64_t wide = std::int64_t(count) * factor;
    return std::int32_t(std::clamp<std::int64_t>(wide, INT32_MIN, INT32_MAX));
}

// The selection outline as a base path with the offset (-w/2, -h/2). A failed trace leaves the
// path empty; false only when memory ran out (the copy of the mask, or the tracer's own).
bool SelectionPath(const SceneContext& ctx, float ratio, BasePath& path) {
    const std::size_t bytes = std::size_t(ctx.w) * std::size_t(ctx.h);
    auto* copy = static_cast<std::uint8_t*>(platform::AllocPages(bytes));
    if (!copy) return false;
    for (std::int32_t y = 0; y < ctx.h; ++y) {
        const std::uint8_t* row = ctx.mask + std::ptrdiff_t(y) * ctx.maskRowBytes;
        for (std::int32_t x = 0; x < ctx.w; ++x) copy[std::size_t(y) * ctx.w + x] = row[x] ? 255 : 0;
    }
    std::int32_t pointCount = 0, segmentCount = 0;
    MeshPoint* points = nullptr;
    MeshSegment* segments = nullptr;
    bool enoughMemory = true;
    {
        CMeshBuilder builder;
        if (builder.BuildBorderLines(ctx.w, ctx.h, ctx.w, copy, 1.0f, std::int32_t(30.0 / ratio), &pointCount,
                                     &segmentCount, &points, &segments))
            enoughMemory = PathFromSelection(pointCount, segmentCount, points, segments, -ctx.w / 2.0f,
                                             -ctx.h / 2.0f, path);
        else
            enoughMemory = !builder.OutOfMemory();
    }
    platform::FreePages(points);
    platform::FreePages(segments);
    platform::FreePages(copy);
    return enoughMemory;
}

void HandOutPath(const BasePath& path, const ScenePlacement& place, SceneGeometry& geometry) {
    geometry.pathLines.clear();
    for (std::int32_t i = 0; i < path.segmentCount; ++i) {
        const PathSegment& s = path.segments[i];
        if (s.start < 0 || s.end < 0 || s.start >= path.pointCount || s.end >= path.pointCount) continue;
        SceneGeometry::Line line{path.points[s.start].x, path.points[s.start].y, path.points[s.end].x,
                                 path.points[s.end].y};
        place.Place(line.x0, line.y0);
        place.Place(line.x1, line.y1);
        geometry.pathLines.push_back(line);
    }
}

}  // namespace

SceneQuantities DeriveQuantities(const RimelaceParams& p, std::int32_t W) {
    SceneQuantities q;
    q.seed = p.RandomSeed;
    q.scaleFactor = p.Scale / 100.0;
    q.iterLimit = std::max(p.MaxIterations, 1);
    q.triLimit = p.MaxTriangles;
    q.triLimit5 = ScaledCount(p.MaxTriangles, 5);
    q.subLimit = ScaledCount(p.MaxTriangles1, 2);
    q.dispersion = p.Dispers / 25.0;
    q.lose = p.LoseInitDir / 100.0;
    q.changeWidth = p.PWidth / 200.0;
    q.changeLength = p.PLenght / 200.0;
    q.width0 = p.Width / 100.0;
    q.length0 = p.Lenght;
    q.interval = p.MinInterval / 100.0 * W;
    q.dep = p.IntervDepend / 1000.0;
    q.dep4 = q.dep * 0.25;
    q.turn = p.Turn * kDegree;
    q.turn2 = p.Turn1 * kDegree;
    q.rotate = (double(p.RotateX) + 90.0) * kDegree;
    return q;
}

void AdjustForEffectKind(const RimelaceParams& p, std::int32_t W, SceneQuantities& q) {
    switch (p.EffectKind) {
        case 1:
            q.length0 = W / 400.0 * p.Lenght;
            break;
        case 2:
            q.width0 = 2.0 * p.Width / 100.0;
            q.length0 = W / 100.0 * p.Lenght;
            q.triLimit = ScaledCount(p.MaxTriangles, 5);
            break;
        case 3:
            q.length0 = p.Lenght;
            q.width0 = p.Width;
            q.triLimit = ScaledCount(p.MaxTriangles, 5);
            break;
        default:
            break;
    }
}

void FreeSceneCache(RimelaceParams& params) {
    platform::FreePages(params.ScenePoints);
    platform::FreePages(params.SceneTriangles);
    params.ScenePoints = nullptr;
    params.SceneTriangles = nullptr;
    params.SceneTriangleCount = params.ScenePointCount = 0;
}

SceneOutcome BuildScene(const SceneContext& ctx, std::uint8_t* output, std::uint8_t* input, float centreX,
                        float centreY, float, float, std::int32_t rowBytes, bool showProgress) {
    SceneOutcome outcome;
    if (!ctx.params) return outcome;
    RimelaceParams& params = *ctx.params;
    auto progress = showProgress ? ctx.progress : nullptr;
    const std::int32_t W = ctx.W, H = ctx.H;
    float ratio = W != 0 ? float(ctx.w) / float(W) : 0.0f;
    if (ratio == 0) ratio = 1;

    if (params.SceneDirty) {
        outcome.rebuilt = true;
        const bool single = params.EffectKind == 3;
        const bool bySelection = !single && params.MaskKind == 7 && ctx.mask;

        // Base path.
        BasePath path;
        if (!single) {
            if (params.MaskKind == 7) {
                if (bySelection && !SelectionPath(ctx, ratio, path)) outcome.outOfMemory = true;
            } else if (!BuildLayoutPath(params.MaskKind, path, -ctx.w / 2.0f, -ctx.h / 2.0f, float(W), float(H))) {
                outcome.outOfMemory = true;
            }
        }
        if (progress) progress(10, 100);

        // Effect position.
        const ScenePlacement place = PlacementFor(params, ctx.w, ctx.h, W, H, centreX, centreY, ctx.mask != nullptr);

        // Growth, within the triangle budget.
        TriangleList list;
        if (!outcome.outOfMemory)
            GrowWithinBudget(params, W, path, single, place.ox, place.oy, ctx.triangleBudget, list, outcome, progress);

        // Trivane's arrays, cached in the record (the previous scene's, where they fit).
        __Triangle3ds* triangles = params.SceneTriangles;
        __Point3ds* points = params.ScenePoints;
        std::int32_t triangleCount = params.SceneTriangleCount, pointCount = params.ScenePointCount;
        params.SceneTriangles = nullptr;
        params.ScenePoints = nullptr;
        params.SceneTriangleCount = params.ScenePointCount = 0;
        if (!ConvertTriangles(list, &triangles, &points, &triangleCount, &pointCount)) outcome.outOfMemory = true;
        if (progress) progress(50, 100);
        if (ctx.geometry) HandOutPath(path, place, *ctx.geometry);
        FreeBasePath(path);
        params.SceneTriangles = triangles;
        params.ScenePoints = points;
        params.SceneTriangleCount = triangleCount;
        params.ScenePointCount = pointCount;
        // A scene that could not be built whole is not kept: the next render builds it again.
        params.SceneDirty = outcome.outOfMemory ? 1 : 0;
        if (progress) progress(55, 100);
        PlaceScene(points, pointCount, place);
    }
    if (!params.SceneTriangles || !params.ScenePoints) params.SceneTriangleCount = params.ScenePointCount = 0;
    outcome.triangles = params.SceneTriangleCount;
    if (!output || !input) return outcome;

    SceneRenderInput render;
    render.params = &params;
    render.output = output;
    render.input = input;
    render.rowBytes = rowBytes;
    render.w = ctx.w;
    render.h = ctx.h;
    render.ratio = ratio;
    render.depth16 = ctx.depth16;
    render.preview = ctx.preview;
    render.triangleCount = params.SceneTriangleCount;
    render.triangles = params.SceneTriangles;
    render.pointCount = params.ScenePointCount;
    render.points = params.ScenePoints;
    render.progress = progress;
    render.rendererOrder = ctx.rendererOrder;
    if (!RenderScene(render)) outcome.outOfMemory = true;
    return outcome;
}
