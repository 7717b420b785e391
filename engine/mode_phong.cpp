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
        // Each normal over its length (a zero one left alone), the three side by side on lanes; no
        // lane divides by 0 (a host may have that trap).
        const Lanes4 x = {s.v[0].nx, s.v[1].nx, s.v[2].nx, 0.0f};
        const Lanes4 y = {s.v[0].ny, s.v[1].ny, s.v[2].ny, 0.0f};
        const Lanes4 z = {s.v[0].nz, s.v[1].nz, s.v[2].nz, 0.0f};
        const Lanes4 square = x * x + y * y + z * z;
        const Lanes4 length = {std::sqrt(square[0]), std::sqrt(square[1]), std::sqrt(square[2]), 0.0f};
        const Lanes4 zero = {0.0f, 0.0f, 0.0f, 0.0f}, one = zero + 1.0f;
        const Lanes4 divisor = length > zero ? length : one;
        const Lanes4 ux = length > zero ? x / divisor : x, uy = length > zero ? y / divisor : y,
                     uz = length > zero ? z / divisor : z;
        for (int i = 0; i < 3; ++i) n[i][0] = ux[i], n[i][1] = uy[i], n[i][2] = uz[i];
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
    // The unit vertex normals it mixes linearly (so that runs of pixels are mixed on lanes).
    const float (&Vertices() const)[3][3] { return normals.n; }
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
