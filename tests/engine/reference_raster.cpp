// The obvious version: every pixel of a triangle's neighbourhood is tested on its own, every value
// is computed from scratch where it is used.
#include "reference_raster.h"

#include "generate/portable_math.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace reference {
namespace {

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
    BYTE mapped;
};

struct Triangle {
    Vertex v[3];
    float nx, ny, nz, d, det;
    std::int64_t fx[3], fy[3];
};

struct Context {
    BYTE* image;        // where pixels go (target or layer)
    BYTE* target;
    BYTE* background;
    int width, height, stride, cx, cy;
    float full;
    std::vector<float>* depth;  // null: no depth test
};

// The arc cosine rounded to float, the same in every build (as the library computes it).
float Acos(float x) { return static_cast<float>(PortableAcos(static_cast<double>(x))); }

float Angle(float dx, float dy) {
    const float pi = 3.14159265358979f;
    float length = std::sqrt(dx * dx + dy * dy);
    if (dx >= 0 && dy > 0) return Acos(std::min(std::fabs(dx) / length, 1.0f));
    if (dx < 0 && dy > 0) return pi / 2 + Acos(std::min(std::fabs(dy) / length, 1.0f));
    if (dx < 0) return pi + Acos(std::min(std::fabs(dx) / length, 1.0f));
    return 3 * pi / 2 + Acos(std::min(std::fabs(dy) / length, 1.0f));
}

bool Setup(const __Triangle3ds& t, const __Point3ds* points, int cx, int cy, Triangle& out) {
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return false;
    Vertex v[3];
    const int index[3] = {t.v0, t.v1, t.v2};
    for (int i = 0; i < 3; ++i) {
        const __Point3ds& p = points[index[i]];
        v[i] = Vertex{p.x + cx, p.y + cy, p.z, p.nx, p.ny, p.nz, p.u, p.v, p.mapped};
        if (!std::isfinite(v[i].x) || !std::isfinite(v[i].y) || !std::isfinite(v[i].z)) return false;
        if (std::fabs(v[i].x) > 2097152.0f || std::fabs(v[i].y) > 2097152.0f) return false;
    }
    int top = 0;
    if (v[1].y > v[top].y) top = 1;
    if (v[2].y > v[top].y) top = 2;
    for (int i = 0; i < 3; ++i) out.v[i] = v[(top + i) % 3];
    Vertex& a = out.v[0];
    float l1 = std::hypot(out.v[1].x - a.x, out.v[1].y - a.y);
    float l2 = std::hypot(out.v[2].x - a.x, out.v[2].y - a.y);
    if (!(l1 > 0) || !(l2 > 0)) return false;
    float turn = Angle(out.v[2].x - a.x, out.v[2].y - a.y) - Angle(out.v[1].x - a.x, out.v[1].y - a.y);
    if (!(std::fabs(turn) >= 1e-5f)) return false;
    if (turn < 0 || turn > 3.141592f) std::swap(out.v[1], out.v[2]);
    const Vertex &p0 = out.v[0], &p1 = out.v[1], &p2 = out.v[2];
    float ax = p0.x - p1.x, ay = p0.y - p1.y, az = p0.z - p1.z;
    float bx = p2.x - p1.x, by = p2.y - p1.y, bz = p2.z - p1.z;
    float nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    if (nz > 0) return false;
    float length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0)) length = 1;
    out.nx = nx / length, out.ny = ny / length, out.nz = nz / length;
    out.d = -(out.nx * p0.x + out.ny * p0.y + out.nz * p0.z);
    out.det = p0.x * (p1.y - p2.y) - p1.x * (p0.y - p2.y) + p2.x * (p0.y - p1.y);
    if (out.det == 0 || !std::isfinite(out.det)) return false;
    for (int i = 0; i < 3; ++i) {
        out.fx[i] = std::llround(double(out.v[i].x) * 256.0);
        out.fy[i] = std::llround(double(out.v[i].y) * 256.0);
    }
    std::int64_t area = (out.fx[1] - out.fx[0]) * (out.fy[2] - out.fy[0]) - (out.fy[1] - out.fy[0]) * (out.fx[2] - out.fx[0]);
    return area > 0;
}

bool Inside(const Triangle& t, int px, int py) {
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        std::int64_t ex = t.fx[j] - t.fx[i], ey = t.fy[j] - t.fy[i];
        std::int64_t e = ex * (std::int64_t(py) * 256 - t.fy[i]) - ey * (std::int64_t(px) * 256 - t.fx[i]);
        // Top and left edges take the pixels lying exactly on them.
        bool topLeft = ey < 0 || (ey == 0 && ex > 0);
        if (e < (topLeft ? 0 : 1)) return false;
    }
    return true;
}

float Coverage(const Triangle& t, float px, float py) {
    float best = 0;
    for (int i = 0; i < 3; ++i) {
        const Vertex &a = t.v[i], &b = t.v[(i + 1) % 3];
        float la = b.y - a.y, lb = -(b.x - a.x), lc = -(la * a.x + lb * a.y);
        float length = std::sqrt(la * la + lb * lb);
        if (!(length > 0)) continue;
        float along = ((px - a.x) * (b.x - a.x) + (py - a.y) * (b.y - a.y)) / (length * length);
        float distance;
        if (along >= 0 && along <= 1) {
            float s = (la * px + lb * py + lc) / length;
            if (s < 0 && !(s > -0.5f)) continue;
            distance = s < 0 ? 0 : s;
        } else {
            float dax = px - a.x, day = py - a.y, dbx = px - b.x, dby = py - b.y;
            if (std::fabs(dax) + std::fabs(day) <= std::fabs(dbx) + std::fabs(dby)) {
                distance = std::sqrt(dax * dax + day * day);
            } else {
                distance = std::sqrt(dbx * dbx + dby * dby);
            }
        }
        best = std::max(best, 1 - distance);
    }
    return std::min(best, 1.0f);
}

// Cramer's rule, each weight written as a plane over the pixel position, then clamped to >= 0
// and scaled to sum 1.
void Weights(const float x[3], const float y[3], float det, float px, float py, float w[3]) {
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3, k = (i + 2) % 3;
        float a = (y[j] - y[k]) / det, b = (x[k] - x[j]) / det, c = (x[j] * y[k] - x[k] * y[j]) / det;
        w[i] = a * px + (b * py + c);
        if (!(w[i] >= 0)) w[i] = 0;
    }
    float sum = w[0] + w[1] + w[2];
    if (sum > 0) {
        float inverse = 1 / sum;
        for (int i = 0; i < 3; ++i) w[i] *= inverse;
    }
}

// The plane's depth at the pixel, as z = a * x + (b * y + c).
float Depth(const Triangle& t, float px, float py) {
    if (std::fabs(t.nz) < 0.01f) return t.v[0].z;
    float a = -t.nx / t.nz, b = -t.ny / t.nz, c = -t.d / t.nz;
    return a * px + (b * py + c);
}

template <typename S>
S Clamp(float value, float full) {
    if (!(value > 0)) return 0;
    return value >= full ? S(full) : S(value);
}

template <typename S>
S* Pixel(BYTE* image, const Context& c, int x, int y) {
    return reinterpret_cast<S*>(image + (std::size_t(y) * c.stride + std::size_t(x) * 4) * sizeof(S));
}

template <typename S>
void Blend(S* p, const float colour[3], float g, float full) {
    if (!(g > 0)) return;
    if (g >= 1) {
        for (int k = 0; k < 3; ++k) p[k] = Clamp<S>(colour[k], full);
        p[3] = S(full);
    } else if (p[3] == 0) {
        for (int k = 0; k < 3; ++k) p[k] = Clamp<S>(colour[k], full);
        p[3] = Clamp<S>(g * full, full);
    } else {
        for (int k = 0; k < 3; ++k) p[k] = Clamp<S>(float(p[k]) + (colour[k] - float(p[k])) * g, full);
        p[3] = std::max(p[3], Clamp<S>(g * full, full));
    }
}

bool Mapped(const Triangle& t) { return t.v[0].mapped && t.v[1].mapped && t.v[2].mapped; }

void TexCoords(const Triangle& t, const Context& c, float px, float py, float z, float& u, float& v) {
    float x[3], y[3], w[3];
    for (int i = 0; i < 3; ++i) x[i] = t.v[i].x, y[i] = t.v[i].y;
    Weights(x, y, t.det, px, py, w);
    if (_Persp_Val != 0 && _Persp_Far != 0) {
        float ux[3], uy[3];
        for (int i = 0; i < 3; ++i) {
            ux[i] = _Persp_x + ((t.v[i].x - c.cx) - _Persp_x) * (1 - t.v[i].z / _Persp_Far);
            uy[i] = _Persp_y + ((t.v[i].y - c.cy) - _Persp_y) * (1 - t.v[i].z / _Persp_Far);
        }
        float det = ux[0] * (uy[1] - uy[2]) - ux[1] * (uy[0] - uy[2]) + ux[2] * (uy[0] - uy[1]);
        if (det != 0 && std::isfinite(det)) {
            float sx = _Persp_x + ((px - c.cx) - _Persp_x) * (1 - z / _Persp_Far);
            float sy = _Persp_y + ((py - c.cy) - _Persp_y) * (1 - z / _Persp_Far);
            Weights(ux, uy, det, sx, sy, w);
        }
    }
    u = w[0] * t.v[0].u + w[1] * t.v[1].u + w[2] * t.v[2].u;
    v = w[0] * t.v[0].v + w[1] * t.v[1].v + w[2] * t.v[2].v;
}

__Point Normal(const Triangle& t, bool flat, float px, float py) {
    if (flat) return __Point{-t.nx, -t.ny, -t.nz};
    float x[3], y[3], w[3], n[3][3];
    for (int i = 0; i < 3; ++i) {
        x[i] = t.v[i].x, y[i] = t.v[i].y;
        float length = std::sqrt(t.v[i].nx * t.v[i].nx + t.v[i].ny * t.v[i].ny + t.v[i].nz * t.v[i].nz);
        float scale = length > 0 ? length : 1;
        n[i][0] = length > 0 ? t.v[i].nx / scale : t.v[i].nx;
        n[i][1] = length > 0 ? t.v[i].ny / scale : t.v[i].ny;
        n[i][2] = length > 0 ? t.v[i].nz / scale : t.v[i].nz;
    }
    Weights(x, y, t.det, px, py, w);
    float out[3];
    for (int k = 0; k < 3; ++k) {
        if (_UsePhong2 && _Quality) {
            float m01 = (n[0][k] + n[1][k]) * 0.5f, m12 = (n[1][k] + n[2][k]) * 0.5f, m20 = (n[2][k] + n[0][k]) * 0.5f;
            out[k] = w[0] * w[0] * n[0][k] + w[1] * w[1] * n[1][k] + w[2] * w[2] * n[2][k] + 2.0f * w[0] * w[1] * m01 +
                     2.0f * w[1] * w[2] * m12 + 2.0f * w[2] * w[0] * m20;
        } else {
            out[k] = w[0] * n[0][k] + w[1] * n[1][k] + w[2] * n[2][k];
        }
    }
    return __Point{out[0], out[1], out[2]};
}

struct Scene {
    __Triangle3ds* triangles;
    int materialCount;
    material3ds* materials;
    __Texture* textures;
    int lightCount;
    light3ds* lights;
    GlassProp* glass;
    RenderOnePixelProc shade;
};

// One pixel: depth test, shading, blend; edge pixels (coverage given) restore the depth.
template <typename S>
void DrawPixel(const Context& c, const Scene& scene, const Triangle& t, __Triangle3ds* source, bool flat, int px,
               int py, float coverage, bool isEdge, __PrevInfo& previous) {
    float fx = float(px), fy = float(py);
    float z = Depth(t, fx, fy);
    float* depth = c.depth != nullptr ? &(*c.depth)[std::size_t(py) * c.width + px] : nullptr;
    float saved = 0;
    if (depth != nullptr) {
        if (!(*depth < z)) return;
        saved = *depth;
        *depth = z;
    }
    float colour[3], opacity;
    if (scene.shade == nullptr) {  // solid fill: the colour and opacity come in through `scene`
        std::memcpy(colour, scene.materials, sizeof colour);
        opacity = reinterpret_cast<float*>(scene.materials)[3];
    } else {
        float u = 0, v = 0;
        BYTE mapped = Mapped(t) ? 1 : 0;
        if (mapped) TexCoords(t, c, fx, fy, z, u, v);
        __Point normal = Normal(t, flat, fx, fy);
        opacity = scene.shade(float(c.cx), float(c.cy), c.target, c.background, fx - c.cx, fy - c.cy, z, source,
                              scene.materials, scene.materialCount, colour[0], colour[1], colour[2], &normal, mapped,
                              u, v, scene.textures, scene.lightCount, scene.lights, isEdge ? nullptr : &previous,
                              scene.glass, t.nx, t.ny, t.nz, t.d);
        if (!isEdge) previous = __PrevInfo{0, 0, 0, 1, fx - c.cx, fy - c.cy, u, v};
    }
    Blend<S>(Pixel<S>(c.image, c, px, py), colour, isEdge ? coverage * opacity : opacity, c.full);
    if (depth != nullptr && isEdge) *depth = saved;
}

// Every pixel of the rectangle [x0, x1) x [y0, y1), row by row, left to right.
template <typename S>
void DrawTriangle(const Context& c, const Scene& scene, const Triangle& t, __Triangle3ds* source, bool flat, int x0,
                  int y0, int x1, int y1) {
    for (int py = std::max(0, y0); py < std::min(c.height, y1); ++py) {
        __PrevInfo previous{};
        for (int px = std::max(0, x0); px < std::min(c.width, x1); ++px) {
            if (Inside(t, px, py)) {
                DrawPixel<S>(c, scene, t, source, flat, px, py, 1, false, previous);
            } else if (_Quality) {
                float coverage = Coverage(t, float(px), float(py));
                if (coverage > 0) DrawPixel<S>(c, scene, t, source, flat, px, py, coverage, true, previous);
            }
        }
    }
}

template <typename S>
void Composite(const Context& c, BYTE* layer, BYTE* edge, BYTE* under, int x0, int y0, int x1, int y1) {
    const int full = int(c.full);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            S* L = Pixel<S>(layer, c, x, y);
            S* T = Pixel<S>(c.target, c, x, y);
            S* E = Pixel<S>(edge, c, x, y);
            S* U = Pixel<S>(under, c, x, y);
            if (L[3] == 0) continue;
            if (L[3] >= full) {
                for (int k = 0; k < 3; ++k) T[k] = E[k] = U[k] = L[k];
                T[3] = S(full);
                continue;
            }
            if (T[3] == 0) {
                for (int k = 0; k < 4; ++k) T[k] = L[k];
                continue;
            }
            int largest = 0;
            for (int k = 0; k < 3; ++k) largest = std::max(largest, std::abs(int(E[k]) - int(L[k])));
            int c0;
            if (E[3] != 0 && largest < (full == 255 ? 20 : 20 * 256)) {
                E[3] = std::max(E[3], L[3]);
                c0 = E[3];
            } else {
                for (int k = 0; k < 3; ++k) U[k] = T[k];
                for (int k = 0; k < 4; ++k) E[k] = L[k];
                c0 = L[3];
            }
            float k = float(c0) / float(full);
            for (int i = 0; i < 3; ++i) T[i] = Clamp<S>(float(U[i]) + (float(L[i]) - float(U[i])) * k, c.full);
            T[3] = S(std::max(c0, int(T[3])));
        }
    }
}

bool Orientation(const __Triangle3ds& t, const __Point3ds* p) {
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return false;
    const __Point3ds &a = p[t.v0], &b = p[t.v1], &c = p[t.v2];
    float nz = (c.x - b.x) * (a.y - b.y) - (c.y - b.y) * (a.x - b.x);
    return (nz >= 0 && !_DrawBackFaces1) || (nz < 0 && _DrawBackFaces1) || _DubleSide ||
           (_UseMultyRefract == 2 && !_DrawBackFaces1);
}

template <typename S>
void Pass(Context c, const Scene& scene, int count, __Point3ds* points, bool flat, std::vector<BYTE>& layer,
          std::vector<BYTE>& edge, std::vector<BYTE>& under) {
    for (int i = 0; i < count; ++i) {
        __Triangle3ds* source = &scene.triangles[i];
        Triangle t;
        if (!Orientation(*source, points) || !Setup(*source, points, c.cx, c.cy, t)) continue;
        float minX = std::min({t.v[0].x, t.v[1].x, t.v[2].x}), maxX = std::max({t.v[0].x, t.v[1].x, t.v[2].x});
        float minY = std::min({t.v[0].y, t.v[1].y, t.v[2].y}), maxY = std::max({t.v[0].y, t.v[1].y, t.v[2].y});
        if (_Quality) {
            int x0 = std::max(0, int(minX - 3)), y0 = std::max(0, int(minY - 3));
            int x1 = std::min(c.width, int(maxX + 3)), y1 = std::min(c.height, int(maxY + 3));
            std::fill(layer.begin(), layer.end(), BYTE(0));
            Context lc = c;
            lc.image = layer.data();
            DrawTriangle<S>(lc, scene, t, source, flat, x0, y0, x1, y1);
            Composite<S>(c, layer.data(), edge.data(), under.data(), x0, y0, x1, y1);
        } else {
            DrawTriangle<S>(c, scene, t, source, flat, int(std::floor(minX)) - 2, int(std::floor(minY)) - 2,
                            int(std::ceil(maxX)) + 3, int(std::ceil(maxY)) + 3);
        }
    }
}

}  // namespace

void RasterScene(BYTE* target, BYTE* background, int width, int height, int stride, int triangleCount,
                 __Triangle3ds* triangles, __Point3ds* points, int cx, int cy, int materialCount,
                 material3ds* materials, __Texture* textures, int lightCount, light3ds* lights, GlassProp* glass,
                 RenderOnePixelProc shade, std::vector<float>& depth) {
    if (_DrawMode != 3 && _DrawMode != 6) return;
    std::size_t bytes = std::size_t(stride) * height * (_Deep ? 2 : 1);
    bool owned = depth.size() != std::size_t(width) * height;
    if (owned) {
        depth.assign(std::size_t(width) * height, 0);
        std::memset(depth.data(), 0xFE, depth.size() * sizeof(float));
    }
    std::vector<BYTE> layer(bytes), edge(bytes), under(bytes);
    Context c{target, target, background, width, height, stride, cx, cy, _Deep ? 32768.0f : 255.0f, &depth};
    Scene scene{triangles, materialCount, materials, textures, lightCount, lights, glass, shade};
    bool flat = _DrawMode == 3;
    for (int pass = _DrawBackFaces ? 0 : 1; pass < 2; ++pass) {
        _DrawBackFaces1 = pass == 0;
        if (pass == 1 && _DrawBackFaces && owned) std::memset(depth.data(), 0xFE, depth.size() * sizeof(float));
        if (_Deep) {
            Pass<std::uint16_t>(c, scene, triangleCount, points, flat, layer, edge, under);
        } else {
            Pass<BYTE>(c, scene, triangleCount, points, flat, layer, edge, under);
        }
    }
    _DrawBackFaces1 = 0;
}

void RasterSolid(BYTE* target, int width, int height, int stride, int count, __Triangle3ds* triangles,
                 __Point3ds* points, int cx, int cy, float r, float g, float b, float a) {
    float full = _Deep ? 32768.0f : 255.0f;
    auto clamp = [full](float value) { return value > 0 ? (value < full ? value : full) : 0.0f; };
    float solid[4] = {clamp(r), clamp(g), clamp(b), a};
    Context c{target, target, target, width, height, stride, cx, cy, full, nullptr};
    Scene scene{triangles, 0, reinterpret_cast<material3ds*>(solid), nullptr, 0, nullptr, nullptr, nullptr};
    for (int i = 0; i < count; ++i) {
        Triangle t;
        if (!Setup(triangles[i], points, cx, cy, t)) continue;
        float minX = std::min({t.v[0].x, t.v[1].x, t.v[2].x}), maxX = std::max({t.v[0].x, t.v[1].x, t.v[2].x});
        float minY = std::min({t.v[0].y, t.v[1].y, t.v[2].y}), maxY = std::max({t.v[0].y, t.v[1].y, t.v[2].y});
        int x0 = int(std::floor(minX)) - 2, y0 = int(std::floor(minY)) - 2;
        int x1 = int(std::ceil(maxX)) + 3, y1 = int(std::ceil(maxY)) + 3;
        if (_Deep) {
            DrawTriangle<std::uint16_t>(c, scene, t, &triangles[i], true, x0, y0, x1, y1);
        } else {
            DrawTriangle<BYTE>(c, scene, t, &triangles[i], true, x0, y0, x1, y1);
        }
    }
}

}  // namespace reference
