// Fans and path triangles: AddTriangle, BranchAngle, AddPathTriangle, GrowGeometricBranch.
#include "generate/growth.h"
#include "generate/growth_p.h"
#include "generate/portable_math.h"
#include "generate/random.h"

#include <cmath>

namespace {
constexpr std::int32_t kMaxFanDepth = 31;
}

bool AddTriangle(TriangleList& list, std::int32_t tag, const ScenePoint& c0, const ScenePoint& c1,
                 const ScenePoint& c2) {
    PatternTriangle* triangle = list.AppendZeroed();
    if (triangle == nullptr) return false;
    triangle->tag = tag;
    const ScenePoint* corners[3] = {&c0, &c1, &c2};
    for (int k = 0; k < 3; ++k) {
        triangle->corner[k].x = corners[k]->x;
        triangle->corner[k].y = corners[k]->y;
        triangle->corner[k].z = corners[k]->z;
    }
    SetShadingNormals(*triangle);
    ++TriangleCount;
    return true;
}

double BranchAngle(double a, double b, double c, double d) {
    const double dx = a - c;
    const double dy = b - d;
    if (dy == 0) return dx >= 0 ? 90.0 : 270.0;
    const double r = PortableAtan(dx / dy) * -57.29579143313326;
    if (b > d) return r + 180.0;
    if (a < c) return r + 360.0;
    return r;
}

namespace {

// Direction angle from a to b in [0, 2 pi]: the quadrant's quarter turn plus an arc cosine.
double DirectionAngle(double ax, double ay, double bx, double by) {
    constexpr float kQuarter[4] = {0.0f, 1.5707964f, 3.1415927f, 4.712389f};
    const double dx = std::fabs(ax - bx);
    const double dy = std::fabs(ay - by);
    const double r = std::sqrt(dx * dx + dy * dy);
    int quadrant;
    if (bx >= ax)
        quadrant = by > ay ? 0 : 3;
    else
        quadrant = by > ay ? 1 : 2;
    if (r == 0) return kQuarter[quadrant]; // coincident corners: no turn to measure
    const double s = (quadrant == 0 || quadrant == 2) ? dx : dy;
    return kQuarter[quadrant] + PortableAcos(s / r);
}

} // namespace

void AddPathTriangle(TriangleList& list, PlanePoint p, PlanePoint next, PlanePoint g, float half, float k) {
    if (list.BudgetReached()) return;
    const double mx = (static_cast<double>(p.x) + next.x) / 2;
    const double my = (static_cast<double>(p.y) + next.y) / 2;
    const double q = (DrawRandom() % 1000) / 1000.0;
    const double o = half * q;
    double h = o + half / 2.0;
    const double zA = q * h;
    const double zB = o;
    if (k != 1) {
        const double kk = k < 0.1 ? 0.1 : static_cast<double>(k);
        h = h * (kk < 1.5 ? kk : 1.5);
    }
    const PlanePoint apex{static_cast<float>(mx + h * g.x), static_cast<float>(my + h * g.y)};

    // Winding: from the corner with the largest y (the last on ties), the two that follow it
    // cyclically must turn the same way for every triangle.
    PlanePoint corner[3] = {p, next, apex};
    int top = 0;
    for (int c = 1; c < 3; ++c)
        if (corner[c].y >= corner[top].y) top = c;
    const int ix = (top + 1) % 3, iy = (top + 2) % 3;
    const double alphaX = DirectionAngle(corner[top].x, corner[top].y, corner[ix].x, corner[ix].y);
    const double alphaY = DirectionAngle(corner[top].x, corner[top].y, corner[iy].x, corner[iy].y);
    const double turn = alphaY - alphaX;
    if (std::fabs(turn) >= 0.00001 && (turn < 0 || turn > kPi)) {
        const PlanePoint swap = corner[ix];
        corner[ix] = corner[iy];
        corner[iy] = swap;
    }
    AddTriangle(list, 0, {corner[0].x, corner[0].y, static_cast<float>(zA)},
                {corner[1].x, corner[1].y, static_cast<float>(zB)}, {corner[2].x, corner[2].y, 0.0f});
}

void GrowGeometricBranch(TriangleList& list, std::int32_t tag, std::int32_t kind, std::int32_t depth, float x,
                         float y, float z, PlanePoint h, float width, float length, float changeWidth,
                         float changeLength, float dispersion, float lose, std::int32_t triangles,
                         std::int32_t iterations) {
    if (list.BudgetReached()) return;
    const double keep = 1.0 - lose;
    if (iterations < 1) iterations = 1; // the scene builder passes at least 1; no division by zero
    // Every level doubles the fans at least, so a tree deeper than 31 levels holds more than 2^32
    // triangles and is cut by any budget anyway; stopping there keeps the stack small.
    if (depth >= kMaxFanDepth) return;

    // Depth limit: drawn once at the top of the recursion.
    const std::int32_t limit =
        depth > 0 ? iterations : TruncCount((DrawRandom() % iterations) * 0.5 + (iterations / 2 + 1));
    if (depth >= limit) return;

    // Fan size: the draws are part of the sequence even though they do not change the size.
    DrawRandom();
    std::int32_t fan = 1;
    if (!(triangles * 0.5 < 1)) {
        DrawRandom();
        fan = TruncCount(triangles * 0.5);
    }
    const int side = ((kind == 1 && depth % 2 != 0) || (kind == 3 && tag % 2 != 0)) ? -1 : 1;

    double angl = 0, lng = 0;
    for (std::int32_t j = 0; j < fan; ++j) {
        if (list.BudgetReached()) return;
        ++TriangleCount;
        const std::int32_t n = TriangleCount;
        const double q = (DrawRandom() % 1000) / 1000.0;
        const double q2 = q * q - 0.5;
        if (j == 0) {
            double base;
            if (h.x == 0)
                base = h.y == 0 ? 0.0 : (h.y > 0 ? kHalfPi : -kHalfPi);
            else {
                base = PortableAtan(static_cast<double>(h.y) / h.x);
                if (h.x < 0) base += h.y <= 0 ? -kPi : kPi;
            }
            if (side == -1) base -= 2.0 * fan * width;
            angl = q2 * dispersion + base;
            lng = length * (q + 0.5);
        } else if (j % 2 != 0) {
            lng = length * (q + 0.5);
        }
        PatternTriangle t{};
        t.tag = depth;
        t.corner[0].x = x;
        t.corner[0].y = y;
        t.corner[0].z = z;
        t.corner[1].x = static_cast<float>(x + lng * PortableCos(angl));
        t.corner[1].y = static_cast<float>(y + lng * PortableSin(angl));
        t.corner[1].z = static_cast<float>(z + lng * PortableCos(n - 1.0));
        angl = angl + width * (q + 0.25);
        lng = lng + length * (q2 + 0.5);
        t.corner[2].x = static_cast<float>(x + lng * PortableCos(angl));
        t.corner[2].y = static_cast<float>(y + lng * PortableSin(angl));
        t.corner[2].z = static_cast<float>(z + lng * PortableCos(static_cast<double>(n)));
        SetShadingNormals(t);
        list.Append(t);

        // Children: dirA leans on the two outer edges and keeps part of h; dirB leaves across
        // the far edge. The edge normals are those of the corners.
        const PatternVertex* c = t.corner;
        const PlanePoint dirA{
            static_cast<float>(lose * (static_cast<double>(c[0].nx) + c[1].nx) / 2 + keep * h.x),
            static_cast<float>(lose * (static_cast<double>(c[0].ny) + c[1].ny) / 2 + keep * h.y)};
        const PlanePoint dirB{static_cast<float>((static_cast<double>(c[2].nx) + c[1].nx) / 2),
                              static_cast<float>((static_cast<double>(c[2].ny) + c[1].ny) / 2)};
        double childWidth = width * (1.0 - changeLength);
        if (childWidth <= 0.01) childWidth = 0.01;
        double childLength = length * (1.0 - changeWidth);
        if (childLength <= 0.001) childLength = 0.001;
        const float childDispersion = static_cast<float>(dispersion * 1.2);
        const std::int32_t childTriangles = TruncCount(triangles * 1.5);
        GrowGeometricBranch(list, tag, kind, depth + 1, c[1].x, c[1].y, z, dirA,
                            static_cast<float>(childWidth), static_cast<float>(childLength), changeWidth,
                            changeLength, childDispersion, lose, childTriangles, iterations);
        GrowGeometricBranch(list, tag, kind, depth + 1, c[2].x, c[2].y, z, dirB,
                            static_cast<float>(childWidth), static_cast<float>(childLength), changeWidth,
                            changeLength, childDispersion, lose, childTriangles, iterations);
    }
}
