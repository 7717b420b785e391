#pragma once
// A slow, obvious rasteriser of the filled modes (3 "Flat" and 6 "Phong"), kept as the oracle the
// library's scan conversion must match. It reads the library's exported switches, never its
// internals, and works on its own depth buffer and working images.

#include <vector>

#include "engine/trivane.h"

namespace reference {

// Draws like __RasterScene for the filled modes (any other _DrawMode draws nothing) with the given
// shading callback. depth holds width * height floats and keeps the depths between calls; an
// empty vector is created filled with the empty depth.
void RasterScene(BYTE* target, BYTE* background, int width, int height, int stride, int triangleCount,
                 __Triangle3ds* triangles, __Point3ds* points, int cx, int cy, int materialCount,
                 material3ds* materials, __Texture* textures, int lightCount, light3ds* lights, GlassProp* glass,
                 RenderOnePixelProc shade, std::vector<float>& depth);

// Draws like __RasterSolid.
void RasterSolid(BYTE* target, int width, int height, int stride, int count, __Triangle3ds* triangles,
                 __Point3ds* points, int cx, int cy, float r, float g, float b, float a);

}  // namespace reference
