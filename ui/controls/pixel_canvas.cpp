#include "ui/controls/pixel_canvas.h"

#include <algorithm>
#include <cmath>

void PixelCanvas::Fill(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::fill(pixels, pixels + std::size_t(width) * height, CanvasColor(r, g, b));
}

void PixelCanvas::Set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    pixels[std::size_t(y) * width + x] = CanvasColor(r, g, b);
}

void PixelCanvas::Circle(double cx, double cy, double radius, std::uint32_t ink, std::uint32_t paper) {
    auto channel = [](std::uint32_t c, int shift) { return double((c >> shift) & 0xFF); };
    const int x0 = int(std::floor(cx - radius - 1)), x1 = int(std::ceil(cx + radius + 1));
    const int y0 = int(std::floor(cy - radius - 1)), y1 = int(std::ceil(cy + radius + 1));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double distance = std::hypot(x - cx, y - cy);
            const double cover = 1.0 - std::fabs(distance - radius);
            if (cover <= 0.0) continue;
            auto mix = [&](int shift) {
                return std::uint8_t(cover * channel(ink, shift) + (1.0 - cover) * channel(paper, shift) + 0.5);
            };
            Set(x, y, mix(16), mix(8), mix(0));
        }
    }
}
