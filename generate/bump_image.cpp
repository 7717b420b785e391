// The bump image: bitmap resource 999 read into 40 x 40 texels of 3 bytes.
#include "generate/scene_render.h"

#include "platform/platform.h"

#include <cstring>

namespace {

std::uint32_t Read32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t Read16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

}  // namespace

// A DIB without its file header: BITMAPINFOHEADER, an optional palette, then the rows (bottom-up
// unless the height is negative, each padded to 4 bytes). 8-bit paletted, 24- and 32-bit.
std::uint8_t* LoadBumpImage() {
    std::size_t size = 0;
    const std::uint8_t* dib = platform::FindResourceBytes(platform::kResourceBitmap, 999, &size);
    if (!dib || size < 40) return nullptr;
    const std::uint32_t headerSize = Read32(dib);
    const std::int32_t width = std::int32_t(Read32(dib + 4));
    const std::int32_t rawHeight = std::int32_t(Read32(dib + 8));
    const int bits = Read16(dib + 14);
    const std::uint32_t compression = Read32(dib + 16);
    std::uint32_t colours = Read32(dib + 32);
    const bool topDown = rawHeight < 0;
    const std::int32_t height = topDown ? -rawHeight : rawHeight;
    if (headerSize < 40 || headerSize > size || width != kBumpSize || height != kBumpSize || compression != 0)
        return nullptr;
    if (bits != 8 && bits != 24 && bits != 32) return nullptr;
    if (bits == 8 && colours == 0) colours = 256;
    const std::size_t paletteBytes = bits == 8 ? std::size_t(colours) * 4 : 0;
    const std::size_t stride = (std::size_t(width) * std::size_t(bits) / 8 + 3) & ~std::size_t(3);
    const std::size_t pixelsAt = headerSize + paletteBytes;
    if (pixelsAt > size || size - pixelsAt < stride * std::size_t(height)) return nullptr;

    auto* image = static_cast<std::uint8_t*>(platform::AllocPages(kBumpSize * kBumpSize * 3));
    if (!image) return nullptr;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = dib + pixelsAt + stride * std::size_t(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            std::uint8_t red;
            if (bits == 8) {
                const std::uint8_t index = row[x];
                red = index < colours ? dib[headerSize + std::size_t(index) * 4 + 2] : 0;  // palette is B, G, R, 0
            } else {
                red = row[std::size_t(x) * std::size_t(bits / 8) + 2];  // pixels are B, G, R(, A)
            }
            image[(std::size_t(y) * kBumpSize + std::size_t(x)) * 3] = red;
        }
    }
    return image;
}
