#pragma once
// Lines shared by the outline modes and __DrawScenesLineColor: the Bresenham walk, clipped to the
// image first (so that huge coordinates cost no time), and the coverage of a pixel against a wide
// line.

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/raster_p.h"
#include "engine/state_p.h"

namespace trivane {

// A segment with its line a*x + b*y + c = 0, for the distance of a pixel to it.
struct LineGeometry {
    float ax, ay, bx, by;
    float a, b, c;
    float inverseLength, inverseSquare;  // 0 for a point
};

inline LineGeometry MakeLine(float ax, float ay, float bx, float by) {
    LineGeometry l{ax, ay, bx, by, by - ay, -(bx - ax), 0.0f, 0.0f, 0.0f};
    l.c = -(l.a * ax + l.b * ay);
    float length = std::sqrt(l.a * l.a + l.b * l.b);
    l.inverseLength = length > 0.0f ? 1.0f / length : 0.0f;
    l.inverseSquare = l.inverseLength * l.inverseLength;
    return l;
}

// Coverage of pixel (px, py) by the line of half width halfWidth: halfWidth - distance, at most 1.
// The distance follows the edge rule of the filled modes for the current _DrawMode: unsigned up to
// mode 2; above, the negative side counts as inside within half a pixel and as outside beyond.
float LineCoverage(const LineGeometry& l, float px, float py, float halfWidth);

// Cuts the segment to the rectangle [x0, x1] x [y0, y1]; false when nothing of it is inside.
bool ClipSegment(float& ax, float& ay, float& bx, float& by, float x0, float y0, float x1, float y1);

// How far beyond its end points a line of half width halfWidth can draw (see WalkLine).
inline int LineMargin(float halfWidth, int clipWidth, int clipHeight) {
    if (!_Quality || !(halfWidth > 0.0f)) return 4;
    const float limit = static_cast<float>(std::max(clipWidth, clipHeight));
    return static_cast<int>(std::min(halfWidth, limit)) + 4;
}

// Walks the line from (ax, ay) to (bx, by) (image coordinates) and calls plot(px, py, coverage) for
// each of its pixels inside [0, clipWidth) x [0, clipHeight) on the rows [rowBegin, rowEnd) (the
// walk itself is that of the whole clip rectangle). Without kQuality: one pixel per
// Bresenham step, coverage 1. With kQuality, w = trunc(halfWidth) (at least 1): a run of 2w pixels
// across the line at every step and a 2w x 2w square at each end point, each pixel with its
// coverage against the line (pixels of coverage <= 0 are not plotted).
template <bool kQuality, typename Plot>
void WalkLine(float ax, float ay, float bx, float by, float halfWidth, int clipWidth, int clipHeight, int rowBegin,
              int rowEnd, Plot&& plot) {
    if (clipWidth <= 0 || clipHeight <= 0) return;
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) return;
    int w = 0;
    if constexpr (kQuality) {
        if (!(halfWidth > 0.0f)) return;
        const float limit = static_cast<float>(std::max(clipWidth, clipHeight));
        w = static_cast<int>(std::min(halfWidth, limit));
        w = std::max(w, 1);
    }
    const LineGeometry line = MakeLine(ax, ay, bx, by);
    const float margin = static_cast<float>(w + 2);
    float x0 = ax, y0 = ay, x1 = bx, y1 = by;
    if (!ClipSegment(x0, y0, x1, y1, -margin, -margin, clipWidth + margin, clipHeight + margin)) return;
    // Ends far enough apart overflow the clipping arithmetic (infinity times zero): no line then.
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;

    auto visit = [&](int px, int py) {
        if (px < 0 || py < rowBegin || px >= clipWidth || py >= clipHeight || py >= rowEnd) return;
        if constexpr (kQuality) {
            float coverage = LineCoverage(line, static_cast<float>(px), static_cast<float>(py), halfWidth);
            if (coverage > 0.0f) plot(px, py, coverage);
        } else {
            plot(px, py, 1.0f);
        }
    };

    int px = static_cast<int>(std::floor(x0)), py = static_cast<int>(std::floor(y0));
    const int ex = static_cast<int>(std::floor(x1)), ey = static_cast<int>(std::floor(y1));
    const int dx = std::abs(ex - px), dy = -std::abs(ey - py);
    const int sx = px < ex ? 1 : -1, sy = py < ey ? 1 : -1;
    const bool xMajor = dx >= -dy;

    // Only the part of a square or run inside the clip rectangle is walked (visit skips the rest).
    auto from = [](int centre, int half) { return std::max(centre - half + 1, 0); };
    auto to = [](int centre, int half, int size) { return std::min(centre + half, size - 1); };
    if constexpr (kQuality) {
        // Squares at the two ends (skipped where the end was cut away: they lie off the image).
        for (auto [qx, qy] : {std::pair{px, py}, std::pair{ex, ey}}) {
            for (int j = from(qy, w); j <= to(qy, w, clipHeight); ++j) {
                for (int i = from(qx, w); i <= to(qx, w, clipWidth); ++i) visit(i, j);
            }
        }
    }
    int error = dx + dy;
    for (;;) {
        if constexpr (kQuality) {
            // The pixel's position is the floor of the line's, so the run reaches one more pixel
            // on the positive side.
            if (xMajor) {
                for (int y = from(py, w); y <= to(py, w, clipHeight); ++y) visit(px, y);
            } else {
                for (int x = from(px, w); x <= to(px, w, clipWidth); ++x) visit(x, py);
            }
        } else {
            visit(px, py);
        }
        if (px == ex && py == ey) break;
        int twice = 2 * error;
        if (twice >= dy) error += dy, px += sx;
        if (twice <= dx) error += dx, py += sy;
    }
}

// The pixel of a shaded line (modes 1 and 2): the installed shading at depth 0 with one normal and
// plane for the whole segment, no texture and no previous-pixel record, blended into the target
// with the line's coverage.
template <typename S>
struct LineShader {
    const SceneCall* call;
    __Triangle3ds* triangle;
    __Point normal;          // towards the viewer
    float plane[4];          // a, b, c, d in image coordinates

    void operator()(int px, int py, float coverage) const {
        const float originX = static_cast<float>(call->cx), originY = static_cast<float>(call->cy);
        float red = 0.0f, green = 0.0f, blue = 0.0f;
        __Point n = normal;
        float opacity = g_state.renderOnePixel(
            originX, originY, call->target, call->background, static_cast<float>(px) - originX,
            static_cast<float>(py) - originY, 0.0f, triangle, call->materials, call->materialCount, red, green, blue,
            &n, 0, 0.0f, 0.0f, call->textures, call->lightCount, call->lights, nullptr, call->glass, plane[0],
            plane[1], plane[2], plane[3]);
        BlendPixel<S>(reinterpret_cast<S*>(call->target + PixelOffset(px, py)), red, green, blue, coverage * opacity,
                      static_cast<float>(g_state.fullScale));
    }
};

}  // namespace trivane
