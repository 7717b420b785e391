// The cubic triangular patch of a triangle (engine/curved_patch_p.h).
//
// Control points: the vertices; on each edge Vi -> Vj the point (2 Vi + Vj) / 3 projected onto the
// tangent plane at Vi; and the centre. The centre is the mean E of the six edge points, moved
// along the unit mean vertex normal m by half the distance from the vertices' centroid V to E
// measured along m: centre = E + m ((E - V) . m) / 2. A flat triangle whose normals are its face
// normal keeps E on its plane, so the offset is 0 and the patch stays flat; a bulging one bulges
// further at the centre, the way its edges bulge.
#include "engine/curved_patch_p.h"

namespace trivane {
namespace {

// Control point indices (powers of a, b, c): 300, 030, 003, 210, 120, 021, 012, 102, 201, 111.
enum : int { k300, k030, k003, k210, k120, k021, k012, k102, k201, k111 };

void UnitNormal(const __Point3ds& p, float n[3]) {
    float x = p.nx, y = p.ny, z = p.nz;
    float length = std::sqrt(x * x + y * y + z * z);
    if (length > 0.0f && std::isfinite(length)) {
        n[0] = x / length, n[1] = y / length, n[2] = z / length;
    } else {
        n[0] = n[1] = n[2] = 0.0f;
    }
}

float Distance(const float a[3], const float b[3]) {
    float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The edge control point near vertex i on the edge towards vertex j.
void EdgeControl(const CurvedPatch& patch, int i, int j, float out[3]) {
    float q[3];
    for (int k = 0; k < 3; ++k) q[k] = (2.0f * patch.p[i][k] + patch.p[j][k]) / 3.0f;
    ProjectOntoTangent(q, patch.p[i], patch.n[i], out);
}

}  // namespace

bool BuildPatch(const __Triangle3ds& t, const __Point3ds* points, int cx, int cy, CurvedPatch& patch) {
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return false;
    const __Point3ds* v[3] = {&points[t.v0], &points[t.v1], &points[t.v2]};
    for (int i = 0; i < 3; ++i) {
        const float x = v[i]->x + static_cast<float>(cx), y = v[i]->y + static_cast<float>(cy), z = v[i]->z;
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return false;
        patch.p[i][0] = x, patch.p[i][1] = y, patch.p[i][2] = z;
        UnitNormal(*v[i], patch.n[i]);
        patch.u[i] = v[i]->u, patch.v[i] = v[i]->v;
    }
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) patch.mid[i][k] = (patch.n[i][k] + patch.n[(i + 1) % 3][k]) * 0.5f;
    }
    patch.mapped = (v[0]->mapped && v[1]->mapped && v[2]->mapped) ? 1 : 0;

    EdgeControl(patch, 0, 1, patch.p[k210]);
    EdgeControl(patch, 1, 0, patch.p[k120]);
    EdgeControl(patch, 1, 2, patch.p[k021]);
    EdgeControl(patch, 2, 1, patch.p[k012]);
    EdgeControl(patch, 2, 0, patch.p[k102]);
    EdgeControl(patch, 0, 2, patch.p[k201]);

    float e[3], centroid[3], m[3];
    for (int k = 0; k < 3; ++k) {
        e[k] = (patch.p[k210][k] + patch.p[k120][k] + patch.p[k021][k] + patch.p[k012][k] + patch.p[k102][k] +
                patch.p[k201][k]) / 6.0f;
        centroid[k] = (patch.p[0][k] + patch.p[1][k] + patch.p[2][k]) / 3.0f;
        m[k] = patch.n[0][k] + patch.n[1][k] + patch.n[2][k];
    }
    float mLength = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    float offset = 0.0f;
    if (mLength > 0.0f) {
        for (float& component : m) component /= mLength;
        offset = 0.5f * ((e[0] - centroid[0]) * m[0] + (e[1] - centroid[1]) * m[1] + (e[2] - centroid[2]) * m[2]);
    }
    for (int k = 0; k < 3; ++k) patch.p[k111][k] = e[k] + offset * m[k];

    patch.length01 = Distance(patch.p[0], patch.p[1]);
    patch.length12 = Distance(patch.p[1], patch.p[2]);
    patch.length20 = Distance(patch.p[2], patch.p[0]);
    patch.minX = patch.maxX = patch.p[0][0];
    patch.minY = patch.maxY = patch.p[0][1];
    for (const float* q : patch.p) {
        patch.minX = std::min(patch.minX, q[0]), patch.maxX = std::max(patch.maxX, q[0]);
        patch.minY = std::min(patch.minY, q[1]), patch.maxY = std::max(patch.maxY, q[1]);
    }
    return true;
}

void PatchSlopes(const CurvedPatch& patch, float slopes[4]) {
    // d/db and d/dc of the cubic are 3 times quadratic Bernstein mixes of control point
    // differences (b and c each taking a power from a), so each is bounded by 3 times the
    // largest difference.
    static const int kQuadratic[6][3] = {{2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {1, 1, 0}, {0, 1, 1}, {1, 0, 1}};
    auto index = [](int i, int j, int k) {
        if (i == 3) return int{k300};
        if (j == 3) return int{k030};
        if (k == 3) return int{k003};
        if (i == 2) return j == 1 ? int{k210} : int{k201};
        if (j == 2) return i == 1 ? int{k120} : int{k021};
        if (k == 2) return j == 1 ? int{k012} : int{k102};
        return int{k111};
    };
    for (int s = 0; s < 4; ++s) slopes[s] = 0.0f;
    for (const auto& q : kQuadratic) {
        const float* from = patch.p[index(q[0] + 1, q[1], q[2])];
        const float* alongB = patch.p[index(q[0], q[1] + 1, q[2])];
        const float* alongC = patch.p[index(q[0], q[1], q[2] + 1)];
        slopes[0] = std::max(slopes[0], 3.0f * std::fabs(alongB[0] - from[0]));
        slopes[1] = std::max(slopes[1], 3.0f * std::fabs(alongB[1] - from[1]));
        slopes[2] = std::max(slopes[2], 3.0f * std::fabs(alongC[0] - from[0]));
        slopes[3] = std::max(slopes[3], 3.0f * std::fabs(alongC[1] - from[1]));
    }
    // A control point beyond float range: the patch may be anywhere.
    for (const float* q : patch.p) {
        if (!std::isfinite(q[0]) || !std::isfinite(q[1])) {
            for (int s = 0; s < 4; ++s) slopes[s] = INFINITY;
            return;
        }
    }
}

void EvaluatePatch(const CurvedPatch& patch, float a, float b, float c, PatchSample& out) {
    const float aa = a * a, bb = b * b, cc = c * c;
    const float w[10] = {aa * a,          bb * b,          cc * c,          3.0f * aa * b,   3.0f * a * bb,
                         3.0f * bb * c,   3.0f * b * cc,   3.0f * a * cc,   3.0f * aa * c,   6.0f * a * b * c};
    float position[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 10; ++i) {
        for (int k = 0; k < 3; ++k) position[k] += w[i] * patch.p[i][k];
    }
    out.x = position[0], out.y = position[1], out.z = position[2];

    // Quadratic normal field: vertex normals at the corners, edge-mid normals at the edge middles.
    float n[3];
    for (int k = 0; k < 3; ++k) {
        n[k] = aa * patch.n[0][k] + bb * patch.n[1][k] + cc * patch.n[2][k] + 2.0f * a * b * patch.mid[0][k] +
               2.0f * b * c * patch.mid[1][k] + 2.0f * c * a * patch.mid[2][k];
    }
    float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 0.0f) n[0] /= length, n[1] /= length, n[2] /= length;
    out.nx = n[0], out.ny = n[1], out.nz = n[2];

    out.u = a * patch.u[0] + b * patch.u[1] + c * patch.u[2];
    out.v = a * patch.v[0] + b * patch.v[1] + c * patch.v[2];
}

void TangentMidpoint(const __Point3ds& a, const __Point3ds& b, float out[3]) {
    const float pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z};
    const float middle[3] = {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
    float na[3], nb[3], qa[3], qb[3];
    UnitNormal(a, na);
    UnitNormal(b, nb);
    ProjectOntoTangent(middle, pa, na, qa);
    ProjectOntoTangent(middle, pb, nb, qb);
    for (int k = 0; k < 3; ++k) out[k] = (qa[k] + qb[k]) * 0.5f;
}

}  // namespace trivane
