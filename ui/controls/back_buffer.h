#pragma once
// Back-buffer painting: a control draws a whole frame into a memory bitmap of its full client size,
// already filled with the dialog face brush, and the frame reaches the window in one copy, so a
// repaint never shows half-drawn states.
//
//   case WM_PAINT: { BackBuffer paint(record); Draw(paint.dc()); return 0; }

#include "ui/controls/control.h"

class BackBuffer {
public:
    // BeginPaint; memory DC `hmemdc` and bitmap `BackBmptt` of the record's client size; face fill.
    explicit BackBuffer(const ControlRecord& record);
    // One BitBlt (SRCCOPY) of the full client size to (0, 0); then the GDI objects go; EndPaint.
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    HDC dc() const { return hmemdc_; }

private:
    const ControlRecord& record_;
    PAINTSTRUCT paint_{};
    HDC windowDc_ = nullptr;
    HDC hmemdc_ = nullptr;
    HBITMAP BackBmptt_ = nullptr;
    HGDIOBJ Oldbmp_ = nullptr;
};

// Copies 32-bit BGRA pixels (top row first, `width` x `height`) into a DC at (x, y).
void DrawPixels(HDC dc, int x, int y, int width, int height, const void* pixels);
