#pragma once
// A guard on the system's file dialogs of the preset dialogs: a typed name that, joined to the
// shown folder, would not fit a path of MAX_PATH characters is not passed on to the dialog's
// "Open"/"Save" (the dialog keeps it, nothing happens, no message). Some file dialogs copy the
// joined path into a buffer of that size unchecked.

#include <windows.h>

// Installs the guard on the file dialog `box` (the parent of the hook's window). It removes
// itself when the dialog is destroyed.
void GuardFileNameLength(HWND box);

// The explorer-style hook of the save dialog: installs the guard and does nothing else.
UINT_PTR CALLBACK SaveDialogHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
