// The row spans of a filled triangle are walked from row to row without dividing; they must be
// the spans solved afresh for every row, for any edges (vertical, horizontal, steep, far out,
// negative rows).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "engine/raster_fill_p.h"

namespace {

using trivane::TriangleSetup;
using trivane::fill_detail::RowSpan;
using trivane::fill_detail::RowSpanWalk;

// Walks rows first..first + count - 1 and compares every span with RowSpan's.
void ExpectSameSpans(const TriangleSetup& s, int first, int count) {
    RowSpanWalk walk(s, first);
    for (int py = first; py < first + count; ++py, walk.Next()) {
        std::int64_t xs, xe, ws, we;
        RowSpan(s, py, xs, xe);
        walk.Span(ws, we);
        ASSERT_EQ(ws, xs) << "row " << py;
        ASSERT_EQ(we, xe) << "row " << py;
    }
}

// Edge functions as the set-up makes them, from fixed-point end points (1/256 pixel).
trivane::EdgeFunction Edge(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by) {
    trivane::EdgeFunction e;
    e.dx = -(by - ay) * 256;
    e.dy = (bx - ax) * 256;
    e.c = (by - ay) * ax - (bx - ax) * ay;
    e.bias = (e.dx > 0 || (e.dx == 0 && e.dy > 0)) ? 0 : 1;
    return e;
}

TriangleSetup Triangle(const std::int64_t x[3], const std::int64_t y[3]) {
    TriangleSetup s{};
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        s.edges[i] = Edge(x[i], y[i], x[j], y[j]);
    }
    return s;
}

TEST(RowSpanWalk, MatchesTheSpansOfEveryRow) {
    std::mt19937 random(7);
    // Coordinates from a few pixels to far beyond any image, so that quotients, remainders and
    // their steps take every sign.
    for (std::int64_t range : {std::int64_t{8} * 256, std::int64_t{700} * 256, std::int64_t{1} << 30}) {
        std::uniform_int_distribution<std::int64_t> coordinate(-range, range);
        for (int n = 0; n < 400; ++n) {
            std::int64_t x[3], y[3];
            for (int i = 0; i < 3; ++i) x[i] = coordinate(random), y[i] = coordinate(random);
            // Now and then a horizontal or a vertical edge.
            if (n % 5 == 1) y[1] = y[0];
            if (n % 5 == 2) x[2] = x[1];
            const TriangleSetup s = Triangle(x, y);
            const int top = static_cast<int>(std::min({y[0], y[1], y[2]}) / 256);
            ExpectSameSpans(s, top - 5, 60);
        }
    }
}

TEST(RowSpanWalk, HandlesEdgesOnExactPixelRows) {
    // Vertices on whole pixels: the remainders reach zero on many rows.
    const std::int64_t x[3] = {0, 40 * 256, 10 * 256}, y[3] = {0, 0, 30 * 256};
    ExpectSameSpans(Triangle(x, y), -3, 40);
    const std::int64_t x2[3] = {5 * 256, 5 * 256, -20 * 256}, y2[3] = {-10 * 256, 25 * 256, 3 * 256};
    ExpectSameSpans(Triangle(x2, y2), -15, 45);
}

// The three edges on lanes against one edge after the other: the same bits for pixels beside, beyond
// the ends of and inside the edges of small and large triangles, near and far from the origin, with
// an edge of length zero (which gives nothing) and at NaN coordinates.
TEST(EdgeLanes, GiveTheBitsOfOneEdgeAfterTheOther) {
    std::mt19937 random(11);
    const std::int32_t width = Zwidth, height = Zheight;
    Zwidth = Zheight = 200;
    int partly = 0;
    for (float offset : {0.0f, 3000.5f}) {
        std::uniform_real_distribution<float> coordinate(-30.0f, 230.0f);
        for (int n = 0; n < 300; ++n) {
            __Point3ds points[3] = {};
            const bool small = n % 3 == 0;
            const float x0 = coordinate(random), y0 = coordinate(random);
            for (__Point3ds& p : points) {
                p.x = small ? x0 + coordinate(random) / 40.0f : coordinate(random);
                p.y = small ? y0 + coordinate(random) / 40.0f : coordinate(random);
            }
            const __Triangle3ds t{0, 1, 2, 0, 0};
            TriangleSetup s{};
            if (!trivane::SetupTriangle(t, points, 0, 0, s)) continue;
            for (trivane::EdgeLine& l : s.lines) {  // the same lines further out
                l.ax += offset, l.bx += offset;
                l.c -= l.a * offset;
            }
            if (n % 7 == 0) s.lines[n % 3].length = 0.0f;
            const trivane::EdgeLanes lanes = trivane::MakeEdgeLanes(s);
            auto expectSame = [&](float px, float py) {
                const float one = trivane::EdgeCoverage(s, px, py), three = trivane::EdgeCoverage(lanes, px, py);
                ASSERT_EQ(std::memcmp(&one, &three, sizeof one), 0)
                    << "triangle " << n << " pixel " << px << ", " << py << ": " << one << " and " << three;
                partly += one > 0.0f && one < 1.0f;
            };
            for (float py = std::floor(s.minY) - 2; py <= s.maxY + 2; py += 1.0f) {
                for (float px = std::floor(s.minX) - 3; px <= s.maxX + 3; px += small ? 1.0f : 3.0f)
                    expectSame(px + offset, py);
            }
            expectSame(std::numeric_limits<float>::quiet_NaN(), s.minY);
        }
    }
    Zwidth = width, Zheight = height;
    EXPECT_GT(partly, 1000);  // partly covered pixels among them
}

}  // namespace
