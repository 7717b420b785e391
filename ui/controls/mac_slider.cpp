// "Mac Slider CPP": record, painting, mouse handlers, window procedure, registration.
#include "ui/controls/mac_slider.h"

#include "ui/controls/back_buffer.h"
#include "ui/controls/slider_math.h"

#include <windowsx.h>

// ---- Painting ------------------------------------------------------------------------------
void MacSlider::Paint() {
    BackBuffer paint(*this);
    HDC dc = paint.dc();
    const int w = width, h = height;
    int q = h / 4;
    if (q == 0) q = 1;
    const bool enabled = IsWindowEnabled(window);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(enabled ? GRAY_BRUSH : LTGRAY_BRUSH));
    HPEN greyPen = enabled ? nullptr : CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ oldPen = greyPen ? SelectObject(dc, greyPen) : nullptr;

    Rectangle(dc, 5, q, w - 5, h - 2 * q);
    const int x = SliderPositionOf(value, w, minimum, maximum);
    const POINT thumb[] = {{x, h - q - 2}, {x - 5, h - 2}, {x + 5, h - 2}, {x, h - q - 2}};
    Polygon(dc, thumb, 4);

    if (greyPen) {
        SelectObject(dc, oldPen);
        DeleteObject(greyPen);
    }
    SelectObject(dc, oldBrush);
}

// ---- Mouse -----------------------------------------------------------------------------------
void MacSlider::MoveTo(LPARAM lParam) { value = SliderValueAt(GET_X_LPARAM(lParam), width, minimum, maximum); }

LRESULT MacSlider::OnButtonDown(LPARAM lParam) {
    SetCapture(window);
    MoveTo(lParam);
    Repaint(window);
    return 0;
}

LRESULT MacSlider::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (wParam != MK_LBUTTON) return 0;
    MoveTo(lParam);
    SendMessageA(GetParent(window), WM_HSCROLL, 0, 0);
    Repaint(window);
    return 0;
}

LRESULT MacSlider::OnButtonUp(LPARAM lParam) {
    ReleaseCapture();
    MoveTo(lParam);
    Repaint(window);
    SendMessageA(GetParent(window), WM_HSCROLL, 0, 0);
    NotifyParent(*this);
    return 0;
}

LRESULT MacSlider::OnRightButtonDown() {
    if (forwardRightClick) SendMessageA(GetParent(window), WM_RBUTTONDOWN, 0, 0);
    return 0;
}

// ---- Window procedure --------------------------------------------------------------------
LRESULT MacSlider::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return Paint(), 0;
    case WM_LBUTTONDOWN: return OnButtonDown(lParam);
    case WM_MOUSEMOVE: return OnMouseMove(wParam, lParam);
    case WM_LBUTTONUP: return OnButtonUp(lParam);
    case WM_RBUTTONDOWN: return OnRightButtonDown();
    case WM_ENABLE: return Repaint(window), 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// ---- Registration ------------------------------------------------------------------------
ControlClass MacSliderClass() { return {kMacSliderClassName, &ControlWindowProc<MacSlider>, IDC_ARROW}; }
