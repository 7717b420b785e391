#pragma once
// Texel access of the built-in shading: addressing, wrapping and the filters.

#include <cstddef>
#include <cstdint>

#include "engine/shading_p.h"

namespace trivane::shading {

// Channels of texel (ix, iy) as 0..1 of the texture's full scale, in the target's channel order:
// out[0..2] = texel channels 2, 1, 0 (a texture's colour order is reversed), out[3] = its alpha.
inline void FetchTexel(const MapView& map, int ix, int iy, float out[4]) {
    const std::size_t index = (static_cast<std::size_t>(iy) * static_cast<std::size_t>(map.width) +
                               static_cast<std::size_t>(ix)) * 4u;
    const float scale = map.inverseFull;
    if (map.is16) {
        const std::uint16_t* t = static_cast<const std::uint16_t*>(map.texels) + index;
        out[0] = t[2] * scale;
        out[1] = t[1] * scale;
        out[2] = t[0] * scale;
        out[3] = t[3] * scale;
    } else {
        const std::uint8_t* t = static_cast<const std::uint8_t*>(map.texels) + index;
        out[0] = t[2] * scale;
        out[1] = t[1] * scale;
        out[2] = t[0] * scale;
        out[3] = t[3] * scale;
    }
}

// Sum of texel (ix, iy)'s three colour channels in the texture's sample units (the bump height).
inline float TexelHeight(const MapView& map, int ix, int iy) {
    const std::size_t index = (static_cast<std::size_t>(iy) * static_cast<std::size_t>(map.width) +
                               static_cast<std::size_t>(ix)) * 4u;
    if (map.is16) {
        const std::uint16_t* t = static_cast<const std::uint16_t*>(map.texels) + index;
        return static_cast<float>(t[0] + t[1] + t[2]);
    }
    const std::uint8_t* t = static_cast<const std::uint8_t*>(map.texels) + index;
    return static_cast<float>(t[0] + t[1] + t[2]);
}

// Unwrapped texel coordinates of (u, v) under the map's scale and offset.
struct TexelPoint {
    float tx, ty;
};

inline TexelPoint MapToTexels(const MapView& map, float u, float v) {
    return {(u * map.uScale + map.uOffset) * static_cast<float>(map.width - 1),
            (v * map.vScale + map.vOffset) * static_cast<float>(map.height - 1)};
}

inline TexelPoint Wrap(const MapView& map, TexelPoint p) {
    return {WrapTexel(p.tx, map.width), WrapTexel(p.ty, map.height)};
}

// Integer texel index wrapped into [0, size).
inline int WrapIndex(int index, int size) {
    index %= size;
    return index < 0 ? index + size : index;
}

// Bilinear reading at wrapped coordinates. The neighbour past the last column or row wraps to
// column or row 0, or with clampEdge stays on the last one.
void ReadBilinear(const MapView& map, TexelPoint at, bool clampEdge, float out[4]);

// Mean over a window of about sizeX by sizeY texels (each at least 1) centred on texel (ix, iy),
// wrapped; large windows are sampled on a grid of at most kWindowSamples per side.
constexpr int kWindowSamples = 8;
void ReadWindowMean(const MapView& map, int ix, int iy, float sizeX, float sizeY, float out[4]);
float WindowHeight(const MapView& map, int ix, int iy, float sizeX, float sizeY);

// The texel footprint between this pixel and the previous one, when the previous-pixel record is
// valid and the footprint exceeds 2 texels (|dx| + |dy|); sizes go to sizeX, sizeY.
bool FootprintBeyondTwo(const MapView& map, const Pixel& pixel, TexelPoint here, float& sizeX, float& sizeY);

}  // namespace trivane::shading
