#pragma once
// Process-wide render values shared by the render driver, the scene builder and the dialog.
// One render at a time; nothing here is locked.

#include <cstdint>

// The main dialog is open: renders are previews (8-bit, quality 0, reduced size).
extern bool PreviewMode;
// A preset thumbnail is rendering (the open dialog has pointed the filter record at its buffers).
extern bool ThumbnailMode;
// Image pixels per preview pixel; 1.0 outside the preview.
extern float PreviewZoom;

// What the preview window lends the driver in dialog-preview mode: its pan offset (preview
// pixels) and two four-channel 8-bit buffers (coverage, red, green, blue) of the out
// rectangle's size, rows without gaps. Owned by the preview window.
struct PreviewBuffers {
    std::uint8_t* result = nullptr;
    std::uint8_t* source = nullptr;
    std::int32_t panX = 0;
    std::int32_t panY = 0;
};
extern PreviewBuffers PreviewState;
