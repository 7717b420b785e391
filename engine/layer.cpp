// Layered drawing: one triangle at a time into a private layer, composited into the target with
// the edge and under-edge memories so that shared edges of similar colour leave no seam.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/raster_p.h"

namespace trivane {

void ClearLayer(const SceneCall& call, int x0, int y0, int x1, int y1) {
    if (x1 <= x0) return;
    std::size_t bytes = static_cast<std::size_t>(x1 - x0) * static_cast<std::size_t>(g_state.pixelBytes);
    for (int y = y0; y < y1; ++y) std::memset(call.layer + PixelOffset(x0, y), 0, bytes);
}

template <typename S>
void CompositeLayer(const SceneCall& call, int x0, int y0, int x1, int y1) {
    const int full = g_state.fullScale;
    const int similar = full == 255 ? 20 : 20 * 256;
    for (int y = y0; y < y1; ++y) {
        std::size_t offset = PixelOffset(x0, y);
        S* layer = reinterpret_cast<S*>(call.layer + offset);
        S* target = reinterpret_cast<S*>(call.target + offset);
        S* edge = reinterpret_cast<S*>(call.edge + offset);
        S* under = reinterpret_cast<S*>(call.underEdge + offset);
        for (int x = x0; x < x1; ++x, layer += 4, target += 4, edge += 4, under += 4) {
            const int cover = layer[3];
            if (cover == 0) continue;
            if (cover >= full) {
                for (int k = 0; k < 3; ++k) target[k] = edge[k] = under[k] = layer[k];
                target[3] = static_cast<S>(full);
                continue;
            }
            if (target[3] == 0) {
                std::memcpy(target, layer, 4 * sizeof(S));
                continue;
            }
            int c;
            int difference = std::max({std::abs(edge[0] - layer[0]), std::abs(edge[1] - layer[1]),
                                       std::abs(edge[2] - layer[2])});
            if (edge[3] != 0 && difference < similar) {
                // A second edge of similar colour: blend against what lay under the first.
                edge[3] = static_cast<S>(std::max<int>(edge[3], cover));
                c = edge[3];
            } else {
                for (int k = 0; k < 3; ++k) under[k] = target[k];
                std::memcpy(edge, layer, 4 * sizeof(S));
                c = cover;
            }
            const float k = static_cast<float>(c) / static_cast<float>(full);
            for (int i = 0; i < 3; ++i) {
                float u = under[i];
                target[i] = ClampSample<S>(u + (static_cast<float>(layer[i]) - u) * k, static_cast<float>(full));
            }
            target[3] = static_cast<S>(std::max<int>(c, target[3]));
        }
    }
}

template void CompositeLayer<BYTE>(const SceneCall&, int, int, int, int);
template void CompositeLayer<std::uint16_t>(const SceneCall&, int, int, int, int);

}  // namespace trivane
