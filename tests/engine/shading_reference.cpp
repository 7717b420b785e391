// The slow reference shading: one function per step, everything in double.
#include "tests/engine/shading_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/state_p.h"

namespace reference {

namespace {

using trivane::g_state;

double Clamp(double v, double lo, double hi) { return std::max(lo, std::min(hi, v)); }

struct Texel {
    double c[3];  // target channel order
    double alpha;
};

double Sample(const __Texture& t, int ix, int iy, int channel) {
    const long index = (static_cast<long>(iy) * t.width + ix) * 4 + channel;
    return t.is16 ? reinterpret_cast<const std::uint16_t*>(t.texels)[index] : t.texels[index];
}

double TextureFull(const __Texture& t) { return t.is16 ? 32768.0 : 255.0; }

Texel ReadTexel(const __Texture& t, int ix, int iy) {
    const double full = TextureFull(t);
    return {{Sample(t, ix, iy, 2) / full, Sample(t, ix, iy, 1) / full, Sample(t, ix, iy, 0) / full},
            Sample(t, ix, iy, 3) / full};
}

double Wrap(double t, int size) {
    double r = t - std::trunc(t / size) * size;
    if (r < 0) r += size;
    if (r >= size) r = size - 1;
    return r;
}

bool Usable(const __Texture* textures, int material, int slot) {
    if (textures == nullptr) return false;
    const __Texture& t = textures[material * 4 + slot];
    return t.present && t.texels != nullptr && t.width > 0 && t.height > 0;
}

// Colour, opacity and reflection reading: nearest, or bilinear with quality (the neighbour past
// the edge wraps, or is held for the reflection map), or the footprint mean.
Texel ReadMap(const __Texture& t, double tx, double ty, bool clampEdge) {
    const int ix = static_cast<int>(tx), iy = static_cast<int>(ty);
    if (!_Quality) return ReadTexel(t, ix, iy);
    const double fx = tx - ix, fy = ty - iy;
    int nx = ix + 1, ny = iy + 1;
    if (nx >= t.width) nx = clampEdge ? t.width - 1 : 0;
    if (ny >= t.height) ny = clampEdge ? t.height - 1 : 0;
    const Texel a = ReadTexel(t, ix, iy), b = ReadTexel(t, nx, iy), c = ReadTexel(t, ix, ny), d = ReadTexel(t, nx, ny);
    Texel out{};
    for (int k = 0; k < 3; ++k) {
        out.c[k] = a.c[k] * (1 - fx) * (1 - fy) + b.c[k] * fx * (1 - fy) + c.c[k] * (1 - fx) * fy + d.c[k] * fx * fy;
    }
    out.alpha = a.alpha * (1 - fx) * (1 - fy) + b.alpha * fx * (1 - fy) + c.alpha * (1 - fx) * fy + d.alpha * fx * fy;
    return out;
}

// Texel positions of a footprint window: all texels up to 8 a side, else 8 spread evenly.
std::vector<int> WindowPositions(int centre, double size, int limit) {
    int texels = static_cast<int>(std::ceil(size));
    if (texels < 1) texels = 1;
    std::vector<int> positions;
    const int first = centre - texels / 2;
    const int count = std::min(texels, 8);
    const double step = texels > 8 ? texels / 8.0f : 1.0;
    for (int i = 0; i < count; ++i) {
        int p = (first + static_cast<int>(i * static_cast<float>(step))) % limit;
        if (p < 0) p += limit;
        positions.push_back(p);
    }
    return positions;
}

bool Footprint(const map3ds& map, const __Texture& t, __PrevInfo* previous, double u, double v, double& sx,
               double& sy) {
    if (!_Quality || previous == nullptr || !previous->valid) return false;
    sx = std::fabs((u - previous->u) * map.uScale * (t.width - 1));
    sy = std::fabs((v - previous->v) * map.vScale * (t.height - 1));
    return sx + sy > 2;
}

Texel ReadSurface(const map3ds& map, const __Texture& t, double u, double v, __PrevInfo* previous) {
    const double tx = Wrap((u * map.uScale + map.uOffset) * (t.width - 1), t.width);
    const double ty = Wrap((v * map.vScale + map.vOffset) * (t.height - 1), t.height);
    double sx, sy;
    if (Footprint(map, t, previous, u, v, sx, sy)) {
        Texel sum{};
        int n = 0;
        for (int row : WindowPositions(static_cast<int>(ty), sy, t.height)) {
            for (int column : WindowPositions(static_cast<int>(tx), sx, t.width)) {
                const Texel one = ReadTexel(t, column, row);
                for (int k = 0; k < 3; ++k) sum.c[k] += one.c[k];
                sum.alpha += one.alpha;
                ++n;
            }
        }
        for (double& c : sum.c) c /= n;
        sum.alpha /= n;
        return sum;
    }
    return ReadMap(t, tx, ty, false);
}

double Height(const __Texture& t, int ix, int iy) {
    return Sample(t, ix, iy, 0) + Sample(t, ix, iy, 1) + Sample(t, ix, iy, 2);
}

double BoxFraction(double p, double z, double rp, double rz, double w) {
    if (std::fabs(rz) < 1e-4 && std::fabs(rp) < 1e-4) return (p + w) / (2 * w);
    double best = 1e21, fraction = 0.5;
    bool any = false;
    if (std::fabs(rz) >= 1e-5) {
        const double wall = rz < 0 ? -w : w;
        const double hit = p + (wall - z) / rz * rp;
        best = hit * hit + wall * wall;
        fraction = (hit + w) / (2 * w);
        any = true;
    }
    if (std::fabs(rp) >= 1e-5) {
        const double wall = rp < 0 ? -w : w;
        const double hit = z + (wall - p) / rp * rz;
        if (!any || wall * wall + hit * hit < best) fraction = (hit + w) / (2 * w);
    }
    return fraction;
}

// One image sample through the glass rules (no window mean).
double GlassSource(BYTE* target, BYTE* background, int px, int py, int channel, double depth) {
    const long index = static_cast<long>(py) * g_state.stride + px * 4L;
    auto read = [&](const BYTE* image, long i) -> double {
        return g_state.pixelBytes == 8 ? reinterpret_cast<const std::uint16_t*>(image)[i] : image[i];
    };
    const double full = g_state.fullScale;
    BYTE* copy = g_state.backCopy;
    if (_DrawBackFaces && !_DrawBackFaces1) {
        if (copy == nullptr || read(copy, index + 3) == 0) return read(background, index + channel);
        const double k = read(target, index + 3) / full;
        return read(copy, index + channel) * k + read(background, index + channel) * (1 - k);
    }
    if (!_UseMultyRefract || copy == nullptr) return read(background, index + channel);
    const double g = g_state.glassDepth ? g_state.glassDepth[py * Zwidth + px] : -1.7e38;
    if (!(std::fabs(g - depth) < 30) && read(target, index + 3) >= full && g > -1e37) {
        for (int k = 0; k < 4; ++k) {
            if (g_state.pixelBytes == 8) {
                reinterpret_cast<std::uint16_t*>(copy)[index + k] = reinterpret_cast<std::uint16_t*>(target)[index + k];
            } else {
                copy[index + k] = target[index + k];
            }
        }
    }
    return read(copy, index + channel);
}

}  // namespace

float ShadeOnePixel(float originX, float originY, BYTE* target, BYTE* background, float x, float y, float z,
                    __Triangle3ds* triangle, material3ds* materials, int materialCount, float& red, float& green,
                    float& blue, __Point* normal, BYTE mapped, float u, float v, __Texture* textures,
                    int lightCount, light3ds* lights, __PrevInfo* previous, GlassProp* glass, float planeA,
                    float planeB, float planeC, float planeD) {
    const double full = g_state.fullScale;
    // 1. Normal.
    double n[3] = {normal->x, normal->y, normal->z};
    if (_DrawBackFaces1) n[0] = -n[0], n[1] = -n[1], n[2] = -n[2];
    if (_DubleSide && n[2] < 0) n[2] = -n[2];
    double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 0) n[0] /= length, n[1] /= length, n[2] /= length;

    // 2. Material.
    double c[3] = {0.5, 0.5, 0.5}, s[3] = {1, 1, 1}, exponent = 150, strength = 10, e = 0, a = 1;
    const int index = triangle->material;
    const bool valid = materialCount > 0 && index < materialCount;
    const material3ds* m = valid ? &materials[index] : nullptr;
    if (valid) {
        for (int i = 0; i < 3; ++i) c[i] = m->diffuse[i], s[i] = m->specular[i];
        exponent = m->shininess * 100.0f;
        strength = m->shinStrength;
        e = m->selfIllum;
        a = 1 - Clamp(-m->transparency, 0, 1);
    }

    // 3. Reflection map.
    double reflection[3] = {0, 0, 0}, r = 0;
    const bool reflect = valid && Usable(textures, index, 3);
    if (reflect) {
        const __Texture& t = textures[index * 4 + 3];
        const map3ds& map = m->maps[7];
        r = Clamp(map.amount, 0, 1);
        const double R[3] = {2 * n[2] * n[0], 2 * n[2] * n[1], 2 * n[2] * n[2] - 1};
        const double w = Zwidth;
        const double h = BoxFraction(x, z, R[0], R[2], w);
        const double vv = BoxFraction(y, z, R[1], R[2], w);
        const double tx = Wrap((h * map.uScale + map.uOffset) * (t.width - 1), t.width);
        const double ty = Wrap((vv * map.vScale + map.vOffset) * (t.height - 1), t.height);
        const Texel texel = ReadMap(t, tx, ty, true);
        for (int i = 0; i < 3; ++i) reflection[i] = texel.c[i];
    }

    // 4. Colour texture.
    if (valid && mapped && Usable(textures, index, 0)) {
        const Texel texel = ReadSurface(m->maps[0], textures[index * 4], u, v, previous);
        const double k = texel.alpha * Clamp(m->maps[0].amount, 0, 1);
        for (int i = 0; i < 3; ++i) c[i] = std::max(0.0, 1 - k) * c[i] + k * texel.c[i];
    }
    // 5. Opacity map.
    if (valid && mapped && Usable(textures, index, 1)) {
        const Texel texel = ReadSurface(m->maps[2], textures[index * 4 + 1], u, v, previous);
        const double k = texel.alpha * Clamp(m->maps[2].amount, 0, 1);
        a = std::max(0.0, 1 - k) * a + k * std::max({texel.c[0], texel.c[1], texel.c[2]});
    }
    // 6. Bump map.
    if (valid && mapped && Usable(textures, index, 2)) {
        const __Texture& t = textures[index * 4 + 2];
        const map3ds& map = m->maps[3];
        const double b = map.amount * (t.is16 ? 255.0 / 32768.0 : 1.0);
        const int ix = static_cast<int>(Wrap((u * map.uScale + map.uOffset) * (t.width - 1), t.width));
        const int iy = static_cast<int>(Wrap((v * map.vScale + map.vOffset) * (t.height - 1), t.height));
        double here, right, below, sx, sy;
        if (Footprint(map, t, previous, u, v, sx, sy)) {
            auto mean = [&](int cx, int cy) {
                double sum = 0;
                int count = 0;
                for (int row : WindowPositions(cy, sy, t.height)) {
                    for (int column : WindowPositions(cx, sx, t.width)) sum += Height(t, column, row), ++count;
                }
                return sum / count;
            };
            here = mean(ix, iy), right = mean(ix + 1, iy), below = mean(ix, iy + 1);
        } else {
            here = Height(t, ix, iy);
            right = Height(t, std::min(ix + 1, t.width - 1), iy);
            below = Height(t, ix, std::min(iy + 1, t.height - 1));
        }
        n[0] -= static_cast<float>(b * 0.1f) * (right - here);
        n[1] -= static_cast<float>(b * 0.1f) * (below - here);
    }
    // 7. Reflection blend.
    if (reflect) {
        for (int i = 0; i < 3; ++i) c[i] = std::max(0.0, 1 - r) * c[i] + r * reflection[i];
    }
    // 8. No light.
    light3ds* use = lights;
    int count = lightCount;
    if (lightCount == 0 || lights == nullptr) {
        use = g_state.defaultLight;
        count = use ? 1 : 0;
    }
    if (count == 0) {
        red = green = blue = 0;
        return static_cast<float>(Clamp(a, 0, 1));
    }
    // 9. Glass.
    const GlassProp* g = nullptr;
    if (glass != nullptr) g = valid ? &glass[index] : (materialCount <= 0 ? &glass[0] : nullptr);
    if (g != nullptr && g->useGlass) {
        const double P[2] = {originX + x, originY + y};
        const double A = g->aberration * 0.01f;
        const double q = A == 0 ? 1 : static_cast<float>((1 + A) * (1 - A));
        const double O = g->optical;
        const double f = -n[2] * O - ((n[2] - 1) * O + 1);
        const double len[3] = {g->refraction, g->refraction * q, g->refraction * q * q};
        for (int i = 0; i < 3; ++i) {
            double sx = P[0] + f * n[0] * len[i], sy = P[1] + f * n[1] * len[i];
            auto inside = [](double p, int size) { return p > -1 && p < size; };
            if (!inside(sx, Zwidth)) sx = P[0];
            if (!inside(sy, Zheight)) sy = P[1];
            double value = 0;
            if (!inside(sx, Zwidth) || !inside(sy, Zheight)) {
                a = 0;
            } else if (!_Quality) {
                value = GlassSource(target, background, static_cast<int>(sx), static_cast<int>(sy), i, z);
            } else {
                const int ix = static_cast<int>(sx), iy = static_cast<int>(sy);
                const double fx = sx - ix, fy = sy - iy;
                const int nx = std::min(ix + 1, Zwidth - 1), ny = std::min(iy + 1, Zheight - 1);
                auto depth = [&](int px, int py) {
                    return std::fabs(planeC) > 0.01 ? -(planeA * px + planeB * py + planeD) / planeC : z;
                };
                const double w[4] = {(2 - fx - fy) * (2 - fx - fy), (fx + fy) * (fx + fy),
                                     (1 + fx - fy) * (1 + fx - fy), (1 - fx + fy) * (1 - fx + fy)};
                value = (GlassSource(target, background, ix, iy, i, depth(ix, iy)) * w[0] +
                         GlassSource(target, background, nx, ny, i, depth(nx, ny)) * w[1] +
                         GlassSource(target, background, nx, iy, i, depth(nx, iy)) * w[2] +
                         GlassSource(target, background, ix, ny, i, depth(ix, ny)) * w[3]) /
                        (w[0] + w[1] + w[2] + w[3]);
            }
            c[i] = Clamp(value / full + c[i] - 0.5, 0, 1);
        }
    }
    // 10. Lighting.
    double out[3] = {0, 0, 0};
    for (int k = 0; k < count; ++k) {
        const light3ds& light = use[k];
        double L[3] = {light.x - x, light.y - y, light.z - z};
        const double ll = std::sqrt(L[0] * L[0] + L[1] * L[1] + L[2] * L[2]);
        if (ll > 0) L[0] /= ll, L[1] /= ll, L[2] /= ll;
        double d = (n[0] * L[0] + n[1] * L[1] + n[2] * L[2]) * light.multiplier;
        if (d <= 0) d = 0;
        const double spec = d > 0 ? std::pow(d, exponent) * strength : 0;
        const double diffuse = d * (1 - e) + e;
        const double colour[3] = {light.r, light.g, light.b};
        for (int i = 0; i < 3; ++i) out[i] += (diffuse * c[i] + spec * s[i]) * colour[i];
    }
    // 11. Finish.
    red = static_cast<float>(Clamp(out[0] * full, 0, full));
    green = static_cast<float>(Clamp(out[1] * full, 0, full));
    blue = static_cast<float>(Clamp(out[2] * full, 0, full));
    return static_cast<float>(Clamp(a, 0, 1));
}

}  // namespace reference
