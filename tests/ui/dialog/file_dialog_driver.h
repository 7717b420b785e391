#pragma once
// The system's file dialogs as a person uses them: the list of files, "File name", Open/Save and
// Cancel, the preset panel's "Show Preview" and what its thumbnail shows, and the message boxes
// the dialog raises. Needs nothing of the plug-in: the main dialog's tests use it with the real
// module loaded.

#include "tests/ui/controls/window_driver.h"

#include <functional>
#include <string>

// ---- The system's file dialog -----------------------------------------------------------------
HWND FileList(HWND box);       // the list of files in the shown folder
HWND FileNameField(HWND box);  // the edit box of "File name"
HWND PresetPanel(HWND box);    // the panel of template 114
// Clicks the file of that name in the list; false when the list does not show it.
bool ClickFile(HWND box, const std::string& name);
// Types into "File name" (replacing what it holds) and presses Enter.
void EnterFileName(HWND box, const std::string& text);
void ClickOpen(HWND box);  // the dialog's first button: "Open" or "Save"
void ClickCancel(HWND box);
void ClickShowPreview(HWND box);
bool ShowPreviewChecked(HWND box);

// ---- The thumbnail ----------------------------------------------------------------------------
// What the panel shows inside the black frame, and that area's size.
Capture ThumbnailShown(HWND box);
// The grey placeholder with its two black diagonals.
bool IsPlaceholder(const Capture& shown);
// Runs `script` with the first visible top-level window owned by `owner` (a message box the file
// dialog raises) once it appears, from a timer of its own, so it runs inside that window's modal
// loop. Returns at once.
void WhenOwnedWindowAppears(HWND owner, std::function<void(HWND)> script);
bool OwnedWindowSeen();
void StopWatchingOwnedWindows();
