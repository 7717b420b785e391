// "Save" and "Load": the shared file-dialog description, the two dialogs, the file type.
#include "ui/dialog/preset_dialogs.h"

#include "params/params.h"
#include "platform/platform.h"
#include "plugin/plugin_main.h"
#include "ui/controls/toolkit.h"
#include "ui/dialog/file_name_guard_p.h"
#include "ui/dialog/preset_dialog_ids.h"
#include "ui/dialog/preset_panel_p.h"

#include <commdlg.h>

#include <cstring>

namespace {

constexpr DWORD kNameCharacters = 1024;
constexpr char kFilter[] = "Rimelace parameters\0*.ipt\0";

// One file-dialog description, filled afresh for each use. The system's dialogs move the
// process's current folder to where the user went; the host's is put back when they close.
struct FileDialog {
    OPENFILENAMEA ofn{};
    char file[kNameCharacters] = "*.ipt";
    char title[kNameCharacters] = "*.ipt";
    std::string folder = PresetFolder();
    char hostFolder[MAX_PATH] = {};
    bool haveHostFolder = false;

    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;
    ~FileDialog() {
        if (haveHostFolder) SetCurrentDirectoryA(hostFolder);
    }
    explicit FileDialog(HWND owner) {
        const DWORD length = GetCurrentDirectoryA(sizeof hostFolder, hostFolder);
        haveHostFolder = length > 0 && length < sizeof hostFolder;
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = kFilter;
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file;
        ofn.nMaxFile = kNameCharacters;
        ofn.lpstrFileTitle = title;
        ofn.nMaxFileTitle = kNameCharacters;
        ofn.lpstrInitialDir = folder.c_str();
    }
};

}  // namespace

void RegisterPresetFileType(const char* extension, const char* typeName) {
    platform::RegisterFileType(extension, typeName, platform::ModulePath(), 0);
}

bool SavePresetDialog(HWND owner, PluginGlobals& globals) {
    const RimelaceParams* params = LockedParams(globals);
    if (!params) return false;
    FileDialog dialog(owner);
    dialog.ofn.lpstrTitle = "Save filter params";
    // The hook only guards the length of a typed name.
    dialog.ofn.Flags = OFN_EXPLORER | OFN_CREATEPROMPT | OFN_ENABLEHOOK;
    dialog.ofn.lpfnHook = SaveDialogHook;
    if (!GetSaveFileNameA(&dialog.ofn)) return false;
    return WritePresetFile(CompletePresetName(dialog.file), *params);
}

bool LoadPresetDialog(HWND owner, PluginGlobals& globals) {
    if (!LockedParams(globals)) return false;
    FileDialog dialog(owner);
    dialog.ofn.lpstrTitle = "Open filter params";
    dialog.ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    dialog.ofn.hInstance = ToolkitModule();
    dialog.ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_PRESET_PANEL);
    dialog.ofn.lpfnHook = PresetPanelHook;
    dialog.ofn.lCustData = reinterpret_cast<LPARAM>(&globals);
    // The panel puts back the effect parameters it browsed over as it closes, whatever the
    // outcome; the chosen file is then read over them.
    if (!GetOpenFileNameA(&dialog.ofn)) return false;
    RimelaceParams* params = LockedParams(globals);
    if (!params || !ReadPresetFile(CompletePresetName(dialog.file), *params)) return false;
    params->SceneDirty = 1;
    return true;
}
