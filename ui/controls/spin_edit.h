#pragma once
// "Spin Edit CPP": a numeric field made of an edit box (id 1), an up-down arrow pair (id 2) and a
// "Mac Slider CPP" strip (id 3) underneath, all editing one float within [minimum, maximum].
// The control needs at least 20 pixels of height for the strip plus the edit's height.
//
// The dialog configures each spin edit once (ConfigureSpinEdit), sets integerMode on the record for
// integer parameters, writes values with SetValue, and on the spin edit's WM_COMMAND (wParam = its
// id) reads `value` from the record. Notifications come from:
//   - an arrow click: the value goes to the next whole number (lParam 0);
//   - the field losing the focus: its text is parsed (non-numeric text reads as 0), clamped into
//     [minimum, maximum] and shown formatted (lParam = the edit window);
//   - the strip: on every drag move and twice at release (lParam 0); in integer mode the value is
//     truncated toward zero;
//   - the "Set value" dialog (a right click on the strip): one posted WM_COMMAND after OK.
// Messages the control takes:
//   WM_COMMAND (MAKEWPARAM(1, kRevertEdit), 0)  the field shows the stored value again (Escape);
//   WM_SETFOCUS   the focus goes on to the field, all of its text selected;
//   WM_ENABLE     the field, the arrows and the strip follow.
// Texts are "%0.2f", or the truncated integer in integer mode (value_text.h).

#include "ui/controls/control.h"

struct MacSlider;

struct SpinEdit : ControlRecord {
    char name[64] = {};           // shown in the "Set value" dialog
    BYTE integerMode = 0;         // 1: shown and edited as an integer
    HWND edit = nullptr;          // inner windows, made at WM_CREATE
    HWND upDown = nullptr;
    HWND strip = nullptr;
    float value = 0.0f;
    float minimum = 0.0f;         // working range; the user may change it in "Set value"
    float maximum = 100.0f;
    float recommendedMaximum = 100.0f;  // the range the dialog configured, shown for reference
    float recommendedMinimum = 0.0f;
    MacSlider* slider = nullptr;  // the strip's record

    // Stores v (no clamping) and shows it: arrows' position (truncated), field text, strip.
    // Does not notify.
    void SetValue(float v);
    // Stores the working range and gives it to the strip and (truncated) to the arrows.
    void SetRange(float min, float max);
    // The same balloon tooltip on the field, the arrows and the strip; `text` must outlive them.
    void SetTooltip(const char* text);

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT OnCreate();
    LRESULT OnArrows(WPARAM wParam);
    LRESULT OnStrip();
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    void CommitField(LPARAM lParam);
    LRESULT OnRightButtonDown();
    LRESULT OnSetFocus();
    LRESULT OnEnable(WPARAM wParam);
};

// Finds the spin edit `itemId` of `dialog`, gives it its name (for "Set value"), its recommended
// and working range [min, max] and its tooltip. Sets neither the value nor the integer mode.
// A null `tooltip` attaches none: a dialog that gives its tooltips later calls SetTooltip then.
// Returns the record, or nullptr when the item is not a spin edit.
SpinEdit* ConfigureSpinEdit(HWND dialog, int itemId, float min, float max, const char* tooltip,
                            const char* name);

ControlClass SpinEditClass();
