#pragma once
// Enter and Escape in dialogs that hold edit fields and composite controls.
//
// Call from the dialog procedure's WM_COMMAND before acting on IDOK or IDCANCEL. When the keyboard
// focus is in an "Edit" window the key belongs to the field and the dialog must not close:
//   - IDOK: WM_NEXTDLGCTL (0, 0) is posted to the field's dialog (for the edit of a composite
//     control, to the control's parent), so Enter moves on and the field commits as it loses focus;
//   - IDCANCEL: WM_COMMAND (MAKEWPARAM(edit id, kRevertEdit), 0) is posted to the edit's parent,
//     which shows the stored value again.
// Returns true in those two cases. IDOK or IDCANCEL with the focus elsewhere returns false: the
// dialog closes as usual.

#include <windows.h>

// The toolkit's own notification code: "revert the edit with this id to the stored value".
constexpr WORD kRevertEdit = 27;

bool RouteEditKey(WPARAM commandWParam);

// True when the window's class is "Edit" (any case).
bool IsEditWindow(HWND window);
