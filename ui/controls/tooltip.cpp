#include "ui/controls/tooltip.h"

#include "ui/controls/toolkit.h"

#include <commctrl.h>

void AttachTooltip(HWND window, const char* text, const char* title) {
    if (!window || !text) return;
    HWND tip = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | WS_BORDER | WS_DLGFRAME | TTS_BALLOON | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, ToolkitModule(),
                               nullptr);
    if (!tip) return;
    SetWindowPos(tip, nullptr, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);

    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS | TTF_CENTERTIP | TTF_TRANSPARENT;
    tool.hwnd = window;
    tool.uId = 0;
    GetClientRect(window, &tool.rect);
    tool.hinst = nullptr;
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    if (title) SendMessageA(tip, TTM_SETTITLEA, 1, reinterpret_cast<LPARAM>(title));
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 100);
}
