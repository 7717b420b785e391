#pragma once
// A small 32-bit canvas for controls that shade their own pixels, with anti-aliased circles.
// The canvas does not own its memory (the record's pixel buffer).

#include <cstdint>

struct PixelCanvas {
    std::uint32_t* pixels;  // 0x00RRGGBB, top row first
    int width, height;

    void Fill(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    // Writes one pixel; outside the canvas nothing happens.
    void Set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    // A one-pixel circle outline about (cx, cy): each pixel within a pixel of the circle becomes
    // `ink` blended toward `paper` by its distance from the circle.
    void Circle(double cx, double cy, double radius, std::uint32_t ink, std::uint32_t paper);
};

constexpr std::uint32_t CanvasColor(int r, int g, int b) {
    return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}
