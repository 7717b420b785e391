#include "generate/render_convert.h"

#include <cstring>

namespace {

template <typename Sample>
void ToWorking(const HostPixels& in, std::int32_t columns, std::int32_t rows, std::uint8_t* working,
               std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0, Sample full) {
    const std::int32_t planes = in.planes;
    for (std::int32_t y = 0; y < rows; ++y) {
        const auto* s = reinterpret_cast<const Sample*>(in.data + std::ptrdiff_t(y) * in.rowBytes);
        auto* d = reinterpret_cast<Sample*>(working + std::ptrdiff_t(y0 + y) * workingRowBytes) + 4 * x0;
        for (std::int32_t x = 0; x < columns; ++x, s += planes, d += 4) {
            d[0] = planes >= 4 ? s[3] : full;
            d[1] = s[0];
            d[2] = s[1];
            d[3] = s[2];
        }
    }
}

template <typename Sample>
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
                if (s[0] == Sample(full)) {
                    d[0] = s[1];
                    d[1] = s[2];
                    d[2] = s[3];
                } else {
                    const float factor = float(s[0]) / full;
                    d[0] = Sample(float(s[1]) * factor);
                    d[1] = Sample(float(s[2]) * factor);
                    d[2] = Sample(float(s[3]) * factor);
                }
            } else {
                d[0] = s[1];
                d[1] = s[2];
                d[2] = s[3];
                d[3] = s[0];
                if (extra) d[4] = extra[std::ptrdiff_t(x) * in->planes + 4];
            }
        }
    }
}

}  // namespace

void HostToWorking(const HostPixels& in, bool wide, std::int32_t columns, std::int32_t rows, std::uint8_t* working,
                   std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0) {
    if (wide)
        ToWorking<std::uint16_t>(in, columns, rows, working, workingRowBytes, x0, y0, 32768);
    else
        ToWorking<std::uint8_t>(in, columns, rows, working, workingRowBytes, x0, y0, 255);
}

void WorkingToHost(const std::uint8_t* working, std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0,
                   bool wide, std::int32_t columns, std::int32_t rows, const HostPixels& out, const HostPixels* in) {
    if (wide)
        ToHost<std::uint16_t>(working, workingRowBytes, x0, y0, columns, rows, out, in, 32768.0f);
    else
        ToHost<std::uint8_t>(working, workingRowBytes, x0, y0, columns, rows, out, in, 255.0f);
}

void CopyHostPixels(const HostPixels& in, const HostPixels& out, std::int32_t bytesPerSample, std::int32_t columns,
                    std::int32_t rows) {
    const std::size_t rowBytes = std::size_t(columns) * std::size_t(in.planes) * std::size_t(bytesPerSample);
    for (std::int32_t y = 0; y < rows; ++y)
        std::memmove(out.data + std::ptrdiff_t(y) * out.rowBytes, in.data + std::ptrdiff_t(y) * in.rowBytes, rowBytes);
}
