// Triangle set-up shared by the filled modes: vertex order, plane, barycentric determinant, the
// fixed-point edge functions of the scan conversion and the edge lines of the coverage.
#include <algorithm>
#include <cmath>

#include "engine/raster_p.h"
#include "engine/shading_lanes_p.h"
#include "generate/portable_math.h"

namespace trivane {
namespace {

constexpr float kPi = 3.14159265358979f;
// Triangles with a vertex beyond this many pixels from the image origin take the far set-up
// (keeps the fixed-point edge functions inside 64 bits).
constexpr float kCoordinateLimit = 2097152.0f;

bool Finite(float value) { return std::isfinite(value); }

std::int64_t FloorDivide(std::int64_t n, std::int64_t d) {  // d > 0
    const std::int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

// std::llround (halves away from zero) of a value well inside 2^53, without the library call.
std::int64_t RoundHalfAway(double value) {
    const std::int64_t whole = static_cast<std::int64_t>(value);  // toward zero
    const double rest = value - static_cast<double>(whole);
    return whole + (rest >= 0.5 ? 1 : 0) - (rest <= -0.5 ? 1 : 0);
}

// Direction angle in [0, 2pi) of (dx, dy), measured from +x towards +y. The arc cosine is the
// portable one, rounded to float: the C runtimes' acosf differ in the last bit (glibc's is not
// correctly rounded), and for a thin triangle one bit decides its winding or whether it is drawn.
float DirectionAngle(float dx, float dy, float length) {
    auto arc = [length](float side) {
        return static_cast<float>(PortableAcos(static_cast<double>(std::min(std::fabs(side) / length, 1.0f))));
    };
    if (dx >= 0.0f && dy > 0.0f) return arc(dx);
    if (dx < 0.0f && dy > 0.0f) return kPi / 2 + arc(dy);
    if (dx < 0.0f) return kPi + arc(dx);
    return 3 * kPi / 2 + arc(dy);
}

}  // namespace

Winding WindingByAngles(float d1x, float d1y, float len1, float d2x, float d2y, float len2) {
    const float turn = DirectionAngle(d2x, d2y, len2) - DirectionAngle(d1x, d1y, len1);
    if (!(std::fabs(turn) >= 1e-5f)) return Winding::Degenerate;
    return (turn < 0.0f || turn > 3.141592f) ? Winding::Swapped : Winding::Kept;
}

// Both edges leave the vertex of greatest y, so their directions lie in [pi, 2pi] and the turn
// between them in [-pi, pi]: its sign is the sign of their cross product. The arc cosines of the
// rounded ratios may be off by up to about 1e-3 radians (near an argument of 1), so the cross
// product decides only where the sine of the turn exceeds 1/64; nearer to a straight line, and for
// the rejection of very thin triangles, the angles decide as they always have.
Winding WindingOf(float d1x, float d1y, float len1, float d2x, float d2y, float len2) {
    const double cross = static_cast<double>(d1x) * d2y - static_cast<double>(d1y) * d2x;  // products exact
    const double margin = static_cast<double>(len1) * len2 * (1.0 / 64.0);
    if (cross > margin) return Winding::Kept;
    if (cross < -margin) return Winding::Swapped;
    return WindingByAngles(d1x, d1y, len1, d2x, d2y, len2);
}

namespace {

SetupVertex MakeVertex(const __Point3ds& p, int cx, int cy) {
    return SetupVertex{p.x + static_cast<float>(cx), p.y + static_cast<float>(cy), p.z, p.nx, p.ny, p.nz,
                       p.u, p.v, p.mapped};
}

EdgeFunction MakeEdgeFunction(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by) {
    EdgeFunction e;
    e.dx = -(by - ay) * 256;
    e.dy = (bx - ax) * 256;
    e.c = (by - ay) * ax - (bx - ax) * ay;
    e.bias = ((e.dx > 0) | ((e.dx == 0) & (e.dy > 0))) ? 0 : 1;
    return e;
}

EdgeLine MakeEdgeLine(const SetupVertex& a, const SetupVertex& b) {
    EdgeLine l;
    l.ax = a.x, l.ay = a.y, l.bx = b.x, l.by = b.y;
    l.a = b.y - a.y;
    l.b = -(b.x - a.x);
    l.c = -(l.a * a.x + l.b * a.y);
    l.length = std::sqrt(l.a * l.a + l.b * l.b);
    l.inverseLength = l.length > 0.0f ? 1.0f / l.length : 0.0f;
    l.inverseSquare = l.inverseLength * l.inverseLength;
    return l;
}

// Cramer's rule for the weights of (x, y) in the triangle (x[i], y[i]) with determinant det,
// written as three planes w[i] = wx[i] * x + wy[i] * y + w0[i]: with j = i + 1 and k = i + 2
// (mod 3), wx[i] = (y[j] - y[k]) / det, wy[i] = (x[k] - x[j]) / det and
// w0[i] = (x[j] * y[k] - x[k] * y[j]) / det.
void SetWeightPlanes(const float x[3], const float y[3], float det, float wx[3], float wy[3], float w0[3]) {
    const Lanes4 dy = {y[1] - y[2], y[2] - y[0], y[0] - y[1], 0.0f};
    const Lanes4 dx = {x[2] - x[1], x[0] - x[2], x[1] - x[0], 0.0f};
    const Lanes4 c = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0], 0.0f};
    const Lanes4 qx = dy / det, qy = dx / det, q0 = c / det;
    for (int i = 0; i < 3; ++i) wx[i] = qx[i], wy[i] = qy[i], w0[i] = q0[i];
}

void SetWeightPlanes(const SetupVertex v[3], float det, float wx[3], float wy[3], float w0[3]) {
    const float x[3] = {v[0].x, v[1].x, v[2].x}, y[3] = {v[0].y, v[1].y, v[2].y};
    SetWeightPlanes(x, y, det, wx, wy, w0);
}

}  // namespace

bool FacesViewer(const __Triangle3ds& t, const __Point3ds* points, float& normalZ) {
    const __Point3ds& p0 = points[t.v0];
    const __Point3ds& p1 = points[t.v1];
    const __Point3ds& p2 = points[t.v2];
    normalZ = (p2.x - p1.x) * (p0.y - p1.y) - (p2.y - p1.y) * (p0.x - p1.x);
    return normalZ >= 0.0f;
}

namespace {

// Whether a triangle of valid corners faces the pass: its back in the back-face pass, else its front.
bool FacesPass(const __Triangle3ds& t, const __Point3ds* points, bool backPass) {
    float normalZ;
    const bool front = FacesViewer(t, points, normalZ);
    return backPass ? normalZ < 0.0f : front;
}

}  // namespace

bool PassesOrientation(const __Triangle3ds& t, const __Point3ds* points, bool backPass) {
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return false;
    if (_DubleSide) return true;
    if (!backPass && _UseMultyRefract == 2) return true;
    return FacesPass(t, points, backPass);
}

bool PassesOrientation(const __Triangle3ds& t, const __Point3ds* points) {
    return PassesOrientation(t, points, BackPass());
}

bool PassesOutlineOrientation(const __Triangle3ds& t, const __Point3ds* points) {
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return false;
    if (_DubleSide) return true;
    return FacesPass(t, points, BackPass());
}

bool SetupTriangle(const __Triangle3ds& t, const __Point3ds* points, int cx, int cy, TriangleSetup& s,
                   bool edgeLines) {
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return false;
    const SetupVertex v[3] = {MakeVertex(points[t.v0], cx, cy), MakeVertex(points[t.v1], cx, cy),
                              MakeVertex(points[t.v2], cx, cy)};
    bool far = false;
    for (const SetupVertex& p : v) {
        if (!Finite(p.x) || !Finite(p.y) || !Finite(p.z)) return false;
        if (std::fabs(p.x) > kCoordinateLimit || std::fabs(p.y) > kCoordinateLimit) far = true;
    }
    if (far) return SetupFarTriangle(v, s);

    // Vertex of greatest y first (the first of equal ones), keeping the cyclic order.
    int first = 0;
    for (int i = 1; i < 3; ++i) {
        if (v[i].y > v[first].y) first = i;
    }
    const int second = first == 2 ? 0 : first + 1, third = second == 2 ? 0 : second + 1;

    // Consistent winding from the directions of the two edges leaving the first vertex.
    float d1x = v[second].x - v[first].x, d1y = v[second].y - v[first].y;
    float d2x = v[third].x - v[first].x, d2y = v[third].y - v[first].y;
    float len1 = std::sqrt(d1x * d1x + d1y * d1y);
    float len2 = std::sqrt(d2x * d2x + d2y * d2y);
    if (!(len1 > 0.0f) || !(len2 > 0.0f)) return false;
    const Winding winding = WindingOf(d1x, d1y, len1, d2x, d2y, len2);
    if (winding == Winding::Degenerate) return false;
    const bool swapped = winding == Winding::Swapped;
    s.v[0] = v[first];
    s.v[1] = v[swapped ? third : second];
    s.v[2] = v[swapped ? second : third];

    // Plane through the three vertices, its normal turned away from the viewer.
    const SetupVertex& a = s.v[0];
    const SetupVertex& b = s.v[1];
    const SetupVertex& c = s.v[2];
    float e1x = a.x - b.x, e1y = a.y - b.y, e1z = a.z - b.z;
    float e2x = c.x - b.x, e2y = c.y - b.y, e2z = c.z - b.z;
    float nx = e1y * e2z - e1z * e2y;
    float ny = e1z * e2x - e1x * e2z;
    float nz = e1x * e2y - e1y * e2x;
    if (nz > 0.0f) return false;
    float length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0f)) length = 1.0f;
    const Lanes4 unit = Lanes4{nx, ny, nz, 0.0f} / length;
    s.nx = unit[0], s.ny = unit[1], s.nz = unit[2];
    s.d = -(s.nx * a.x + s.ny * a.y + s.nz * a.z);

    s.det = a.x * (b.y - c.y) - b.x * (a.y - c.y) + c.x * (a.y - b.y);
    if (s.det == 0.0f || !Finite(s.det)) return false;
    SetWeightPlanes(s.v, s.det, s.wx, s.wy, s.w0);
    s.zFlat = std::fabs(s.nz) < 0.01f;
    if (s.zFlat) {
        s.zx = s.zy = s.z0 = 0.0f;
    } else {
        const Lanes4 slopes = Lanes4{-s.nx, -s.ny, -s.d, 0.0f} / s.nz;
        s.zx = slopes[0], s.zy = slopes[1], s.z0 = slopes[2];
    }

    // Fixed-point edges (1/256 pixel); the winding above makes the inside positive.
    std::int64_t fx[3], fy[3];
    for (int i = 0; i < 3; ++i) {
        fx[i] = RoundHalfAway(static_cast<double>(s.v[i].x) * 256.0);
        fy[i] = RoundHalfAway(static_cast<double>(s.v[i].y) * 256.0);
    }
    std::int64_t area = (fx[1] - fx[0]) * (fy[2] - fy[0]) - (fy[1] - fy[0]) * (fx[2] - fx[0]);
    if (area <= 0) return false;
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        s.edges[i] = MakeEdgeFunction(fx[i], fy[i], fx[j], fy[j]);
        if (edgeLines) s.lines[i] = MakeEdgeLine(s.v[i], s.v[j]);
    }

    // A pixel centre inside lies inside the fixed-point triangle, so its row times 256 lies within
    // the fixed-point corners' rows.
    const std::int64_t top = std::min({fy[0], fy[1], fy[2]}), bottom = std::max({fy[0], fy[1], fy[2]});
    s.rowFirst = static_cast<int>(-FloorDivide(-top, 256));
    s.rowLast = static_cast<int>(FloorDivide(bottom, 256));

    s.minX = std::min({a.x, b.x, c.x});
    s.maxX = std::max({a.x, b.x, c.x});
    s.minY = std::min({a.y, b.y, c.y});
    s.maxY = std::max({a.y, b.y, c.y});
    s.mapped = (a.mapped && b.mapped && c.mapped) ? 1 : 0;
    return true;
}

float EdgeCoverage(const TriangleSetup& s, float px, float py) {
    float best = 0.0f;
    for (const EdgeLine& l : s.lines) {
        if (!(l.length > 0.0f)) continue;
        float ex = l.bx - l.ax, ey = l.by - l.ay;
        float t = ((px - l.ax) * ex + (py - l.ay) * ey) * l.inverseSquare;
        float distance;
        if (t >= 0.0f && t <= 1.0f) {
            // Foot of the perpendicular on the edge: signed distance to the line.
            float signedDistance = (l.a * px + l.b * py + l.c) * l.inverseLength;
            if (signedDistance < 0.0f) {
                if (!(signedDistance > -0.5f)) continue;
                distance = 0.0f;
            } else {
                distance = signedDistance;
            }
        } else {
            // Beyond the edge's ends: distance to the end point nearer by |dx| + |dy|.
            float dax = px - l.ax, day = py - l.ay, dbx = px - l.bx, dby = py - l.by;
            bool nearA = std::fabs(dax) + std::fabs(day) <= std::fabs(dbx) + std::fabs(dby);
            distance = nearA ? std::sqrt(dax * dax + day * day) : std::sqrt(dbx * dbx + dby * dby);
        }
        best = std::max(best, 1.0f - distance);
    }
    return std::min(best, 1.0f);
}

EdgeLanes MakeEdgeLanes(const TriangleSetup& s) {
    EdgeLanes e{};
    for (int i = 0; i < 3; ++i) {
        const EdgeLine& l = s.lines[i];
        e.ax[i] = l.ax, e.ay[i] = l.ay, e.bx[i] = l.bx, e.by[i] = l.by;
        e.ex[i] = l.bx - l.ax, e.ey[i] = l.by - l.ay;
        e.a[i] = l.a, e.b[i] = l.b, e.c[i] = l.c;
        e.inverseLength[i] = l.inverseLength, e.inverseSquare[i] = l.inverseSquare;
        e.used[i] = l.length > 0.0f ? -1 : 0;
    }
    return e;
}

// EdgeCoverage's steps for the three edges at once, each chosen per lane instead of branched on.
// The largest candidate does not depend on the order the edges are taken in: a candidate is never
// -0 (1 - distance is +0 where the distance is 1), and NaN candidates are never taken.
float EdgeCoverage(const EdgeLanes& e, float px, float py) {
    using L = Lanes4;
    using M = Ints4;
    const L zero{}, one = zero + 1.0f, x = zero + px, y = zero + py;
    const L t = ((x - e.ax) * e.ex + (y - e.ay) * e.ey) * e.inverseSquare;
    const M along = (t >= zero) & (t <= one);
    // Foot of the perpendicular on the edge: the signed distance to the line; half a pixel or more
    // inside, the edge gives nothing.
    const L signedDistance = (e.a * x + e.b * y + e.c) * e.inverseLength;
    const M inside = signedDistance < zero;
    const M passed = along & inside & ~(signedDistance > zero - 0.5f);
    // Beyond the edge's ends: the distance to the end point nearer by |dx| + |dy|.
    const L dax = x - e.ax, day = y - e.ay, dbx = x - e.bx, dby = y - e.by;
    const M bits = M{} + 0x7FFFFFFF;
    auto magnitude = [&](L v) { return reinterpret_cast<L>(reinterpret_cast<M>(v) & bits); };
    const M nearA = magnitude(dax) + magnitude(day) <= magnitude(dbx) + magnitude(dby);
    const L toEnd = shading::lanes::Sqrt<4>(nearA ? dax * dax + day * day : dbx * dbx + dby * dby);
    const L distance = along ? (inside ? zero : signedDistance) : toEnd;
    const L candidate = one - distance;
    // The candidates an edge gives (positive, not NaN), 0 for the others; then the largest.
    L best = e.used & ~passed & (zero < candidate) ? candidate : zero;
    auto larger = [](L a, L b) { return a < b ? b : a; };
    best = larger(best, __builtin_shufflevector(best, best, 1, 0, 3, 2));
    best = larger(best, __builtin_shufflevector(best, best, 2, 3, 0, 1));
    return std::min(best[0], 1.0f);
}

void PerspectiveTextureAt(const TriangleSetup& s, int cx, int cy, float px, float py, float z, const float w[3],
                          float& u, float& v) {
    // Map the pixel and the vertices back through the inverse perspective.
    auto back = [](float scene, float centre, float depth) {
        return centre + (scene - centre) * (1.0f - depth / _Persp_Far);
    };
    float fcx = static_cast<float>(cx), fcy = static_cast<float>(cy);
    float x[3], y[3];
    for (int i = 0; i < 3; ++i) {
        x[i] = back(s.v[i].x - fcx, _Persp_x, s.v[i].z);
        y[i] = back(s.v[i].y - fcy, _Persp_y, s.v[i].z);
    }
    float det = x[0] * (y[1] - y[2]) - x[1] * (y[0] - y[2]) + x[2] * (y[0] - y[1]);
    if (det != 0.0f && std::isfinite(det)) {
        float wx[3], wy[3], w0[3];
        SetWeightPlanes(x, y, det, wx, wy, w0);
        float ux = back(px - fcx, _Persp_x, z), uy = back(py - fcy, _Persp_y, z);
        float unprojected[3];
        for (int i = 0; i < 3; ++i) unprojected[i] = wx[i] * ux + (wy[i] * uy + w0[i]);
        NormalizeWeights(unprojected);
        MixTexture(s, unprojected, u, v);
    } else {
        MixTexture(s, w, u, v);
    }
}

void LayerBox(const TriangleSetup& s, int& x0, int& y0, int& x1, int& y1) {
    x0 = std::max(0, static_cast<int>(s.minX - 3.0f));
    y0 = std::max(0, static_cast<int>(s.minY - 3.0f));
    x1 = std::min(static_cast<int>(Zwidth), static_cast<int>(s.maxX + 3.0f));
    y1 = std::min(static_cast<int>(Zheight), static_cast<int>(s.maxY + 3.0f));
}

}  // namespace trivane
