// "Preview Contaner CPP": record, painting, window procedure, registration.
#include "ui/controls/preview_container.h"

// ---- Painting ------------------------------------------------------------------------------
void PreviewContainer::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, width, height);
    MoveToEx(dc, width, 0, nullptr);
    LineTo(dc, 0, height);
    EndPaint(window, &ps);
}

// ---- Window procedure --------------------------------------------------------------------
LRESULT PreviewContainer::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return Paint(), 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// ---- Registration ------------------------------------------------------------------------
ControlClass PreviewContainerClass() {
    return {kPreviewContainerClassName, &ControlWindowProc<PreviewContainer>, IDC_SIZEALL};
}
