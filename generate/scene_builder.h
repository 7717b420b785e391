#pragma once
// The scene builder: turns the effect parameters into a rendered picture.
//
// BuildScene derives its working quantities from RimelaceParams, regrows the pattern when the
// cached scene is stale (base path from the mask kind or the traced selection, coverage plan,
// segment walk with the growers, or one Single pattern), converts it into Trivane's triangle
// and point arrays cached in the record, and renders it over the working image (scene_render.h).
//
// Scene plane: origin at the centre of the working area, x right, y down, z towards the
// viewer; one unit per working-area pixel.

#include "generate/triangle_list.h"

#include <cstdint>
#include <string>
#include <vector>

struct RimelaceParams;

// Everything BuildScene takes from the host and the driver.
struct SceneContext {
    RimelaceParams* params = nullptr;
    std::int32_t w = 0, h = 0;       // size of the rectangle rendered (the working image)
    std::int32_t W = 0, H = 0;       // filter size / PreviewZoom, rounded
    bool depth16 = false;            // 16-bit samples (full scale 32768); never in a preview
    bool preview = false;            // PreviewMode: quality 0, BumpImage kept
    // Selection mask over the rendered rectangle (any non-zero byte is selected), or null.
    const std::uint8_t* mask = nullptr;
    std::int32_t maskRowBytes = 0;
    // Progress (done of total); may be null.
    void (*progress)(std::int32_t done, std::int32_t total) = nullptr;
    // The most triangles a scene may hold (GrowWithinBudget).
    std::int32_t triangleBudget = kDefaultTriangleBudget;
    // When set, a rebuild also hands out its base path here, placed as the triangles are.
    struct SceneGeometry* geometry = nullptr;
    // The buffers already hold their pixels in the renderer's order (red, green, blue, coverage),
    // rows without gaps: the final render converts the host's pixels straight into it.
    bool rendererOrder = false;
};

// The base path a build walked, as line segments in stored scene coordinates (scaled and moved
// like the triangles; origin at the working area's (w/2, h/2)). The triangles stay in the record's
// cache (SceneTriangles, ScenePoints).
struct SceneGeometry {
    struct Line {
        float x0, y0, x1, y1;
    };
    std::vector<Line> pathLines;
};

// The geometry values a pattern was grown with when the one asked for would have passed the
// triangle budget: (asked, used) pairs, equal where nothing was changed.
struct BudgetReduction {
    std::int32_t iterations[2] = {0, 0};   // "Max iterations"
    std::int32_t triangles[2] = {0, 0};    // "N triangles 1"
    std::int32_t triangles2[2] = {0, 0};   // "N triangles 2"
    float density[2] = {0, 0};             // "Density"
};

// What became of a build.
struct SceneOutcome {
    bool rebuilt = false;         // the pattern was regrown (else the cache was reused)
    bool reduced = false;         // grown with smaller values to fit the budget (see reduction)
    BudgetReduction reduction;
    bool budgetReached = false;   // even the smallest values passed the budget: the scene is cut
    bool outOfMemory = false;     // a buffer could not be allocated; the output is incomplete
    std::int32_t triangles = 0;   // triangles in the rendered scene
};

// Builds (or reuses) the scene and renders it. output and input: four samples per pixel
// (coverage, red, green, blue, or with ctx.rendererOrder red, green, blue, coverage), 8- or
// 16-bit as ctx.depth16 says, rows of rowBytes bytes, w x h pixels; input is borrowed and left as
// it was. A null output grows (or reuses) the scene without rendering it. (centreX, centreY): the
// effect centre in
// working-area pixels from the top-left corner. panX, panY are passed through and not read.
SceneOutcome BuildScene(const SceneContext& ctx, std::uint8_t* output, std::uint8_t* input, float centreX,
                        float centreY, float panX, float panY, std::int32_t rowBytes, bool showProgress);

// The warning for a build that had to be reduced or cut (empty when it was neither).
std::string BudgetWarning(const SceneOutcome& outcome, std::int32_t budget);

// Releases the cached scene arrays of the record (counts set to 0). Safe on an empty cache.
void FreeSceneCache(RimelaceParams& params);
