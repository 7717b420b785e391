// Layered drawing: one triangle at a time into a private layer, composited into the target with
// the edge and under-edge memories so that shared edges of similar colour leave no seam.
#include <cstring>

#include "engine/raster_p.h"
#include "engine/layer_lanes_p.h"

namespace trivane {

void ClearLayer(const SceneCall& call, int x0, int y0, int x1, int y1) {
    if (x1 <= x0) return;
    std::size_t bytes = static_cast<std::size_t>(x1 - x0) * static_cast<std::size_t>(g_state.pixelBytes);
    for (int y = y0; y < y1; ++y) std::memset(call.layer + PlaneOffset(call, x0, y), 0, bytes);
}

template <typename S>
void CompositeLayer(const SceneCall& call, int x0, int y0, int x1, int y1) {
    const int full = g_state.fullScale;
    for (int y = y0; y < y1; ++y) {
        const std::size_t plane = PlaneOffset(call, x0, y);
        const S* layer = reinterpret_cast<const S*>(call.layer + plane);
        S* target = reinterpret_cast<S*>(call.target + PixelOffset(x0, y));
        S* edge = reinterpret_cast<S*>(call.edge + plane);
        S* under = reinterpret_cast<S*>(call.underEdge + plane);
        for (int x = x0; x < x1; ++x, layer += 4, target += 4, edge += 4, under += 4) {
            CompositePixel<S>(target, edge, under, layer, full);
        }
    }
}

template void CompositeLayer<BYTE>(const SceneCall&, int, int, int, int);
template void CompositeLayer<std::uint16_t>(const SceneCall&, int, int, int, int);

// The pixels of a queued run composited eight at a time on AVX2 processors (shading_batch_avx2.cpp),
// then four at a time; returns how many (the last few, and every pixel on one lane, are left).
template <typename S>
int CompositeRun(const SceneCall& call, const CompositeBatch& b, int count) {
    const int width = shading::LaneWidth();
    int i = 0;
    if (width >= 8) {
        i = count / 8 * 8;
        composite::CompositeRun8<S>(call, b, 0, i);
    }
    if (width >= 4) {
        const int whole = (count - i) / 4 * 4;
        composite::CompositeLanes<4, S>(call, b, i, whole);
        i += whole;
    }
    return i;
}

template int CompositeRun<BYTE>(const SceneCall&, const CompositeBatch&, int);
template int CompositeRun<std::uint16_t>(const SceneCall&, const CompositeBatch&, int);

// The same for a run blended straight into an image (BlendPixel's rule).
template <typename S>
int BlendRun(BYTE* image, int row0, const CompositeBatch& b, int count) {
    const int width = shading::LaneWidth();
    int i = 0;
    if (width >= 8) {
        i = count / 8 * 8;
        composite::BlendRun8<S>(image, row0, b, 0, i);
    }
    if (width >= 4) {
        const int whole = (count - i) / 4 * 4;
        composite::BlendLanes<4, S>(image, row0, b, i, whole);
        i += whole;
    }
    return i;
}

template int BlendRun<BYTE>(BYTE*, int, const CompositeBatch&, int);
template int BlendRun<std::uint16_t>(BYTE*, int, const CompositeBatch&, int);

}  // namespace trivane
