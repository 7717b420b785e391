#include "generate/render_convert.h"

#include <cstring>

namespace {

// Where coverage, red, green and blue sit in a working pixel.
struct Order {
    int a, r, g, b;
};
constexpr Order OrderOf(WorkingOrder order) {
    return order == WorkingOrder::CoverageFirst ? Order{0, 1, 2, 3} : Order{3, 0, 1, 2};
}

template <typename Sample, int A, int R, int G, int B>
void ToWorking(const HostPixels& in, std::int32_t columns, std::int32_t rows, std::uint8_t* working,
               std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0, Sample full) {
    const std::int32_t planes = in.planes;
    for (std::int32_t y = 0; y < rows; ++y) {
        const auto* s = reinterpret_cast<const Sample*>(in.data + std::ptrdiff_t(y) * in.rowBytes);
        auto* d = reinterpret_cast<Sample*>(working + std::ptrdiff_t(y0 + y) * workingRowBytes) + 4 * x0;
        if (planes == 3) {
            for (std::int32_t x = 0; x < columns; ++x, s += 3, d += 4) {
                d[A] = full;
                d[R] = s[0];
                d[G] = s[1];
                d[B] = s[2];
            }
            continue;
        }
        for (std::int32_t x = 0; x < columns; ++x, s += planes, d += 4) {
            d[A] = planes >= 4 ? s[3] : full;
            d[R] = s[0];
            d[G] = s[1];
            d[B] = s[2];
        }
    }
}

template <typename Sample, int A, int R, int G, int B>
void ToHost(const std::uint8_t* working, std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0,
            std::int32_t columns, std::int32_t rows, const HostPixels& out, const HostPixels* in, float full) {
    const std::int32_t planes = out.planes;
    for (std::int32_t y = 0; y < rows; ++y) {
        const auto* s = reinterpret_cast<const Sample*>(working + std::ptrdiff_t(y0 + y) * workingRowBytes) + 4 * x0;
        auto* d = reinterpret_cast<Sample*>(out.data + std::ptrdiff_t(y) * out.rowBytes);
        const Sample* extra = in && in->data && planes >= 5
                                  ? reinterpret_cast<const Sample*>(in->data + std::ptrdiff_t(y) * in->rowBytes)
                                  : nullptr;
        for (std::int32_t x = 0; x < columns; ++x, s += 4, d += planes) {
            if (planes < 4) {
                if (s[A] == Sample(full)) {
                    d[0] = s[R];
                    d[1] = s[G];
                    d[2] = s[B];
                } else {
                    const float factor = float(s[A]) / full;
                    d[0] = Sample(float(s[R]) * factor);
                    d[1] = Sample(float(s[G]) * factor);
                    d[2] = Sample(float(s[B]) * factor);
                }
            } else {
                d[0] = s[R];
                d[1] = s[G];
                d[2] = s[B];
                d[3] = s[A];
                if (extra) d[4] = extra[std::ptrdiff_t(x) * in->planes + 4];
            }
        }
    }
}

}  // namespace

void HostToWorking(const HostPixels& in, bool wide, std::int32_t columns, std::int32_t rows, std::uint8_t* working,
                   std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0, WorkingOrder order) {
    constexpr Order f = OrderOf(WorkingOrder::CoverageFirst), l = OrderOf(WorkingOrder::CoverageLast);
    const bool first = order == WorkingOrder::CoverageFirst;
    if (wide)
        (first ? ToWorking<std::uint16_t, f.a, f.r, f.g, f.b> : ToWorking<std::uint16_t, l.a, l.r, l.g, l.b>)(
            in, columns, rows, working, workingRowBytes, x0, y0, 32768);
    else
        (first ? ToWorking<std::uint8_t, f.a, f.r, f.g, f.b> : ToWorking<std::uint8_t, l.a, l.r, l.g, l.b>)(
            in, columns, rows, working, workingRowBytes, x0, y0, 255);
}

void WorkingToHost(const std::uint8_t* working, std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0,
                   bool wide, std::int32_t columns, std::int32_t rows, const HostPixels& out, const HostPixels* in,
                   WorkingOrder order) {
    constexpr Order f = OrderOf(WorkingOrder::CoverageFirst), l = OrderOf(WorkingOrder::CoverageLast);
    const bool first = order == WorkingOrder::CoverageFirst;
    if (wide)
        (first ? ToHost<std::uint16_t, f.a, f.r, f.g, f.b> : ToHost<std::uint16_t, l.a, l.r, l.g, l.b>)(
            working, workingRowBytes, x0, y0, columns, rows, out, in, 32768.0f);
    else
        (first ? ToHost<std::uint8_t, f.a, f.r, f.g, f.b> : ToHost<std::uint8_t, l.a, l.r, l.g, l.b>)(
            working, workingRowBytes, x0, y0, columns, rows, out, in, 255.0f);
}

void CopyHostPixels(const HostPixels& in, const HostPixels& out, std::int32_t bytesPerSample, std::int32_t columns,
                    std::int32_t rows) {
    const std::size_t rowBytes = std::size_t(columns) * std::size_t(in.planes) * std::size_t(bytesPerSample);
    for (std::int32_t y = 0; y < rows; ++y)
        std::memmove(out.data + std::ptrdiff_t(y) * out.rowBytes, in.data + std::ptrdiff_t(y) * in.rowBytes, rowBytes);
}
