#include "toolkit_test_dialog.h"

#include "ui/controls/dialog_keys.h"
#include "ui/controls/tooltip.h"

int ToolkitTestDialog::NotificationsFrom(int id) const {
    int count = 0;
    for (const Notification& n : notifications) count += n.id == id;
    return count;
}

namespace {

void Configure(HWND window, ToolkitTestDialog& state) {
    state.window = window;
    state.length = ConfigureSpinEdit(window, kLengthItem, -100, 100, "Average lenght of triangles",
                                     "Lenght of triangles");
    state.iterations = ConfigureSpinEdit(window, kIterationsItem, 2, 6, "Maximal posible namber of iterations",
                                         "Max iterations");
    if (state.length) state.length->SetValue(2.75f);
    if (state.iterations) {
        state.iterations->integerMode = 1;
        state.iterations->SetValue(4);
    }
    state.dial = FindControlAs<Rotor>(GetDlgItem(window, kDialItem), kRotorClassName);
    if (state.dial) {
        state.dial->displayMode = Rotor::kDial;
        lstrcpyA(state.dial->name, "Rotation by X");
        state.dial->CreateEdit(50);
        state.dial->SetValue(30, 0);
    }
    state.light = FindControlAs<Rotor>(GetDlgItem(window, kLightItem), kRotorClassName);
    if (state.light) {
        lstrcpyA(state.light->name, "Position of light");
        state.light->SetValue(45, 60);
    }
    state.diffuse = FindControlAs<ColorContainer>(GetDlgItem(window, kDiffuseItem), kColorContainerClassName);
    if (state.diffuse) {
        state.diffuse->color = RGB(200, 120, 40);
        Repaint(state.diffuse->window);
    }
    AttachTooltip(GetDlgItem(window, kDialItem), "Rotation by X");
    AttachTooltip(GetDlgItem(window, kLightItem), "Light position");
    AttachTooltip(GetDlgItem(window, kDiffuseItem), "Diffuse color of material");
}

INT_PTR CALLBACK TestDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ToolkitTestDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        Configure(window, *reinterpret_cast<ToolkitTestDialog*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (!state) return FALSE;
        if (RouteEditKey(wParam)) return TRUE;
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            state->closedWith = LOWORD(wParam);
            DestroyWindow(window);
            return TRUE;
        }
        state->notifications.push_back({LOWORD(wParam), lParam});
        return TRUE;
    case WM_CLOSE:
        if (state) state->closedWith = IDCANCEL;
        DestroyWindow(window);
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

bool OpenToolkitTestDialog(ToolkitTestDialog& dialog) {
    RegisterControlClasses();
    Toolkit().dialogFont = CreateFontA(13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TOOLKIT_TEST), nullptr,
                                     TestDialogProc, reinterpret_cast<LPARAM>(&dialog));
    if (!window) return false;
    SetWindowPos(window, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    return true;
}

void CloseToolkitTestDialog(ToolkitTestDialog& dialog) {
    if (dialog.window && IsWindow(dialog.window)) DestroyWindow(dialog.window);
    dialog.window = nullptr;
    UnregisterControlClasses();
    if (Toolkit().dialogFont) DeleteObject(Toolkit().dialogFont);
    Toolkit().dialogFont = nullptr;
}
