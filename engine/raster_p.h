#pragma once
// Library-private machinery shared by every filled draw mode: the per-call description of a scene,
// the triangle set-up and the pixel rules (blend, edge coverage, layer compositing).

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "engine/state_p.h"

namespace trivane {

// Four floats and four 32-bit integers (or comparison masks) on the processor's vector lanes
// (emulated where it has none): the set-up's divisions side by side, the three edges of a
// triangle, a few pixels of a row. Each lane's operation is the scalar one.
typedef float Lanes4 __attribute__((vector_size(16)));
typedef std::int32_t Ints4 __attribute__((vector_size(16)));

// Everything one __RasterScene call hands to the mode's triangle loop.
struct BandFragments;

struct SceneCall {
    BYTE* target = nullptr;      // the caller's image
    BYTE* background = nullptr;  // what the shading sees as background (never null)
    int width = 0, height = 0;   // the call's image size (mode 0 clips to it)
    int triangleCount = 0;
    __Triangle3ds* triangles = nullptr;
    __Point3ds* points = nullptr;
    int cx = 0, cy = 0;
    int materialCount = 0;
    material3ds* materials = nullptr;
    __Texture* textures = nullptr;
    int lightCount = 0;
    light3ds* lights = nullptr;
    GlassProp* glass = nullptr;
    BYTE* layer = nullptr;       // one triangle at a time (layered drawing)
    BYTE* edge = nullptr;        // first partial edge composited at each pixel
    BYTE* underEdge = nullptr;   // the target colour under that edge

    // The band of rows drawn by this part of the call, [rowBegin, rowEnd), and its triangles in
    // array order (order null: all of them). Nothing outside the band is written.
    int rowBegin = 0, rowEnd = 0;
    const int* order = nullptr;
    int orderCount = 0;
    // Depth of pixel (x, y): depth[(y - depthRow0) * Zwidth + x]; null: no depth test.
    float* depth = nullptr;
    int depthRow0 = 0;
    // The layer and edge memories hold rows from planeRow0 on, addressed like the target.
    int planeRow0 = 0;
    // Layered drawing composites each pixel as it is drawn instead of through the layer (the
    // same bytes when nothing reads the target while a triangle is drawn).
    bool fused = false;
    // Where the band records what it hands the shading (null: not recorded).
    BandFragments* fragments = nullptr;
};

// Byte offset of pixel (x, y) in the layer and edge memories.
inline std::size_t PlaneOffset(const SceneCall& call, int x, int y) { return PixelOffset(x, y - call.planeRow0); }

// The depth row of image row y (null without depth).
inline float* DepthRow(const SceneCall& call, int y) {
    if (call.depth == nullptr) return nullptr;
    return call.depth + static_cast<std::size_t>(y - call.depthRow0) * static_cast<std::size_t>(Zwidth);
}

// Asks the processor to start reading what a later triangle of the band will need, in three
// stages kStep triangles apart: its record, then (the record read by then) its corners, then (the
// corners read) the depth and target rows it starts on. Hints only: nothing here changes a pixel.
// (Always inlined: a call the compiler sees as free of effects would be dropped with its hints.)
[[gnu::always_inline]] inline void FetchAhead(const SceneCall& call, int k) {
    constexpr int kStep = 8;
    constexpr int kRows = 8;  // a small triangle's rows; a large one's first rows
    const int count = call.orderCount;
    if (k + 3 * kStep < count) __builtin_prefetch(&call.triangles[call.order[k + 3 * kStep]]);
    if (k + 2 * kStep < count) {
        const __Triangle3ds& t = call.triangles[call.order[k + 2 * kStep]];
        if (t.v0 >= 0 && t.v1 >= 0 && t.v2 >= 0) {
            // Both ends of each corner: a record may straddle two cache lines.
            for (const std::int32_t v : {t.v0, t.v1, t.v2}) {
                const BYTE* corner = reinterpret_cast<const BYTE*>(&call.points[v]);
                __builtin_prefetch(corner);
                __builtin_prefetch(corner + sizeof(__Point3ds) - 1);
            }
        }
    }
    if (k + kStep >= count) return;
    const __Triangle3ds& t = call.triangles[call.order[k + kStep]];
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return;
    const __Point3ds &a = call.points[t.v0], &b = call.points[t.v1], &c = call.points[t.v2];
    // Rows (at most kRows) and the left column in image pixels, held inside the band and the image
    // (NaN: the band's first row, column 0).
    const float cy = static_cast<float>(call.cy);
    const float top = std::min({a.y, b.y, c.y}) + cy, bottom = std::max({a.y, b.y, c.y}) + cy;
    const float left = std::min({a.x, b.x, c.x}) + static_cast<float>(call.cx);
    const float rowBegin = static_cast<float>(call.rowBegin), rowLast = static_cast<float>(call.rowEnd - 1);
    auto row = [&](float y) { return static_cast<int>(y > rowBegin ? (y < rowLast ? y : rowLast) : rowBegin); };
    const int y0 = row(top), y1 = std::min(row(bottom) + 1, y0 + kRows);
    const float lastColumn = static_cast<float>(Zwidth - 1);
    const int x = std::max(0, static_cast<int>(left > 0.0f ? (left < lastColumn ? left : lastColumn) : 0.0f));
    // The addresses as numbers: a band without rows (or a clip without columns) may put them
    // outside the images, where pointer arithmetic would be undefined; a hint at any address is
    // harmless.
    const auto at = [](const void* base, std::size_t offset) {
        return reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(base) + offset);
    };
    for (int y = std::max(y0, call.rowBegin); y < y1; ++y) {
        if (call.depth != nullptr) {
            const std::size_t depth = static_cast<std::size_t>(y - call.depthRow0) * static_cast<std::size_t>(Zwidth) +
                                      static_cast<std::size_t>(x);
            __builtin_prefetch(at(call.depth, depth * sizeof(float)), 1);
        }
        __builtin_prefetch(at(call.target, PixelOffset(x, y)), 1);
    }
}

// Whether the corners of triangle t (valid indices, origin row cy) all lie above row `above` or all
// below row `below` (a corner that is not a number lies on neither side).
inline bool CornersOutsideRows(const __Triangle3ds& t, const __Point3ds* points, int cy, int above, int below) {
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return false;
    const float origin = static_cast<float>(cy);
    const double y0 = points[t.v0].y + origin, y1 = points[t.v1].y + origin, y2 = points[t.v2].y + origin;
    const double top = above, bottom = below;
    return (y0 < top && y1 < top && y2 < top) || (y0 > bottom && y1 > bottom && y2 > bottom);
}

// Calls draw(index) for the band's triangles in array order. A band's triangles lie scattered
// through the arrays, so each record and its corners would be a wait on memory: they are fetched
// some triangles ahead.
template <typename Draw>
inline void ForEachTriangle(const SceneCall& call, Draw&& draw) {
    if (call.order != nullptr) {
        for (int k = 0; k < call.orderCount; ++k) {
            FetchAhead(call, k);
            draw(call.order[k]);
        }
    } else {
        for (int i = 0; i < call.triangleCount; ++i) draw(i);
    }
}

// A triangle's loop over the scene: one per draw mode, chosen once per call.
using TriangleLoop = void (*)(const SceneCall& call);
void DrawFlat(const SceneCall& call);   // mode 3
void DrawPhong(const SceneCall& call);  // mode 6
void DrawRough(const SceneCall& call);  // mode 0
void DrawLine(const SceneCall& call);   // mode 1
void DrawWire(const SceneCall& call);   // mode 2
void DrawPatchFill(const SceneCall& call);    // mode 8
void DrawPatchPoints(const SceneCall& call);  // mode 9
void DrawSilhouette(const SceneCall& call);   // mode 10

// Mode 6's triangle loop over call's triangles, drawn through the layer when layered (mode 8 draws
// its sub-triangles with it).
void DrawPhongTriangles(const SceneCall& call, bool layered);

// One vertex after set-up: image coordinates (origin added) and its attributes.
struct SetupVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
    BYTE mapped;
};

// Fixed-point edge function E(px, py) = dx * px + dy * py + c over integer pixel positions, in
// units of 1/256 pixel squared; a pixel is inside every edge when E >= bias (bias 0 on top and
// left edges, 1 on the others, so that neighbours sharing an edge never both take a pixel).
struct EdgeFunction {
    std::int64_t dx, dy, c, bias;
};

// An edge line a*x + b*y + c = 0 with the triangle on its negative side, for edge coverage.
struct EdgeLine {
    float ax, ay, bx, by;  // end points
    float a, b, c, length;
    float inverseLength, inverseSquare;  // 1 / length and 1 / length^2 (0 for a point)
};

// A triangle ready for scan conversion (vertex 0 has the greatest y, winding made consistent).
struct TriangleSetup {
    SetupVertex v[3];
    float minX, maxX, minY, maxY;
    // The rows [rowFirst, rowLast] that may hold a pixel inside the triangle (the edge pixels of
    // the anti-aliased edges may lie one row beyond).
    int rowFirst, rowLast;
    float nx, ny, nz, d;          // unit plane normal (nz <= 0) and plane constant
    float det;                    // Cramer determinant of the screen positions
    // Barycentric weight i of pixel (x, y) before clamping: wx[i] * x + (wy[i] * y + w0[i]), the
    // Cramer's-rule solution written as a plane; the depth likewise (zFlat: vertex 0's z).
    float wx[3], wy[3], w0[3];
    float zx, zy, z0;
    bool zFlat;
    EdgeFunction edges[3];
    EdgeLine lines[3];
    BYTE mapped;                  // all three vertices mapped
};

// How the set-up orders the other two vertices of a triangle from the two edges (d1, d2) leaving
// its vertex of greatest y, of lengths len1 and len2: by the turn between their directions, too
// small a turn being a degenerate triangle. WindingOf is the set-up's fast form, WindingByAngles
// the arc-cosine rule it must agree with.
enum class Winding { Degenerate, Kept, Swapped };
Winding WindingOf(float d1x, float d1y, float len1, float d2x, float d2y, float len2);
Winding WindingByAngles(float d1x, float d1y, float len1, float d2x, float d2y, float len2);

// Builds the set-up of triangle t (vertex indices into points, origin cx, cy). Returns false for a
// triangle that is not drawn: bad indices, non-finite coordinates, degenerate shape, or (reaching
// far beyond the image) nothing near the clip rectangle Zwidth x Zheight. Without edgeLines the edge
// lines (read only by the anti-aliased edges) are left as they were.
bool SetupTriangle(const __Triangle3ds& t, const __Point3ds* points, int cx, int cy, TriangleSetup& out,
                   bool edgeLines = true);

// The set-up of a triangle with a vertex beyond the fixed-point range (raster_setup_far.cpp); v are
// its vertices with the origin added.
bool SetupFarTriangle(const SetupVertex v[3], TriangleSetup& out);

// Orientation of triangle t in its given vertex order: N.z of (V2 - V1) x (V0 - V1).
bool FacesViewer(const __Triangle3ds& t, const __Point3ds* points, float& normalZ);

// Whether the orientation test lets triangle t through in the current pass (the filled modes:
// with _UseMultyRefract = 2 the front pass takes back faces too).
bool PassesOrientation(const __Triangle3ds& t, const __Point3ds* points);
// The same with the pass looked up once for a loop of triangles (backPass: BackPass()).
bool PassesOrientation(const __Triangle3ds& t, const __Point3ds* points, bool backPass);
// The same for the outline modes 0 and 1, which never take back faces in the front pass.
bool PassesOutlineOrientation(const __Triangle3ds& t, const __Point3ds* points);

// Depth of pixel (px, py) on the triangle's plane; rowTerm is zy * py + z0.
inline float PlaneDepth(const TriangleSetup& s, float px, float rowTerm) {
    return s.zFlat ? s.v[0].z : s.zx * px + rowTerm;
}
inline float DepthRowTerm(const TriangleSetup& s, float py) { return s.zy * py + s.z0; }

// Edge coverage 0..1 of an outside pixel (px, py): the largest coverage any edge gives it.
float EdgeCoverage(const TriangleSetup& s, float px, float py);

// The three edge lines side by side, one a lane (the fourth lane gives nothing), for working out
// a pixel's coverage from all three at once: the same bits as EdgeCoverage.
struct EdgeLanes {
    Lanes4 ax, ay, bx, by, ex, ey, a, b, c, inverseLength, inverseSquare;
    Ints4 used;  // all bits set where the edge has a length
};
EdgeLanes MakeEdgeLanes(const TriangleSetup& s);
float EdgeCoverage(const EdgeLanes& lanes, float px, float py);
// The coverage of count pixels (x[i], y[i]) into coverage[i] on the widest lanes (edge_coverage.cpp):
// EdgeCoverage's bits for each; and bit i of positive[i / 64] set where it is above 0. The arrays
// have room for kCoverageSlack more pixels, x and y filled there with the last pixel (the outputs
// there are scratch).
constexpr int kCoverageSlack = 8;
void EdgeCoverageRun(const EdgeLanes& e, const float* x, const float* y, int count, float* coverage,
                     std::uint64_t* positive);

// Clamps barycentric weights to >= 0 and scales them by the inverse of their sum when positive.
// (Written without branches, so that loops over pixels can run on the vector lanes: where the sum
// is not positive the scale is 1 / 1, which leaves the weights as they are and divides by no 0.)
inline void NormalizeWeights(float w[3]) {
    for (int i = 0; i < 3; ++i) w[i] = w[i] >= 0.0f ? w[i] : 0.0f;
    const float sum = w[0] + w[1] + w[2];
    const float scale = 1.0f / (sum > 0.0f ? sum : 1.0f);
    w[0] *= scale;
    w[1] *= scale;
    w[2] *= scale;
}

// Barycentric weights of pixel (px, py); rowTerms[i] is wy[i] * py + w0[i].
inline void WeightsAt(const TriangleSetup& s, float px, const float rowTerms[3], float w[3]) {
    w[0] = s.wx[0] * px + rowTerms[0];
    w[1] = s.wx[1] * px + rowTerms[1];
    w[2] = s.wx[2] * px + rowTerms[2];
    NormalizeWeights(w);
}
inline void WeightRowTerms(const TriangleSetup& s, float py, float rowTerms[3]) {
    for (int i = 0; i < 3; ++i) rowTerms[i] = s.wy[i] * py + s.w0[i];
}

// Texture coordinates of (px, py): the barycentric mix of the vertices' u, v, perspective-correct
// while a perspective is in force. Only for triangles whose three vertices are mapped.
void PerspectiveTextureAt(const TriangleSetup& s, int cx, int cy, float px, float py, float z, const float w[3],
                          float& u, float& v);
inline void MixTexture(const TriangleSetup& s, const float w[3], float& u, float& v) {
    u = w[0] * s.v[0].u + w[1] * s.v[1].u + w[2] * s.v[2].u;
    v = w[0] * s.v[0].v + w[1] * s.v[1].v + w[2] * s.v[2].v;
}
// Whether texture coordinates are mixed through the perspective (else by the weights alone).
inline bool PerspectiveTextures() { return _Persp_Val != 0.0f && _Persp_Far != 0.0f; }
inline void TextureAt(const TriangleSetup& s, int cx, int cy, float px, float py, float z, const float w[3], float& u,
                      float& v) {
    if (PerspectiveTextures())
        PerspectiveTextureAt(s, cx, cy, px, py, z, w, u, v);
    else
        MixTexture(s, w, u, v);
}

// ---- Pixel rules --------------------------------------------------------------------------------------

template <typename S>
inline S ClampSample(float value, float full) {
    if (!(value > 0.0f)) return 0;
    if (value >= full) return static_cast<S>(full);
    return static_cast<S>(value);
}

// Blends a shaded colour into one pixel with coverage g (the filled modes' pixel rule).
template <typename S>
inline void BlendPixel(S* pixel, float red, float green, float blue, float g, float full) {
    if (!(g > 0.0f)) return;
    if (g >= 1.0f) {
        pixel[0] = ClampSample<S>(red, full);
        pixel[1] = ClampSample<S>(green, full);
        pixel[2] = ClampSample<S>(blue, full);
        pixel[3] = static_cast<S>(full);
        return;
    }
    float cover = g * full;
    if (pixel[3] == 0) {
        pixel[0] = ClampSample<S>(red, full);
        pixel[1] = ClampSample<S>(green, full);
        pixel[2] = ClampSample<S>(blue, full);
        pixel[3] = ClampSample<S>(cover, full);
        return;
    }
    // old + (colour - old) * g: the same as g * colour + (1 - g) * old, exact when they agree.
    const float colour[3] = {red, green, blue};
    for (int k = 0; k < 3; ++k) {
        float old = pixel[k];
        pixel[k] = ClampSample<S>(old + (colour[k] - old) * g, full);
    }
    S covered = ClampSample<S>(cover, full);
    if (covered > pixel[3]) pixel[3] = covered;
}

// Composites one layer pixel into the target, keeping the edge and under-edge memories, so that a
// second edge of similar colour blends against what lay under the first rather than against the
// first one's half-blended pixel. The memories' colours matter only while the edge coverage is
// non-zero (every path that sets it sets both colours), so an opaque pixel updates them only then.
template <typename S>
inline void CompositePixel(S* target, S* edge, S* under, const S* layer, int full) {
    const int cover = layer[3];
    if (cover == 0) return;
    if (cover >= full) {
        target[0] = layer[0], target[1] = layer[1], target[2] = layer[2];
        target[3] = static_cast<S>(full);
        if (edge[3] != 0) {
            for (int k = 0; k < 3; ++k) edge[k] = under[k] = layer[k];
        }
        return;
    }
    if (target[3] == 0) {
        for (int k = 0; k < 4; ++k) target[k] = layer[k];
        return;
    }
    const int similar = full == 255 ? 20 : 20 * 256;
    int c;
    const int d0 = edge[0] - layer[0], d1 = edge[1] - layer[1], d2 = edge[2] - layer[2];
    const int difference = std::max(std::max(d0 < 0 ? -d0 : d0, d1 < 0 ? -d1 : d1), d2 < 0 ? -d2 : d2);
    if (edge[3] != 0 && difference < similar) {
        // A second edge of similar colour: blend against what lay under the first.
        if (cover > edge[3]) edge[3] = static_cast<S>(cover);
        c = edge[3];
    } else {
        for (int k = 0; k < 3; ++k) under[k] = target[k];
        for (int k = 0; k < 4; ++k) edge[k] = layer[k];
        c = cover;
    }
    const float k = static_cast<float>(c) / static_cast<float>(full);
    for (int i = 0; i < 3; ++i) {
        const float u = under[i];
        target[i] = ClampSample<S>(u + (static_cast<float>(layer[i]) - u) * k, static_cast<float>(full));
    }
    if (c > target[3]) target[3] = static_cast<S>(c);
}

// Composites the layer into the target over the box [x0, x1) x [y0, y1) (rows of the call's band).
template <typename S>
void CompositeLayer(const SceneCall& call, int x0, int y0, int x1, int y1);

// A run of shaded pixels of one triangle (so none twice): position, colour in sample units, opacity,
// and for edge pixels a coverage >= 0 that multiplies it (negative: an interior pixel; null: all
// interior).
struct CompositeBatch {
    const int *column, *row;
    const float* coverage;
    const float *red, *green, *blue, *opacity;
};

// Blends a run's first pixels as layer pixels and composites them into the target, as CompositePixel
// does one by one, on lanes (layer.cpp); returns how many it took (the rest go pixel by pixel).
template <typename S>
int CompositeRun(const SceneCall& call, const CompositeBatch& b, int count);
// Blends a run's first pixels straight into an image whose first row is image row row0, as
// BlendPixel does one by one, on lanes (layer.cpp); returns how many it took.
template <typename S>
int BlendRun(BYTE* image, int row0, const CompositeBatch& b, int count);

// Clears the layer over the box [x0, x1) x [y0, y1).
void ClearLayer(const SceneCall& call, int x0, int y0, int x1, int y1);

// The layer box of a triangle: its bounding box grown by 3 pixels, clipped to Zwidth x Zheight.
void LayerBox(const TriangleSetup& s, int& x0, int& y0, int& x1, int& y1);

}  // namespace trivane
