// Mode 3 "Flat": filled triangles shaded with the face normal turned towards the viewer.
#include "engine/raster_fill_p.h"

namespace trivane {
namespace {

struct FaceNormal {
    static constexpr bool kUsesWeights = false;
    __Point normal;
    explicit FaceNormal(const TriangleSetup& s) : normal{-s.nx, -s.ny, -s.nz} {}
    __Point At(const float*) const { return normal; }
};

template <typename S, bool kQuality>
struct FlatLoop {
    static void Run(const SceneCall& call) {
        DrawFilledTriangles<S, kQuality>(
            call, [&call](__Triangle3ds* t, const TriangleSetup& s, const shading::Plan* plan) {
                return TriangleShader<FaceNormal>(call, t, s, plan);
            });
    }
};

}  // namespace

void DrawFlat(const SceneCall& call) { DispatchFilled<FlatLoop>(call); }

}  // namespace trivane
