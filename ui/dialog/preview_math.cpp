#include "ui/dialog/preview_math.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

float PreviewFitFor(std::int32_t w, std::int32_t h, std::int32_t wv, std::int32_t hv) {
    if (wv <= 0 || hv <= 0) return 1.0f;
    float fit = std::max(float(w) / float(wv), float(h) / float(hv));
    if (fit < 1.0f) fit = 1.0f;
    return float(std::int32_t(fit + 0.5f));
}

float PreviewZoomFor(float fit, float scale) { return float(std::int32_t(fit * scale)); }

ZoomStep ZoomInStep(float scale, float fit) {
    const float halved = scale / 2.0f;
    if (fit * halved < 1.0f) return {scale, true};
    return {halved, false};
}

ZoomStep ZoomOutStep(float scale) {
    const float doubled = scale * 2.0f;
    if (doubled >= 1.0f) return {1.0f, true};
    return {doubled, false};
}

PreviewView PreviewViewFor(std::int32_t top, std::int32_t left, std::int32_t bottom, std::int32_t right,
                           std::int32_t wv, std::int32_t hv, float zoom, std::int32_t panX, std::int32_t panY) {
    PreviewView view;
    if (zoom < 1.0f) zoom = 1.0f;
    const std::int32_t z = std::int32_t(zoom);
    // The reduced filter rectangle; its size rounds like the driver's W and H.
    const std::int32_t reducedTop = top / z, reducedLeft = left / z;
    const std::int32_t reducedWidth = std::max(std::int32_t(float(right - left) / zoom), 0);
    const std::int32_t reducedHeight = std::max(std::int32_t(float(bottom - top) / zoom), 0);
    view.panX = std::clamp(panX, 0, std::max(reducedWidth - wv, 0));
    view.panY = std::clamp(panY, 0, std::max(reducedHeight - hv, 0));
    view.top = reducedTop + view.panY;
    view.left = reducedLeft + view.panX;
    view.bottom = view.top + std::clamp(hv, 0, reducedHeight);
    view.right = view.left + std::clamp(wv, 0, reducedWidth);
    return view;
}

void SampledToPreview(const std::uint8_t* input, std::int32_t rowBytes, std::int32_t planes, std::int32_t depth,
                      std::int32_t w, std::int32_t h, std::uint8_t* preview) {
    if (!input || !preview || w <= 0 || h <= 0 || planes < 3) return;
    const bool wide = depth == 16;
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = input + std::ptrdiff_t(y) * rowBytes;
        std::uint8_t* to = preview + std::size_t(y) * std::size_t(w) * 4;
        for (std::int32_t x = 0; x < w; ++x, to += 4) {
            std::uint8_t sample[4] = {0, 0, 0, 255};
            for (int p = 0; p < std::min(planes, 4); ++p) {
                if (wide) {
                    std::uint16_t v;
                    std::memcpy(&v, row + (std::ptrdiff_t(x) * planes + p) * 2, 2);
                    sample[p] = v >= 32768 ? 255 : std::uint8_t(v / 128);
                } else {
                    sample[p] = row[std::ptrdiff_t(x) * planes + p];
                }
            }
            to[0] = sample[3];
            to[1] = sample[0];
            to[2] = sample[1];
            to[3] = sample[2];
        }
    }
}
