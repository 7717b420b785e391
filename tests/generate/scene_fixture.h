#pragma once
// A small working image and filter context for calling the scene builder directly.

#include "engine/trivane.h"
#include "generate/scene_builder.h"
#include "params/params.h"

#include <cstdint>
#include <string>
#include <vector>

struct SceneFixture {
    RimelaceParams params{};
    std::int32_t w = 160, h = 120;
    bool wide = false;
    std::vector<std::uint8_t> mask;  // empty: no selection
    std::vector<std::uint8_t> input, output;
    SceneOutcome outcome;

    SceneFixture();
    ~SceneFixture();
    std::int32_t RowBytes() const { return w * (wide ? 8 : 4); }
    // Fills the input with a smooth opaque gradient.
    void MakeInput();
    // Takes size and input from a binary PPM (8-bit RGB, opaque); false when it cannot be read.
    bool LoadPpm(const char* path);
    // An elliptic selection in the middle.
    void MakeMask();
    SceneContext Context(std::int32_t budget = kDefaultTriangleBudget);
    // Builds and renders with the centre from CenterX / CenterY.
    void Build(std::int32_t budget = kDefaultTriangleBudget);
    std::vector<__Triangle3ds> Triangles() const;
    std::vector<__Point3ds> Points() const;
    // Pixels whose four samples differ between input and output.
    int ChangedPixels() const;
    // Mean row of the changed pixels (-1 when none).
    double ChangedMeanRow() const;
};
