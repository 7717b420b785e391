// The selection tracer with random masks: sizes, strides and row padding, two to many values (raw
// bytes, or a few values painted as rectangles and discs), any tolerance and subdivision step;
// then the path the scene builder makes of the outlines.
//
// Besides the sanitizers' findings it checks what callers rely on: two-valued masks always trace
// (never the error answer), the mask is only read, the arrays hold exactly the counted points and
// segments with every index in range and every point on the raster's vertex grid span, segments
// never join two lines, and every closed outline of a two-valued mask keeps the region it
// encloses on its right.
#include "generate/base_paths.h"
#include "geometry/mesh_builder.h"
#include "platform/platform.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::uint8_t> MakeMask(FuzzedDataProvider& in, int columns, int rows, int stride, bool& twoValued) {
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows));
    const int style = in.ConsumeIntegralInRange(0, 2);
    if (style == 0) {  // raw bytes, row padding included
        for (std::uint8_t& b : mask) b = in.ConsumeIntegral<std::uint8_t>();
    } else {  // a background value and painted shapes of a few values
        const int values = style == 1 ? 2 : in.ConsumeIntegralInRange(2, 5);
        std::uint8_t palette[5];
        for (int k = 0; k < values; ++k) palette[k] = in.ConsumeIntegral<std::uint8_t>();
        const std::uint8_t background = palette[0];
        for (std::uint8_t& b : mask) b = background;
        const int shapes = in.ConsumeIntegralInRange(0, 12);
        for (int s = 0; s < shapes; ++s) {
            const std::uint8_t value = palette[in.ConsumeIntegralInRange(0, values - 1)];
            const int r0 = in.ConsumeIntegralInRange(-2, rows), c0 = in.ConsumeIntegralInRange(-2, columns);
            const int r1 = in.ConsumeIntegralInRange(r0, rows + 2), c1 = in.ConsumeIntegralInRange(c0, columns + 2);
            const bool disc = in.ConsumeBool();
            for (int r = std::max(r0, 0); r < std::min(r1, rows); ++r)
                for (int c = std::max(c0, 0); c < std::min(c1, columns); ++c) {
                    if (disc) {
                        const double dx = (c + 0.5 - (c0 + c1) / 2.0) / std::max(1, c1 - c0);
                        const double dy = (r + 0.5 - (r0 + r1) / 2.0) / std::max(1, r1 - r0);
                        if (dx * dx + dy * dy > 0.25) continue;
                    }
                    mask[static_cast<std::size_t>(r) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(c)] =
                        value;
                }
        }
    }
    // Two-valued over the used columns (the padding is not part of the mask).
    int first = -1, second = -1;
    twoValued = true;
    for (int r = 0; r < rows && twoValued; ++r)
        for (int c = 0; c < columns; ++c) {
            const int v = mask[static_cast<std::size_t>(r) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(c)];
            if (v == first || v == second) continue;
            if (first < 0) first = v;
            else if (second < 0) second = v;
            else {
                twoValued = false;
                break;
            }
        }
    // Outside the raster reads as 0: a third value unless 0 is one of the two.
    if (twoValued && first != 0 && second != 0 && second >= 0) twoValued = false;
    return mask;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int columns = in.ConsumeIntegralInRange(1, 96);
    const int rows = in.ConsumeIntegralInRange(1, 96);
    const int stride = columns + in.ConsumeIntegralInRange(0, 7);
    const float x = in.ConsumeFloatingPoint<float>();
    const std::int32_t e = in.ConsumeIntegral<std::int32_t>();
    bool twoValued = false;
    const std::vector<std::uint8_t> mask = MakeMask(in, columns, rows, stride, twoValued);
    const std::vector<std::uint8_t> before = mask;

    CMeshBuilder builder;
    std::int32_t n = -1, m = -1;
    MeshPoint* points = nullptr;
    MeshSegment* segments = nullptr;
    const bool ok = builder.BuildBorderLines(columns, rows, stride, mask.data(), x, e, &n, &m, &points, &segments);
    Check(mask == before);
    if (twoValued) Check(ok);
    if (!ok) {
        Check(n == 0 && m == 0 && points == nullptr && segments == nullptr && builder.LastError() != nullptr);
        return 0;
    }
    Check(n >= 0 && m >= 0 && (points != nullptr) == (n > 0 && m > 0) && (segments != nullptr) == (n > 0 && m > 0));
    Check(m < n || n == 0);
    for (std::int32_t k = 0; k < n; ++k)
        Check(points[k].x >= 0 && points[k].x <= columns && points[k].y >= 0 && points[k].y <= rows);
    for (std::int32_t j = 0; j < m; ++j) {
        Check(segments[j].from >= 0 && segments[j].to < n && segments[j].to == segments[j].from + 1);
        if (j > 0) Check(segments[j].from >= segments[j - 1].to);
    }
    BasePath path;
    Check(PathFromSelection(n, m, points, segments, -columns / 2.0f, -rows / 2.0f, path));
    Check(path.segmentCount == m);
    for (std::int32_t j = 0; j < path.segmentCount; ++j) Check(std::isfinite(path.segments[j].length));
    FreeBasePath(path);
    platform::FreePages(points);
    platform::FreePages(segments);

    // The traced lines themselves: closed outlines of two-valued masks wind clockwise on the screen.
    if (twoValued) {
        CMeshBuilder tracer;
        tracer.LoadMask(columns, rows, stride, mask.data());
        tracer.FindBorderLines();
        for (const BorderLine& line : tracer.Lines()) {
            if (!line.closed) continue;
            double area = 0;
            for (std::size_t k = 0; k + 1 < line.points.size(); ++k)
                area += double(line.points[k]->x) * line.points[k + 1]->y -
                        double(line.points[k + 1]->x) * line.points[k]->y;
            Check(area > 0);
        }
    }
    return 0;
}
