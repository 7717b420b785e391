#include "params/dialog_enabling.h"

#include <cstring>

namespace {

// Columns, and one row per group of effects: Geometric 1-3, Floral 1, Floral 2-3, Single 1-2,
// Single 3-4.
constexpr const char* kColumns[] = {"MaskKind",    "GrowDirect",      "RandomSeed", "MinInterval",
                                    "MaxIterations", "Completance",   "CompletanceDist", "Dispers",
                                    "LoseInitDir", "PLenght",         "PWidth",     "IntervDepend",
                                    "Turn",        "Turn1",           "MaxTriangles1"};
constexpr bool kEnabled[5][15] = {
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0},
    {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0},
    {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0},
    {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1},
};

int Group(int effectIndex) {
    if (effectIndex < 0 || effectIndex > 9) effectIndex = 0;
    if (effectIndex <= 2) return 0;
    if (effectIndex == 3) return 1;
    if (effectIndex <= 5) return 2;
    return effectIndex <= 7 ? 3 : 4;
}

}  // namespace

bool EnabledForEffect(const ParamEntry& entry, int effectIndex) {
    if (std::strcmp(entry.field, "RotateX") == 0) return effectIndex >= 6 && effectIndex <= 9;
    for (int c = 0; c < 15; ++c)
        if (std::strcmp(entry.field, kColumns[c]) == 0) return kEnabled[Group(effectIndex)][c];
    return true;
}
