#pragma once
// A dialog holding one of each toolkit control, to see and drive them without the main dialog:
// a float spin edit (-100 ... 100, 2.75), an integer spin edit (2 ... 6, 4), a dial rotor with its
// edit box (30), a light sphere (45, 60) and a colour swatch. Enter and Escape follow the
// toolkit's convention; every WM_COMMAND from a control is recorded.

#include "ui/controls/color_container.h"
#include "ui/controls/rotor.h"
#include "ui/controls/spin_edit.h"

#include "toolkit_test_dialog_ids.h"

#include <vector>

struct ToolkitTestDialog {
    struct Notification {
        int id;
        LPARAM lParam;
    };

    HWND window = nullptr;
    SpinEdit* length = nullptr;
    SpinEdit* iterations = nullptr;
    Rotor* dial = nullptr;
    Rotor* light = nullptr;
    ColorContainer* diffuse = nullptr;
    std::vector<Notification> notifications;
    int closedWith = 0;  // IDOK or IDCANCEL once the dialog closed itself

    int NotificationsFrom(int id) const;
};

// Registers the toolkit classes, makes the shared dialog font, and opens the dialog (modeless,
// visible, near the top left of the screen). False when the dialog could not be made.
bool OpenToolkitTestDialog(ToolkitTestDialog& dialog);

// Destroys the dialog if it is still open, unregisters the classes and deletes the font.
void CloseToolkitTestDialog(ToolkitTestDialog& dialog);
