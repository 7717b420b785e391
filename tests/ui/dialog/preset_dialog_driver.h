#pragma once
// Driving the preset dialogs as a person does: a filter record of the test's own (as the main
// dialog has it while open), the parts of the system's file dialog a person uses (the file list,
// "File name", Open, Cancel, the panel's "Show Preview"), and what the panel's thumbnail shows.

#include "tests/ui/controls/window_driver.h"

#include "params/params.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A host's filter record with a parameter record (defaults) in its handle, PreviewMode set as the
// main dialog sets it. Releases the scene and bump image the renders left.
struct TestHost {
    FilterRecord record{};
    std::int16_t result = noErr;
    PluginGlobals globals{&result, &record};

    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;
    RimelaceParams& Params();
};

// A fresh folder under the system's temporary folder, removed with its files at the end.
struct ScratchFolder {
    std::string path;
    ScratchFolder();
    ~ScratchFolder();
    std::string File(const std::string& name) const { return path + "\\" + name; }
    std::vector<std::string> Names() const;  // the files in it, sorted
};

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// The preset file of `params`, as SavePresetDialog writes it.
std::string PresetBytes(const RimelaceParams& params);
// The 46 effect fields of `params` as preset lines (equal when every effect field is equal).
std::string EffectFields(const RimelaceParams& params);

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
// The thumbnail the panel should show for a preset file: rendered independently, with a record
// of its own, over the sample picture (no coverage shown black), as 0x00RRGGBB.
std::vector<std::uint32_t> ExpectedThumbnail(const std::string& presetFile, int w, int h);

// Runs `script` with the first visible top-level window owned by `owner` (a message box the file
// dialog raises) once it appears, from a timer of its own, so it runs inside that window's modal
// loop. Returns at once.
void WhenOwnedWindowAppears(HWND owner, std::function<void(HWND)> script);
bool OwnedWindowSeen();
void StopWatchingOwnedWindows();
