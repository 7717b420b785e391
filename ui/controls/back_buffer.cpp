#include "ui/controls/back_buffer.h"

BackBuffer::BackBuffer(const ControlRecord& record) : record_(record) {
    windowDc_ = BeginPaint(record.window, &paint_);
    hmemdc_ = CreateCompatibleDC(windowDc_);
    BackBmptt_ = CreateCompatibleBitmap(windowDc_, record.width, record.height);
    Oldbmp_ = SelectObject(hmemdc_, BackBmptt_);
    RECT all{0, 0, record.width, record.height};
    FillRect(hmemdc_, &all, Toolkit().faceBrush ? Toolkit().faceBrush : GetSysColorBrush(COLOR_BTNFACE));
}

BackBuffer::~BackBuffer() {
    BitBlt(windowDc_, 0, 0, record_.width, record_.height, hmemdc_, 0, 0, SRCCOPY);
    SelectObject(hmemdc_, Oldbmp_);
    DeleteObject(BackBmptt_);
    DeleteDC(hmemdc_);
    EndPaint(record_.window, &paint_);
}

void DrawPixels(HDC dc, int x, int y, int width, int height, const void* pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, x, y, width, height, 0, 0, 0, height, pixels, &info, DIB_RGB_COLORS);
}
