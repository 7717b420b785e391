// The tracer against a slow, obvious reference on small random masks: the boundary pieces are
// found by comparing every pair of neighbouring pixels, and the traced and processed lines are
// checked against them.
#include "geometry/mesh_builder.h"
#include "mesh_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <tuple>
#include <vector>

namespace {

// A unit boundary piece between vertices, stored with its lower-left... any canonical order.
using Piece = std::tuple<int, int, int, int>; // x0, y0, x1, y1 with (x0, y0) < (x1, y1)

Piece Canonical(int x0, int y0, int x1, int y1) {
    if (std::tie(x0, y0) > std::tie(x1, y1)) return {x1, y1, x0, y0};
    return {x0, y0, x1, y1};
}

// Every unit piece between two pixels of different value (outside reads as 0); none at all for a
// uniform mask, which has no border.
std::map<Piece, int> ReferencePieces(const TestMask& mask) {
    std::map<Piece, int> pieces;
    bool uniform = true;
    for (std::uint8_t b : mask.bytes)
        uniform &= b == mask.bytes[0];
    if (uniform) return pieces;
    for (int r = -1; r <= mask.rows; ++r)
        for (int c = -1; c <= mask.columns; ++c) {
            if (mask.get(r, c) != mask.get(r, c + 1))
                pieces[Canonical(c + 1, r, c + 1, r + 1)] = 0; // vertical
            if (mask.get(r, c) != mask.get(r + 1, c))
                pieces[Canonical(c, r + 1, c + 1, r + 1)] = 0; // horizontal
        }
    return pieces;
}

// The pixels on the right and on the left of a unit step from (x, y) by (dx, dy), y downwards.
void SidePixels(const TestMask& mask, int x, int y, int dx, int dy, int& right, int& left) {
    if (dx == 1)
        right = mask.get(y, x), left = mask.get(y - 1, x);
    else if (dx == -1)
        right = mask.get(y - 1, x - 1), left = mask.get(y, x - 1);
    else if (dy == 1)
        right = mask.get(y, x - 1), left = mask.get(y, x);
    else
        right = mask.get(y - 1, x), left = mask.get(y - 1, x - 1);
}

TestMask RandomMask(std::mt19937& rng, int values) {
    std::uniform_int_distribution<int> size(1, 11);
    TestMask mask(size(rng), size(rng));
    std::uniform_int_distribution<int> density(1, 9);
    const int d = density(rng);
    const std::uint8_t palette[3] = {0, 255, 100};
    for (auto& b : mask.bytes) {
        const bool on = static_cast<int>(rng() % 10) < d;
        b = on ? palette[1 + (values > 2 ? rng() % 2 : 0)] : 0;
    }
    return mask;
}

double DistanceToSegment(double px, double py, const MeshPoint& a, const MeshPoint& b) {
    const double abx = b.x - a.x, aby = b.y - a.y;
    const double squared = abx * abx + aby * aby;
    double s = squared > 0 ? ((px - a.x) * abx + (py - a.y) * aby) / squared : 0;
    s = s < 0 ? 0 : (s > 1 ? 1 : s);
    return std::hypot(px - a.x - s * abx, py - a.y - s * aby);
}

TEST(MeshReferenceTest, TracedLinesWalkEveryBoundaryPieceOnceKeepingTheirValuesOnTheirSides) {
    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 400; ++trial) {
        const TestMask mask = RandomMask(rng, trial % 2 ? 3 : 2);
        auto pieces = ReferencePieces(mask);
        CMeshBuilder builder;
        builder.LoadMask(mask.columns, mask.rows, mask.columns, mask.bytes.data());
        ASSERT_NO_THROW(builder.FindBorderLines()) << trial;
        for (const BorderLine& line : builder.Lines()) {
            ASSERT_GE(line.points.size(), 2u);
            for (std::size_t k = 0; k + 1 < line.points.size(); ++k) {
                const BorderPoint& a = *line.points[k];
                const BorderPoint& b = *line.points[k + 1];
                // Along pixel boundaries: whole pixels along one axis.
                ASSERT_TRUE((a.x == b.x) != (a.y == b.y)) << trial;
                ASSERT_EQ(a.x, std::floor(a.x));
                ASSERT_EQ(b.y, std::floor(b.y));
                const int dx = (b.x > a.x) - (b.x < a.x), dy = (b.y > a.y) - (b.y < a.y);
                for (int x = static_cast<int>(a.x), y = static_cast<int>(a.y);
                     x != static_cast<int>(b.x) || y != static_cast<int>(b.y); x += dx, y += dy) {
                    auto piece = pieces.find(Canonical(x, y, x + dx, y + dy));
                    ASSERT_NE(piece, pieces.end()) << trial << ": not a boundary at " << x << "," << y;
                    ++piece->second;
                    int right = 0, left = 0;
                    SidePixels(mask, x, y, dx, dy, right, left);
                    EXPECT_EQ(right, line.rightValue) << trial;
                    // With two values the other side is fixed too; with three it may change.
                    if (trial % 2 == 0)
                        EXPECT_EQ(left, line.leftValue) << trial;
                    else
                        EXPECT_NE(left, line.rightValue) << trial;
                }
            }
            if (line.closed) {
                EXPECT_EQ(line.points.front()->x, line.points.back()->x);
                EXPECT_EQ(line.points.front()->y, line.points.back()->y);
            }
        }
        for (const auto& [piece, walks] : pieces)
            ASSERT_EQ(walks, 1) << trial;
    }
}

TEST(MeshReferenceTest, OutlinesOfTwoValuedMasksEncloseExactlyTheSelectedPixels) {
    std::mt19937 rng(77);
    for (int trial = 0; trial < 300; ++trial) {
        const TestMask mask = RandomMask(rng, 2);
        CMeshBuilder builder;
        builder.LoadMask(mask.columns, mask.rows, mask.columns, mask.bytes.data());
        builder.FindBorderLines();
        // Winding number of each pixel centre: vertical pieces to its right, down +1, up -1. Every
        // closed outline keeps the region it encloses on its right, so it winds clockwise (on the
        // screen, y downwards) around it whatever the region's value: selected pixels lie inside
        // an odd number of outlines.
        std::vector<int> winding(mask.bytes.size(), 0);
        for (const BorderLine& line : builder.Lines()) {
            if (line.closed) {
                double area = 0;
                for (std::size_t k = 0; k + 1 < line.points.size(); ++k)
                    area += double(line.points[k]->x) * line.points[k + 1]->y -
                            double(line.points[k + 1]->x) * line.points[k]->y;
                EXPECT_GT(area, 0) << trial;
            }
            for (std::size_t k = 0; k + 1 < line.points.size(); ++k) {
                const BorderPoint& a = *line.points[k];
                const BorderPoint& b = *line.points[k + 1];
                if (a.x != b.x) continue;
                const int sign = b.y > a.y ? 1 : -1;
                for (int y = static_cast<int>(std::fmin(a.y, b.y)); y < static_cast<int>(std::fmax(a.y, b.y));
                     ++y)
                    for (int c = 0; c < static_cast<int>(a.x) && c < mask.columns; ++c)
                        if (y >= 0 && y < mask.rows)
                            winding[static_cast<std::size_t>(y * mask.columns + c)] += sign;
            }
        }
        bool uniform = true;
        for (std::uint8_t b : mask.bytes)
            uniform &= b == mask.bytes[0];
        if (uniform) {
            EXPECT_TRUE(builder.Lines().empty());
            continue;
        }
        for (int r = 0; r < mask.rows; ++r)
            for (int c = 0; c < mask.columns; ++c)
                ASSERT_EQ(std::abs(winding[static_cast<std::size_t>(r * mask.columns + c)]) % 2, mask.get(r, c) ? 1 : 0)
                    << trial << " at " << r << "," << c;
    }
}

TEST(MeshReferenceTest, ProcessedOutlineStaysWithinTheToleranceOfTheTracedBoundary) {
    std::mt19937 rng(4711);
    for (int trial = 0; trial < 300; ++trial) {
        TestMask mask = RandomMask(rng, trial % 3 == 2 ? 3 : 2);
        const float x = trial % 4 == 3 ? 2.0f : 1.0f;
        const double tolerance = x - 0.5;
        TraceResult result;
        Trace(mask, x, 2 + trial % 29, result);
        ASSERT_TRUE(result.ok) << trial;
        for (std::int32_t j = 0; j < result.segmentCount; ++j)
            ASSERT_EQ(result.segments[j].to, result.segments[j].from + 1);
        // Every point of every traced piece (ends and middle) is near the output, except on small
        // closed lines (all within 2t of their start), which simplification may reduce to nothing.
        CMeshBuilder tracer;
        tracer.LoadMask(mask.columns, mask.rows, mask.columns, mask.bytes.data());
        tracer.FindBorderLines();
        for (const BorderLine& line : tracer.Lines()) {
            double extent = 0;
            for (const BorderPoint* p : line.points)
                extent = std::fmax(extent, std::hypot(p->x - line.points[0]->x, p->y - line.points[0]->y));
            if (line.closed && extent <= 2 * tolerance) continue;
            for (std::size_t k = 0; k + 1 < line.points.size(); ++k) {
                const BorderPoint& a = *line.points[k];
                const BorderPoint& b = *line.points[k + 1];
                const double length = std::hypot(b.x - a.x, b.y - a.y);
                for (double s = 0; s <= length; s += 0.5) {
                    const double px = a.x + (b.x - a.x) * s / length, py = a.y + (b.y - a.y) * s / length;
                    double nearest = 1e9;
                    for (std::int32_t j = 0; j < result.segmentCount; ++j)
                        nearest = std::fmin(nearest,
                                            DistanceToSegment(px, py, result.points[result.segments[j].from],
                                                              result.points[result.segments[j].to]));
                    ASSERT_LE(nearest, tolerance + 1e-5) << trial << " at " << px << "," << py;
                }
            }
        }
    }
}

} // namespace
