// Mode 3 "Flat": filled triangles shaded with the face normal turned towards the viewer.
#include "engine/raster_fill_p.h"

namespace trivane {
namespace {

template <typename S, bool kQuality>
struct FlatLoop {
    static void Run(const SceneCall& call) {
        DrawFilledTriangles<S, kQuality>(call, [&call](__Triangle3ds* t, const TriangleSetup& s) {
            PixelShader shader(call, t, s);
            __Point normal{-s.nx, -s.ny, -s.nz};
            return [shader, normal](int px, int py, float z, __PrevInfo* previous, float& red, float& green,
                                    float& blue) {
                return shader.Shade(px, py, z, nullptr, normal, previous, red, green, blue);
            };
        });
    }
};

}  // namespace

void DrawFlat(const SceneCall& call) { DispatchFilled<FlatLoop>(call); }

}  // namespace trivane
