// The open dialog's thumbnail panel: the selected preset rendered over the sample picture.
#include "ui/dialog/preset_panel_p.h"

#include "generate/preset_thumbnail.h"
#include "params/params.h"
#include "platform/platform.h"
#include "plugin/plugin_main.h"
#include "ui/dialog/file_name_guard_p.h"
#include "ui/dialog/preset_dialog_ids.h"
#include "ui/dialog/preset_dialogs.h"
#include "ui/dialog/preview.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

int gShowPreview = 1;  // "Show Preview", kept for the life of the module

// The panel while the open dialog is up (from WM_INITDIALOG to WM_DESTROY).
struct Panel {
    PluginGlobals* globals = nullptr;
    RimelaceParams kept{};  // the record as the dialog found it (see KeepRecord)
    bool haveRecord = false;
    bool valid = false;  // the result buffer shows the selected preset
    HWND window = nullptr;
    RECT rect{};  // the thumbnail, inside frame 666, in the panel's client coordinates
    int w = 0, h = 0;
    std::uint8_t* source = nullptr;
    std::uint8_t* result = nullptr;
    float zoom = 1.0f, fit = 0.0f;  // the main preview's PreviewZoom and PreviewFit
};
Panel gPanel;

// The 24-bit picture DrawThumbnail builds, kept between calls while the size stays.
std::vector<std::uint8_t> gPicture;
int gPictureW = 0, gPictureH = 0;

RimelaceParams* Record() { return gPanel.globals && gPanel.haveRecord ? LockedParams(*gPanel.globals) : nullptr; }

// ---- Painting ------------------------------------------------------------------------------
void DrawThumbnail(HDC dc) {
    const int w = gPanel.w, h = gPanel.h;
    const std::size_t stride = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
    if (w != gPictureW || h != gPictureH) {
        gPicture.assign(stride * std::size_t(h), 0);
        gPictureW = w;
        gPictureH = h;
    }
    // Bottom-up: the buffer's first row is the picture's top row. No coverage shows black.
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = gPicture.data() + stride * std::size_t(h - 1 - y);
        const std::uint8_t* pixel = gPanel.result + std::size_t(y) * std::size_t(w) * 4;
        for (int x = 0; x < w; ++x, pixel += 4, row += 3) {
            const bool covered = pixel[0] != 0;
            row[0] = covered ? pixel[3] : 0;
            row[1] = covered ? pixel[2] : 0;
            row[2] = covered ? pixel[1] : 0;
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return;
    std::memcpy(bits, gPicture.data(), gPicture.size());
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, gPanel.rect.left, gPanel.rect.top, w, h, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

void DrawPlaceholder(HDC dc) {
    const RECT& r = gPanel.rect;
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    MoveToEx(dc, r.left, r.top, nullptr);
    LineTo(dc, r.right, r.bottom);
    MoveToEx(dc, r.left, r.bottom, nullptr);
    LineTo(dc, r.right, r.top);
}

void Repaint() {
    if (!gPanel.window) return;
    InvalidateRect(gPanel.window, &gPanel.rect, FALSE);
    UpdateWindow(gPanel.window);
}

// ---- The thumbnail ---------------------------------------------------------------------------
// The selected file read over the parameters as the dialog found them and rendered; the grey
// placeholder when it is no preset, or when "Show Preview" is off.
void ShowSelection() {
    gPanel.valid = false;
    RimelaceParams* params = Record();
    if (gShowPreview && params && gPanel.window && gPanel.source && gPanel.result) {
        char path[1024] = {};
        const LRESULT length = SendMessageA(GetParent(gPanel.window), CDM_GETFILEPATH, sizeof path,
                                            reinterpret_cast<LPARAM>(path));
        if (length > 0 && length < LRESULT(sizeof path)) {
            RestoreEffectFields(*params, gPanel.kept);
            gPanel.valid = ReadPresetFile(CompletePresetName(path), *params);
        }
    }
    if (gPanel.valid) {
        gShowPreview = 1;
        gPanel.valid = RenderThumbnail(*gPanel.globals, gPanel.source, gPanel.result, gPanel.w, gPanel.h);
    }
    Repaint();
}

// ---- Messages --------------------------------------------------------------------------------
void OnInit(const OPENFILENAMEA* dialog) {
    gPanel = Panel{};
    gPanel.globals = dialog ? reinterpret_cast<PluginGlobals*>(dialog->lCustData) : nullptr;
    if (RimelaceParams* params = gPanel.globals ? LockedParams(*gPanel.globals) : nullptr) {
        KeepRecord(*params, gPanel.kept);
        gPanel.haveRecord = true;
    }
}

void OnInitDone(HWND panel) {
    gPanel.window = panel;
    GuardFileNameLength(GetParent(panel));
    RECT frame{};
    GetWindowRect(GetDlgItem(panel, IDC_PRESET_THUMBNAIL), &frame);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&frame), 2);
    InflateRect(&frame, -1, -1);  // inside the black frame
    gPanel.rect = frame;
    gPanel.w = std::max<int>(0, frame.right - frame.left);
    gPanel.h = std::max<int>(0, frame.bottom - frame.top);
    const std::size_t bytes = std::size_t(gPanel.w) * std::size_t(gPanel.h) * 4;
    gPanel.source = static_cast<std::uint8_t*>(platform::AllocPages(bytes));
    gPanel.result = static_cast<std::uint8_t*>(platform::AllocPages(bytes));
    if (gPanel.source) FillFromSamplePicture(gPanel.source, gPanel.w, gPanel.h);
    gPanel.zoom = PreviewZoom;
    gPanel.fit = PreviewFit;
    PreviewZoom = PreviewFit = 1.0f;
    if (gShowPreview) CheckDlgButton(panel, IDC_PRESET_SHOW_PREVIEW, BST_CHECKED);
}

void OnShowPreview(HWND panel) {
    if (IsDlgButtonChecked(panel, IDC_PRESET_SHOW_PREVIEW) == BST_CHECKED) {
        gShowPreview = 1;
        ShowSelection();
    } else {
        gPanel.valid = false;
        gShowPreview = 0;
        Repaint();
    }
}

void OnPaint(HWND panel) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(panel, &paint);
    if (gPanel.window == panel) {
        if (gPanel.valid)
            DrawThumbnail(dc);
        else
            DrawPlaceholder(dc);
    }
    EndPaint(panel, &paint);
}

void OnDestroy() {
    if (gPanel.window) {  // CDN_INITDONE set them aside
        PreviewZoom = gPanel.zoom;
        PreviewFit = gPanel.fit;
    }
    platform::FreePages(gPanel.source);
    platform::FreePages(gPanel.result);
    gPanel.source = gPanel.result = nullptr;
    gPanel.window = nullptr;
    // Every byte of the record back as the dialog found it, opened or cancelled: the file chosen
    // with "Open" is read afterwards, over the parameters as they were.
    if (RimelaceParams* params = Record()) RestoreRecord(*params, gPanel.kept);
    gPanel.haveRecord = false;
    gPanel.globals = nullptr;
}

UINT_PTR OnNotify(HWND panel, const OFNOTIFYA& notice) {
    switch (notice.hdr.code) {
    case CDN_INITDONE: OnInitDone(panel); break;
    case CDN_SELCHANGE: ShowSelection(); break;
    default: break;  // CDN_FILEOK: "Open" closes the dialog; the record is put back all the same
    }
    return 0;
}

}  // namespace

bool PresetPreviewShown() { return gShowPreview != 0; }

UINT_PTR CALLBACK PresetPanelHook(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInit(reinterpret_cast<const OPENFILENAMEA*>(lParam)); return TRUE;
    case WM_NOTIFY: return OnNotify(panel, *reinterpret_cast<const OFNOTIFYA*>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PRESET_SHOW_PREVIEW && HIWORD(wParam) == BN_CLICKED) OnShowPreview(panel);
        return 0;
    case WM_PAINT: OnPaint(panel); return TRUE;
    case WM_DESTROY: OnDestroy(); return 0;
    default: return 0;
    }
}
