#pragma once
// Internals of the scene builder, shared by its files and its tests.

#include "engine/trivane.h"
#include "generate/base_paths.h"
#include "generate/growth.h"
#include "generate/scene_builder.h"
#include "generate/triangle_list.h"

#include <cstdint>

// Values derived from RimelaceParams at the start of every build (angles in radians).
struct SceneQuantities {
    std::int32_t seed = 0;
    double scaleFactor = 1;
    std::int32_t iterLimit = 1, triLimit = 0, triLimit5 = 0, subLimit = 0;
    double dispersion = 0, lose = 0, changeWidth = 0, changeLength = 0;
    double width0 = 0, length0 = 0, interval = 0, dep = 0, dep4 = 0;
    double turn = 0, turn2 = 0, rotate = 0;
};
SceneQuantities DeriveQuantities(const RimelaceParams& params, std::int32_t W);
// The effect-kind adjustments of width0, length0 and triLimit.
void AdjustForEffectKind(const RimelaceParams& params, std::int32_t W, SceneQuantities& q);

// How much of a path of n segments gets a pattern.
struct CoveragePlan {
    std::int32_t full = 0;      // segments covered in full before the fading ones
    double frac = 0;            // fractional part of the covered amount
    std::int32_t covered = 0;
    double lastPart = 1;        // fraction of segment count - 1 that is walked
    std::int32_t fadeCount = 0;
    std::int32_t count = 0;     // segments 0 .. count - 1 are walked
};
CoveragePlan PlanCoverage(std::int32_t n, float completance, float completanceDist);

// The growth direction of segment `segment` under GrowDirect (8 cycles variants 0..6).
PlanePoint GrowthDirection(PlanePoint g, std::int32_t growDirect, std::int32_t segment);

// Walks the path's segments with the growers (Geometric and Floral); progress 10..50.
void WalkPath(const BasePath& path, const RimelaceParams& params, const SceneQuantities& q, std::int32_t W,
              TriangleList& list, void (*progress)(std::int32_t, std::int32_t));
// Grows the one Single pattern from (ox, oy).
void GrowSingle(const RimelaceParams& params, const SceneQuantities& q, std::int32_t W, float ox, float oy,
                TriangleList& list);

// Grows the pattern (the path walk, or the Single pattern from (ox, oy)) into `list`. When it
// would pass `budget` triangles it is grown again with fewer iterations, then fewer triangles,
// then a wider spacing along the path, until it fits, so that it still covers the whole path;
// outcome.reduced tells what was changed. A pattern under the budget is grown once, unchanged.
void GrowWithinBudget(const RimelaceParams& params, std::int32_t W, const BasePath& path, bool single, float ox,
                      float oy, std::int32_t budget, TriangleList& list, SceneOutcome& outcome,
                      void (*progress)(std::int32_t, std::int32_t));

// Scene arrays are allocated for a whole number of steps of this many triangles.
constexpr std::int32_t kSceneArrayStep = 4096;
// The triangles that arrays allocated for `count` triangles hold: count rounded up to a step.
std::int32_t SceneArrayCapacity(std::int32_t count);

// Moves the list into page-allocated Trivane arrays (3 points per triangle), emptying the list.
// On entry the arguments hold the previous scene's arrays and counts (null and 0 for none): they
// are reused when they fit this scene, and released otherwise. False when memory runs out
// (arrays null, counts 0, the list emptied all the same).
bool ConvertTriangles(TriangleList& list, __Triangle3ds** triangles, __Point3ds** points, std::int32_t* triangleCount,
                      std::int32_t* pointCount);
// Scale about the centre and the offset (ox, oy, 0) (not for Single), applied once when the scene
// is built; z is scaled too.
void PlaceScene(__Point3ds* points, std::int32_t pointCount, const struct ScenePlacement& place);
