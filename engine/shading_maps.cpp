// The surface maps of the built-in shading: colour texture, opacity map and bump map.
#include "engine/shading_texture_p.h"

namespace trivane::shading {

namespace {

// One reading of a colour or opacity map at the pixel's u, v: the texel at the truncated
// position; with quality, bilinear, or the footprint mean when the pixel moved more than two
// texels since the previous one.
void ReadSurfaceMap(const Plan& plan, const MapView& map, const Pixel& pixel, float out[4]) {
    const TexelPoint here = MapToTexels(map, pixel.u, pixel.v);
    const TexelPoint at = Wrap(map, here);
    if (!plan.quality) {
        FetchTexel(map, static_cast<int>(at.tx), static_cast<int>(at.ty), out);
        return;
    }
    float sizeX, sizeY;
    if (FootprintBeyondTwo(map, pixel, here, sizeX, sizeY)) {
        ReadWindowMean(map, static_cast<int>(at.tx), static_cast<int>(at.ty), sizeX, sizeY, out);
        return;
    }
    ReadBilinear(map, at, false, out);
}

}  // namespace

// Colour texture: blended over the colour by the texel's alpha times the map amount.
void ApplyColourTexture(const Plan& plan, const Pixel& pixel, float colour[3]) {
    float texel[4];
    ReadSurfaceMap(plan, plan.colourMap, pixel, texel);
    const float k = texel[3] * plan.colourMap.amount;
    float keep = 1.0f - k;
    if (keep < 0.0f) keep = 0.0f;
    for (int i = 0; i < 3; ++i) colour[i] = keep * colour[i] + k * texel[i];
}

// Opacity map: the brightest colour channel, blended over the opacity like the colour texture.
float ApplyOpacityMap(const Plan& plan, const Pixel& pixel, float opacity) {
    float texel[4];
    ReadSurfaceMap(plan, plan.opacityMap, pixel, texel);
    const float k = texel[3] * plan.opacityMap.amount;
    float keep = 1.0f - k;
    if (keep < 0.0f) keep = 0.0f;
    float brightest = texel[0];
    if (texel[1] > brightest) brightest = texel[1];
    if (texel[2] > brightest) brightest = texel[2];
    return keep * opacity + k * brightest;
}

// Bump map: the normal tilts against the height differences towards the next column and row
// (the last column and row are their own neighbours). Not normalised again.
void ApplyBump(const Plan& plan, const Pixel& pixel, Vec3& normal) {
    const MapView& map = plan.bumpMap;
    const TexelPoint here = MapToTexels(map, pixel.u, pixel.v);
    const TexelPoint at = Wrap(map, here);
    const int ix = static_cast<int>(at.tx);
    const int iy = static_cast<int>(at.ty);
    float centre, right, below;
    float sizeX, sizeY;
    if (plan.quality && FootprintBeyondTwo(map, pixel, here, sizeX, sizeY)) {
        centre = WindowHeight(map, ix, iy, sizeX, sizeY);
        right = WindowHeight(map, ix + 1, iy, sizeX, sizeY);
        below = WindowHeight(map, ix, iy + 1, sizeX, sizeY);
    } else {
        const int nx = ix + 1 < map.width ? ix + 1 : map.width - 1;
        const int ny = iy + 1 < map.height ? iy + 1 : map.height - 1;
        centre = TexelHeight(map, ix, iy);
        right = TexelHeight(map, nx, iy);
        below = TexelHeight(map, ix, ny);
    }
    normal.x -= plan.bumpFactor * (right - centre);
    normal.y -= plan.bumpFactor * (below - centre);
}

}  // namespace trivane::shading
