#pragma once
// The main dialog's "Save" and "Load" buttons: the system's file dialogs over preset files
// (".ipt"), the open dialog with a panel that renders the selected preset on a sample picture
// before the user commits, and the registration of ".ipt" as a file type.
//
// Both dialogs open in the folder "RimelaceSaves" beside the module (not created when missing),
// show the filter "Rimelace parameters" (*.ipt), and complete a typed name with ".ipt" unless it
// ends in a three-letter extension. Neither shows a message for any failure.

#include <windows.h>

#include <string>

struct PluginGlobals;

inline constexpr const char* kPresetExtension = ".ipt";
inline constexpr const char* kPresetTypeName = "BrightmoorRimelacePSD_Saves";

// Sets HKEY_CLASSES_ROOT\<extension> to <typeName>, and <typeName>\DefaultIcon to the module's
// full path followed by ",0" (the module's frost-crystal icon); the second key only when the
// first was written. Failures are silent. The main dialog calls it with kPresetExtension and
// kPresetTypeName each time it opens.
void RegisterPresetFileType(const char* extension, const char* typeName);

// "Save": the save dialog ("Save filter params"), then the current parameters written to the
// chosen file (header line and the 46 field lines), replacing an existing file without asking.
// The file is written under a temporary name and renamed into place, so a failed write leaves no
// half-written preset and keeps an old file whole. True when the file was written.
bool SavePresetDialog(HWND owner, PluginGlobals& globals);

// "Load": the open dialog ("Open filter params") with the thumbnail panel, then the chosen file
// read into the parameter record when its first line is the preset header. True when a preset
// was read: the caller then refreshes its controls and preview (the scene is marked stale).
// False when cancelled or when the file cannot be opened or is not a preset; the effect
// parameters are then exactly as before, whatever was browsed.
bool LoadPresetDialog(HWND owner, PluginGlobals& globals);

// The folder both dialogs start in: the module's folder followed by "RimelaceSaves".
std::string PresetFolder();

// The name completion of both dialogs: `path` with ".ipt" appended, unless it is 3 characters
// or shorter or its fourth character from the end is '.'.
std::string CompletePresetName(const std::string& path);

// Reads a preset file into `params` when its first line is the preset header; false (nothing
// changed) when the file cannot be opened or the header differs.
bool ReadPresetFile(const std::string& path, struct RimelaceParams& params);

// Writes `params` as a preset file (through a temporary file beside it); false when it could not
// be written whole (no file is then left behind, an existing one is kept).
bool WritePresetFile(const std::string& path, const struct RimelaceParams& params);

// The open dialog's "Show Preview" state, kept for the life of the module (initially on).
bool PresetPreviewShown();
