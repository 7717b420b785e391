#include "geometry/mesh_builder.h"
#include "mesh_test_util.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

TraceResult::~TraceResult() {
    platform::FreePages(points);
    platform::FreePages(segments);
}

void Trace(const TestMask& mask, float x, std::int32_t e, TraceResult& result) {
    CMeshBuilder builder;
    result.ok =
        builder.BuildBorderLines(mask.columns, mask.rows, mask.columns, mask.bytes.data(), x, e,
                                 &result.pointCount, &result.segmentCount, &result.points, &result.segments);
    result.error = builder.LastError();
}

namespace {

struct Corner {
    float x, y;
};

std::vector<Corner> Corners(const BorderLine& line) {
    std::vector<Corner> out;
    for (const BorderPoint* p : line.points)
        out.push_back({p->x, p->y});
    return out;
}

void ExpectCorners(const BorderLine& line, const std::vector<Corner>& expected) {
    const auto actual = Corners(line);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(actual[k].x, expected[k].x) << k;
        EXPECT_EQ(actual[k].y, expected[k].y) << k;
    }
}

void TraceLines(CMeshBuilder& builder, const TestMask& mask) {
    builder.LoadMask(mask.columns, mask.rows, mask.columns, mask.bytes.data());
    builder.FindBorderLines();
}

TEST(MeshBuilderTest, UniformMasksHaveNoBorder) {
    for (std::uint8_t value : {0, 255, 7}) {
        TraceResult result;
        Trace(TestMask(9, 7, value), 1, 30, result);
        EXPECT_TRUE(result.ok) << int(value);
        EXPECT_EQ(result.pointCount, 0);
        EXPECT_EQ(result.segmentCount, 0);
        EXPECT_EQ(result.points, nullptr);
        EXPECT_EQ(result.segments, nullptr);
    }
}

TEST(MeshBuilderTest, SinglePixelTracesItsFourCornersWithThePixelOnTheRight) {
    TestMask mask(6, 5);
    mask.at(2, 3) = 255;
    CMeshBuilder builder;
    TraceLines(builder, mask);
    ASSERT_EQ(builder.Lines().size(), 1u);
    const BorderLine& line = builder.Lines()[0];
    EXPECT_TRUE(line.closed);
    EXPECT_EQ(line.rightValue, 255);
    EXPECT_EQ(line.leftValue, 0);
    ExpectCorners(line, {{3, 2}, {4, 2}, {4, 3}, {3, 3}, {3, 2}});
    for (std::int32_t i = 0; i <= mask.rows; ++i)
        for (std::int32_t j = 0; j <= mask.columns; ++j)
            EXPECT_EQ(builder.Crack(i, j) & 15, 0); // all consumed

    TraceResult result;
    Trace(mask, 1, 30, result);
    ASSERT_TRUE(result.ok);
    EXPECT_GE(result.pointCount, 4);
    EXPECT_EQ(result.segmentCount, result.pointCount - 1);
    EXPECT_EQ(result.points[0].x, result.points[result.pointCount - 1].x); // closed
    EXPECT_EQ(result.points[0].y, result.points[result.pointCount - 1].y);
}

TEST(MeshBuilderTest, RegionsAtTheRasterEdgeAreTracedAlongTheEdge) {
    TestMask top(8, 6);
    top.fill(0, 0, 3, 8, 255);
    CMeshBuilder builder;
    TraceLines(builder, top);
    ASSERT_EQ(builder.Lines().size(), 1u);
    ExpectCorners(builder.Lines()[0], {{0, 0}, {8, 0}, {8, 3}, {0, 3}, {0, 0}});

    TestMask corner(8, 6);
    corner.fill(4, 5, 6, 8, 255);
    CMeshBuilder other;
    TraceLines(other, corner);
    ASSERT_EQ(other.Lines().size(), 1u);
    ExpectCorners(other.Lines()[0], {{5, 4}, {8, 4}, {8, 6}, {5, 6}, {5, 4}});
}

TEST(MeshBuilderTest, PixelsTouchingAtACornerMakeAJunctionWhereTheirLinesEnd) {
    TestMask mask(4, 4);
    mask.at(1, 1) = 255;
    mask.at(2, 2) = 255;
    CMeshBuilder builder;
    builder.LoadMask(mask.columns, mask.rows, mask.columns, mask.bytes.data());
    builder.FindBorderLines();
    EXPECT_NE(builder.Crack(2, 2) & CMeshBuilder::kJunction, 0);
    ASSERT_EQ(builder.Lines().size(), 2u);
    // The upper pixel's outline is open, both its ends at the junction, the pixel on its right.
    const BorderLine& upper = builder.Lines()[0];
    EXPECT_FALSE(upper.closed);
    EXPECT_EQ(upper.rightValue, 255);
    ExpectCorners(upper, {{2, 2}, {1, 2}, {1, 1}, {2, 1}, {2, 2}});
    EXPECT_NE(upper.points.front()->flags & CMeshBuilder::kKeep, 0u);
    EXPECT_NE(upper.points.back()->flags & CMeshBuilder::kKeep, 0u);
    // The lower pixel's outline starts at the junction and comes back to it.
    const BorderLine& lower = builder.Lines()[1];
    EXPECT_TRUE(lower.closed);
    ExpectCorners(lower, {{2, 2}, {3, 2}, {3, 3}, {2, 3}, {2, 2}});

    TraceResult result;
    Trace(mask, 1, 30, result);
    EXPECT_TRUE(result.ok);
    EXPECT_GT(result.pointCount, 0);
}

// The first crack of a hole's outline is the one to the right of its top-left corner, with the
// hole below it: the hole's outline keeps the hole on its right, the other way round from the
// outline of the selection around it.
TEST(MeshBuilderTest, HolesRunWithTheHoleOnTheirRight) {
    TestMask mask(7, 7, 255);
    mask.fill(2, 2, 5, 5, 0);
    CMeshBuilder builder;
    TraceLines(builder, mask);
    ASSERT_EQ(builder.Lines().size(), 2u);
    EXPECT_EQ(builder.Lines()[0].rightValue, 255); // the raster edge
    const BorderLine& hole = builder.Lines()[1];
    EXPECT_EQ(hole.rightValue, 0);
    EXPECT_EQ(hole.leftValue, 255);
    ExpectCorners(hole, {{2, 2}, {5, 2}, {5, 5}, {2, 5}, {2, 2}});
}

// An inverted selection (everything but a shape) gives the shape's outline the same course as
// the selected shape itself: the direction of a path follows the shape, not the selection.
TEST(MeshBuilderTest, AShapeIsOutlinedAlikeWhetherItIsSelectedOrLeftOut) {
    TestMask shape(9, 8, 0), inverted(9, 8, 255);
    for (int r = 2; r < 6; ++r)
        for (int c = 3 - (r == 4); c < 7; ++c) {
            shape.at(r, c) = 255;
            inverted.at(r, c) = 0;
        }
    CMeshBuilder a, b;
    TraceLines(a, shape);
    TraceLines(b, inverted);
    ASSERT_EQ(a.Lines().size(), 1u);
    ASSERT_EQ(b.Lines().size(), 2u);  // the raster edge, then the shape
    const BorderLine& selected = a.Lines()[0];
    const BorderLine& leftOut = b.Lines()[1];
    EXPECT_EQ(selected.rightValue, 255);
    EXPECT_EQ(leftOut.rightValue, 0);
    ASSERT_EQ(selected.points.size(), leftOut.points.size());
    for (std::size_t k = 0; k < selected.points.size(); ++k) {
        EXPECT_EQ(selected.points[k]->x, leftOut.points[k]->x) << k;
        EXPECT_EQ(selected.points[k]->y, leftOut.points[k]->y) << k;
    }
}

// Points of the output that lie on the line y = row, in order.
std::vector<float> PointsAlongRow(const TraceResult& result, float row, float from, float to) {
    std::vector<float> xs;
    for (std::int32_t k = 0; k < result.pointCount; ++k)
        if (result.points[k].y == row && result.points[k].x >= from && result.points[k].x <= to)
            xs.push_back(result.points[k].x);
    return xs;
}

TEST(MeshBuilderTest, StraightBorderOfHundredPixelsSplitsIntoFourSegmentsOf25) {
    TestMask mask(120, 80);
    mask.fill(10, 10, 60, 110, 255);       // 100 x 50
    for (std::int32_t e : {30, 31, 100}) { // e is clamped to 30
        TraceResult result;
        Trace(mask, 1, e, result);
        ASSERT_TRUE(result.ok);
        const auto xs = PointsAlongRow(result, 10, 10, 110);
        EXPECT_EQ(xs, (std::vector<float>{10, 35, 60, 85, 110, 10})) << e; // and the closing point
        for (std::int32_t j = 0; j < result.segmentCount; ++j) {
            const MeshPoint& a = result.points[result.segments[j].from];
            const MeshPoint& b = result.points[result.segments[j].to];
            EXPECT_FLOAT_EQ(std::hypot(b.x - a.x, b.y - a.y), 25.0f) << j; // sides of 100 and 50
        }
    }
    TraceResult fine;
    Trace(mask, 1, 1, fine); // e = 1 becomes 2: 100 / 2 = 50 inner points, 51 pieces
    ASSERT_TRUE(fine.ok);
    EXPECT_EQ(PointsAlongRow(fine, 10, 10, 110).size(), 53u);
}

TEST(MeshBuilderTest, EachLineHasItsOwnIndexRange) {
    TestMask mask(40, 30);
    mask.fill(2, 2, 10, 12, 255);
    mask.fill(15, 20, 28, 37, 255);
    TraceResult result;
    Trace(mask, 1, 30, result);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.segmentCount, result.pointCount - 2); // two lines
    for (std::int32_t j = 0; j < result.segmentCount; ++j)
        EXPECT_EQ(result.segments[j].to, result.segments[j].from + 1);
}

TEST(MeshBuilderTest, BadInputIsRefusedWithTheLoadMaskText) {
    const char* expected = "Error! CMeshBuilder::LoadMask: Cannot load input mask!";
    std::uint8_t bytes[16] = {};
    CMeshBuilder builder;
    std::int32_t n = 5, m = 5;
    MeshPoint* points = reinterpret_cast<MeshPoint*>(bytes);
    MeshSegment* segments = reinterpret_cast<MeshSegment*>(bytes);
    EXPECT_FALSE(builder.BuildBorderLines(4, 4, 4, nullptr, 1, 30, &n, &m, &points, &segments));
    EXPECT_STREQ(builder.LastError(), expected);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(points, nullptr);
    EXPECT_EQ(segments, nullptr);
    EXPECT_FALSE(
        builder.BuildBorderLines(4, 4, 3, bytes, 1, 30, &n, &m, &points, &segments)); // stride too short
    EXPECT_STREQ(builder.LastError(), expected);
    EXPECT_FALSE(builder.BuildBorderLines(0, 4, 4, bytes, 1, 30, &n, &m, &points, &segments));
    EXPECT_STREQ(builder.LastError(), expected);
    EXPECT_FALSE(builder.BuildBorderLines(-4, -4, 4, bytes, 1, 30, &n, &m, &points, &segments));
    EXPECT_TRUE(builder.BuildBorderLines(4, 4, 4, bytes, 1, 30, &n, &m, &points, &segments));
    EXPECT_EQ(builder.LastError(), nullptr);
}

TEST(MeshBuilderTest, RasterThatCannotBeMadeGivesTheRasterText) {
    TestMask mask(10, 10);
    mask.at(4, 4) = 255;
    CMeshBuilder builder(100); // the mask's 100 bytes fit, the 121-byte crack raster does not
    std::int32_t n = 0, m = 0;
    MeshPoint* points = nullptr;
    MeshSegment* segments = nullptr;
    EXPECT_FALSE(builder.BuildBorderLines(10, 10, 10, mask.bytes.data(), 1, 30, &n, &m, &points, &segments));
    EXPECT_STREQ(builder.LastError(),
                 "Error! CMeshBuilder::FindBorderLines: Cannot create raster of borders.");
    EXPECT_EQ(points, nullptr);
    CMeshBuilder tiny(99);
    EXPECT_FALSE(tiny.BuildBorderLines(10, 10, 10, mask.bytes.data(), 1, 30, &n, &m, &points, &segments));
    EXPECT_STREQ(tiny.LastError(), "Error! CMeshBuilder::LoadMask: Cannot load input mask!");
}

TEST(MeshBuilderTest, RowStrideSkipsTheBytesBeyondTheColumns) {
    // 3 columns used out of a stride of 5; the extra bytes are noise that must not count.
    std::vector<std::uint8_t> bytes = {0, 0, 0, 9, 9, 0, 255, 0, 9, 9, 0, 0, 0, 9, 9};
    CMeshBuilder builder;
    builder.LoadMask(3, 3, 5, bytes.data());
    builder.FindBorderLines();
    ASSERT_EQ(builder.Lines().size(), 1u);
    ExpectCorners(builder.Lines()[0], {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}});
}

TEST(MeshBuilderTest, ThreeValuesMeetAtJunctionsAndEveryLineKeepsItsValues) {
    // Left half 100, right half 200, a 50 square across the middle of the seam.
    TestMask mask(12, 10);
    mask.fill(0, 0, 10, 6, 100);
    mask.fill(0, 6, 10, 12, 200);
    mask.fill(3, 4, 7, 8, 50);
    TraceResult result;
    Trace(mask, 1, 30, result);
    EXPECT_TRUE(result.ok) << (result.error ? result.error : "");
    CMeshBuilder builder;
    TraceLines(builder, mask);
    EXPECT_NE(builder.Crack(3, 6) & CMeshBuilder::kJunction, 0); // seam meets the square's top
    EXPECT_NE(builder.Crack(7, 6) & CMeshBuilder::kJunction, 0);
    for (const BorderLine& line : builder.Lines()) {
        EXPECT_NE(line.rightValue, BorderLine::kUnknown);
        EXPECT_NE(line.leftValue, line.rightValue);
    }
}

} // namespace
