#pragma once
// The "Set value" dialog (template 15092): an exact value typed by the user, and for a spin edit a
// new working range. Modal, owned by the control; one at a time.
//
// Spin edit: the fields are checked as they lose the focus (set_value_rules.h): a value outside the
// pending range is pulled to the nearest bound, an inverted range is refused with a beep and the
// previous bound restored. OK applies value, minimum and maximum together, repaints the control and
// posts (not sends) one WM_COMMAND (control id, 0) to the control's parent. Cancel changes nothing.
//
// Rotor: the angle (and in the sphere mode the elevation) typed as is; OK stores them, repaints
// and posts one WM_COMMAND (rotor id, 0) to the rotor's parent.
//
// In both, Enter in a field moves to the next one and Escape restores the field (dialog_keys.h).
// Return the dialog's result (IDOK, IDCANCEL, or -1 when it could not be made).

struct SpinEdit;
struct Rotor;

int RunSetValueDialog(SpinEdit& spin);
int RunSetValueDialog(Rotor& rotor);
