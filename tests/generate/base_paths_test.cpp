#include "generate/base_paths.h"
#include "geometry/mesh_builder.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct PathRun {
    std::int32_t first, last; // point indices
};

// Splits a path into its runs: a run starts at every point that ends no segment.
std::vector<PathRun> Runs(const BasePath& path) {
    std::vector<bool> isEnd(static_cast<std::size_t>(path.pointCount), false);
    for (std::int32_t j = 0; j < path.segmentCount; ++j)
        isEnd[static_cast<std::size_t>(path.segments[j].end)] = true;
    std::vector<PathRun> runs;
    for (std::int32_t k = 0; k < path.pointCount; ++k) {
        if (!isEnd[static_cast<std::size_t>(k)]) runs.push_back({k, k});
        runs.back().last = k;
    }
    return runs;
}

TEST(PathRunTest, StepsGrowAwayFromTheReferenceAndStoreTheNextStep) {
    PathLists lists;
    const float W = 400;
    AddHorizontalRun(lists, 7, -W / 2, W, W / 2, W / 2, 0, 0, -1, 0);
    ASSERT_GT(lists.points.size(), 3u);
    EXPECT_EQ(lists.points.front().x, -W / 2);
    EXPECT_EQ(lists.segments.size(), lists.points.size() - 1);
    for (std::size_t k = 0; k < lists.points.size(); ++k) {
        const PathPoint& p = lists.points[k];
        EXPECT_EQ(p.y, 7.0f);
        EXPECT_EQ(p.z, 0.0f);
        EXPECT_EQ(p.dy, -1.0f);
        EXPECT_EQ(p.flag, 1);
        EXPECT_LE(p.x, W / 2);
        const float step = (W / 2) * (std::fabs(p.x) / W + 0.01f);
        if (k + 1 < lists.points.size())
            EXPECT_FLOAT_EQ(lists.points[k + 1].x - p.x, step);
        else
            EXPECT_GT(p.x + step, W / 2); // the next stop would pass the end
        if (k > 0) {
            const PathSegment& s = lists.segments[k - 1];
            EXPECT_EQ(s.start, static_cast<std::int32_t>(k) - 1);
            EXPECT_EQ(s.end, static_cast<std::int32_t>(k));
            EXPECT_EQ(s.length, step); // the step from this point on, not the one covered
            EXPECT_EQ(s.flag, 1);
        }
    }
    // Densest near the reference: the stop nearest to 0 has the shortest step.
    float shortest = W, at = 0;
    for (std::size_t k = 0; k + 1 < lists.points.size(); ++k) {
        const float step = lists.points[k + 1].x - lists.points[k].x;
        if (step < shortest) shortest = step, at = lists.points[k].x;
    }
    EXPECT_LT(std::fabs(at), 20.0f);
}

TEST(PathRunTest, RunsThatCannotAdvanceStop) {
    PathLists lists;
    AddVerticalRun(lists, 0, 0, 100, 50, 0, 0, 1, 0, 0);   // zero base step
    AddVerticalRun(lists, 0, 0, 100, 50, NAN, 0, 1, 0, 0); // not a number
    AddVerticalRun(lists, 0, 0, 100, 50, -10, 0, 1, 0, 0); // backwards
    EXPECT_EQ(lists.points.size(), 3u);
    EXPECT_TRUE(lists.segments.empty());
}

TEST(LayoutTest, WindowHasSixteenRunsAndNoSegmentJoinsTwo) {
    BasePath path;
    ASSERT_TRUE(BuildWindowPath(path, -200, -200, 400, 400));
    const auto runs = Runs(path);
    ASSERT_EQ(runs.size(), 16u);
    for (std::int32_t j = 0; j < path.segmentCount; ++j) {
        const PathSegment& s = path.segments[j];
        EXPECT_EQ(s.end, s.start + 1);
        bool inOneRun = false;
        for (const PathRun& run : runs)
            inOneRun |= s.start >= run.first && s.end <= run.last;
        EXPECT_TRUE(inOneRun) << j;
    }
    // Each pane: left, right, bottom, top, growing inwards; panes in the order of their corners.
    const float paneX[4] = {-200, -200, 0, 0}, paneY[4] = {-200, 0, 0, -200};
    for (int pane = 0; pane < 4; ++pane) {
        const PathPoint& left = path.points[runs[static_cast<std::size_t>(pane * 4)].first];
        const PathPoint& right = path.points[runs[static_cast<std::size_t>(pane * 4 + 1)].first];
        const PathPoint& bottom = path.points[runs[static_cast<std::size_t>(pane * 4 + 2)].first];
        const PathPoint& top = path.points[runs[static_cast<std::size_t>(pane * 4 + 3)].first];
        EXPECT_EQ(left.x, paneX[pane]);
        EXPECT_EQ(left.y, paneY[pane]);
        EXPECT_EQ(left.dx, 1.0f);
        EXPECT_EQ(right.x, paneX[pane] + 200);
        EXPECT_EQ(right.dx, -1.0f);
        EXPECT_EQ(bottom.y, paneY[pane] + 200);
        EXPECT_EQ(bottom.dy, -1.0f);
        EXPECT_EQ(top.y, paneY[pane]);
        EXPECT_EQ(top.dy, 1.0f);
    }
    FreeBasePath(path);
    EXPECT_EQ(path.points, nullptr);
}

TEST(LayoutTest, LayoutsHaveTheirRunsInOrder) {
    struct Expect {
        int kind;
        std::vector<std::vector<float>> runs; // first point x, y, direction x, y
    };
    const float x0 = -150, y0 = -100, W = 300, H = 200;
    const std::vector<Expect> layouts = {
        {1, {{x0, y0 + H, 0, -1}}},
        {2, {{x0, y0, 0, 1}}},
        {3, {{x0, y0, 0, 1}, {x0, y0 + H, 0, -1}}},
        {4, {{x0, y0, 1, 0}, {x0 + W, y0, -1, 0}, {x0, y0 + H, 0, -1}, {x0, y0, 0, 1}}},
        {5, {{x0, y0 + H / 3, 1, 0}, {x0 + W, y0 + H / 3, -1, 0}, {x0, y0 + H, 0, -1}}},
    };
    for (const Expect& layout : layouts) {
        BasePath path;
        ASSERT_TRUE(BuildLayoutPath(layout.kind, path, x0, y0, W, H));
        const auto runs = Runs(path);
        ASSERT_EQ(runs.size(), layout.runs.size()) << layout.kind;
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const PathPoint& first = path.points[runs[r].first];
            EXPECT_EQ(first.x, layout.runs[r][0]) << layout.kind << " run " << r;
            EXPECT_EQ(first.y, layout.runs[r][1]) << layout.kind << " run " << r;
            EXPECT_EQ(first.dx, layout.runs[r][2]);
            EXPECT_EQ(first.dy, layout.runs[r][3]);
            // At a run's ends the step is about half the extent: only a handful of segments.
            EXPECT_LT(runs[r].last - runs[r].first, 40) << layout.kind;
            EXPECT_GT(runs[r].last - runs[r].first, 2) << layout.kind;
        }
        FreeBasePath(path);
    }
    BasePath none;
    EXPECT_TRUE(BuildLayoutPath(7, none, x0, y0, W, H));
    EXPECT_EQ(none.pointCount, 0);
    EXPECT_EQ(none.points, nullptr);
}

TEST(SelectionPathTest, SegmentsGetEdgeNormalsAndPointsAverageThem) {
    // A right angle: (0,0) -> (10,0) -> (10,10), plus a zero-length segment at (10,10).
    const MeshPoint points[] = {{0, 0}, {10, 0}, {10, 10}, {10, 10}};
    const MeshSegment segments[] = {{0, 1}, {1, 2}, {2, 3}};
    BasePath path;
    ASSERT_TRUE(PathFromSelection(4, 3, points, segments, -5, -7, path));
    ASSERT_EQ(path.pointCount, 4);
    ASSERT_EQ(path.segmentCount, 3);
    EXPECT_EQ(path.points[0].x, -5.0f);
    EXPECT_EQ(path.points[0].y, -7.0f);
    EXPECT_EQ(path.segments[0].length, 10.0f);
    EXPECT_EQ(path.segments[0].dx, 0.0f); // (0 - 0, 0 - 10) / 10: left of the travel, y up
    EXPECT_EQ(path.segments[0].dy, -1.0f);
    EXPECT_EQ(path.segments[1].dx, 1.0f);
    EXPECT_EQ(path.segments[1].dy, 0.0f);
    EXPECT_EQ(path.segments[2].length, 0.0f); // zero length: no direction
    EXPECT_EQ(path.segments[2].dx, 0.0f);
    EXPECT_EQ(path.segments[2].dy, 0.0f);
    // The corner point averages its two segments; an end point keeps its one.
    EXPECT_EQ(path.points[0].dy, -1.0f);
    EXPECT_EQ(path.points[1].dx, 0.5f);
    EXPECT_EQ(path.points[1].dy, -0.5f);
    // (10,10) first takes (1,0), then averages it with the zero-length segment's (0,0).
    EXPECT_EQ(path.points[2].dx, 0.5f);
    for (std::int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(path.points[k].flag, 1);
        EXPECT_EQ(path.points[k].dz, 0.0f);
    }
    FreeBasePath(path);
}

TEST(SelectionPathTest, BadIndicesAreRefusedWithNothingAllocated) {
    const MeshPoint points[] = {{0, 0}, {1, 0}};
    const MeshSegment bad[] = {{0, 2}};
    BasePath path;
    EXPECT_FALSE(PathFromSelection(2, 1, points, bad, 0, 0, path));
    EXPECT_EQ(path.points, nullptr);
    EXPECT_EQ(path.segments, nullptr);
    EXPECT_FALSE(PathFromSelection(2, 1, nullptr, bad, 0, 0, path));
    EXPECT_TRUE(PathFromSelection(0, 0, nullptr, nullptr, 0, 0, path));
    EXPECT_EQ(path.pointCount, 0);
}

} // namespace

namespace {

TEST(SelectionPathTest, TracedOutlinesGrowOutOfTheShapesTheyOutline) {
    // A selected block with a hole, traced and turned into a path: every segment's growth
    // direction leaves the shape its outline encloses: the selection on the outer outline, the
    // hole (into the selection) on the hole's outline.
    const int columns = 60, rows = 40;
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(columns * rows), 0);
    auto inHole = [](int r, int c) { return r >= 15 && r < 25 && c >= 20 && c < 40; };
    auto selected = [&](int r, int c) { return r >= 5 && r < 35 && c >= 5 && c < 55 && !inHole(r, c); };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            mask[static_cast<std::size_t>(r * columns + c)] = selected(r, c) ? 255 : 0;
    CMeshBuilder builder;
    std::int32_t n = 0, m = 0;
    MeshPoint* points = nullptr;
    MeshSegment* segments = nullptr;
    ASSERT_TRUE(
        builder.BuildBorderLines(columns, rows, columns, mask.data(), 1, 30, &n, &m, &points, &segments));
    BasePath path;
    ASSERT_TRUE(PathFromSelection(n, m, points, segments, 0, 0, path));
    ASSERT_GT(path.segmentCount, 8);
    int holeSegments = 0;
    for (std::int32_t j = 0; j < path.segmentCount; ++j) {
        const PathSegment& s = path.segments[j];
        const PathPoint& a = path.points[s.start];
        const PathPoint& b = path.points[s.end];
        if (s.length == 0) continue;
        const float mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
        const int outC = static_cast<int>(std::floor(mx + s.dx * 0.5f)),
                  outR = static_cast<int>(std::floor(my + s.dy * 0.5f));
        const int inC = static_cast<int>(std::floor(mx - s.dx * 0.5f)),
                  inR = static_cast<int>(std::floor(my - s.dy * 0.5f));
        const bool holeOutline = inHole(inR, inC) || inHole(outR, outC);
        holeSegments += holeOutline;
        EXPECT_EQ(selected(outR, outC), holeOutline) << j;
        EXPECT_EQ(selected(inR, inC), !holeOutline) << j;
        if (holeOutline) {
            EXPECT_TRUE(inHole(inR, inC)) << j;
        }
    }
    EXPECT_GE(holeSegments, 4);
    FreeBasePath(path);
    platform::FreePages(points);
    platform::FreePages(segments);
}

} // namespace
