// Set-up of a triangle that reaches far beyond the image (a vertex further than the fixed-point
// edge functions can hold). Only the part near the clip rectangle can be drawn, so each edge is
// described by the part of its line inside a guard rectangle around the clip rectangle, and the
// plane, the weights and the winding are computed in double precision. Beyond about 10^9 pixels
// the edges and depths near the image are only as exact as that arithmetic allows.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "engine/raster_p.h"

namespace trivane {
namespace {

// Pixels of margin around the clip rectangle: wider than any edge band, and far inside the
// fixed-point range.
constexpr double kGuard = 64.0;
constexpr double kFixedLimit = 2097152.0;

struct Box {
    double x0, y0, x1, y1;
};

// The parameters [t0, t1] of the line a + t d inside the box (t unbounded when whole is set,
// else within [0, 1]); false when the line or segment misses it.
bool ClipLine(double ax, double ay, double dx, double dy, const Box& box, bool whole, double& t0, double& t1) {
    t0 = whole ? -INFINITY : 0.0;
    t1 = whole ? INFINITY : 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - box.x0, box.x1 - ax, ay - box.y0, box.y1 - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, r);
        } else {
            t1 = std::min(t1, r);
        }
    }
    return t0 <= t1;
}

std::int64_t Fixed(double value, double low, double high) {
    return std::llround(std::clamp(value, low, high) * 256.0);
}

// The fixed-point edge function of the line from (ax, ay) to (bx, by), as the near set-up builds it.
EdgeFunction LineFunction(double ax, double ay, double bx, double by, const Box& box) {
    const std::int64_t fax = Fixed(ax, box.x0, box.x1), fay = Fixed(ay, box.y0, box.y1);
    const std::int64_t fbx = Fixed(bx, box.x0, box.x1), fby = Fixed(by, box.y0, box.y1);
    EdgeFunction e;
    e.dx = -(fby - fay) * 256;
    e.dy = (fbx - fax) * 256;
    e.c = (fby - fay) * fax - (fbx - fax) * fay;
    e.bias = (e.dx > 0 || (e.dx == 0 && e.dy > 0)) ? 0 : 1;
    return e;
}

EdgeLine SegmentLine(float ax, float ay, float bx, float by) {
    EdgeLine l;
    l.ax = ax, l.ay = ay, l.bx = bx, l.by = by;
    l.a = by - ay;
    l.b = -(bx - ax);
    l.c = -(l.a * ax + l.b * ay);
    l.length = std::sqrt(l.a * l.a + l.b * l.b);
    l.inverseLength = l.length > 0.0f ? 1.0f / l.length : 0.0f;
    l.inverseSquare = l.inverseLength * l.inverseLength;
    return l;
}

// An edge that bounds nothing inside the guard rectangle: no constraint, no coverage, no band.
void NoEdge(EdgeFunction& e, EdgeLine& l) {
    e = EdgeFunction{0, 0, 1, 0};
    l = EdgeLine{};
    l.ay = l.by = INFINITY;
}

float ToFloat(double value) { return static_cast<float>(std::clamp(value, -static_cast<double>(FLT_MAX),
                                                                    static_cast<double>(FLT_MAX))); }

}  // namespace

bool SetupFarTriangle(const SetupVertex v[3], TriangleSetup& s) {
    // Vertex of greatest y first (the first of equal ones), keeping the cyclic order.
    int first = 0;
    for (int i = 1; i < 3; ++i) {
        if (v[i].y > v[first].y) first = i;
    }
    for (int i = 0; i < 3; ++i) s.v[i] = v[(first + i) % 3];

    // Winding from the turn between the two edges leaving the first vertex; a turn of less than
    // 1e-5 radians is degenerate, as in the near set-up.
    double x[3], y[3], z[3];
    for (int i = 0; i < 3; ++i) x[i] = s.v[i].x, y[i] = s.v[i].y, z[i] = s.v[i].z;
    const double d1x = x[1] - x[0], d1y = y[1] - y[0], d2x = x[2] - x[0], d2y = y[2] - y[0];
    const double cross = d1x * d2y - d1y * d2x;
    const double lengths = std::sqrt(d1x * d1x + d1y * d1y) * std::sqrt(d2x * d2x + d2y * d2y);
    if (!(std::fabs(cross) >= 1e-5 * lengths) || !(lengths > 0.0)) return false;
    if (cross < 0.0) {
        std::swap(s.v[1], s.v[2]);
        std::swap(x[1], x[2]), std::swap(y[1], y[2]), std::swap(z[1], z[2]);
    }

    // Plane, normal turned away from the viewer.
    const double e1x = x[0] - x[1], e1y = y[0] - y[1], e1z = z[0] - z[1];
    const double e2x = x[2] - x[1], e2y = y[2] - y[1], e2z = z[2] - z[1];
    double nx = e1y * e2z - e1z * e2y, ny = e1z * e2x - e1x * e2z, nz = e1x * e2y - e1y * e2x;
    if (nz > 0.0) return false;
    double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    nx /= length, ny /= length, nz /= length;
    const double d = -(nx * x[0] + ny * y[0] + nz * z[0]);
    s.nx = ToFloat(nx), s.ny = ToFloat(ny), s.nz = ToFloat(nz), s.d = ToFloat(d);
    s.zFlat = std::fabs(nz) < 0.01;
    s.zx = s.zFlat ? 0.0f : ToFloat(-nx / nz);
    s.zy = s.zFlat ? 0.0f : ToFloat(-ny / nz);
    s.z0 = s.zFlat ? 0.0f : ToFloat(-d / nz);

    // Barycentric weight planes (Cramer's rule).
    const double det = x[0] * (y[1] - y[2]) - x[1] * (y[0] - y[2]) + x[2] * (y[0] - y[1]);
    if (det == 0.0 || !std::isfinite(det)) return false;
    s.det = ToFloat(det);
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3, k = (i + 2) % 3;
        s.wx[i] = ToFloat((y[j] - y[k]) / det);
        s.wy[i] = ToFloat((x[k] - x[j]) / det);
        s.w0[i] = ToFloat((x[j] * y[k] - x[k] * y[j]) / det);
    }

    // Edges near the clip rectangle.
    const Box box{-kGuard, -kGuard, std::min(static_cast<double>(Zwidth) + kGuard, kFixedLimit),
                  std::min(static_cast<double>(Zheight) + kGuard, kFixedLimit)};
    auto near = [](double value) { return std::fabs(value) <= kFixedLimit; };
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3, k = (i + 2) % 3;
        if (near(x[i]) && near(y[i]) && near(x[j]) && near(y[j])) {
            // Both ends within range: the very edge a neighbouring near triangle has.
            const Box all{-kFixedLimit, -kFixedLimit, kFixedLimit, kFixedLimit};
            s.edges[i] = LineFunction(x[i], y[i], x[j], y[j], all);
            s.lines[i] = SegmentLine(s.v[i].x, s.v[i].y, s.v[j].x, s.v[j].y);
            continue;
        }
        const double dx = x[j] - x[i], dy = y[j] - y[i];
        double t0, t1;
        if (!ClipLine(x[i], y[i], dx, dy, box, true, t0, t1)) {
            // The line passes the guard rectangle by: the triangle lies wholly on one side of it.
            const double cx = (box.x0 + box.x1) * 0.5, cy = (box.y0 + box.y1) * 0.5;
            const double inside = dx * (y[k] - y[i]) - dy * (x[k] - x[i]);
            const double centre = dx * (cy - y[i]) - dy * (cx - x[i]);
            if ((inside > 0.0) != (centre > 0.0)) return false;
            NoEdge(s.edges[i], s.lines[i]);
            continue;
        }
        s.edges[i] = LineFunction(x[i] + t0 * dx, y[i] + t0 * dy, x[i] + t1 * dx, y[i] + t1 * dy, box);
        // The edge's own coverage and band: the part of the segment inside the rectangle.
        if (ClipLine(x[i], y[i], dx, dy, box, false, t0, t1)) {
            s.lines[i] = SegmentLine(ToFloat(x[i] + t0 * dx), ToFloat(y[i] + t0 * dy), ToFloat(x[i] + t1 * dx),
                                     ToFloat(y[i] + t1 * dy));
        } else {
            EdgeFunction unused;
            NoEdge(unused, s.lines[i]);
        }
    }

    // The box of the triangle within the guard rectangle.
    s.minX = ToFloat(std::clamp(std::min({x[0], x[1], x[2]}), box.x0, box.x1));
    s.maxX = ToFloat(std::clamp(std::max({x[0], x[1], x[2]}), box.x0, box.x1));
    s.minY = ToFloat(std::clamp(std::min({y[0], y[1], y[2]}), box.y0, box.y1));
    s.maxY = ToFloat(std::clamp(std::max({y[0], y[1], y[2]}), box.y0, box.y1));
    // One row more each way than the box (the clipped edges are rounded to the fixed point).
    s.rowFirst = static_cast<int>(std::floor(s.minY)) - 1;
    s.rowLast = static_cast<int>(std::ceil(s.maxY)) + 1;
    s.mapped = (s.v[0].mapped && s.v[1].mapped && s.v[2].mapped) ? 1 : 0;
    return true;
}

}  // namespace trivane
