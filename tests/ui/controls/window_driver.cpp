#include "window_driver.h"

#include <cstdio>

namespace {

// Test output reaches the log line by line, so a test stuck in a modal loop shows where it is.
const bool gUnbuffered = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return true;
}();

std::function<void(HWND)> gScript;
std::string gCaption;
bool gFired = false;
UINT_PTR gTimer = 0;

HWND gFound = nullptr;
BOOL CALLBACK FindCaption(HWND window, LPARAM) {
    if (IsWindowVisible(window) && WindowText(window) == gCaption) {
        gFound = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    gFound = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindCaption, 0);
    if (!gFound) return;
    KillTimer(nullptr, gTimer);
    gTimer = 0;
    gFired = true;
    HWND window = gFound;
    auto script = std::move(gScript);
    script(window);
    if (IsWindow(window) && IsWindowVisible(window)) EndDialog(window, IDCANCEL);
}

LPARAM Point(int x, int y) { return MAKELPARAM(short(x), short(y)); }

}  // namespace

void PumpUntilIdle(HWND dialog, int quietMs) {
    DWORD quietSince = GetTickCount();
    for (;;) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!dialog || !IsWindow(dialog) || !IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            // Timers (a caret's blink, the watch for modal windows) tick on while nothing happens.
            if (msg.message != WM_TIMER && msg.message != 0x0118 /* WM_SYSTIMER */) quietSince = GetTickCount();
            continue;
        }
        if (GetTickCount() - quietSince >= DWORD(quietMs)) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void PostLeftDown(HWND window, int x, int y) { PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y)); }
void PostLeftUp(HWND window, int x, int y) { PostMessageA(window, WM_LBUTTONUP, 0, Point(x, y)); }
void PostMove(HWND window, int x, int y, WPARAM buttons) { PostMessageA(window, WM_MOUSEMOVE, buttons, Point(x, y)); }
void PostRightDown(HWND window, int x, int y) { PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, Point(x, y)); }
void PostRightUp(HWND window, int x, int y) { PostMessageA(window, WM_RBUTTONUP, 0, Point(x, y)); }

void Click(HWND window, int x, int y, HWND dialog) {
    PostLeftDown(window, x, y);
    PostLeftUp(window, x, y);
    PumpUntilIdle(dialog);
}

void RightClick(HWND window, int x, int y, HWND dialog) {
    PostRightDown(window, x, y);
    PostRightUp(window, x, y);
    PumpUntilIdle(dialog);
}

void PressKey(HWND dialog, WPARAM virtualKey) {
    HWND focus = GetFocus();
    const UINT scan = MapVirtualKeyA(UINT(virtualKey), 0);
    PostMessageA(focus, WM_KEYDOWN, virtualKey, 1 | scan << 16);
    PostMessageA(focus, WM_KEYUP, virtualKey, 1 | scan << 16 | 3u << 30);
    PumpUntilIdle(dialog);
}

void TypeText(HWND dialog, const char* text) {
    HWND focus = GetFocus();
    for (const char* c = text; *c; ++c) PostMessageA(focus, WM_CHAR, WPARAM(static_cast<unsigned char>(*c)), 1);
    PumpUntilIdle(dialog);
}

void WhenWindowAppears(const char* caption, std::function<void(HWND)> script) {
    gScript = std::move(script);
    gCaption = caption;
    gFired = false;
    if (gTimer) KillTimer(nullptr, gTimer);
    gTimer = SetTimer(nullptr, 0, 20, OnTimer);
}

bool Fired() { return gFired; }

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

Capture CaptureWindow(HWND window, bool wholeWindow) {
    Capture capture;
    RECT r{};
    if (wholeWindow)
        GetWindowRect(window, &r), OffsetRect(&r, -r.left, -r.top);
    else
        GetClientRect(window, &r);
    capture.width = r.right;
    capture.height = r.bottom;
    if (capture.width <= 0 || capture.height <= 0) return capture;
    HDC source = wholeWindow ? GetWindowDC(window) : GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    capture.pixels.assign(p, p + std::size_t(capture.width) * capture.height);
    for (auto& pixel : capture.pixels) pixel &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return capture;
}

bool SaveBmp(const Capture& capture, const std::string& path) {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    const DWORD bytes = DWORD(capture.pixels.size() * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + bytes;
    info.biSize = sizeof info;
    info.biWidth = capture.width;
    info.biHeight = -capture.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(capture.pixels.data(), 1, bytes, out) == bytes;
    return std::fclose(out) == 0 && ok;
}
