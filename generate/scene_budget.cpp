// Growing within the triangle budget, and the warning when a pattern had to be reduced or cut.
//
// The growers work depth first: a pattern cut where the budget runs out covers the start of the
// path richly and leaves the rest bare. So a pattern that would pass the budget is grown again,
// whole, with smaller values, one step at a time until it fits: first fewer iterations, then
// fewer triangles per fan or arc (halved), then a wider spacing of the samples along the path
// (the "Density" value doubled). Only the values the effect uses are changed. Each try stops
// at the budget, so a try costs at most one budget's worth of growth, and the tries are bounded.
#include "generate/random.h"
#include "generate/scene_builder_p.h"
#include "params/params.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int kMaxTries = 24;
constexpr int kMaxSpacingSteps = 8;

// Which geometry values an effect's size depends on.
struct Uses {
    bool iterations, triangles, triangles2, spacing;
};

Uses UsedValues(const RimelaceParams& p, bool single) {
    if (single) {
        const bool fern = p.PatternKind == 3 || p.PatternKind == 4;
        return {!fern, true, fern, false};
    }
    if (p.EffectKind == 2) {
        // Floral: arcs take their number from the iterations, ferns their pairs from the triangles.
        return {p.PatternKind != 2, p.PatternKind != 1, false, true};
    }
    return {true, true, false, true};
}

// One step down; false when nothing is left to reduce.
bool Reduce(RimelaceParams& p, const Uses& uses, int& spacingSteps) {
    if (uses.iterations && p.MaxIterations > 1) {
        p.MaxIterations = std::min(p.MaxIterations - 1, 8);
        return true;
    }
    bool changed = false;
    if (uses.triangles && p.MaxTriangles > 1) {
        p.MaxTriangles = std::min(p.MaxTriangles / 2, 64);
        changed = true;
    }
    if (uses.triangles2 && p.MaxTriangles1 > 1) {
        p.MaxTriangles1 = std::min(p.MaxTriangles1 / 2, 64);
        changed = true;
    }
    if (changed) return true;
    if (uses.spacing && p.MinInterval > 0 && spacingSteps < kMaxSpacingSteps) {
        p.MinInterval = std::max(p.MinInterval, 1.0f) * 2;
        ++spacingSteps;
        return true;
    }
    return false;
}

void Grow(const RimelaceParams& p, std::int32_t W, const BasePath& path, bool single, float ox, float oy,
          TriangleList& list, void (*progress)(std::int32_t, std::int32_t)) {
    SceneQuantities q = DeriveQuantities(p, W);
    AdjustForEffectKind(p, W, q);
    SeedRandom(std::uint32_t(q.seed) + 1212u);
    TriangleCount = 0;
    if (single) {
        if (progress) progress(25, 100);
        GrowSingle(p, q, W, ox, oy, list);
    } else {
        WalkPath(path, p, q, W, list, progress);
    }
}

std::string Thousands(std::int64_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

void GrowWithinBudget(const RimelaceParams& params, std::int32_t W, const BasePath& path, bool single, float ox,
                      float oy, std::int32_t budget, TriangleList& list, SceneOutcome& outcome,
                      void (*progress)(std::int32_t, std::int32_t)) {
    budget = std::max(budget, 0);
    // One triangle of room more than the budget tells a pattern that fits exactly from one that
    // would pass it.
    const std::int32_t room = budget < INT32_MAX ? budget + 1 : budget;
    RimelaceParams grown = params;
    const Uses uses = UsedValues(params, single);
    int spacingSteps = 0;
    for (int tries = 1;; ++tries) {
        list.Reset(room);
        Grow(grown, W, path, single, ox, oy, list, progress);
        if (list.Size() <= budget) break;
        if (tries == kMaxTries || !Reduce(grown, uses, spacingSteps)) {
            while (list.Size() > budget) list.DropBack();
            outcome.budgetReached = true;
            break;
        }
        outcome.reduced = true;
    }
    BudgetReduction& r = outcome.reduction;
    r.iterations[0] = params.MaxIterations;
    r.iterations[1] = grown.MaxIterations;
    r.triangles[0] = params.MaxTriangles;
    r.triangles[1] = grown.MaxTriangles;
    r.triangles2[0] = params.MaxTriangles1;
    r.triangles2[1] = grown.MaxTriangles1;
    r.density[0] = params.MinInterval;
    r.density[1] = grown.MinInterval;
}

std::string BudgetWarning(const SceneOutcome& outcome, std::int32_t budget) {
    if (!outcome.reduced && !outcome.budgetReached) return {};
    const BudgetReduction& r = outcome.reduction;
    std::string changes;
    auto add = [&](const char* label, const std::string& used, const std::string& asked) {
        if (!changes.empty()) changes += ", ";
        changes += std::string("\"") + label + "\" " + used + " instead of " + asked;
    };
    auto number = [](float v) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", double(v));
        return std::string(text);
    };
    if (r.iterations[1] != r.iterations[0])
        add("Max iterations", std::to_string(r.iterations[1]), std::to_string(r.iterations[0]));
    if (r.triangles[1] != r.triangles[0])
        add("N triangles 1", std::to_string(r.triangles[1]), std::to_string(r.triangles[0]));
    if (r.triangles2[1] != r.triangles2[0])
        add("N triangles 2", std::to_string(r.triangles2[1]), std::to_string(r.triangles2[0]));
    if (r.density[1] != r.density[0]) add("Density", number(r.density[1]), number(r.density[0]));
    const std::string limit = Thousands(budget);
    if (outcome.budgetReached)
        return "The pattern passes the limit of " + limit + " triangles even with the smallest values" +
               (changes.empty() ? std::string() : " (" + changes + ")") +
               " and was cut short. Raise \"Density\" or lower \"Max iterations\" or \"N triangles 1\".";
    return "The pattern would have passed the limit of " + limit +
           " triangles, so it was grown whole with smaller values: " + changes + ".";
}
