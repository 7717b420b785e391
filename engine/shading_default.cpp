// Stand-in built-in shading until the full per-pixel shading lands: the material's diffuse colour
// (grey without a valid material) lit by one Lambert term of the first light or the default light.
#include <cmath>

#include "engine/state_p.h"

namespace trivane {

float RenderOnePixelBuiltin(float, float, BYTE*, BYTE*, float x, float y, float z, __Triangle3ds* triangle,
                            material3ds* materials, int materialCount, float& red, float& green, float& blue,
                            __Point* normal, BYTE, float, float, __Texture*, int lightCount, light3ds* lights,
                            __PrevInfo*, GlassProp*, float, float, float, float) {
    float colour[3] = {0.5f, 0.5f, 0.5f};
    const material3ds* material = nullptr;
    if (triangle != nullptr && materials != nullptr && triangle->material < materialCount) {
        material = &materials[triangle->material];
        for (int i = 0; i < 3; ++i) colour[i] = material->diffuse[i];
    }
    const light3ds* light = lightCount > 0 && lights != nullptr ? lights : g_state.defaultLight;
    red = green = blue = 0.0f;
    if (light == nullptr || normal == nullptr) return 1.0f;
    float nx = normal->x, ny = normal->y, nz = normal->z;
    float nl = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (nl > 0.0f) nx /= nl, ny /= nl, nz /= nl;
    float lx = light->x - x, ly = light->y - y, lz = light->z - z;
    float ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    if (ll > 0.0f) lx /= ll, ly /= ll, lz /= ll;
    float d = (nx * lx + ny * ly + nz * lz) * light->multiplier;
    if (!(d > 0.0f)) d = 0.0f;
    float full = static_cast<float>(g_state.fullScale);
    float out[3] = {d * colour[0] * light->r, d * colour[1] * light->g, d * colour[2] * light->b};
    for (float& o : out) o = std::fmin(std::fmax(o * full, 0.0f), full);
    red = out[0], green = out[1], blue = out[2];
    return 1.0f;
}

}  // namespace trivane
