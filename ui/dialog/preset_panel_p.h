#pragma once
// The open dialog's thumbnail panel (template 114): its hook procedure. Private to the preset
// dialogs; the panel's state lives from the dialog's opening to its closing, except the
// "Show Preview" flag, which the module keeps.

#include <windows.h>

// lCustData of the dialog description points at the PluginGlobals of the call.
UINT_PTR CALLBACK PresetPanelHook(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
