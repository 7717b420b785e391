// Mode 6 "Phong": filled triangles shaded with the barycentric mix of the unit vertex normals
// (with _UsePhong2 and _Quality, a quadratic mix through the edge-mid normals).
#include <cmath>

#include "engine/raster_fill_p.h"

namespace trivane {
namespace {

struct VertexNormals {
    float n[3][3];      // unit vertex normals (a zero normal stays zero)
    float mid[3][3] = {};  // mean of normals 0-1, 1-2, 2-0 (made for the quadratic mix only)

    VertexNormals(const TriangleSetup& s, bool withMids) {
        for (int i = 0; i < 3; ++i) {
            float x = s.v[i].nx, y = s.v[i].ny, z = s.v[i].nz;
            float length = std::sqrt(x * x + y * y + z * z);
            if (length > 0.0f) x /= length, y /= length, z /= length;
            n[i][0] = x, n[i][1] = y, n[i][2] = z;
        }
        if (!withMids) return;
        for (int i = 0; i < 3; ++i) {
            for (int k = 0; k < 3; ++k) mid[i][k] = (n[i][k] + n[(i + 1) % 3][k]) * 0.5f;
        }
    }

    __Point Linear(const float w[3]) const {
        return __Point{w[0] * n[0][0] + w[1] * n[1][0] + w[2] * n[2][0],
                       w[0] * n[0][1] + w[1] * n[1][1] + w[2] * n[2][1],
                       w[0] * n[0][2] + w[1] * n[1][2] + w[2] * n[2][2]};
    }

    // Linear for four pixels: weights w[vertex], the normal's components out[axis].
    void Linear4(const Lanes4 w[3], Lanes4 out[3]) const {
        for (int k = 0; k < 3; ++k) out[k] = w[0] * n[0][k] + w[1] * n[1][k] + w[2] * n[2][k];
    }

    // Squared weights on the vertices and doubled cross weights on the edge means: the weights sum
    // to (w0 + w1 + w2)^2 = 1.
    __Point Quadratic(const float w[3]) const {
        float out[3];
        for (int k = 0; k < 3; ++k) {
            out[k] = w[0] * w[0] * n[0][k] + w[1] * w[1] * n[1][k] + w[2] * w[2] * n[2][k] +
                     2.0f * w[0] * w[1] * mid[0][k] + 2.0f * w[1] * w[2] * mid[1][k] +
                     2.0f * w[2] * w[0] * mid[2][k];
        }
        return __Point{out[0], out[1], out[2]};
    }
};

// The normal rules: linear and quadratic mixes of the vertex normals.
struct LinearNormal {
    static constexpr bool kUsesWeights = true;
    VertexNormals normals;
    explicit LinearNormal(const TriangleSetup& s) : normals(s, false) {}
    __Point At(const float w[3]) const { return normals.Linear(w); }
    void At4(const Lanes4 w[3], Lanes4 out[3]) const { normals.Linear4(w, out); }
};

struct QuadraticNormal {
    static constexpr bool kUsesWeights = true;
    VertexNormals normals;
    explicit QuadraticNormal(const TriangleSetup& s) : normals(s, true) {}
    __Point At(const float w[3]) const { return normals.Quadratic(w); }
};

template <typename S, bool kQuality, bool kLayered, typename NormalRule>
void PhongTriangles(const SceneCall& call) {
    DrawFilledTriangles<S, kQuality, kLayered>(
        call, [&call](__Triangle3ds* t, const TriangleSetup& s, const shading::Plan* plan) {
            return TriangleShader<NormalRule>(call, t, s, plan);
        });
}

template <bool kLayered>
struct Layering {
    template <typename S, bool kQuality>
    struct PhongLoop {
        static void Run(const SceneCall& call) {
            if (kQuality && _UsePhong2) {
                PhongTriangles<S, kQuality, kLayered || kQuality, QuadraticNormal>(call);
            } else {
                PhongTriangles<S, kQuality, kLayered || kQuality, LinearNormal>(call);
            }
        }
    };
};

}  // namespace

void DrawPhongTriangles(const SceneCall& call, bool layered) {
    if (layered) {
        DispatchFilled<Layering<true>::PhongLoop>(call);
    } else {
        DispatchFilled<Layering<false>::PhongLoop>(call);
    }
}

void DrawPhong(const SceneCall& call) { DrawPhongTriangles(call, _Quality != 0); }

}  // namespace trivane
