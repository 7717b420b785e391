#pragma once
// The checks of the "Set value" dialog's fields, run when a field loses the focus. No window
// code: tested on every platform.
//
// Each check takes the typed number (already parsed) and the dialog's pending numbers, and says
// what becomes pending, whether the field's text is rewritten with that number (formatted by the
// control's mode), and whether the typed number was refused with a beep.

struct FieldCheck {
    float value;     // the new pending number
    bool writeBack;  // rewrite the field with `value`
    bool beep;       // refused: MessageBeep and the previous number restored
};

// "New value": pulled into [minimum, maximum] without a beep; 0 is rewritten as formatted; in
// integer mode a fraction is dropped (and the field rewritten).
FieldCheck CheckNewValue(float typed, float minimum, float maximum, bool integer);

// "New min value": refused unless it stays below the pending maximum; 0 is rewritten as formatted;
// in integer mode truncated (the field rewritten when it had a fraction).
FieldCheck CheckNewMinimum(float typed, float previousMinimum, float maximum, bool integer);

// "New max value": refused unless it stays above the pending minimum; otherwise as the minimum.
FieldCheck CheckNewMaximum(float typed, float previousMaximum, float minimum, bool integer);
