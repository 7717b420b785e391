// Properties of the curved patch (built in from the engine's sources: a private part).
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/curved_patch_p.h"

namespace {

using trivane::CurvedPatch;
using trivane::PatchSample;

__Point3ds Vertex(float x, float y, float z, float nx, float ny, float nz) {
    __Point3ds p{};
    p.x = x, p.y = y, p.z = z;
    p.nx = nx, p.ny = ny, p.nz = nz;
    p.mapped = 1;
    p.u = x / 10, p.v = y / 10;
    return p;
}

TEST(CurvedPatch, FlatTriangleWithItsFaceNormalGivesAFlatPatch) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
    for (int trial = 0; trial < 50; ++trial) {
        __Point3ds p[3];
        float v[3][3];
        for (auto& q : v) q[0] = coordinate(random), q[1] = coordinate(random), q[2] = coordinate(random);
        float e1[3], e2[3], n[3];
        for (int k = 0; k < 3; ++k) e1[k] = v[1][k] - v[0][k], e2[k] = v[2][k] - v[0][k];
        n[0] = e1[1] * e2[2] - e1[2] * e2[1], n[1] = e1[2] * e2[0] - e1[0] * e2[2], n[2] = e1[0] * e2[1] - e1[1] * e2[0];
        float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length < 100.0f) continue;
        for (float& c : n) c /= length;
        // Normals of differing lengths and either sign: the plane is the same.
        for (int i = 0; i < 3; ++i) {
            float scale = (i == 1 ? -3.0f : 0.5f + static_cast<float>(i));
            p[i] = Vertex(v[i][0], v[i][1], v[i][2], n[0] * scale, n[1] * scale, n[2] * scale);
        }
        __Triangle3ds t{0, 1, 2, 0, 0};
        CurvedPatch patch;
        ASSERT_TRUE(trivane::BuildPatch(t, p, 0, 0, patch));
        float d = -(n[0] * v[0][0] + n[1] * v[0][1] + n[2] * v[0][2]);
        int samples = 0;
        trivane::ForEachPatchSample(patch, 200, 200, [&](const PatchSample& s) {
            ++samples;
            ASSERT_NEAR(n[0] * s.x + n[1] * s.y + n[2] * s.z + d, 0.0f, 2e-3f) << trial;
        });
        EXPECT_GT(samples, 10);
    }
}

TEST(CurvedPatch, CornersAreTheVerticesWithTheirNormalsAndTextureCoordinates) {
    __Point3ds p[3] = {Vertex(0, 0, 0, 0.3f, 0.1f, 1), Vertex(40, 5, 10, -0.2f, 0.4f, 1),
                       Vertex(10, 30, -5, 0, -0.5f, 2)};
    __Triangle3ds t{0, 1, 2, 0, 0};
    CurvedPatch patch;
    ASSERT_TRUE(trivane::BuildPatch(t, p, 100, 200, patch));
    for (int i = 0; i < 3; ++i) {
        float w[3] = {0, 0, 0};
        w[i] = 1;
        PatchSample s;
        trivane::EvaluatePatch(patch, w[0], w[1], w[2], s);
        EXPECT_FLOAT_EQ(s.x, p[i].x + 100);
        EXPECT_FLOAT_EQ(s.y, p[i].y + 200);
        EXPECT_FLOAT_EQ(s.z, p[i].z);
        float length = std::sqrt(p[i].nx * p[i].nx + p[i].ny * p[i].ny + p[i].nz * p[i].nz);
        EXPECT_NEAR(s.nz, p[i].nz / length, 1e-6f);
        EXPECT_NEAR(s.nx, p[i].nx / length, 1e-6f);
        EXPECT_FLOAT_EQ(s.u, p[i].u);
    }
}

TEST(CurvedPatch, NeighboursAgreeAlongTheirSharedEdge) {
    // Two triangles sharing the edge A-B in opposite directions: the same curve and normals.
    __Point3ds p[4] = {Vertex(0, 0, 0, 0.3f, -0.2f, 1), Vertex(40, 5, 10, 0.2f, 0.4f, 1),
                       Vertex(10, 30, -5, 0, 0.5f, 2), Vertex(20, -30, 3, 0.1f, -0.6f, 1)};
    __Triangle3ds first{0, 1, 2, 0, 0}, second{1, 0, 3, 0, 0};
    CurvedPatch a, b;
    ASSERT_TRUE(trivane::BuildPatch(first, p, 0, 0, a));
    ASSERT_TRUE(trivane::BuildPatch(second, p, 0, 0, b));
    for (float t = 0.0f; t <= 1.0f; t += 0.125f) {
        PatchSample sa, sb;
        trivane::EvaluatePatch(a, 1 - t, t, 0, sa);
        trivane::EvaluatePatch(b, t, 1 - t, 0, sb);
        EXPECT_NEAR(sa.x, sb.x, 1e-4f);
        EXPECT_NEAR(sa.y, sb.y, 1e-4f);
        EXPECT_NEAR(sa.z, sb.z, 1e-4f);
        EXPECT_NEAR(sa.nz, sb.nz, 1e-6f);
    }
}

TEST(CurvedPatch, BulgingNormalsRaiseTheCentreAndZeroNormalsLeaveItFlat) {
    // Normals leaning away from the centre: the patch rises towards the viewer in the middle.
    __Point3ds p[3] = {Vertex(-20, -10, 0, -1, -0.5f, 1), Vertex(20, -10, 0, 1, -0.5f, 1),
                       Vertex(0, 20, 0, 0, 1, 1)};
    __Triangle3ds t{0, 1, 2, 0, 0};
    CurvedPatch patch;
    ASSERT_TRUE(trivane::BuildPatch(t, p, 0, 0, patch));
    PatchSample centre;
    trivane::EvaluatePatch(patch, 1.0f / 3, 1.0f / 3, 1.0f / 3, centre);
    EXPECT_GT(centre.z, 1.0f);
    for (__Point3ds& q : p) q.nx = q.ny = q.nz = 0;
    ASSERT_TRUE(trivane::BuildPatch(t, p, 0, 0, patch));
    trivane::EvaluatePatch(patch, 1.0f / 3, 1.0f / 3, 1.0f / 3, centre);
    EXPECT_FLOAT_EQ(centre.z, 0.0f);
    EXPECT_FLOAT_EQ(centre.nz, 0.0f) << "a zero normal field stays zero";
}

TEST(CurvedPatch, SamplingIsBoundedForHugeAndDegenerateTriangles) {
    __Point3ds huge[3] = {Vertex(-1e6f, -1e6f, 0, 0, 0, 1), Vertex(1e6f, -1e6f, 0, 0, 0, 1),
                          Vertex(0, 1e6f, 0, 0, 0, 1)};
    __Point3ds point[3] = {Vertex(5, 5, 5, 0, 0, 1), Vertex(5, 5, 5, 0, 0, 1), Vertex(5, 5, 5, 0, 0, 1)};
    __Triangle3ds t{0, 1, 2, 0, 0};
    CurvedPatch patch;
    ASSERT_TRUE(trivane::BuildPatch(t, huge, 0, 0, patch));
    long long samples = 0;
    trivane::ForEachPatchSample(patch, 100, 100, [&](const PatchSample&) { ++samples; });
    EXPECT_LT(samples, 500LL * 500LL);
    ASSERT_TRUE(trivane::BuildPatch(t, point, 0, 0, patch));
    samples = 0;
    trivane::ForEachPatchSample(patch, 100, 100, [&](const PatchSample&) { ++samples; });
    EXPECT_GE(samples, 1);
    EXPECT_LE(samples, 3);
    // Far-off vertices still give a patch (its part near the clip rectangle is drawn), sampled
    // within the same bound, even where its control points leave float range.
    for (float distance : {3e6f, 1e30f, 3e38f}) {
        __Point3ds far[3] = {Vertex(distance, 0, 0, 0, 0, 1), Vertex(0, 0, 0, 0.6f, 0, 0.8f),
                             Vertex(0, 1, distance, 0, 0, 1)};
        ASSERT_TRUE(trivane::BuildPatch(t, far, 0, 0, patch)) << distance;
        samples = 0;
        trivane::ForEachPatchSample(patch, 100, 100, [&](const PatchSample&) { ++samples; });
        EXPECT_LT(samples, 500LL * 500LL) << distance;
    }
}

TEST(CurvedPatch, SilhouetteCoverageIsStrongestAtOneSixthOfTheRange) {
    EXPECT_FLOAT_EQ(trivane::SilhouetteCoverage(0.15f), 1.0f);
    EXPECT_FLOAT_EQ(trivane::SilhouetteCoverage(-0.15f), 1.0f);
    EXPECT_NEAR(trivane::SilhouetteCoverage(0.0f), 0.0f, 1e-6f);
    EXPECT_NEAR(trivane::SilhouetteCoverage(0.3f), 0.0f, 1e-6f);
    for (float nz = 0.0f; nz < 0.3f; nz += 0.01f) {
        EXPECT_LE(trivane::SilhouetteCoverage(nz), 1.0f);
        const float here = trivane::SilhouetteCoverage(nz), next = trivane::SilhouetteCoverage(nz + 0.01f);
        if (nz < 0.14f) {
            EXPECT_LT(here, next) << nz;
        } else if (nz > 0.15f) {
            EXPECT_GT(here, next) << nz;
        }
    }
}

}  // namespace
