#pragma once
// The bands of rows one call is cut into, and which triangles each band draws: a triangle is
// listed, in array order, under every band its pixels can reach.
#include <cstddef>

#include "engine/raster_p.h"

namespace trivane {

constexpr int kBandRows = 64;

// What part of the image a triangle can reach in the current draw mode.
enum class Reach {
    Vertices,      // its vertices (filled modes, outlines)
    SubTriangles,  // its vertices and the edge points of its subdivision (mode 8)
    Patch,         // the control points of its curved patch (modes 2, 9, 10)
};

class Bins {
public:
    Bins() = default;
    Bins(const Bins&) = delete;
    Bins& operator=(const Bins&) = delete;

    // Lists the call's triangles under the bands of kBandRows rows of a width x height image,
    // each with the rows and columns it reaches grown by margin pixels. False when the lists
    // cannot be allocated.
    bool Build(const SceneCall& call, int width, int height, Reach reach, int margin);

    int BandCount() const { return bandCount_; }
    const int* Items(int band) const { return items_ + starts_[band]; }
    int ItemCount(int band) const { return starts_[band + 1] - starts_[band]; }
    // The columns [first, end) the band's triangles reach.
    int ColumnsFirst(int band) const { return columnsFirst_[band]; }
    int ColumnsEnd(int band) const { return columnsEnd_[band]; }
    int BandsWithWork() const { return busy_; }

    // Lets go of the lists' memory when it is large (small lists are kept for the next call).
    void Trim();

private:
    bool Room(std::size_t bytes);

    void* block_ = nullptr;
    std::size_t bytes_ = 0;
    int bandCount_ = 0;
    int busy_ = 0;
    int* starts_ = nullptr;
    int* items_ = nullptr;
    int* columnsFirst_ = nullptr;
    int* columnsEnd_ = nullptr;
};

// The lists of the call in progress (calls are never drawn two at a time).
Bins& CallBins();

// Calls draw(context, band) for every band of rows of a width x height image that has triangles,
// on up to ThreadCount() threads; band is the call with its rows and triangles set. For drawing
// that needs no planes and no depth (__RasterSolid, __DrawScenesLineColor, mode 0).
using PlainBandDraw = void (*)(void* context, const SceneCall& band);
void DrawPlainBands(const SceneCall& call, int width, int height, Reach reach, int margin, PlainBandDraw draw,
                    void* context);

// The six points of a triangle's subdivision in mode 8: V0, V1, V2, then the edge points of
// V0-V1, V1-V2 and V2-V0 (mode_patch_fill.cpp).
void SubdivisionPoints(const __Point3ds& v0, const __Point3ds& v1, const __Point3ds& v2, __Point3ds out[6]);

}  // namespace trivane
