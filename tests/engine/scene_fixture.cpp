#include "scene_fixture.h"

#include <cmath>
#include <cstring>
#include <random>
#include <tuple>

namespace fixture {

void ResetLibrary() {
    __SetDrawMode(6);
    __SetQuality(1);
    __SetDeep(0);
    __SetDubleSide(0);
    __SetDrawBackFaces(0);
    _DrawBackFaces1 = 0;
    __SetUseMultyRefract(1);
    __SetUsePhong2(0);
    __SetUseGlass(0);
    __SetUseCustomMats(1);
    __SetUsePersp(0);
    __SetUseReflection(0);
    _WireSize = 1.0f;
    __AddPersp(0, nullptr, 0.0f, 0.0f, 0.0f, 1000.0f);
    __SetZBuff(nullptr, 0, 0);
    __SetLightDef(nullptr);
    __SetDefRenderOnePixel();
}

Image::Image(int w, int h, bool is16, int r, int g, int b, int a) : width(w), height(h), deep(is16) {
    std::size_t pixels = static_cast<std::size_t>(w) * h;
    bytes.resize(pixels * (is16 ? 8 : 4));
    const int values[4] = {r, g, b, a};
    for (std::size_t i = 0; i < pixels * 4; ++i) {
        if (is16) {
            std::uint16_t s = static_cast<std::uint16_t>(values[i % 4]);
            std::memcpy(&bytes[i * 2], &s, 2);
        } else {
            bytes[i] = static_cast<BYTE>(values[i % 4]);
        }
    }
}

int Image::At(int x, int y, int channel) const {
    std::size_t index = (static_cast<std::size_t>(y) * width + x) * 4 + channel;
    if (!deep) return bytes[index];
    std::uint16_t s;
    std::memcpy(&s, &bytes[index * 2], 2);
    return s;
}

void Scene::Add(float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2, float z2,
                std::uint16_t material) {
    std::int32_t base = static_cast<std::int32_t>(points.size());
    for (auto [x, y, z] : {std::tuple{x0, y0, z0}, std::tuple{x1, y1, z1}, std::tuple{x2, y2, z2}}) {
        __Point3ds p{};
        p.x = x, p.y = y, p.z = z;
        p.mapped = 1;
        p.u = x / 100.0f, p.v = y / 100.0f;
        p.nx = 0, p.ny = 0, p.nz = 1;
        points.push_back(p);
    }
    triangles.push_back(__Triangle3ds{base, base + 1, base + 2, 0, material});
}

Scene RandomScene(unsigned seed, int count, int width, int height, float maxSize) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    Scene scene;
    for (int i = 0; i < count; ++i) {
        float cx = (unit(random) - 0.5f) * (width + 20), cy = (unit(random) - 0.5f) * (height + 20);
        float z = (unit(random) - 0.5f) * 200;
        float size = 1 + unit(random) * maxSize;
        scene.Add(cx + (unit(random) - 0.5f) * size, cy + (unit(random) - 0.5f) * size, z + unit(random) * 40,
                  cx + (unit(random) - 0.5f) * size, cy + (unit(random) - 0.5f) * size, z + unit(random) * 40,
                  cx + (unit(random) - 0.5f) * size, cy + (unit(random) - 0.5f) * size, z + unit(random) * 40,
                  static_cast<std::uint16_t>(random() % 3));
        for (int k = 0; k < 3; ++k) {
            __Point3ds& p = scene.points[scene.points.size() - 1 - k];
            p.nx = unit(random) - 0.5f, p.ny = unit(random) - 0.5f, p.nz = unit(random);
            p.mapped = unit(random) < 0.8f;
        }
    }
    return scene;
}

void Raster(Image& target, const Image& background, Scene& scene, int cx, int cy) {
    __RasterScene(target.data(), const_cast<BYTE*>(background.bytes.data()), target.width, target.height,
                  target.stride(), 0, scene.Count(), scene.triangles.data(), scene.points.data(), cx, cy, 0,
                  nullptr, nullptr, 0, nullptr, nullptr);
}

float g_solid[4] = {200, 100, 50, 1};

float SolidShade(float, float, BYTE*, BYTE*, float, float, float, __Triangle3ds*, material3ds*, int, float& red,
                 float& green, float& blue, __Point*, BYTE, float, float, __Texture*, int, light3ds*, __PrevInfo*,
                 GlassProp*, float, float, float, float) {
    red = g_solid[0], green = g_solid[1], blue = g_solid[2];
    return g_solid[3];
}

float AttributeShade(float, float, BYTE*, BYTE*, float x, float y, float z, __Triangle3ds* triangle, material3ds*,
                     int, float& red, float& green, float& blue, __Point* normal, BYTE mapped, float u, float v,
                     __Texture*, int, light3ds*, __PrevInfo* previous, GlassProp*, float a, float b, float c,
                     float d) {
    float full = _Deep ? 32768.0f : 255.0f;
    float prev = previous == nullptr ? 0.1f : (previous->valid ? previous->u * 0.3f + previous->x * 0.01f : 0.2f);
    red = std::fmod(std::fabs(z * 3.7f + x * 0.13f + prev) * 97.0f, 1.0f) * full;
    green = std::fmod(std::fabs(normal->x * 5 + normal->y * 3 + normal->z + a + b * 2 + c * 3 + d * 0.01f), 1.0f) * full;
    blue = mapped ? std::fmod(std::fabs(u * 7 + v * 11 + y * 0.01f), 1.0f) * full : full * 0.5f;
    return triangle->material == 1 ? 0.6f : 1.0f;
}

// Random triangles of mixed sizes (a few spanning many bands), mapped vertices, materials 0..2.
Scene MixedScene(unsigned seed, int count, int width, int height) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    Scene scene;
    for (int i = 0; i < count; ++i) {
        const float size = i % 23 == 4 ? 220.0f : 4.0f + unit(random) * 36.0f;
        const float cx = (unit(random) - 0.5f) * (width + 30), cy = (unit(random) - 0.5f) * (height + 30);
        const float z = (unit(random) - 0.5f) * 300.0f;
        float v[9];
        for (int k = 0; k < 3; ++k) {
            v[3 * k] = cx + (unit(random) - 0.5f) * size;
            v[3 * k + 1] = cy + (unit(random) - 0.5f) * size;
            v[3 * k + 2] = z + unit(random) * 60.0f;
        }
        scene.Add(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], static_cast<std::uint16_t>(random() % 3));
        for (int k = 1; k <= 3; ++k) {
            __Point3ds& p = scene.points[scene.points.size() - k];
            p.nx = unit(random) - 0.5f, p.ny = unit(random) - 0.5f, p.nz = unit(random) * 1.2f - 0.2f;
            p.u = unit(random), p.v = unit(random);
        }
    }
    return scene;
}

Materials::Materials(bool deep, bool maps, bool glassy) {
    for (int m = 0; m < 3; ++m) {
        material3ds& mt = list[m];
        mt.diffuse[0] = 0.2f + 0.3f * m, mt.diffuse[1] = 0.6f, mt.diffuse[2] = 0.9f - 0.2f * m;
        for (float& s : mt.specular) s = 0.9f;
        mt.shininess = 0.25f, mt.shinStrength = 0.8f, mt.selfIllum = 0.1f * m;
        mt.transparency = m == 1 ? -0.3f : 0.0f;
        for (map3ds& map : mt.maps) map.uScale = map.vScale = 1.0f, map.amount = 0.5f;
    }
    const int size = 16;
    texels.resize(size * size * 4 * (deep ? 2 : 1));
    for (int i = 0; i < size * size * 4; ++i) {
        const int v = (i * 53 + (i / 64) * 7) % 256;
        if (deep) {
            const std::uint16_t s = static_cast<std::uint16_t>(v * 128);
            std::memcpy(&texels[i * 2], &s, 2);
        } else {
            texels[i] = static_cast<BYTE>(v);
        }
    }
    if (maps) {
        const __Texture t{1, size, size, texels.data(), static_cast<BYTE>(deep ? 1 : 0)};
        slots[0 * 4 + 2] = t;                      // bump
        slots[1 * 4 + 0] = t, slots[1 * 4 + 2] = t;  // colour texture and bump
        slots[2 * 4 + 1] = t, slots[2 * 4 + 3] = t;  // opacity and reflection maps
    }
    if (glassy) {
        glass[0] = {1, 0.5f, 9.0f, 40.0f};
        glass[2] = {1, 0.6f, -14.0f, 0.0f};
    }
    lights[0].x = -300, lights[0].y = -200, lights[0].z = 600;
    lights[0].r = lights[0].g = lights[0].b = lights[0].multiplier = 1;
    lights[1] = lights[0];
    lights[1].x = 250, lights[1].z = -300, lights[1].g = 0.6f;
}

}  // namespace fixture
