// The row spans of a filled triangle are walked from row to row without dividing; they must be
// the spans solved afresh for every row, for any edges (vertical, horizontal, steep, far out,
// negative rows). A row's depth test on lanes lists the pixels of the test one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

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
// an edge of length zero (which gives nothing) and at NaN coordinates; likewise a triangle's pixels
// listed together, one pixel a lane, at every lane width the processor has (lists of every length,
// so that each width's last group is partly filled), with the bits of those above 0.
TEST(EdgeLanes, GiveTheBitsOfOneEdgeAfterTheOther) {
    std::mt19937 random(11);
    const int widest = trivane::shading::LaneWidth();
    int listsCompared = 0;
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
            std::vector<float> xs, ys, ones;
            auto expectSame = [&](float px, float py) {
                const float one = trivane::EdgeCoverage(s, px, py), three = trivane::EdgeCoverage(lanes, px, py);
                ASSERT_EQ(std::memcmp(&one, &three, sizeof one), 0)
                    << "triangle " << n << " pixel " << px << ", " << py << ": " << one << " and " << three;
                partly += one > 0.0f && one < 1.0f;
                xs.push_back(px), ys.push_back(py), ones.push_back(one);
            };
            for (float py = std::floor(s.minY) - 2; py <= s.maxY + 2; py += 1.0f) {
                for (float px = std::floor(s.minX) - 3; px <= s.maxX + 3; px += small ? 1.0f : 3.0f)
                    expectSame(px + offset, py);
            }
            expectSame(std::numeric_limits<float>::quiet_NaN(), s.minY);
            // The list's first pixels, as many as the triangle's number gives (1 to 150: more than a
            // word of bits).
            const int count = std::min(static_cast<int>(xs.size()), 1 + n % 150);
            xs.resize(count + trivane::kCoverageSlack, xs[count - 1]);
            ys.resize(count + trivane::kCoverageSlack, ys[count - 1]);
            for (int laneWidth = 1; laneWidth <= widest; laneWidth *= laneWidth == 1 ? 4 : 2) {
                trivane::shading::ForceLaneWidth(laneWidth);
                std::vector<float> listed(count + trivane::kCoverageSlack, -1.0f);
                std::vector<std::uint64_t> positive((count + trivane::kCoverageSlack + 63) / 64, ~std::uint64_t{0});
                trivane::EdgeCoverageRun(lanes, xs.data(), ys.data(), count, listed.data(), positive.data());
                for (int i = 0; i < count; ++i) {
                    ASSERT_EQ(std::memcmp(&ones[i], &listed[i], sizeof(float)), 0)
                        << "triangle " << n << " pixel " << xs[i] << ", " << ys[i] << " of " << count << " on "
                        << laneWidth << " lanes: " << ones[i] << " and " << listed[i];
                    ASSERT_EQ((positive[i / 64] >> (i % 64)) & 1, ones[i] > 0.0f ? 1u : 0u)
                        << "triangle " << n << " pixel " << i << " on " << laneWidth << " lanes";
                }
                ++listsCompared;
            }
            trivane::shading::ForceLaneWidth(0);
        }
    }
    Zwidth = width, Zheight = height;
    EXPECT_GT(partly, 1000);  // partly covered pixels among them
    EXPECT_GT(listsCompared, 600);
}

// The bands of four rows at a time against one row after the other: the same extents (bits) and
// columns for every row near small, large and thin triangles, with horizontal edges, far from the origin, and with an
// end point that is not a number.
TEST(RowBands4, GiveTheBandOfEachRow) {
    std::mt19937 random(23);
    std::uniform_real_distribution<float> coordinate(-40.0f, 240.0f), unit(0.0f, 1.0f);
    const std::int32_t width = Zwidth, height = Zheight;
    Zwidth = Zheight = 200;
    int banded = 0;
    for (int n = 0; n < 400; ++n) {
        __Point3ds points[3] = {};
        const float x0 = coordinate(random), y0 = coordinate(random);
        const float spread = n % 4 == 0 ? 200.0f : n % 4 == 1 ? 3.0f : 20.0f;
        for (__Point3ds& p : points) p.x = x0 + spread * unit(random), p.y = y0 + spread * unit(random);
        if (n % 4 == 3) points[2].y = points[1].y + 0.3f * (points[2].y - points[1].y);  // thin
        if (n % 5 == 1) points[1].y = points[0].y;                                       // horizontal edge
        if (n % 9 == 2) points[2].y = std::floor(points[2].y);                           // on a row
        const __Triangle3ds t{0, 1, 2, 0, 0};
        TriangleSetup s{};
        if (!trivane::SetupTriangle(t, points, 0, 0, s)) continue;
        if (n % 7 == 0) {
            for (trivane::EdgeLine& l : s.lines) l.ax += 3000.5f, l.bx += 3000.5f;  // far out
        }
        if (n % 11 == 5) s.lines[n % 3].bx = std::numeric_limits<float>::quiet_NaN();
        const int first = static_cast<int>(std::floor(s.minY)) - 3 - n % 4, last = static_cast<int>(s.maxY) + 4;
        for (int py = first; py <= last; py += 4) {
            float low[4], high[4];
            trivane::fill_detail::RowBands4(s, py, low, high);
            for (int k = 0; k < 4; ++k) {
                float lowOne, highOne;
                trivane::fill_detail::RowExtent(s, py + k, lowOne, highOne);
                ASSERT_EQ(std::memcmp(&lowOne, &low[k], sizeof(float)), 0) << "triangle " << n << " row " << py + k;
                ASSERT_EQ(std::memcmp(&highOne, &high[k], sizeof(float)), 0) << "triangle " << n << " row " << py + k;
                std::int64_t x0One = 0, x1One = -1, x0Four = 0, x1Four = -1;
                const bool one = trivane::fill_detail::RowBand(s, py + k, x0One, x1One);
                const bool four = trivane::fill_detail::BandColumns(low[k], high[k], x0Four, x1Four);
                ASSERT_EQ(one, four) << "triangle " << n << " row " << py + k;
                ASSERT_EQ(x0One, x0Four) << "triangle " << n << " row " << py + k;
                ASSERT_EQ(x1One, x1Four) << "triangle " << n << " row " << py + k;
                banded += one;
            }
        }
    }
    Zwidth = width, Zheight = height;
    EXPECT_GT(banded, 3000);
}

// The depth test of a row's pixels four at a time against the test one pixel at a time: the same
// pixels listed after the entries already there, with the same depths, and the same depth row left,
// where all four of a group pass, none does, or some do (old depths in front, behind, equal, mixed,
// in runs of any length), for spans of any length and place.
TEST(PassingPixels, ListThePixelsOfTheTestOneByOne) {
    std::mt19937 random(31);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int passed = 0, failed = 0;
    for (int n = 0; n < 400; ++n) {
        TriangleSetup s{};
        s.zx = (unit(random) - 0.5f) * 0.02f, s.zy = 0.01f, s.z0 = 50.0f + n, s.zFlat = false;
        const int width = 60 + n % 9, py = n % 17;
        const float rowTerm = trivane::DepthRowTerm(s, static_cast<float>(py));
        std::vector<float> depth(width);
        for (int px = 0; px < width;) {
            const int kind = static_cast<int>(random() % 4), length = 1 + static_cast<int>(random() % 13);
            for (int k = 0; k < length && px < width; ++k, ++px) {
                const float plane = trivane::PlaneDepth(s, static_cast<float>(px), rowTerm);
                depth[px] = kind == 0   ? plane - 1.0f  // the pixel passes
                            : kind == 1 ? plane + 1.0f  // it does not
                            : kind == 2 ? plane         // equal: it does not
                                        : plane + (unit(random) - 0.5f);
            }
        }
        const int first = n % 7, last = n % 13 == 0 ? first - 1 : width - 1 - n % 6, from = n % 3;
        std::vector<float> depthOne = depth;
        std::vector<int> columnsOne;
        std::vector<float> depthsOne;
        for (int px = first; px <= last; ++px) {
            float z;
            if (trivane::fill_detail::PassesDepth(s, depthOne.data(), px, rowTerm, z)) {
                columnsOne.push_back(px);
                depthsOne.push_back(z);
            }
        }
        std::vector<int> columns(from + width + 4, -1);
        std::vector<float> depths(from + width + 4, -1.0f);
        const int count = trivane::fill_detail::PassingPixels(s, depth.data(), first, last, rowTerm, columns.data(),
                                                              depths.data(), from);
        ASSERT_EQ(count - from, static_cast<int>(columnsOne.size())) << "row " << n;
        for (int k = 0; k < count - from; ++k) {
            ASSERT_EQ(columns[from + k], columnsOne[k]) << "row " << n << " pixel " << k;
            ASSERT_EQ(std::memcmp(&depths[from + k], &depthsOne[k], sizeof(float)), 0) << "row " << n << " pixel " << k;
        }
        for (int k = 0; k < from; ++k) ASSERT_EQ(columns[k], -1) << "row " << n << ": an entry before the list";
        ASSERT_EQ(std::memcmp(depth.data(), depthOne.data(), depth.size() * sizeof(float)), 0) << "row " << n;
        passed += static_cast<int>(columnsOne.size());
        failed += last - first + 1 - static_cast<int>(columnsOne.size());
    }
    EXPECT_GT(passed, 4000);
    EXPECT_GT(failed, 8000);
}

}  // namespace
