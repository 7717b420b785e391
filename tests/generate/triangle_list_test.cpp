#include "generate/triangle_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

PatternTriangle Triangle(float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2,
                         float z2) {
    PatternTriangle t{};
    t.corner[0].x = x0, t.corner[0].y = y0, t.corner[0].z = z0;
    t.corner[1].x = x1, t.corner[1].y = y1, t.corner[1].z = z1;
    t.corner[2].x = x2, t.corner[2].y = y2, t.corner[2].z = z2;
    return t;
}

TEST(TriangleListTest, KeepsAppendOrderAndReleasesFromTheHead) {
    TriangleList list;
    for (int k = 0; k < 1000; ++k) {
        PatternTriangle t{};
        t.tag = k;
        ASSERT_TRUE(list.Append(t));
    }
    EXPECT_EQ(list.Size(), 1000);
    int expected = 0;
    for (const PatternTriangle& t : list)
        EXPECT_EQ(t.tag, expected++);
    PatternTriangle head{};
    for (int k = 0; k < 1000; ++k) {
        ASSERT_TRUE(list.PopFront(&head));
        EXPECT_EQ(head.tag, k);
    }
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.PopFront(&head));
}

// The list keeps its triangles in blocks: order, indexing and release must not notice their edges.
TEST(TriangleListTest, KeepsOrderAcrossItsBlocksWhileDroppingPoppingAndAppending) {
    TriangleList list;
    std::vector<int> expected;
    auto append = [&](int tag, bool zeroed) {
        if (zeroed) {
            PatternTriangle* t = list.AppendZeroed();
            ASSERT_NE(t, nullptr);
            EXPECT_EQ(t->corner[2].nz, 0.0f);
            t->tag = tag;
        } else {
            PatternTriangle t{};
            t.tag = tag;
            ASSERT_TRUE(list.Append(t));
        }
        expected.push_back(tag);
    };
    auto check = [&] {
        ASSERT_EQ(list.Size(), static_cast<std::int32_t>(expected.size()));
        std::size_t k = 0;
        for (const PatternTriangle& t : list) ASSERT_EQ(t.tag, expected[k++]);
        for (std::size_t i = 0; i < expected.size(); i += 97)
            EXPECT_EQ(list[static_cast<std::int32_t>(i)].tag, expected[i]);
    };
    for (int k = 0; k < 2500; ++k) append(k, k % 2 == 0);
    check();
    for (int k = 0; k < 500; ++k) {
        list.DropBack();
        expected.pop_back();
    }
    check();
    PatternTriangle head{};
    for (int k = 0; k < 1100; ++k) {
        ASSERT_TRUE(list.PopFront(k % 3 ? &head : nullptr));
        if (k % 3) {
            EXPECT_EQ(head.tag, expected.front());
        }
        expected.erase(expected.begin());
    }
    check();
    for (int k = 0; k < 1700; ++k) append(10000 + k, k % 2 == 1);
    check();
    while (list.PopFront(&head)) {
        EXPECT_EQ(head.tag, expected.front());
        expected.erase(expected.begin());
    }
    EXPECT_TRUE(expected.empty());
    EXPECT_TRUE(list.Empty());
    append(7, true);
    check();
    list.DropBack();
    expected.pop_back();
    EXPECT_TRUE(list.Empty());
}

TEST(TriangleListTest, BudgetRefusesAppendsBeyondIt) {
    TriangleList list(3);
    PatternTriangle t{};
    EXPECT_FALSE(list.BudgetReached());
    EXPECT_TRUE(list.Append(t));
    EXPECT_TRUE(list.Append(t));
    EXPECT_TRUE(list.Append(t));
    EXPECT_TRUE(list.BudgetReached());
    EXPECT_FALSE(list.Append(t));
    EXPECT_EQ(list.Size(), 3);
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.BudgetReached());
    EXPECT_TRUE(TriangleList(0).BudgetReached());
}

TEST(ShadingNormalsTest, CornersGetTheirEdgeNormalsAndTheNegatedFaceDepth) {
    // Right triangle in the plane z = 0 with corners (0,0), (2,0), (0,2).
    PatternTriangle t = Triangle(0, 0, 0, 2, 0, 0, 0, 2, 0);
    SetShadingNormals(t);
    // (c0 - c1) x (c2 - c1) = (-2,0,0) x (-2,2,0) = (0,0,-4): unit -z, so corners get +1.
    for (const PatternVertex& v : t.corner) {
        EXPECT_FLOAT_EQ(v.nz, 1.0f);
        EXPECT_EQ(v.flag, 1);
    }
    // e(c0,c1) = (0 - 0, 0 - 2)/2 = (0,-1); e(c1,c2) = (2, 2)/sqrt 8; e(c2,c0) = (-2, 0)/2.
    EXPECT_FLOAT_EQ(t.corner[0].nx, 0.0f);
    EXPECT_FLOAT_EQ(t.corner[0].ny, -1.0f);
    EXPECT_FLOAT_EQ(t.corner[1].nx, static_cast<float>(1 / std::sqrt(2.0)));
    EXPECT_FLOAT_EQ(t.corner[1].ny, static_cast<float>(1 / std::sqrt(2.0)));
    EXPECT_FLOAT_EQ(t.corner[2].nx, -1.0f);
    EXPECT_FLOAT_EQ(t.corner[2].ny, 0.0f);
}

TEST(ShadingNormalsTest, DegenerateTrianglesGiveZeroNormalsWithoutNaN) {
    PatternTriangle t = Triangle(1, 1, 1, 1, 1, 1, 1, 1, 1);
    SetShadingNormals(t);
    for (const PatternVertex& v : t.corner) {
        EXPECT_EQ(v.nx, 0.0f);
        EXPECT_EQ(v.ny, 0.0f);
        EXPECT_EQ(v.nz, 0.0f);
    }
    // A face seen edge-on (all corners on one vertical line) keeps its unnormalised zero z.
    PatternTriangle edge = Triangle(0, 0, 0, 0, 0, 1, 0, 0, 2);
    SetShadingNormals(edge);
    EXPECT_FALSE(std::isnan(edge.corner[0].nz));
}

} // namespace
