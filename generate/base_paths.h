#pragma once
// Base paths: the polylines along which the scene builder plants branches.
//
// Six fixed layouts of straight runs along the image borders, or the traced outline of the
// selection. Each run is cut into segments whose spacing grows away from a reference point,
// so that patterns are denser near the middle of a border. Every segment carries the
// direction in which branches grow from it. Coordinates are those of the scene plane: the
// working area's top-left corner is (x0, y0) = (-w/2, -h/2); W and H are the scaled image
// width and height.

#include "geometry/mesh_builder.h"

#include <cstdint>
#include <vector>

struct PathPoint {
    float x, y, z;    // z is always 0
    float dx, dy, dz; // direction
    std::uint8_t flag;
};

struct PathSegment {
    std::int32_t start, end; // point indices over the whole path
    float dx, dy, dz;        // growth direction
    float length;
    std::uint8_t flag; // 1
};

// A finished path: two page-allocated arrays (platform::AllocPages), owned by the caller and
// released with FreeBasePath. Empty arrays are null with a count of 0.
struct BasePath {
    PathPoint* points = nullptr;
    std::int32_t pointCount = 0;
    PathSegment* segments = nullptr;
    std::int32_t segmentCount = 0;
};
void FreeBasePath(BasePath& path);

// The two lists a layout is assembled in; their sizes are the point and segment counters.
struct PathLists {
    std::vector<PathPoint> points;
    std::vector<PathSegment> segments;
};

// Appends one horizontal run at height y from xStart while x <= xEnd: a point at every stop,
// the step from a stop s being baseStep * (|s - reference| / extent + 0.01). Every point but the
// run's first ends a segment from the previous point whose stored length is the step just
// taken from this point onwards (the distance to the next point), not the distance covered.
// The run is not joined to earlier runs. A run whose step would not advance stops.
void AddHorizontalRun(PathLists& lists, float y, float xStart, float extent, float xEnd, float baseStep,
                      float reference, float dx, float dy, float dz);
// The same with x fixed and y running from yStart to yEnd.
void AddVerticalRun(PathLists& lists, float x, float yStart, float extent, float yEnd, float baseStep,
                    float reference, float dx, float dy, float dz);

// Copies the lists, in creation order, into a BasePath. False (nothing allocated) when memory
// runs out.
bool FinishPath(const PathLists& lists, BasePath& out);

// The six layouts (mask kinds 1 to 6). Each starts from empty counters and fills `out`;
// false when memory runs out (out is then empty).
bool BuildBottomPath(BasePath& out, float x0, float y0, float W, float H);       // 1 "Bottom"
bool BuildTopPath(BasePath& out, float x0, float y0, float W, float H);          // 2 "Top"
bool BuildTopAndBottomPath(BasePath& out, float x0, float y0, float W, float H); // 3 "Top and bottom"
bool BuildPerimeterPath(BasePath& out, float x0, float y0, float W, float H);    // 4 "Perimeter"
bool BuildULikePath(BasePath& out, float x0, float y0, float W, float H);        // 5 "U-like"
bool BuildWindowPath(BasePath& out, float x0, float y0, float W, float H);       // 6 "Window"
// Dispatches on the mask kind 1..6; any other kind gives an empty path and true.
bool BuildLayoutPath(int maskKind, BasePath& out, float x0, float y0, float W, float H);

// Turns CMeshBuilder's border lines into a path: point k = (x_k + ox, y_k + oy, 0); segment j
// from a to b gets its length and the edge normal (P_b.y - P_a.y, P_a.x - P_b.x) / length as
// growth direction ((0, 0) for length 0); each point's direction is the first segment
// direction that touches it, then averaged with every further one. False (nothing allocated)
// for a segment index out of range or when memory runs out.
bool PathFromSelection(std::int32_t pointCount, std::int32_t segmentCount, const MeshPoint* points,
                       const MeshSegment* segments, float ox, float oy, BasePath& out);
