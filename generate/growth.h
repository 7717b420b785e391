#pragma once
// The branch growers: they turn one start point of the base path into a cluster of thin
// triangles that looks like a frost branch, appending to a TriangleList.
//
// Three families: recursive fans (GrowGeometricBranch, plus AddPathTriangle along the path),
// chains of spiral arcs (GrowFloralBranch with DrawArcBranch and DrawCurl) and paired side
// arcs along a central arc (GrowFernBranch). All work in the scene plane (x right, y down,
// z depth, one unit per working-area pixel), take angles in radians (BranchAngle answers in
// degrees) and draw from the process-wide generator (generate/random.h) in a fixed order, so
// the same inputs and generator state always give the same triangles. Every append adds 1 to
// TriangleCount.
//
// Numbers: positions and sizes are passed as float (the precision of the stored records);
// every step computes in double and rounds to float where it stores a corner. Where the
// algorithm adds or subtracts pi or pi/2 it uses 3.141592 and 1.570796. Sines, cosines and
// arc tangents come from generate/portable_math.h so that all builds grow the same pattern.
//
// Budget: once the list's budget is reached a grower returns at its next step without
// drawing or appending anything more (the caller sees list.BudgetReached()).

#include "generate/triangle_list.h"

#include <cstdint>

struct PlanePoint {
    float x, y;
};

// Appends one triangle with the given tag and corners, with the shading normals of
// SetShadingNormals. Returns false (nothing appended) when the budget is reached.
bool AddTriangle(TriangleList& list, std::int32_t tag, const ScenePoint& c0, const ScenePoint& c1,
                 const ScenePoint& c2);

// Direction, in degrees, of the vector (a - c, b - d), measured as the scene builder needs it
// for the Floral samples (called with (-gx, -gy, 0, 0)).
double BranchAngle(double a, double b, double c, double d);

// One triangle spanning a sampling step from p to next, its apex `half`-dependent ahead along
// the growth direction g; k is the interval factor (draws one number).
void AddPathTriangle(TriangleList& list, PlanePoint p, PlanePoint next, PlanePoint g, float half, float k);

// A fan of triangles around (x, y, z) pointing along h, each of whose outer corners starts two
// smaller fans, down to the depth limit drawn from `iterations` at depth 0.
// tag: path segment index; kind: pattern kind (1 and 3 flip sides); depth: recursion depth (0);
// width o, length r, changeWidth t, changeLength u, dispersion v, lose w, triangles A.
void GrowGeometricBranch(TriangleList& list, std::int32_t tag, std::int32_t kind, std::int32_t depth, float x,
                         float y, float z, PlanePoint h, float width, float length, float changeWidth,
                         float changeLength, float dispersion, float lose, std::int32_t triangles,
                         std::int32_t iterations);

// A chain of `arcCount` spiral arcs alternating sides, starting with a curl (curl = true) or a
// side arc. triangleHint > 0 fixes the triangles per arc; < 0 derives them from |L / hint|.
void GrowFloralBranch(TriangleList& list, std::int32_t arcCount, float x, float y, float z, float angle,
                      float turn, float length, float width, bool curl, float triangleHint);

// Eight triangles wound around the centre.
void DrawCurl(TriangleList& list, float x, float y, float z, float angle, float turn, float length);

// n + 1 triangles (n raised to 7) along a spiral from (x0, y0) to a point at distance L in the
// direction `angle`, possibly with a side arc (levels 0 and 1 only). Returns false and draws
// nothing when n < 1; otherwise sets *end to the arc's end point (end may be null).
bool DrawArcBranch(TriangleList& list, float x0, float y0, float z, float angle, float turn, float length,
                   std::int32_t count, float width, std::int32_t level, PlanePoint* end);

// Pairs of arcs on both sides of a central arc whose own triangles are not drawn. ficilType 2
// mirrors the pairs, 3 also turns them with the central arc. count n < 1 draws nothing.
void GrowFernBranch(TriangleList& list, std::int32_t ficilType, float x, float y, float z, float angle,
                    float turn, float length, float width, std::int32_t count, float subHint, float change,
                    float turn2, float turnStep);
