// Texel filters of the built-in shading: bilinear reading and footprint means.
#include <cmath>

#include "engine/shading_texture_p.h"

namespace trivane::shading {

void ReadBilinear(const MapView& map, TexelPoint at, bool clampEdge, float out[4]) {
    const int ix = static_cast<int>(at.tx);
    const int iy = static_cast<int>(at.ty);
    const float fx = at.tx - static_cast<float>(ix);
    const float fy = at.ty - static_cast<float>(iy);
    int nx = ix + 1;
    int ny = iy + 1;
    if (nx >= map.width) nx = clampEdge ? map.width - 1 : 0;
    if (ny >= map.height) ny = clampEdge ? map.height - 1 : 0;
    float t00[4], t10[4], t01[4], t11[4];
    FetchTexel(map, ix, iy, t00);
    FetchTexel(map, nx, iy, t10);
    FetchTexel(map, ix, ny, t01);
    FetchTexel(map, nx, ny, t11);
    const float w00 = (1.0f - fx) * (1.0f - fy);
    const float w10 = fx * (1.0f - fy);
    const float w01 = (1.0f - fx) * fy;
    const float w11 = fx * fy;
    for (int i = 0; i < 4; ++i) out[i] = t00[i] * w00 + t10[i] * w10 + t01[i] * w01 + t11[i] * w11;
}

namespace {

// The texel positions along one side of a window: count samples from first, step apart.
struct WindowAxis {
    int first;
    int count;
    float step;
};

WindowAxis Axis(int centre, float size) {
    constexpr float kLargest = static_cast<float>(1 << 20);
    int texels = static_cast<int>(std::ceil(size < kLargest ? size : kLargest));  // NaN, inf: largest
    if (texels < 1) texels = 1;
    WindowAxis axis{centre - texels / 2, texels, 1.0f};
    if (texels > kWindowSamples) {
        axis.count = kWindowSamples;
        axis.step = static_cast<float>(texels) / kWindowSamples;
    }
    return axis;
}

}  // namespace

void ReadWindowMean(const MapView& map, int ix, int iy, float sizeX, float sizeY, float out[4]) {
    const WindowAxis ax = Axis(ix, sizeX);
    const WindowAxis ay = Axis(iy, sizeY);
    float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int j = 0; j < ay.count; ++j) {
        const int row = WrapIndex(ay.first + static_cast<int>(j * ay.step), map.height);
        for (int i = 0; i < ax.count; ++i) {
            const int column = WrapIndex(ax.first + static_cast<int>(i * ax.step), map.width);
            float texel[4];
            FetchTexel(map, column, row, texel);
            for (int k = 0; k < 4; ++k) sum[k] += texel[k];
        }
    }
    const float inverse = 1.0f / static_cast<float>(ax.count * ay.count);
    for (int k = 0; k < 4; ++k) out[k] = sum[k] * inverse;
}

float WindowHeight(const MapView& map, int ix, int iy, float sizeX, float sizeY) {
    const WindowAxis ax = Axis(ix, sizeX);
    const WindowAxis ay = Axis(iy, sizeY);
    float sum = 0.0f;
    for (int j = 0; j < ay.count; ++j) {
        const int row = WrapIndex(ay.first + static_cast<int>(j * ay.step), map.height);
        for (int i = 0; i < ax.count; ++i) {
            sum += TexelHeight(map, WrapIndex(ax.first + static_cast<int>(i * ax.step), map.width), row);
        }
    }
    return sum / static_cast<float>(ax.count * ay.count);
}

bool FootprintBeyondTwo(const MapView& map, const Pixel& pixel, TexelPoint here, float& sizeX, float& sizeY) {
    if (pixel.previous == nullptr || !pixel.previous->valid) return false;
    const TexelPoint before = MapToTexels(map, pixel.previous->u, pixel.previous->v);
    sizeX = std::fabs(here.tx - before.tx);
    sizeY = std::fabs(here.ty - before.ty);
    return sizeX + sizeY > 2.0f;  // false for NaN as well
}

}  // namespace trivane::shading
