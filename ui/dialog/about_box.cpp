// The about box (dialog 16107): from the host's about selector and from the dialog's "About".
#include "ui/dialog/main_dialog_p.h"

#include "ui/controls/toolkit.h"
#include "ui/dialog/dialog_ids.h"

namespace {

constexpr const char* kVersionText = "Version " RIMELACE_VERSION;
constexpr const char* kAboutText =
    "Grows branching, frost-like crystal patterns along the image borders or the outline of the "
    "selection and renders them over the image.";

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(window, IDC_ABOUT_VERSION, kVersionText);
        SetDlgItemTextA(window, IDC_ABOUT_TEXT, kAboutText);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(window, IDOK);
        return TRUE;
    case WM_CLOSE: return EndDialog(window, IDOK), TRUE;
    default: return FALSE;
    }
}

}  // namespace

void RunAboutBox(HWND parent) {
    DialogBoxParamA(ToolkitModule(), MAKEINTRESOURCEA(IDD_ABOUT), parent, AboutProc, 0);
}
