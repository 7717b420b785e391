// The "Set value" dialog of a spin edit: initialisation, field checks, OK and Cancel.
#include "ui/controls/set_value_dialog.h"

#include "ui/controls/dialog_keys.h"
#include "ui/controls/set_value_ids.h"
#include "ui/controls/set_value_rules.h"
#include "ui/controls/spin_edit.h"
#include "ui/controls/value_text.h"

#include <cstdio>

namespace {

// What the dialog keeps while it is open.
struct SpinValueDialog {
    SpinEdit* spin;
    float value, minimum, maximum;  // pending numbers
};

void WriteNumber(HWND dialog, int item, float number, bool integer) {
    SetDlgItemTextA(dialog, item, FormatControlValue(number, integer).c_str());
}

float ReadNumber(HWND dialog, int item) {
    char text[64] = {};
    GetDlgItemTextA(dialog, item, text, sizeof text);
    return ParseControlNumber(text);
}

void Initialise(HWND dialog, SpinValueDialog& state) {
    SpinEdit& spin = *state.spin;
    const bool integer = spin.integerMode;
    SetDlgItemTextA(dialog, IDC_SET_VALUE_NAME, spin.name);
    SetDlgItemTextA(dialog, IDC_SET_VALUE_TYPE, integer ? "Integer slider" : "Float slider");
    WriteNumber(dialog, IDC_SET_VALUE_CURRENT, spin.value, integer);
    WriteNumber(dialog, IDC_SET_VALUE_NEW, spin.value, integer);
    SetDlgItemTextA(dialog, IDC_SET_VALUE_CURRENT2, "Not used");
    EnableWindow(GetDlgItem(dialog, IDC_SET_VALUE_NEW2), FALSE);
    state.value = spin.value;
    state.minimum = spin.minimum;
    state.maximum = spin.maximum;

    char range[96];
    if (integer)
        std::snprintf(range, sizeof range, "%d ... %d", TruncateToInt(spin.recommendedMinimum),
                      TruncateToInt(spin.recommendedMaximum));
    else
        std::snprintf(range, sizeof range, "%0.2f ... %0.2f", double(spin.recommendedMinimum),
                      double(spin.recommendedMaximum));
    SetDlgItemTextA(dialog, IDC_SET_VALUE_RANGE, range);
    EnableWindow(GetDlgItem(dialog, IDC_SET_VALUE_NEW_MIN), TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_SET_VALUE_NEW_MAX), TRUE);
    WriteNumber(dialog, IDC_SET_VALUE_NEW_MIN, spin.minimum, integer);
    WriteNumber(dialog, IDC_SET_VALUE_NEW_MAX, spin.maximum, integer);
}

// A field lost the focus: check it and keep the result as pending.
void CheckField(HWND dialog, SpinValueDialog& state, int item) {
    const bool integer = state.spin->integerMode;
    const float typed = ReadNumber(dialog, item);
    FieldCheck check{};
    float* pending = nullptr;
    switch (item) {
    case IDC_SET_VALUE_NEW:
        check = CheckNewValue(typed, state.minimum, state.maximum, integer);
        pending = &state.value;
        break;
    case IDC_SET_VALUE_NEW_MIN:
        check = CheckNewMinimum(typed, state.minimum, state.maximum, integer);
        pending = &state.minimum;
        break;
    case IDC_SET_VALUE_NEW_MAX:
        check = CheckNewMaximum(typed, state.maximum, state.minimum, integer);
        pending = &state.maximum;
        break;
    case IDC_SET_VALUE_NEW2:
        if (typed == 0.0f) SetDlgItemTextA(dialog, item, "0.00");
        return;
    default: return;
    }
    if (check.beep) MessageBeep(0xFFFFFFFF);
    if (check.writeBack) WriteNumber(dialog, item, check.value, integer);
    *pending = check.value;
}

// Escape in a field: the pending number again.
void RevertField(HWND dialog, const SpinValueDialog& state, int item) {
    const bool integer = state.spin->integerMode;
    if (item == IDC_SET_VALUE_NEW) WriteNumber(dialog, item, state.value, integer);
    if (item == IDC_SET_VALUE_NEW_MIN) WriteNumber(dialog, item, state.minimum, integer);
    if (item == IDC_SET_VALUE_NEW_MAX) WriteNumber(dialog, item, state.maximum, integer);
}

void Apply(HWND dialog, SpinValueDialog& state) {
    SpinEdit& spin = *state.spin;
    const bool integer = spin.integerMode;
    const float value = ReadNumber(dialog, IDC_SET_VALUE_NEW);
    spin.SetValue(value);
    float minimum = ReadNumber(dialog, IDC_SET_VALUE_NEW_MIN);
    float maximum = ReadNumber(dialog, IDC_SET_VALUE_NEW_MAX);
    if (integer) minimum = TruncateValue(minimum), maximum = TruncateValue(maximum);
    spin.SetRange(minimum, maximum);
    spin.SetValue(value);
    Repaint(spin.window);
    PostMessageA(GetParent(spin.window), WM_COMMAND, MAKEWPARAM(spin.id, 0), 0);
    EndDialog(dialog, IDOK);
}

INT_PTR OnCommand(HWND dialog, SpinValueDialog& state, WPARAM wParam) {
    const int item = LOWORD(wParam), code = HIWORD(wParam);
    if (RouteEditKey(wParam)) return TRUE;
    if (item == IDOK && code == 0) return Apply(dialog, state), TRUE;
    if (item == IDCANCEL && code == 0) return EndDialog(dialog, IDCANCEL), TRUE;
    if (code == EN_KILLFOCUS) return CheckField(dialog, state, item), TRUE;
    if (code == kRevertEdit) return RevertField(dialog, state, item), TRUE;
    return FALSE;
}

INT_PTR CALLBACK SpinValueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<SpinValueDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        Initialise(dialog, *reinterpret_cast<SpinValueDialog*>(lParam));
        return TRUE;
    case WM_COMMAND: return state ? OnCommand(dialog, *state, wParam) : FALSE;
    case WM_CLOSE: return EndDialog(dialog, IDCANCEL), TRUE;
    default: return FALSE;
    }
}

}  // namespace

int RunSetValueDialog(SpinEdit& spin) {
    SpinValueDialog state{&spin, spin.value, spin.minimum, spin.maximum};
    return int(DialogBoxParamA(ToolkitModule(), MAKEINTRESOURCEA(IDD_SET_VALUE), spin.window, SpinValueDialogProc,
                               reinterpret_cast<LPARAM>(&state)));
}
