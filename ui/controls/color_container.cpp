// "Contaner Color CPP": record, painting, the chooser and its hook, window procedure, registration.
#include "ui/controls/color_container.h"

#include <commdlg.h>

namespace {
// Makes the chooser show and paint at once wherever the host put the focus.
UINT_PTR CALLBACK ChooserHook(HWND chooser, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    SetWindowLongPtrA(chooser, GWL_STYLE, GetWindowLongPtrA(chooser, GWL_STYLE) | WS_VISIBLE);
    InvalidateRect(chooser, nullptr, TRUE);
    UpdateWindow(chooser);
    PostMessageA(chooser, WM_PAINT, 0, 0);
    SetFocus(chooser);
    RECT frame{};
    GetWindowRect(chooser, &frame);
    MoveWindow(chooser, 0, 0, 1, 1, TRUE);
    MoveWindow(chooser, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, TRUE);
    return TRUE;
}
}  // namespace

// ---- Painting ------------------------------------------------------------------------------
void ColorContainer::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(color);
    RECT all;
    GetClientRect(window, &all);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
}

// ---- Chooser ---------------------------------------------------------------------------------
LRESULT ColorContainer::OnButtonUp() {
    const COLORREF remembered = color;
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = window;
    choose.hInstance = reinterpret_cast<HWND>(ToolkitModule());
    choose.rgbResult = color;
    choose.lpCustColors = customColors;
    choose.Flags = CC_RGBINIT | CC_ENABLEHOOK;
    choose.lpfnHook = ChooserHook;
    if (ChooseColorA(&choose)) {
        color = choose.rgbResult;
    } else if (cancelRestore) {
        color = remembered;
    } else {
        return 0;
    }
    Repaint(window);
    NotifyParent(*this);
    return 0;
}

// ---- Window procedure --------------------------------------------------------------------
LRESULT ColorContainer::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return Paint(), 0;
    case WM_LBUTTONUP: return OnButtonUp();
    case WM_RBUTTONUP: return OnButtonUp();
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// ---- Registration ------------------------------------------------------------------------
ControlClass ColorContainerClass() {
    return {kColorContainerClassName, &ControlWindowProc<ColorContainer>, IDC_ARROW};
}
