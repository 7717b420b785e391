// "Spin Edit CPP": record, handlers, window procedure, registration.
#include "ui/controls/spin_edit.h"

#include "ui/controls/dialog_keys.h"
#include "ui/controls/mac_slider.h"
#include "ui/controls/set_value_dialog.h"
#include "ui/controls/tooltip.h"
#include "ui/controls/value_text.h"

#include <algorithm>
#include <commctrl.h>
#include <cstring>

namespace {
constexpr int kEditId = 1, kUpDownId = 2, kStripId = 3;
}

// ---- Record ----------------------------------------------------------------------------------
void SpinEdit::SetValue(float v) {
    value = v;
    SendMessageA(upDown, UDM_SETPOS, 0, MAKELPARAM(TruncateToInt(v), 0));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FormatControlValue(v, integerMode).c_str()));
    if (slider) {
        slider->value = v;
        Repaint(strip);
    }
}

void SpinEdit::SetRange(float min, float max) {
    minimum = min;
    maximum = max;
    if (slider) {
        slider->minimum = min;
        slider->maximum = max;
    }
    SendMessageA(upDown, UDM_SETRANGE, 0, MAKELPARAM(TruncateToInt(max), TruncateToInt(min)));
}

void SpinEdit::SetTooltip(const char* text) {
    AttachTooltip(edit, text);
    AttachTooltip(upDown, text);
    AttachTooltip(strip, text);
}

SpinEdit* ConfigureSpinEdit(HWND dialog, int itemId, float min, float max, const char* tooltip,
                            const char* name) {
    auto* spin = FindControlAs<SpinEdit>(GetDlgItem(dialog, itemId), kSpinEditClassName);
    if (!spin) return nullptr;
    if (name) {
        std::strncpy(spin->name, name, sizeof spin->name - 1);
        spin->name[sizeof spin->name - 1] = 0;
    }
    spin->recommendedMaximum = max;
    spin->recommendedMinimum = min;
    spin->SetRange(min, max);
    spin->SetTooltip(tooltip);
    return spin;
}

// ---- Handlers --------------------------------------------------------------------------------
LRESULT SpinEdit::OnCreate() {
    const HINSTANCE module = ToolkitModule();
    const int w = width, h = height;
    edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_WANTRETURN | ES_AUTOHSCROLL,
                           0, 0, w - 20, h - 20, window, reinterpret_cast<HMENU>(kEditId), module, nullptr);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(window)), 0);
    upDown = CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER, w - 19, 0, 20, h - 20, window, kUpDownId, module,
                                 edit, TruncateToInt(maximum), TruncateToInt(minimum), TruncateToInt(value));
    strip = CreateWindowExA(WS_EX_STATICEDGE, kMacSliderClassName, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, h - 20, w,
                            20, window, reinterpret_cast<HMENU>(kStripId), module, nullptr);
    slider = FindControlAs<MacSlider>(strip, kMacSliderClassName);
    if (slider) {
        slider->forwardRightClick = 1;
        slider->value = value;
        slider->minimum = minimum;
        slider->maximum = maximum;
    }
    return 0;
}

LRESULT SpinEdit::OnArrows(WPARAM wParam) {
    if (LOWORD(wParam) != SB_THUMBPOSITION) return 0;
    SetValue(float(short(HIWORD(wParam))));
    NotifyParent(*this);
    return 0;
}

LRESULT SpinEdit::OnStrip() {
    if (slider && slider->value != value) SetValue(integerMode ? TruncateValue(slider->value) : slider->value);
    NotifyParent(*this);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return 0;
}

void SpinEdit::CommitField(LPARAM lParam) {
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    SetValue(std::clamp(ParseControlNumber(text), minimum, std::max(minimum, maximum)));
    NotifyParent(*this, lParam);
}

LRESULT SpinEdit::OnCommand(WPARAM wParam, LPARAM lParam) {
    const WORD from = LOWORD(wParam), code = HIWORD(wParam);
    if (from == kEditId && code == kRevertEdit)
        SetValue(value);
    else if (from == kEditId && (code == EN_KILLFOCUS || code == EN_MAXTEXT))
        CommitField(lParam);
    else if (from == kStripId)
        NotifyParent(*this, lParam);
    return 0;
}

LRESULT SpinEdit::OnRightButtonDown() {
    RunSetValueDialog(*this);
    return 0;
}

LRESULT SpinEdit::OnSetFocus() {
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return 0;
}

LRESULT SpinEdit::OnEnable(WPARAM wParam) {
    EnableWindow(edit, BOOL(wParam));
    EnableWindow(upDown, BOOL(wParam));
    EnableWindow(strip, BOOL(wParam));
    return 0;
}

// ---- Window procedure --------------------------------------------------------------------
LRESULT SpinEdit::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate();
    case WM_VSCROLL: return OnArrows(wParam);
    case WM_HSCROLL: return OnStrip();
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_RBUTTONDOWN: return OnRightButtonDown();
    case WM_SETFOCUS: return OnSetFocus();
    case WM_ENABLE: return OnEnable(wParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// ---- Registration ------------------------------------------------------------------------
ControlClass SpinEditClass() { return {kSpinEditClassName, &ControlWindowProc<SpinEdit>, IDC_ARROW}; }
