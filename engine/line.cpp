// The coverage and clipping of the line walk (engine/line_p.h).
#include "engine/line_p.h"

namespace trivane {

float LineCoverage(const LineGeometry& l, float px, float py, float halfWidth) {
    float distance;
    float ex = l.bx - l.ax, ey = l.by - l.ay;
    float t = ((px - l.ax) * ex + (py - l.ay) * ey) * l.inverseSquare;
    if (l.inverseLength > 0.0f && t >= 0.0f && t <= 1.0f) {
        float s = (l.a * px + l.b * py + l.c) * l.inverseLength;
        if (_DrawMode <= 2) {
            distance = std::fabs(s);
        } else if (s < 0.0f) {
            if (!(s > -0.5f)) return 0.0f;
            distance = 0.0f;
        } else {
            distance = s;
        }
    } else {
        // Beyond the ends: distance to the end point nearer by |dx| + |dy|.
        float dax = px - l.ax, day = py - l.ay, dbx = px - l.bx, dby = py - l.by;
        bool nearA = std::fabs(dax) + std::fabs(day) <= std::fabs(dbx) + std::fabs(dby);
        distance = nearA ? std::sqrt(dax * dax + day * day) : std::sqrt(dbx * dbx + dby * dby);
    }
    return std::min(halfWidth - distance, 1.0f);
}

bool ClipSegment(float& ax, float& ay, float& bx, float& by, float x0, float y0, float x1, float y1) {
    // Liang-Barsky: the part of a + t (b - a), t in [0, 1], inside the rectangle.
    const float dx = bx - ax, dy = by - ay;
    float t0 = 0.0f, t1 = 1.0f;
    const float p[4] = {-dx, dx, -dy, dy};
    const float q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0f) {
            if (q[i] < 0.0f) return false;
            continue;
        }
        float r = q[i] / p[i];
        if (p[i] < 0.0f) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
    }
    if (!(t0 <= t1)) return false;
    const float sx = ax, sy = ay;
    if (t1 < 1.0f) bx = sx + t1 * dx, by = sy + t1 * dy;
    if (t0 > 0.0f) ax = sx + t0 * dx, ay = sy + t0 * dy;
    // Rounding can leave an end a hair outside: pull it in.
    ax = std::clamp(ax, x0, x1), bx = std::clamp(bx, x0, x1);
    ay = std::clamp(ay, y0, y1), by = std::clamp(by, y0, y1);
    return true;
}

}  // namespace trivane
