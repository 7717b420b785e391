// The segment walk along the base path and the Single pattern.
#include "generate/growth_p.h"
#include "generate/random.h"
#include "generate/render_state.h"
#include "generate/scene_builder_p.h"
#include "params/params.h"

#include <algorithm>
#include <cmath>

CoveragePlan PlanCoverage(std::int32_t n, float completance, float completanceDist) {
    CoveragePlan plan;
    const double amount = double(n) * double(completance) / 100.0;
    plan.full = TruncCount(amount);  // any Completance from a script: no overflowing conversion
    plan.frac = amount - plan.full;
    if (plan.frac > 0) {
        plan.covered = plan.full + 1;
        plan.lastPart = plan.frac;
    } else {
        plan.covered = plan.full;
        plan.lastPart = 1;
    }
    plan.fadeCount = TruncCount(double(n) * double(completanceDist) / 100.0);
    plan.count = std::max(0, std::min(plan.covered + plan.fadeCount, n));
    return plan;
}

PlanePoint GrowthDirection(PlanePoint g, std::int32_t growDirect, std::int32_t segment) {
    const std::int32_t v = growDirect == 8 ? segment % 7 : growDirect;
    switch (v) {
        case 2: return {-g.x, -g.y};
        case 3: return {std::fabs(g.x), std::fabs(g.y)};
        case 4: return {-g.x, g.y};
        case 5: return {g.x, -g.y};
        case 6: return {std::fabs(g.x), g.y};
        case 7: return {g.x, std::fabs(g.y)};
        default: return g;
    }
}

namespace {

// One Floral sample at p: a chain of arcs or a fern, chosen from one draw of a reseeded generator.
void FloralSample(const RimelaceParams& params, const SceneQuantities& q, std::int32_t W, std::int32_t segment,
                  PlanePoint p, PlanePoint g, double segTurn, double width, double length, int& previous,
                  TriangleList& list) {
    const double a = BranchAngle(-g.x, -g.y, 0, 0) * 0.017453292519943295 - 1.5707963267948966;
    SeedRandom(std::uint32_t(segment) + std::uint32_t(previous) + std::uint32_t(q.seed));
    const int r = DrawRandom();
    previous = r;
    const double qv = double(r % 1000) / 1000.0;
    const double angle = (qv - 0.5) * q.dispersion + a;
    double bend = segTurn * (qv * q.dispersion / 3.0 + 0.5);
    if (qv < 0.5) bend = -bend;
    const std::int32_t arcs = r % q.iterLimit + 1;
    const float z = float(r % 50 + 20);
    double bend2 = bend + q.dispersion + (qv - 0.5) * bend * 2.5;
    if (std::fabs(bend2) < 0.5) bend2 = bend2 < 0 ? -0.5 : 0.5;
    bool fern = params.PatternKind == 2;
    if (params.PatternKind == 3) {
        fern = r % 2 == 0;
        if (!fern) bend *= 1.5;
    }
    if (!(length > 0)) return;
    if (fern)
        GrowFernBranch(list, qv > 0.5 ? 3 : 2, p.x, p.y, z, float(angle), float(bend), float(length),
                       float(width / 5.0), q.triLimit, float(-W), float(q.changeWidth), float(bend2), 0.0f);
    else
        GrowFloralBranch(list, arcs, p.x, p.y, z, float(angle), float(bend), float(length), float(width / 5.0),
                         qv > 0.5, float(-W));
}

}  // namespace

void WalkPath(const BasePath& path, const RimelaceParams& params, const SceneQuantities& q, std::int32_t W,
              TriangleList& list, void (*progress)(std::int32_t, std::int32_t)) {
    const CoveragePlan plan = PlanCoverage(path.segmentCount, params.Completance, params.CompletanceDist);
    const bool geometric = params.EffectKind == 1;
    double carry = 0;
    int previous = 0;
    for (std::int32_t i = 0; i < plan.count && !list.BudgetReached(); ++i) {
        if (progress) progress(std::int32_t(10.0 + 40.0 * i / plan.count), 100);
        SeedRandom(std::uint32_t(q.seed) + std::uint32_t(i) + 1212u);
        const PathSegment& seg = path.segments[i];
        const PlanePoint g = GrowthDirection({seg.dx, seg.dy}, params.GrowDirect, i);
        const double lastPart = i == plan.count - 1 ? plan.lastPart : 1.0;
        double fStart = 1, fEnd = 1;
        if (i >= plan.full && plan.fadeCount != 0) {
            fStart = 1.0 - double(i - plan.full) / plan.fadeCount;
            fEnd = 1.0 - double(i - plan.full + 1) / plan.fadeCount;
        }
        const double L = seg.length;
        if (!(L > 0) || !(q.interval > 0)) continue;
        if (seg.start < 0 || seg.end < 0 || seg.start >= path.pointCount || seg.end >= path.pointCount) continue;
        const PathPoint& a = path.points[seg.start];
        const PathPoint& b = path.points[seg.end];
        const double ux = (double(b.x) - a.x) / L, uy = (double(b.y) - a.y) / L;
        double stepL = q.interval / 5.0;
        double t = carry;
        carry = stepL > L ? (t > L ? carry - L : stepL - L) : 0.0;
        stepL = std::max(stepL, 0.25);
        PlanePoint p{a.x, a.y};
        if (!(t < L)) continue;

        const double rel = 20.0 * L / W;
        const double k = std::clamp(rel * q.dep + (1.0 - q.dep), 0.05, 10.0);
        const double baseWidth = std::max((rel * q.dep4 * double(PreviewZoom) + (1.0 - q.dep4)) * q.width0, 0.01);
        const double baseLength = q.length0 * k;
        const double segTurn = q.turn * k;
        while (t < L && !list.BudgetReached()) {
            double width = baseWidth, length = baseLength;
            if ((lastPart < 1 && L != 0) || i >= plan.full) {
                const double f = t / L;
                if (i >= plan.full) {
                    double fade = fEnd * f + (1.0 - f) * fStart;
                    if (plan.fadeCount >= 1) fade += plan.frac / plan.fadeCount;
                    fade = std::clamp(fade, 0.0, 1.0);
                    width *= fade;
                    length *= fade;
                }
                if (lastPart < 1) {
                    if (f > lastPart) break;
                    if (lastPart != 0) {
                        const double c = std::min((lastPart - f) / lastPart + lastPart * lastPart, 1.0);
                        width *= c;
                        length *= c;
                    }
                }
            }
            const PlanePoint next{float(p.x + ux * stepL), float(p.y + uy * stepL)};
            if (geometric) {
                if (length > 0) {
                    AddPathTriangle(list, p, next, g, float(stepL / 2 < L ? stepL / 2 : L), float(k));
                    GrowGeometricBranch(list, i, params.PatternKind, 0, p.x, p.y, 0.0f, g, float(width), float(length),
                                        float(q.changeWidth), float(q.changeLength), float(q.dispersion),
                                        float(q.lose), q.triLimit, q.iterLimit);
                }
            } else {
                FloralSample(params, q, W, i, p, g, segTurn, width, length, previous, list);
            }
            p = next;
            t += stepL;
        }
    }
}

void GrowSingle(const RimelaceParams& params, const SceneQuantities& q, std::int32_t W, float ox, float oy,
                TriangleList& list) {
    if (params.PatternKind == 1 || params.PatternKind == 2) {
        GrowFloralBranch(list, q.iterLimit, ox, oy, 0.0f, float(q.rotate), float(q.turn),
                         float(W * q.length0 / 200.0), float(q.width0 * 0.005), params.PatternKind == 2,
                         float(q.triLimit5));
    } else if (params.PatternKind == 3 || params.PatternKind == 4) {
        GrowFernBranch(list, params.PatternKind == 3 ? 2 : 3, ox, oy, 0.0f, float(q.rotate), float(q.turn * 0.5),
                       float(W * q.length0 / 100.0), float(q.width0 * 0.005), q.triLimit5 / 2, float(q.subLimit),
                       float(q.changeWidth), float(q.turn2), 0.0f);
    }
}
