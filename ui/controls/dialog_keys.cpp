#include "ui/controls/dialog_keys.h"

#include <cstring>

bool IsEditWindow(HWND window) {
    char name[16] = {};
    return window && GetClassNameA(window, name, sizeof name) && _stricmp(name, "Edit") == 0;
}

namespace {
bool IsDialogWindow(HWND window) {
    char name[16] = {};
    return GetClassNameA(window, name, sizeof name) && std::strcmp(name, "#32770") == 0;
}
}  // namespace

bool RouteEditKey(WPARAM commandWParam) {
    const WORD id = LOWORD(commandWParam);
    if ((id != IDOK && id != IDCANCEL) || HIWORD(commandWParam) != 0) return false;
    HWND focus = GetFocus();
    if (!IsEditWindow(focus)) return false;
    HWND parent = GetParent(focus);
    if (id == IDOK) {
        HWND dialog = IsDialogWindow(parent) ? parent : GetParent(parent);
        PostMessageA(dialog, WM_NEXTDLGCTL, 0, 0);
    } else {
        PostMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), kRevertEdit), 0);
    }
    return true;
}
