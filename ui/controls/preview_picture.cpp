#include "ui/controls/preview_picture.h"

namespace {

std::uint8_t Covered(std::uint8_t value, std::uint8_t coverage) {
    if (coverage == 255) return value;
    return std::uint8_t(unsigned(value) * coverage / 255);
}

std::uint8_t Narrow(std::uint16_t value) { return value >= 32768 ? 255 : std::uint8_t(value / 128); }

void Put(std::uint8_t* to, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    to[0] = blue;
    to[1] = green;
    to[2] = red;
}

}  // namespace

std::size_t PictureRowBytes(std::int32_t width) {
    return width <= 0 ? 0 : (std::size_t(width) * 3 + 3) & ~std::size_t(3);
}

void FillPicture(const PictureSource& source, std::int32_t width, std::int32_t height, std::uint8_t* rows) {
    if (!source.data || !rows || width <= 0 || height <= 0) return;
    const bool wide = !source.fourChannel && source.depth == 16;
    if (!source.fourChannel && !wide && source.planes != 3 && source.planes != 4 && source.planes != 5) return;
    if (!source.fourChannel && source.planes < 3) return;
    const std::size_t stride = PictureRowBytes(width);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* from = source.data + std::ptrdiff_t(y) * source.rowBytes;
        std::uint8_t* to = rows + std::size_t(height - 1 - y) * stride;
        for (std::int32_t x = 0; x < width; ++x, to += 3) {
            if (source.fourChannel) {
                const std::uint8_t* p = from + std::ptrdiff_t(x) * 4;
                Put(to, Covered(p[1], p[0]), Covered(p[2], p[0]), Covered(p[3], p[0]));
            } else if (wide) {
                const auto* p = reinterpret_cast<const std::uint16_t*>(from) + std::ptrdiff_t(x) * source.planes;
                Put(to, Narrow(p[0]), Narrow(p[1]), Narrow(p[2]));
            } else {
                const std::uint8_t* p = from + std::ptrdiff_t(x) * source.planes;
                const std::uint8_t coverage = source.planes >= 4 ? p[3] : 255;
                Put(to, Covered(p[0], coverage), Covered(p[1], coverage), Covered(p[2], coverage));
            }
        }
    }
}
