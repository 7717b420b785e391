// The render driver. For now it hands the image back unchanged: the host's input planes are
// copied into its output planes over the out rectangle.
#include "generate/render_driver.h"

#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"
#include "plugin/rects.h"

#include <cstring>

void RenderEffect(PluginGlobals& globals, std::uint8_t) {
    FilterRecord* record = globals.filterRecord;
    if (!record || !record->inData || !record->outData) return;
    const int bytesPerSample = record->depth == 16 ? 2 : (record->depth == 0 || record->depth == 8 ? 1 : 0);
    if (bytesPerSample == 0) return;
    const Rect outRect = GetOutRect(*record);
    const int width = outRect.right - outRect.left;
    const int height = outRect.bottom - outRect.top;
    const int planes = record->outHiPlane - record->outLoPlane + 1;
    if (width <= 0 || height <= 0 || planes <= 0) return;
    const std::size_t rowBytes = std::size_t(width) * std::size_t(planes) * std::size_t(bytesPerSample);
    const auto* in = static_cast<const std::uint8_t*>(record->inData);
    auto* out = static_cast<std::uint8_t*>(record->outData);
    for (int y = 0; y < height; ++y)
        std::memmove(out + std::ptrdiff_t(y) * record->outRowBytes, in + std::ptrdiff_t(y) * record->inRowBytes,
                     rowBytes);
}
