// Arcs, curls and ferns: GrowFloralBranch, DrawCurl, DrawArcBranch, GrowFernBranch.
#include "generate/growth.h"
#include "generate/growth_p.h"
#include "generate/portable_math.h"
#include "generate/random.h"

#include <cmath>
#include <utility>

namespace {

// Rotation by `rot` followed by a move to (x0, y0).
struct Placement {
    double cosRot, sinRot, x0, y0;
    Placement(double rot, double x, double y) : x0(x), y0(y) { PortableSinCos(rot, sinRot, cosRot); }
    void Apply(double px, double py, float& ox, float& oy) const {
        ox = static_cast<float>(px * cosRot - py * sinRot + x0);
        oy = static_cast<float>(px * sinRot + py * cosRot + y0);
    }
};

} // namespace

void DrawCurl(TriangleList& list, float x, float y, float z, float angle, float turn, float length) {
    float step = 2.1991143f / 8;
    double r = length / 3.0;
    const double dr = length / 20.0;
    double a;
    if (turn > 0) {
        a = angle + 2.1991144;
    } else {
        a = angle - 2.1991144;
        step = -step;
    }
    for (int i = 0; i < 8; ++i) {
        if (list.BudgetReached()) return;
        if (i == 7) r = r / 2;
        double sinA, cosA, sinNext, cosNext;
        PortableSinCos(a, sinA, cosA);
        PortableSinCos(a + step, sinNext, cosNext);
        ScenePoint p1{static_cast<float>(x + r * cosA), static_cast<float>(y + r * sinA),
                      static_cast<float>(z / 2.0)};
        ScenePoint p2{static_cast<float>(x + (r + dr) * cosNext), static_cast<float>(y + (r + dr) * sinNext),
                      static_cast<float>(z * 1.5)};
        if (turn < 0) {
            // The corners exchange places; each keeps the depth of its list position.
            const float px = p1.x, py = p1.y;
            p1.x = p2.x;
            p1.y = p2.y;
            p2.x = px;
            p2.y = py;
        }
        AddTriangle(list, 0, {x, y, z}, p1, p2);
        a = a + step;
        r = r + dr;
    }
}

bool DrawArcBranch(TriangleList& list, float x0, float y0, float z, float angle, float turn, float length,
                   std::int32_t count, float width, std::int32_t level, PlanePoint* end) {
    if (count < 1) return false;
    const std::int32_t n = count < 7 ? 7 : count;
    const Placement place(static_cast<double>(angle) - turn, x0, y0);
    const double tau = turn, len = length;
    const double dPhi = tau / n;
    const double dL = len / n;
    double sinTau, cosTau;
    PortableSinCos(tau, sinTau, cosTau);
    const double offX = -len * cosTau, offY = -len * sinTau;
    double prevX = len * cosTau + offX, prevY = len * sinTau + offY;
    double phi = tau, rho = len;
    double z1 = z;
    for (std::int32_t k = n; k >= 0; --k) {
        if (list.BudgetReached()) break;
        const double p0x = prevX, p0y = prevY;
        double sinNext, cosNext;
        PortableSinCos(phi - dPhi, sinNext, cosNext);
        const double p1x = (rho - dL) * cosNext + offX;
        const double p1y = (rho - dL) * sinNext + offY;
        prevX = p1x;
        prevY = p1y;
        double p2x = p0x + 2 * (p1x - p0x), p2y = p0y + 2 * (p1y - p0y);
        const double psi = tau < 0 ? phi + dPhi : phi + dPhi - kPi;
        double sinPsi, cosPsi;
        PortableSinCos(psi, sinPsi, cosPsi);
        double p3x = p1x + width * rho * -sinPsi, p3y = p1y + width * rho * cosPsi;
        phi = phi - dPhi;
        const double zs = z + rho;
        z1 = zs / 1.5;
        if (tau < 0) {
            std::swap(p2x, p3x);
            std::swap(p2y, p3y);
        }
        ScenePoint c0, c1, c2;
        place.Apply(p0x, p0y, c0.x, c0.y);
        place.Apply(p2x, p2y, c1.x, c1.y);
        place.Apply(p3x, p3y, c2.x, c2.y);
        c0.z = z;
        c1.z = static_cast<float>(z1);
        c2.z = static_cast<float>(zs * 1.5);
        AddTriangle(list, 0, c0, c1, c2);
        rho = rho - dL;
    }
    if (end) {
        double sinHalf, cosHalf;
        PortableSinCos(tau / 2, sinHalf, cosHalf);
        place.Apply(len / 2 * cosHalf + offX, len / 2 * sinHalf + offY, end->x, end->y);
    }
    if (list.BudgetReached()) return true;

    // A side arc from three quarters of the way, on the outer side of the turn.
    const int r = DrawRandom();
    if (r % 100 >= 36 && level < 2) {
        float sx, sy;
        double sinSide, cosSide;
        PortableSinCos(0.75 * tau, sinSide, cosSide);
        place.Apply(0.75 * len * cosSide + offX, 0.75 * len * sinSide + offY, sx, sy);
        const double side = tau >= 0 ? angle + kHalfPi : angle - kHalfPi;
        DrawArcBranch(list, sx, sy, static_cast<float>(z1 + 50), static_cast<float>(side),
                      static_cast<float>(-0.85 * tau), static_cast<float>(0.6 * len), TruncCount(0.75 * n),
                      static_cast<float>(0.8 * width), level + 1, nullptr);
    }
    return true;
}

void GrowFloralBranch(TriangleList& list, std::int32_t arcCount, float x, float y, float z, float angle,
                      float turn, float length, float width, bool curl, float triangleHint) {
    if (list.BudgetReached()) return;
    std::int32_t n;
    if (triangleHint > 0)
        n = TruncCount(triangleHint);
    else if (triangleHint != 0)
        n = TruncCount(7.0 * std::fabs(turn) *
                       std::sqrt(std::fabs(static_cast<double>(length) / triangleHint) + 1));
    else
        n = 10;
    if (n < 7) n = 7;

    if (curl) {
        DrawCurl(list, x, y, z, angle, turn, length);
    } else {
        const double side = turn > 0 ? angle - kHalfPi + turn / 3.0 : angle + kHalfPi + turn / 3.0;
        DrawArcBranch(list, x, y, z, static_cast<float>(side), -turn / 2, length / 2, n / 2, width / 2, 0,
                      nullptr);
    }

    const double turn0 = turn, width0 = width;
    double theta = angle, tau = turn, len = length, w = width;
    float px = x, py = y;
    double pz = z;
    std::int32_t remaining = arcCount;
    do {
        if (list.BudgetReached()) return;
        PlanePoint e{px, py};
        DrawArcBranch(list, px, py, static_cast<float>(pz), static_cast<float>(theta),
                      static_cast<float>(tau), static_cast<float>(len), n, static_cast<float>(w), 0, &e);
        const double s = (DrawRandom() % 2000 - 1000) / 2000.0;
        px = e.x;
        py = e.y;
        pz = pz + 10;
        double bend = turn0 * 0.3;
        if (bend < -0.785398) bend = -0.785398;
        if (bend > 0.785398) bend = 0.785398;
        theta = theta + bend;
        tau = -tau * 1.25;
        len = len * 0.8 * ((s + 1) / 8 + 0.75);
        w = width0 * 0.85;
        n = TruncCount(n * 1.15);
    } while (--remaining > 0);
}

void GrowFernBranch(TriangleList& list, std::int32_t ficilType, float x, float y, float z, float angle,
                    float turn, float length, float width, std::int32_t count, float subHint, float change,
                    float turn2, float turnStep) {
    if (count < 1 || list.BudgetReached()) return;
    const std::int32_t n = count;
    const double tau = turn, len = length;
    const Placement place(static_cast<double>(angle) - tau, x, y);
    double dPhi = tau / n;
    double dL = len / n;
    const double ddL = change * dL / n;
    const double ddPhi = change * dPhi / n;
    double sinTau, cosTau;
    PortableSinCos(tau, sinTau, cosTau);
    const double offX = -len * cosTau, offY = -len * sinTau;

    double p;
    if (subHint > 0)
        p = subHint;
    else if (subHint != 0)
        p = 3.0 * std::fabs(static_cast<double>(turn2)) * std::sqrt(std::fabs(len / subHint) + 1);
    else
        p = 10;

    double pz = z;
    double phi = tau, rho = len;
    for (std::int32_t k = n; k >= 0; --k) {
        if (list.BudgetReached()) return;
        float cx, cy;
        double sinPhi, cosPhi;
        PortableSinCos(phi, sinPhi, cosPhi);
        place.Apply(rho * cosPhi + offX, rho * sinPhi + offY, cx, cy);
        const double arcLength = len * ((k + 0.4) / n) * 0.25;
        if (arcLength < 3) return;
        double o = (n - k) * static_cast<double>(turnStep) + turn2;
        if (std::fabs(o) < 0.00001) o = tau < 0 ? -0.00001 : 0.00001;
        double a = ficilType == 3 ? 2 * dPhi + phi + (angle - tau) + kHalfPi : angle + kHalfPi;
        const std::int32_t arcCount = TruncCount(p);
        DrawArcBranch(list, cx, cy, static_cast<float>(pz), static_cast<float>(a), static_cast<float>(o),
                      static_cast<float>(arcLength), arcCount, width, 3, nullptr);
        a = a + kPi;
        if (ficilType == 2 || ficilType == 3) o = -o;
        DrawArcBranch(list, cx, cy, static_cast<float>(pz), static_cast<float>(a), static_cast<float>(o),
                      static_cast<float>(arcLength), arcCount, width, 3, nullptr);
        pz = pz - 50;
        dL = dL - ddL;
        dPhi = dPhi - ddPhi;
        p = p - 0.5;
        if (p < 7) p = 7;
        rho = rho - dL;
        phi = phi - dPhi;
    }
}
