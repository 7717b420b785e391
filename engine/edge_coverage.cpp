// The anti-aliased edges' coverage of a list of pixels on the widest lanes the processor has.
#include "engine/edge_lanes_p.h"

namespace trivane {

void EdgeCoverageRun(const EdgeLanes& e, const float* x, const float* y, int count, float* coverage,
                     std::uint64_t* positive) {
    const int width = shading::LaneWidth();
    if (width < 4) {
        edges::CoverageLanes<1>(e, x, y, 0, count, coverage, positive);
        return;
    }
    // Groups of the widest lanes while they are more than half full, then of eight, then of four.
    int i = 0;
    if (width >= 16) {
        const int n = (count + 7) / 16 * 16;
        edges::CoverageRun16(e, x, y, 0, n, coverage, positive);
        i = n;
    }
    if (width >= 8 && i < count) {
        const int n = (count - i + 3) / 8 * 8;
        edges::CoverageRun8(e, x, y, i, n, coverage, positive);
        i += n;
    }
    if (i < count) edges::CoverageLanes<4>(e, x, y, i, (count - i + 3) / 4 * 4, coverage, positive);
}

}  // namespace trivane
