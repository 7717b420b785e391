// The set-up decides a triangle's winding from the cross product of its two edges where they are
// clearly apart; it must decide exactly as the arc cosines of the edge directions do, also for
// triangles that are almost straight lines, tiny or far out, and for axis-aligned edges.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/raster_p.h"

namespace {

using trivane::Winding;

struct Edges {
    float d1x, d1y, d2x, d2y;
};

// Both edges as the set-up forms them from float vertices, the first vertex having the greatest y.
Edges FromVertices(float x0, float y0, float x1, float y1, float x2, float y2) {
    return Edges{x1 - x0, y1 - y0, x2 - x0, y2 - y0};
}

// Compares the two rules on one pair of edges (skipped when an edge has no length, as the set-up
// rejects those first). Returns the arc cosines' answer.
Winding ExpectSameWinding(const Edges& e) {
    const float len1 = std::sqrt(e.d1x * e.d1x + e.d1y * e.d1y);
    const float len2 = std::sqrt(e.d2x * e.d2x + e.d2y * e.d2y);
    if (!(len1 > 0.0f) || !(len2 > 0.0f)) return Winding::Degenerate;
    const Winding exact = trivane::WindingByAngles(e.d1x, e.d1y, len1, e.d2x, e.d2y, len2);
    EXPECT_EQ(trivane::WindingOf(e.d1x, e.d1y, len1, e.d2x, e.d2y, len2), exact)
        << "edges (" << e.d1x << ", " << e.d1y << ") and (" << e.d2x << ", " << e.d2y << ")";
    return exact;
}

TEST(Winding, TheCrossProductDecidesAsTheArcCosinesDoForAnyTriangle) {
    std::mt19937 random(11);
    int counts[3] = {};
    for (float range : {4.0f, 300.0f, 2.0e6f}) {
        std::uniform_real_distribution<float> coordinate(-range, range), below(0.0f, range);
        for (int n = 0; n < 20000; ++n) {
            const float x0 = coordinate(random), y0 = coordinate(random);
            Edges e = FromVertices(x0, y0, coordinate(random), y0 - below(random), coordinate(random),
                                   y0 - below(random));
            // Now and then a horizontal or a vertical edge, or one shared direction.
            if (n % 7 == 1) e.d1y = 0.0f;
            if (n % 7 == 2) e.d2x = 0.0f;
            if (n % 7 == 3) e.d2x = e.d1x * 3.0f, e.d2y = e.d1y * 3.0f;
            ++counts[static_cast<int>(ExpectSameWinding(e))];
        }
    }
    EXPECT_GT(counts[static_cast<int>(Winding::Kept)], 10000);
    EXPECT_GT(counts[static_cast<int>(Winding::Swapped)], 10000);
    EXPECT_GT(counts[static_cast<int>(Winding::Degenerate)], 1000);
}

TEST(Winding, AlmostStraightTrianglesAreDecidedAsTheArcCosinesDo) {
    // The third vertex a small step off the line through the first two, on either side, at every
    // scale from far below a float's resolution up to clearly apart; the two edges pointing the
    // same way (turn near 0) or, for almost horizontal lines, opposite ways (turn near pi).
    std::mt19937 random(23);
    std::uniform_real_distribution<float> unit(0.05f, 1.0f), angle(0.0f, 3.14159265f);
    int counts[3] = {};
    for (int n = 0; n < 4000; ++n) {
        const float length = unit(random) * (n % 2 ? 900.0f : 3.0f);
        const float a = angle(random);
        const float dx = length * std::cos(a + 3.14159265f), dy = -std::fabs(length * std::sin(a));
        for (float step = 1e-9f; step < 0.2f; step *= 3.0f) {
            for (float side : {-1.0f, 1.0f}) {
                // Same way: a point further along the edge, moved across it.
                const float along = 1.0f + unit(random);
                Edges e{dx, dy, dx * along - side * dy * step, dy * along + side * dx * step};
                if (e.d2y > 0.0f) e.d2y = -e.d2y;
                ++counts[static_cast<int>(ExpectSameWinding(e))];
                // Opposite ways along an almost horizontal line.
                Edges h{length, -length * step, -length * unit(random), -length * step * (side + 2.0f)};
                ++counts[static_cast<int>(ExpectSameWinding(h))];
            }
        }
    }
    EXPECT_GT(counts[static_cast<int>(Winding::Degenerate)], 1000);
    EXPECT_GT(counts[static_cast<int>(Winding::Kept)] + counts[static_cast<int>(Winding::Swapped)], 10000);
}

}  // namespace
