#pragma once
// Library-private state shared by the rasteriser and the shading: not exported.

#include <cstddef>

#include "engine/trivane.h"

namespace trivane {

// The built-in per-pixel shading (what __SetDefRenderOnePixel reinstalls).
float RenderOnePixelBuiltin(float originX, float originY, BYTE* target, BYTE* background, float x, float y,
                            float z, __Triangle3ds* triangle, material3ds* materials, int materialCount,
                            float& red, float& green, float& blue, __Point* normal, BYTE mapped, float u, float v,
                            __Texture* textures, int lightCount, light3ds* lights, __PrevInfo* previous,
                            GlassProp* glass, float planeA, float planeB, float planeC, float planeD);

// The per-call state of the rasteriser. Valid during __RasterScene (and __RasterSolid for the
// first three); the buffers are null outside a call.
struct RasterState {
    int fullScale = 255;      // 255, or 32768 with _Deep
    int stride = 0;           // row stride in bytes as for 8-bit samples
    int pixelBytes = 4;       // 4, or 8 with _Deep
    BYTE* backCopy = nullptr;     // copy of the background (same stride and depth as the target)
    float* glassDepth = nullptr;  // Zwidth * Zheight floats, empty = bytes 0xFE
    light3ds* defaultLight = nullptr;      // set by __SetLightDef, or the call's own default light
    RenderOnePixelProc renderOnePixel = RenderOnePixelBuiltin;
};
extern RasterState g_state;

// Byte offset of pixel (x, y) in the target, the background and every working image buffer.
inline std::size_t PixelOffset(int x, int y) {
    std::size_t offset = static_cast<std::size_t>(y) * static_cast<std::size_t>(g_state.stride) +
                         static_cast<std::size_t>(x) * 4u;
    return g_state.pixelBytes == 8 ? offset * 2u : offset;
}

// The empty depth value: every byte 0xFE.
float EmptyDepth();

// Whether the calling thread is drawing the back-face pass (what _DrawBackFaces1 says when one
// thread draws the whole call).
bool BackPass();

}  // namespace trivane
