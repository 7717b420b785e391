#pragma once
// The preview's arithmetic without windows or host: how far the image is reduced to fit the
// preview window, the user's zoom steps, which part of the reduced image the window shows (with the
// pan limits), and the reduced source pixels turned into the preview's four-channel buffer.
// Compiled and tested on every platform.

#include <cstdint>

// How many image pixels go into one preview pixel for the whole w x h image to fit a wv x hv window:
// the larger of w / wv and h / hv, at least 1, rounded to the nearest integer.
float PreviewFitFor(std::int32_t w, std::int32_t h, std::int32_t wv, std::int32_t hv);

// Image pixels per preview pixel at a user zoom: trunc(fit x scale).
float PreviewZoomFor(float fit, float scale);

// One step of the user's zoom. `scale` is 1 for the whole image, halved per zoom-in.
struct ZoomStep {
    float scale;     // the new scale
    bool disable;    // the step's button is to be disabled
};
// Halves the scale, unless that would show less than one image pixel per preview pixel
// (fit x scale < 1): then the scale stays and the button is disabled.
ZoomStep ZoomInStep(float scale, float fit);
// Doubles the scale, held at 1 (the whole image), where the button is disabled.
ZoomStep ZoomOutStep(float scale);

// What the preview asks the host for. Coordinates are in reduced pixels: the host samples image
// pixel (x x zoom, y x zoom) for reduced pixel (x, y).
struct PreviewView {
    std::int32_t top = 0, left = 0, bottom = 0, right = 0;  // the rectangle to request
    std::int32_t panX = 0, panY = 0;                        // the pan offset, held within the image
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
};
// The part of the filter rectangle (top, left, bottom, right in image pixels) that a wv x hv window
// shows at `zoom`, starting `panX`, `panY` reduced pixels into it. The pan offset is held so the
// view stays inside the reduced filter rectangle (0 when the window is larger than it); the view is
// the window's size, or the reduced rectangle's where that is smaller.
PreviewView PreviewViewFor(std::int32_t top, std::int32_t left, std::int32_t bottom, std::int32_t right,
                           std::int32_t wv, std::int32_t hv, float zoom, std::int32_t panX, std::int32_t panY);

// The host's reduced input (rows of `rowBytes` bytes, `planes` interleaved samples per pixel, 8- or
// 16-bit samples as `depth` says; 0 counts as 8) into the preview's buffer: w x h pixels of
// (coverage, red, green, blue) bytes, rows without gaps. Coverage is the fourth plane when there
// are at least four, else 255. 16-bit samples v become v / 128, or 255 from 32768 up.
void SampledToPreview(const std::uint8_t* input, std::int32_t rowBytes, std::int32_t planes, std::int32_t depth,
                      std::int32_t w, std::int32_t h, std::uint8_t* preview);
