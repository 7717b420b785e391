#pragma once
// Images, scenes and shading callbacks shared by the rasteriser tests.

#include <cstdint>
#include <vector>

#include "engine/trivane.h"

namespace fixture {

// Puts every switch back to its load-time value and drops the Z-buffer, default light and callback.
void ResetLibrary();

// An image in the library's layout (stride width * 4, samples of _Deep's depth).
struct Image {
    int width = 0, height = 0;
    bool deep = false;
    std::vector<BYTE> bytes;

    Image(int w, int h, bool is16, int r, int g, int b, int a);
    BYTE* data() { return bytes.data(); }
    int stride() const { return width * 4; }
    int At(int x, int y, int channel) const;
    bool operator==(const Image& other) const { return bytes == other.bytes; }
};

struct Scene {
    std::vector<__Triangle3ds> triangles;
    std::vector<__Point3ds> points;

    // Appends a triangle with the given vertices (x, y, z), normal (0, 0, 1), u = x / 100, v = y / 100.
    void Add(float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2, float z2,
             std::uint16_t material = 0);
    int Count() const { return static_cast<int>(triangles.size()); }
};

// A random scene of count triangles over a width x height image (origin at its centre), triangle
// sizes up to maxSize pixels, random normals, some vertices unmapped, random orientations.
Scene RandomScene(unsigned seed, int count, int width, int height, float maxSize);

// Calls __RasterScene over the whole image with origin (cx, cy), no materials, textures or lights.
void Raster(Image& target, const Image& background, Scene& scene, int cx, int cy);

// Shading callbacks. SolidShade returns g_solid (colour in sample units, opacity).
extern float g_solid[4];
float SolidShade(float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds*, material3ds*, int, float& red,
                 float& green, float& blue, __Point*, BYTE, float, float, __Texture*, int, light3ds*, __PrevInfo*,
                 GlassProp*, float, float, float, float);
// A colour made of every input the rasteriser computes (position, depth, normal, u, v, the
// previous-pixel record, the triangle's material, the plane), opacity from the material index.
float AttributeShade(float, float, BYTE*, BYTE*, float x, float y, float z, __Triangle3ds* triangle, material3ds*,
                     int, float& red, float& green, float& blue, __Point* normal, BYTE mapped, float u, float v,
                     __Texture*, int, light3ds*, __PrevInfo* previous, GlassProp*, float a, float b, float c,
                     float d);

// Random triangles of mixed sizes (a few spanning many bands of rows) over a width x height image
// (origin at its centre), mapped vertices with random normals, materials 0..2.
Scene MixedScene(unsigned seed, int count, int width, int height);

// Three materials for MixedScene with two lights; with maps, bump, colour, opacity and reflection
// maps from one 16 x 16 texture; with glass, materials 0 and 2 refract.
struct Materials {
    material3ds list[3] = {};
    std::vector<BYTE> texels;
    __Texture slots[12] = {};
    GlassProp glass[3] = {};
    light3ds lights[2] = {};

    Materials(bool deep, bool maps, bool glassy);
    Materials(const Materials&) = delete;
    Materials& operator=(const Materials&) = delete;
};

}  // namespace fixture
