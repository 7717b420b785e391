// The typed-name length guard of the preset file dialogs.
#include "ui/dialog/file_name_guard_p.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <string>

namespace {

constexpr UINT_PTR kGuardId = 0x1ce;

// The text of "File name" (a combo box in the explorer-style dialog, an edit box in older ones).
std::string TypedName(HWND box) {
    HWND field = GetDlgItem(box, cmb13);
    if (!field) field = GetDlgItem(box, edt1);
    if (!field) return {};
    std::string text(std::size_t(GetWindowTextLengthA(field)) + 1, '\0');
    text.resize(std::size_t(GetWindowTextA(field, text.data(), int(text.size()))));
    return text;
}

bool Absolute(const std::string& name) {
    std::size_t start = name.find_first_not_of(" \"");
    if (start == std::string::npos) return false;
    const std::string rest = name.substr(start);
    return rest[0] == '\\' || rest[0] == '/' || (rest.size() > 1 && rest[1] == ':');
}

bool FitsAPath(HWND box) {
    const std::string name = TypedName(box);
    std::size_t length = name.size();
    if (!Absolute(name)) {
        char folder[MAX_PATH * 2] = {};
        const LRESULT needed = SendMessageA(box, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
        length += needed > 0 ? std::size_t(needed) : 0;  // with the separator in place of the terminator
    }
    return length < MAX_PATH;
}

LRESULT CALLBACK GuardProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && !FitsAPath(box)) return 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(box, GuardProc, kGuardId);
    return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace

void GuardFileNameLength(HWND box) {
    if (box) SetWindowSubclass(box, GuardProc, kGuardId, 0);
}

UINT_PTR CALLBACK SaveDialogHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE)
        GuardFileNameLength(GetParent(hook));
    return 0;
}
