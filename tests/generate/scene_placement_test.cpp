// Placement: the path the builder hands out sits where its triangles grew, and picking a point
// puts the pattern's anchor there, for every placement rule (Single, layouts, selection).
#include "generate/scene_placement.h"
#include "tests/generate/scene_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

bool CornerOnLine(const __Point3ds& p, const SceneGeometry::Line& line) {
    return (p.x == line.x0 && p.y == line.y0) || (p.x == line.x1 && p.y == line.y1);
}

TEST(ScenePlacement, HandedOutPathStartsWhereTheFirstPathTriangleGrew) {
    // Geometric grows a path triangle on every path sample: its corners are path points.
    for (float scale : {100.0f, 60.0f, 140.0f})
        for (float centre : {0.0f, 400.0f}) {
            for (bool selection : {false, true}) {
                SceneFixture f;
                f.params.EffectKind = 1;
                f.params.PatternKind = 1;
                f.params.MaskKind = selection ? 7 : 1;
                f.params.Scale = scale;
                f.params.CenterX = centre;
                f.params.CenterY = -centre / 2;
                if (selection) f.MakeMask();
                SceneGeometry geometry;
                SceneContext ctx = f.Context();
                ctx.geometry = &geometry;
                f.MakeInput();
                f.output.assign(f.input.size(), 0);
                float cx, cy;
                EffectCentre(f.params, f.w, f.h, 0, 0, cx, cy);
                BuildScene(ctx, f.output.data(), f.input.data(), cx, cy, 0, 0, f.RowBytes(), false);
                ASSERT_FALSE(geometry.pathLines.empty()) << scale << " " << selection;
                const auto points = f.Points();
                ASSERT_GE(points.size(), 3u);
                const bool found = CornerOnLine(points[0], geometry.pathLines[0]) ||
                                   CornerOnLine(points[1], geometry.pathLines[0]) ||
                                   CornerOnLine(points[2], geometry.pathLines[0]);
                EXPECT_TRUE(found) << "scale " << scale << " centre " << centre << " selection " << selection;
            }
        }
}

TEST(ScenePlacement, ABuildWithoutOutputGrowsTheSameSceneAndRendersNothing) {
    SceneFixture a, b;
    a.Build();
    SceneContext ctx = b.Context();
    float cx, cy;
    EffectCentre(b.params, b.w, b.h, 0, 0, cx, cy);
    const SceneOutcome outcome = BuildScene(ctx, nullptr, nullptr, cx, cy, 0, 0, 0, false);
    EXPECT_TRUE(outcome.rebuilt);
    ASSERT_EQ(a.Points().size(), b.Points().size());
    for (std::size_t i = 0; i < a.Points().size(); ++i) {
        EXPECT_EQ(a.Points()[i].x, b.Points()[i].x);
        EXPECT_EQ(a.Points()[i].y, b.Points()[i].y);
    }
}

TEST(ScenePlacement, PickingAPointPutsTheAnchorThere) {
    // Single: the start point (scaled with the scene); the others: the layout's origin.
    for (int kind : {1, 2, 3})
        for (float scale : {100.0f, 35.0f, 150.0f})
            for (auto size : {std::pair{160, 120}, std::pair{161, 99}}) {
                RimelaceParams p{};
                ResetParams(p);
                p.EffectKind = std::uint8_t(kind);
                p.Scale = scale;
                const int w = size.first, h = size.second;
                const double x = 37.5, y = 80.25;
                CentreForPoint(p, w, h, x, y, p.CenterX, p.CenterY);
                float cx, cy;
                EffectCentre(p, w, h, 0, 0, cx, cy);
                const ScenePlacement place = PlacementFor(p, w, h, w, h, cx, cy, false);
                float ax = 0, ay = 0;  // the anchor as grown: the start point, or the scene origin
                if (place.single) {
                    ax = place.ox;
                    ay = place.oy;
                }
                place.Place(ax, ay);
                double px, py;
                place.ToArea(ax, ay, px, py);
                EXPECT_NEAR(px, x, 1e-3) << kind << " " << scale << " " << w;
                EXPECT_NEAR(py, y, 1e-3) << kind << " " << scale << " " << w;
            }
}

TEST(ScenePlacement, SingleStartPointFollowsThePickedPointInTheBuiltScene) {
    // The first triangle of a Single pattern touches its start point.
    for (float scale : {100.0f, 50.0f}) {
        SceneFixture f;
        f.params.EffectKind = 3;
        f.params.PatternKind = 1;
        f.params.Scale = scale;
        CentreForPoint(f.params, f.w, f.h, 40, 30, f.params.CenterX, f.params.CenterY);
        f.Build();
        const auto points = f.Points();
        ASSERT_FALSE(points.empty());
        double best = 1e9;
        for (std::size_t i = 0; i < 3; ++i)
            best = std::min(best, std::hypot(points[i].x + f.w / 2 - 40.0, points[i].y + f.h / 2 - 30.0));
        EXPECT_LT(best, 1.0) << scale;
    }
}

}  // namespace
