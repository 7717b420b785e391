#pragma once
// Scene rendering: the last stage of BuildScene. Prepares the base image, fills one material,
// the bump texture, two lights and the glass record from RimelaceParams, configures Trivane and
// calls __RasterScene, and writes the result back into the caller's buffer. It runs on every
// render, so material, light, glass, draw-mode and AlphaCut changes need no regrowth.
//
// Lorvex calls exactly seven Trivane functions, all from here: __SetDrawMode, __SetQuality,
// __SetDeep, __GetDeep, __SetUseMultyRefract, __SetDubleSide and __RasterScene. Sample
// conversions are done here rather than by Trivane's converters.

#include "engine/trivane.h"

#include <cstdint>

struct RimelaceParams;

struct SceneRenderInput {
    const RimelaceParams* params = nullptr;
    std::uint8_t* output = nullptr;   // caller's result buffer (coverage, r, g, b)
    std::uint8_t* input = nullptr;    // caller's source buffer, borrowed and restored
    std::int32_t rowBytes = 0;        // caller's row length in bytes
    std::int32_t w = 0, h = 0;
    float ratio = 1.0f;               // working width / scaled filter width
    bool depth16 = false;
    bool preview = false;
    std::int32_t triangleCount = 0;
    __Triangle3ds* triangles = nullptr;
    std::int32_t pointCount = 0;
    __Point3ds* points = nullptr;
    void (*progress)(std::int32_t done, std::int32_t total) = nullptr;  // null: no progress
    // Both buffers hold (red, green, blue, coverage) pixels in rows of w pixels already: they are
    // drawn as they are, with no conversion either way.
    bool rendererOrder = false;
};

// Renders; false when a buffer could not be allocated (the output then holds the base image).
bool RenderScene(const SceneRenderInput& in);

// The pieces, for tests.
BYTE DrawModeFor(int renderMode);  // RenderMode 1..7 to Trivane's draw mode
void FillMaterial(const RimelaceParams& params, bool haveBump, material3ds& material);
void FillLights(const RimelaceParams& params, light3ds lights[2]);
GlassProp FillGlass(const RimelaceParams& params, float ratio);

// The bump image of bitmap resource 999: 40 x 40 texels of 3 bytes (red component in the first),
// page-allocated (platform::FreePages); null when the bitmap is missing or unreadable.
std::uint8_t* LoadBumpImage();
constexpr int kBumpSize = 40;
