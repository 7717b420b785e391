// The registered-only classes: a bare record and hot tracking for the animated ones.
#include "ui/controls/generic_control.h"

#include "ui/controls/hot_tracking.h"

#include <cstring>

LRESULT GenericControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        char name[65] = {};
        GetClassNameA(window, name, sizeof name);
        animated = !std::strcmp(name, kControlButtonFireClassName) || !std::strcmp(name, kContainerAnimClassName);
        return 0;
    }
    case WM_MOUSEMOVE: return animated ? (TrackHot(*this), 0) : 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

ControlClass GenericControlClass(const char* name) { return {name, &ControlWindowProc<GenericControl>, IDC_ARROW}; }
