// The system's file dialogs driven as a person drives them.
#include "tests/ui/dialog/file_dialog_driver.h"

#include "ui/dialog/preset_dialog_ids.h"

#include <commctrl.h>
#include <dlgs.h>

// ---- The file dialog --------------------------------------------------------------------------
HWND FileList(HWND box) {
    return FindWindowExA(FindWindowExA(box, nullptr, "SHELLDLL_DefView", nullptr), nullptr, "SysListView32", nullptr);
}

HWND FileNameField(HWND box) {
    HWND field = GetDlgItem(box, cmb13);
    if (!field) return GetDlgItem(box, edt1);
    // A combo box (possibly inside a ComboBoxEx) around the edit.
    HWND edit = FindWindowExA(field, nullptr, "Edit", nullptr);
    if (!edit)
        if (HWND combo = FindWindowExA(field, nullptr, "ComboBox", nullptr)) edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    return edit ? edit : field;
}

HWND PresetPanel(HWND box) {
    for (HWND child = FindWindowExA(box, nullptr, "#32770", nullptr); child;
         child = FindWindowExA(box, child, "#32770", nullptr))
        if (GetDlgItem(child, IDC_PRESET_THUMBNAIL)) return child;
    return nullptr;
}

bool ClickFile(HWND box, const std::string& name) {
    HWND list = FileList(box);
    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = name.c_str();
    const int index = int(SendMessageA(list, LVM_FINDITEMA, WPARAM(-1), reinterpret_cast<LPARAM>(&find)));
    if (index < 0) return false;
    RECT r{};
    r.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&r));
    Click(list, (r.left + r.right) / 2, (r.top + r.bottom) / 2, box);
    PumpUntilIdle(box, 60);
    return true;
}

void EnterFileName(HWND box, const std::string& text) {
    HWND field = FileNameField(box);
    SetFocus(field);
    PumpUntilIdle(box);
    SendMessageA(field, EM_SETSEL, 0, -1);
    TypeText(box, text.c_str());
    PressKey(box, VK_RETURN);
    PumpUntilIdle(box, 60);
}

void ClickOpen(HWND box) {
    Click(GetDlgItem(box, IDOK), 4, 4, box);
    PumpUntilIdle(box, 60);
}

void ClickCancel(HWND box) {
    Click(GetDlgItem(box, IDCANCEL), 4, 4, box);
    PumpUntilIdle(box, 60);
}

void ClickShowPreview(HWND box) {
    Click(GetDlgItem(PresetPanel(box), IDC_PRESET_SHOW_PREVIEW), 4, 4, box);
    PumpUntilIdle(box, 60);
}

bool ShowPreviewChecked(HWND box) {
    return IsDlgButtonChecked(PresetPanel(box), IDC_PRESET_SHOW_PREVIEW) == BST_CHECKED;
}

// ---- The thumbnail ----------------------------------------------------------------------------
Capture ThumbnailShown(HWND box) {
    HWND panel = PresetPanel(box);
    RECT frame{};
    GetWindowRect(GetDlgItem(panel, IDC_PRESET_THUMBNAIL), &frame);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&frame), 2);
    InflateRect(&frame, -1, -1);
    const Capture whole = CaptureWindow(panel);
    Capture shown;
    shown.width = frame.right - frame.left;
    shown.height = frame.bottom - frame.top;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) shown.pixels.push_back(whole.At(frame.left + x, frame.top + y));
    return shown;
}

bool IsPlaceholder(const Capture& shown) {
    const int w = shown.width, h = shown.height;
    if (w < 8 || h < 8) return false;
    for (std::uint32_t pixel : shown.pixels)
        if (pixel != Rgb(128, 128, 128) && pixel != 0) return false;
    // Every row crosses both diagonals, corner to corner (a line leaves out its last pixel).
    auto darkNear = [&](int x, int y) {
        for (int dx = -2; dx <= 2; ++dx)
            if (shown.At(x + dx, y) == 0) return true;
        return false;
    };
    for (int y = 1; y < h - 1; ++y)
        if (!darkNear(y * (w - 1) / (h - 1), y) || !darkNear(w - 1 - y * (w - 1) / (h - 1), y)) return false;
    return true;
}

// ---- Windows the file dialog raises -------------------------------------------------------------
namespace {
HWND gOwner = nullptr;
std::function<void(HWND)> gOwnedScript;
bool gOwnedSeen = false;
UINT_PTR gOwnedTimer = 0;
HWND gOwned = nullptr;

BOOL CALLBACK FindOwned(HWND window, LPARAM) {
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == gOwner) {
        gOwned = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnOwnedTimer(HWND, UINT, UINT_PTR, DWORD) {
    gOwned = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwned, 0);
    if (!gOwned) return;
    KillTimer(nullptr, gOwnedTimer);
    gOwnedTimer = 0;
    gOwnedSeen = true;
    auto script = std::move(gOwnedScript);
    script(gOwned);
}
}  // namespace

void WhenOwnedWindowAppears(HWND owner, std::function<void(HWND)> script) {
    gOwner = owner;
    gOwnedScript = std::move(script);
    gOwnedSeen = false;
    if (gOwnedTimer) KillTimer(nullptr, gOwnedTimer);
    gOwnedTimer = SetTimer(nullptr, 0, 20, OnOwnedTimer);
}

bool OwnedWindowSeen() { return gOwnedSeen; }

void StopWatchingOwnedWindows() {
    if (gOwnedTimer) KillTimer(nullptr, gOwnedTimer);
    gOwnedTimer = 0;
    gOwnedScript = nullptr;
}
