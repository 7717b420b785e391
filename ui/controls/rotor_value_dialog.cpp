// The "Set value" dialog of a rotor: the same template as the spin edit's, with no range.
#include "ui/controls/dialog_keys.h"
#include "ui/controls/rotor.h"
#include "ui/controls/set_value_dialog.h"
#include "ui/controls/set_value_ids.h"
#include "ui/controls/value_text.h"

namespace {

struct RotorValueDialog {
    Rotor* rotor;
    float angle, elevation;  // pending numbers, written back by Escape
};

void WriteNumber(HWND dialog, int item, float number) {
    SetDlgItemTextA(dialog, item, FormatControlValue(number, false).c_str());
}

float ReadNumber(HWND dialog, int item) {
    char text[64] = {};
    GetDlgItemTextA(dialog, item, text, sizeof text);
    return ParseControlNumber(text);
}

void Initialise(HWND dialog, RotorValueDialog& state) {
    const Rotor& rotor = *state.rotor;
    const bool sphere = rotor.displayMode != Rotor::kDial;
    SetDlgItemTextA(dialog, IDC_SET_VALUE_NAME, rotor.name);
    SetDlgItemTextA(dialog, IDC_SET_VALUE_TYPE, sphere ? "Light position" : "Float angle");
    WriteNumber(dialog, IDC_SET_VALUE_CURRENT, rotor.totalAngle);
    WriteNumber(dialog, IDC_SET_VALUE_NEW, rotor.totalAngle);
    if (sphere) {
        WriteNumber(dialog, IDC_SET_VALUE_CURRENT2, rotor.elevation);
        WriteNumber(dialog, IDC_SET_VALUE_NEW2, rotor.elevation);
        EnableWindow(GetDlgItem(dialog, IDC_SET_VALUE_NEW2), TRUE);
    } else {
        SetDlgItemTextA(dialog, IDC_SET_VALUE_CURRENT2, "Not used");
        EnableWindow(GetDlgItem(dialog, IDC_SET_VALUE_NEW2), FALSE);
    }
    SetDlgItemTextA(dialog, IDC_SET_VALUE_RANGE, "Not limit");
    EnableWindow(GetDlgItem(dialog, IDC_SET_VALUE_NEW_MIN), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_SET_VALUE_NEW_MAX), FALSE);
}

void Apply(HWND dialog, RotorValueDialog& state) {
    Rotor& rotor = *state.rotor;
    const float angle = ReadNumber(dialog, IDC_SET_VALUE_NEW);
    if (rotor.displayMode == Rotor::kDial) {
        rotor.SetValue(angle, 0.0f);
    } else {
        rotor.totalAngle = angle;
        rotor.elevation = ReadNumber(dialog, IDC_SET_VALUE_NEW2);
    }
    Repaint(rotor.window);
    PostMessageA(GetParent(rotor.window), WM_COMMAND, MAKEWPARAM(rotor.id, 0), 0);
    EndDialog(dialog, IDOK);
}

INT_PTR OnCommand(HWND dialog, RotorValueDialog& state, WPARAM wParam) {
    const int item = LOWORD(wParam), code = HIWORD(wParam);
    if (RouteEditKey(wParam)) return TRUE;
    if (item == IDOK && code == 0) return Apply(dialog, state), TRUE;
    if (item == IDCANCEL && code == 0) return EndDialog(dialog, IDCANCEL), TRUE;
    if (code == EN_KILLFOCUS && item == IDC_SET_VALUE_NEW) {
        state.angle = ReadNumber(dialog, item);
    } else if (code == EN_KILLFOCUS && item == IDC_SET_VALUE_NEW2) {
        state.elevation = ReadNumber(dialog, item);
        if (state.elevation == 0.0f) SetDlgItemTextA(dialog, item, "0.00");
    } else if (code == kRevertEdit && item == IDC_SET_VALUE_NEW) {
        WriteNumber(dialog, item, state.angle);
    } else if (code == kRevertEdit && item == IDC_SET_VALUE_NEW2) {
        WriteNumber(dialog, item, state.elevation);
    } else {
        return FALSE;
    }
    return TRUE;
}

INT_PTR CALLBACK RotorValueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<RotorValueDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        Initialise(dialog, *reinterpret_cast<RotorValueDialog*>(lParam));
        return TRUE;
    case WM_COMMAND: return state ? OnCommand(dialog, *state, wParam) : FALSE;
    case WM_CLOSE: return EndDialog(dialog, IDCANCEL), TRUE;
    default: return FALSE;
    }
}

}  // namespace

int RunSetValueDialog(Rotor& rotor) {
    RotorValueDialog state{&rotor, rotor.totalAngle, rotor.elevation};
    return int(DialogBoxParamA(ToolkitModule(), MAKEINTRESOURCEA(IDD_SET_VALUE), rotor.window, RotorValueDialogProc,
                               reinterpret_cast<LPARAM>(&state)));
}
