#pragma once
// Driving real windows from a test as a person would: posted mouse and keyboard messages, the
// message queue pumped until idle, modal windows handled when they appear, and captures of what
// the windows show.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Dispatches messages (keyboard ones through IsDialogMessage of `dialog`, when given) until the
// queue has stayed empty for `quietMs` milliseconds.
void PumpUntilIdle(HWND dialog = nullptr, int quietMs = 30);

// Mouse input in client coordinates of `window`, posted as the system would send it.
void PostLeftDown(HWND window, int x, int y);
void PostLeftUp(HWND window, int x, int y);
void PostMove(HWND window, int x, int y, WPARAM buttons);
void PostRightDown(HWND window, int x, int y);
void PostRightUp(HWND window, int x, int y);
// A left click (down, up) and a right click, each followed by pumping.
void Click(HWND window, int x, int y, HWND dialog = nullptr);
void RightClick(HWND window, int x, int y, HWND dialog = nullptr);

// Keys to the focused window: WM_KEYDOWN / WM_CHAR / WM_KEYUP, pumped through `dialog`.
void PressKey(HWND dialog, WPARAM virtualKey);
void TypeText(HWND dialog, const char* text);

// Runs `script` with the window once a visible top-level window of this thread with the caption
// `caption` exists, from a timer, so it also runs inside a modal loop that the test starts
// afterwards. A window the script leaves open is ended with IDCANCEL, so a failing script cannot
// hang the test. Returns at once; `Fired()` tells whether the script ran.
void WhenWindowAppears(const char* caption, std::function<void(HWND)> script);
bool Fired();

// Text of a window.
std::string WindowText(HWND window);

// A capture of what a window shows: 0x00RRGGBB pixels, top row first.
struct Capture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    // The pixel at (x, y); 0xFFFFFFFF (no colour) outside the capture.
    std::uint32_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
        return pixels[std::size_t(y) * width + x];
    }
};
Capture CaptureWindow(HWND window, bool wholeWindow = false);
bool SaveBmp(const Capture& capture, const std::string& path);
constexpr std::uint32_t Rgb(int r, int g, int b) { return std::uint32_t(r) << 16 | g << 8 | b; }
