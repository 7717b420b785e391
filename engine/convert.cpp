// Sample-depth conversions of whole buffers and of textures.
#include <cstdint>
#include <cstring>

#include "engine/trivane.h"
#include "platform/platform.h"

namespace {

// Number of samples of a rows x rowSamples buffer, 0 when the sizes are not usable.
std::size_t SampleCount(int rows, int rowSamples) {
    if (rows <= 0 || rowSamples <= 0) return 0;
    return static_cast<std::size_t>(rows) * static_cast<std::size_t>(rowSamples);
}

}  // namespace

void __ConvertBYTE8TO16(BYTE** buffer, int /*width*/, int rows, int rowSamples) {
    std::size_t n = SampleCount(rows, rowSamples);
    if (buffer == nullptr || *buffer == nullptr || n == 0) return;
    auto* wide = static_cast<std::uint16_t*>(platform::AllocPages(n * 2));
    if (wide == nullptr) return;  // the caller keeps its 8-bit buffer
    const BYTE* narrow = *buffer;
    for (std::size_t i = 0; i < n; ++i) {
        wide[i] = static_cast<std::uint16_t>((narrow[i] * 32768u + 128u) / 255u);
    }
    platform::FreePages(*buffer);
    *buffer = reinterpret_cast<BYTE*>(wide);
}

void __ConvertBYTE16TO8(BYTE** buffer, int /*width*/, int rows, int rowSamples) {
    std::size_t n = SampleCount(rows, rowSamples);
    if (buffer == nullptr || *buffer == nullptr || n == 0) return;
    auto* narrow = static_cast<BYTE*>(platform::AllocPages(n));
    if (narrow == nullptr) return;
    const BYTE* bytes = *buffer;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint16_t s;
        std::memcpy(&s, bytes + 2 * i, 2);
        std::uint32_t v = (static_cast<std::uint32_t>(s) * 255u + 16384u) >> 15;
        narrow[i] = static_cast<BYTE>(v > 255u ? 255u : v);
    }
    platform::FreePages(*buffer);
    *buffer = narrow;
}

void __ConvertText(__Texture* texture) {
    if (texture == nullptr || !texture->present) return;
    if (texture->texels == nullptr || texture->width <= 0 || texture->height <= 0) return;
    if (texture->width > 0x7FFFFFFF / 4) return;
    if (_Deep && !texture->is16) {
        BYTE* before = texture->texels;
        __ConvertBYTE8TO16(&texture->texels, texture->width, texture->height, texture->width * 4);
        if (texture->texels != before) texture->is16 = 1;
    } else if (!_Deep && texture->is16) {
        BYTE* before = texture->texels;
        __ConvertBYTE16TO8(&texture->texels, texture->width, texture->height, texture->width * 4);
        if (texture->texels != before) texture->is16 = 0;
    }
}
