// The main dialog: opening it around the filter context, its start and end, and the dialog
// procedure DissolveProc (exported beside PluginMain).
#include "ui/dialog/main_dialog_p.h"

#include "generate/render_state.h"
#include "generate/scene_builder.h"
#include "generate/scene_render.h"
#include "params/param_table.h"
#include "platform/platform.h"
#include "plugin/dialogs.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"
#include "ui/controls/preview_container.h"
#include "ui/controls/spin_edit.h"
#include "ui/controls/tooltip.h"
#include "ui/dialog/dialog_ids.h"
#include "ui/dialog/preset_dialogs.h"
#include "ui/dialog/preview.h"

#include <commctrl.h>

extern "C" __declspec(dllexport) INT_PTR CALLBACK DissolveProc(HWND window, UINT message, WPARAM wParam,
                                                                LPARAM lParam);

namespace {

MainDialog* gDialog = nullptr;

constexpr const char* kTemplateName = "DISSOLVEWITHPARAM1";
constexpr const char* kHelpDocument = "rimelacedoc.html";
constexpr const char* kPresetFolder = "RimelaceSaves";

// Tooltips of the main dialog's own buttons (the parameter controls take theirs from the table).
struct ItemTip {
    int id;
    const char* text;
};
constexpr ItemTip kTips[] = {
    {IDOK, "Apply effect"},
    {IDCANCEL, "Don't apply effect"},
    {IDC_ZOOM_IN, "Increase preview window"},
    {IDC_ZOOM_OUT, "Decrease preview window"},
    {IDC_NAVIGATION, "Enables the navigation on source image in the preview window (Use left button of mouse)"},
    {IDC_DRAGGING, "Enables the dragging of patterns (Use right button of mouse)"},
    {IDC_UPDATE, "Redraw scene"},
    {IDC_SAVE, "Save current parameters"},
    {IDC_HELP_BUTTON, "Show product documentation"},
    {IDC_ABOUT, "About this plug-in"},
    {IDC_WEB_LINK, "Go to our site and get lattest version"},
};

HWND HostWindow(const PluginGlobals& globals) {
    const FilterRecord* record = globals.filterRecord;
    const auto* data = record ? static_cast<const PlatformData*>(record->platformData) : nullptr;
    return data ? reinterpret_cast<HWND>(data->hwnd) : nullptr;
}

// The plug-in's folder, with its trailing separator.
std::string PluginFolder() {
    std::string path = platform::ModulePath();
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

HBITMAP LoadPicture(int id) {
    return static_cast<HBITMAP>(
        LoadImageA(ToolkitModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
}

void PutPicture(HWND window, int item, HBITMAP picture) {
    SendDlgItemMessageA(window, item, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
}

HIMAGELIST MakeTabImages() {
    HIMAGELIST list = ImageList_Create(10, 10, ILC_COLOR24 | ILC_MASK, 2, 0);
    if (!list) return nullptr;
    for (int id : {IDB_TAB_IDLE, IDB_TAB_SHOWN}) {
        HBITMAP picture = static_cast<HBITMAP>(LoadImageA(ToolkitModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
        ImageList_AddMasked(list, picture, RGB(192, 192, 192));
        DeleteObject(picture);
    }
    return list;
}

// The tab control over the area right of the preview and above the bottom buttons.
void MakeTabs(MainDialog& dialog) {
    RECT preview{}, ok{}, client{};
    GetWindowRect(GetDlgItem(dialog.window, IDC_PREVIEW), &preview);
    GetWindowRect(GetDlgItem(dialog.window, IDOK), &ok);
    MapWindowPoints(nullptr, dialog.window, reinterpret_cast<POINT*>(&preview), 2);
    MapWindowPoints(nullptr, dialog.window, reinterpret_cast<POINT*>(&ok), 2);
    GetClientRect(dialog.window, &client);
    const int left = preview.right + preview.left, top = preview.top;
    const int right = client.right - preview.left, bottom = ok.top - preview.left;
    dialog.tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, left, top,
                                 right - left, bottom - top, dialog.window, reinterpret_cast<HMENU>(IDC_PAGES),
                                 ToolkitModule(), nullptr);
    SendMessageA(dialog.tab, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font), 0);
    dialog.pictures.tabImages = MakeTabImages();
    TabCtrl_SetImageList(dialog.tab, dialog.pictures.tabImages);
    const char* names[] = {"Geometry", "Material"};
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<char*>(names[i]);
        item.iImage = 0;
        SendMessageA(dialog.tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    // The tab control goes below the pages, which are its siblings.
    SetWindowPos(dialog.tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    TabCtrl_SetCurSel(dialog.tab, dialog.currentPage);
    ShowPage(dialog, dialog.currentPage);
}

// The tooltips wait until the dialog is on screen with its first preview: each is a window of its
// own (one per control, three per spin edit, about 75 for the main dialog and the Geometry page),
// and making them took about as long as the rest of the dialog's start. The start sets this timer;
// timer messages come only when no window of the thread has anything left to paint, so its first
// tick after the dialog has been shown finds the preview painted and attaches them all, in the
// order the dialog has always attached them. Pages made later attach their own (dialog_pages.cpp).
constexpr UINT_PTR kTooltipTimer = 1;

bool FirstPreviewShown(const MainDialog& dialog) {
    if (!IsWindowVisible(dialog.window)) return false;
    HWND preview = GetDlgItem(dialog.window, IDC_PREVIEW);
    return !preview || !GetUpdateRect(preview, nullptr, FALSE);
}

// Whether no earlier row of the main dialog's table edits the same control ("Effect kind:" edits
// two fields): a control gets one tooltip, not one balloon over another.
bool IsFirstRowOfControl(const ParamEntry& entry) {
    for (const ParamEntry& other : ParamTable()) {
        if (&other == &entry) return true;
        if (other.page == entry.page && other.controlId == entry.controlId) return false;
    }
    return true;
}

void AttachTooltips(MainDialog& dialog) {
    if (dialog.tooltipsAttached) return;
    dialog.tooltipsAttached = true;
    for (const ItemTip& tip : kTips) AttachTooltip(GetDlgItem(dialog.window, tip.id), tip.text);
    for (const ParamEntry& entry : ParamTable())
        if (entry.page == DialogPage::Main && entry.tooltip[0] && IsFirstRowOfControl(entry))
            AttachTooltip(GetDlgItem(dialog.window, entry.controlId), entry.tooltip);
    for (int page = 0; page < 2; ++page) AttachPageTooltips(dialog, page);
}

void BindPreview(MainDialog& dialog) {
    dialog.preview = FindControlAs<PreviewContainer>(GetDlgItem(dialog.window, IDC_PREVIEW), kPreviewContainerClassName);
    if (!dialog.preview) return;
    dialog.preview->mode = 1;
    dialog.preview->owner = dialog.globals;
    dialog.preview->params = dialog.params;
    dialog.preview->showResult = 1;
    dialog.preview->zoom = PreviewZoom > 0 ? PreviewZoom : 1.0f;
}

BOOL OnInitDialog(HWND window, MainDialog& dialog) {
    // Shell registration of the preset files; the dialog is open: renders are previews.
    RegisterPresetFileType(kPresetExtension, kPresetTypeName);
    dialog.window = window;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&dialog));
    PreviewMode = true;

    // Pictures of the buttons (their tooltips come once the dialog is on screen: AttachTooltips).
    dialog.pictures.zoomIn = LoadPicture(IDB_ZOOM_IN);
    dialog.pictures.zoomOut = LoadPicture(IDB_ZOOM_OUT);
    dialog.pictures.zoomInOff = LoadPicture(IDB_ZOOM_IN_OFF);
    dialog.pictures.zoomOutOff = LoadPicture(IDB_ZOOM_OUT_OFF);
    dialog.pictures.navigation = LoadPicture(IDB_NAVIGATION);
    dialog.pictures.dragging = LoadPicture(IDB_DRAGGING);
    PutPicture(window, IDC_NAVIGATION, dialog.pictures.navigation);
    PutPicture(window, IDC_DRAGGING, dialog.pictures.dragging);
    EnableZoomButton(dialog, IDC_ZOOM_IN, true);
    EnableZoomButton(dialog, IDC_ZOOM_OUT, PreviewScale < 1.0f);

    // The dialog font; the main dialog's parameter controls with their captions.
    dialog.font = CreateFontA(13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    Toolkit().dialogFont = dialog.font;
    for (const ParamEntry& entry : ParamTable()) {
        if (entry.page != DialogPage::Main) continue;
        SetDlgItemTextA(window, entry.controlId + IDC_LABEL_OFFSET, entry.label);
        if (entry.rangeKind == RangeKind::Flag) SetDlgItemTextA(window, entry.controlId, entry.label);
    }
    for (int id : {IDC_RENDER_MODE, IDC_EFFECT_KIND}) {
        SendDlgItemMessageA(window, id, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font), 0);
        const auto labels = id == IDC_RENDER_MODE ? RenderModeLabels() : EffectLabels();
        for (const char* label : labels) SendDlgItemMessageA(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
    }

    // The preview window, the navigation mode, the combos' and check boxes' values, the pages.
    BindPreview(dialog);
    CheckDlgButton(window, IDC_NAVIGATION, BST_CHECKED);
    CheckDlgButton(window, IDC_DRAGGING, BST_UNCHECKED);
    LoadMainControls(dialog);
    MakeTabs(dialog);

    // The bump texture, then the first preview when the host serves previews.
    if (!dialog.params->BumpImage) dialog.params->BumpImage = LoadBumpImage();
    dialog.previews = dialog.globals->filterRecord && dialog.globals->filterRecord->advanceState && dialog.preview;
    if (dialog.previews) {
        PreparePreview(*dialog.globals, *dialog.preview);
        if (*dialog.globals->result != noErr) {
            *dialog.globals->result = noErr;
            PreviewsOff(dialog);
        } else {
            RenderPreview(*dialog.globals, *dialog.preview);
        }
    } else {
        PreviewsOff(dialog);
    }
    if (!SetTimer(window, kTooltipTimer, USER_TIMER_MINIMUM, nullptr)) AttachTooltips(dialog);
    return TRUE;
}

INT_PTR OnTimer(MainDialog& dialog, WPARAM id) {
    if (id != kTooltipTimer) return FALSE;
    if (!FirstPreviewShown(dialog)) return TRUE;  // the next tick
    KillTimer(dialog.window, kTooltipTimer);
    AttachTooltips(dialog);
    return TRUE;
}

// When the dialog is first shown, the preview is painted before anything else: left to the queue,
// it would come after the page and its hundred-odd controls, which lie above it.
void OnShown(const MainDialog& dialog, const WINDOWPOS& position) {
    if (!(position.flags & SWP_SHOWWINDOW)) return;
    if (HWND preview = GetDlgItem(dialog.window, IDC_PREVIEW)) UpdateWindow(preview);
}

INT_PTR OnNotify(MainDialog& dialog, const NMHDR& header) {
    if (header.hwndFrom != dialog.tab || header.code != TCN_SELCHANGE) return FALSE;
    ShowPage(dialog, TabCtrl_GetCurSel(dialog.tab));
    return TRUE;
}

// What the dialog leaves behind when it has closed: the shared objects go, the previews' scene is
// freed, and the record is the edited one (OK) or, byte for byte, the one found at the start.
DialogOutcome Finish(MainDialog& dialog, bool confirmed) {
    PreviewMode = false;
    ReleasePreviewState();
    Toolkit().dialogFont = nullptr;
    if (dialog.font) DeleteObject(dialog.font);
    if (dialog.pictures.tabImages) ImageList_Destroy(dialog.pictures.tabImages);
    for (HBITMAP picture : {dialog.pictures.zoomIn, dialog.pictures.zoomOut, dialog.pictures.zoomInOff,
                            dialog.pictures.zoomOutOff, dialog.pictures.navigation, dialog.pictures.dragging})
        if (picture) DeleteObject(picture);

    RimelaceParams& params = *dialog.params;
    FreeSceneCache(params);
    if (confirmed) {
        platform::FreePages(params.BumpImage);
        params.BumpImage = nullptr;
        // The scene cached before the dialog was set aside at the start; nothing uses it now.
        platform::FreePages(dialog.snapshot.SceneTriangles);
        platform::FreePages(dialog.snapshot.ScenePoints);
        return DialogOutcome::Proceed;
    }
    if (params.BumpImage != dialog.snapshot.BumpImage) platform::FreePages(params.BumpImage);
    params = dialog.snapshot;
    *dialog.globals->result = userCanceledErr;
    return DialogOutcome::Cancelled;
}

}  // namespace

MainDialog* CurrentDialog() { return gDialog; }

DialogOutcome RunMainDialog(PluginGlobals& globals) {
    RimelaceParams* params = LockedParams(globals);
    if (!params || !globals.filterRecord || !globals.result) return DialogOutcome::Proceed;
    MainDialog dialog;
    dialog.globals = &globals;
    dialog.params = params;
    dialog.snapshot = *params;
    // The scene cached before the dialog belongs to the snapshot: the previews build their own.
    params->SceneTriangles = nullptr;
    params->ScenePoints = nullptr;
    params->SceneTriangleCount = params->ScenePointCount = 0;
    params->SceneDirty = 1;
    const std::string folder = PluginFolder();
    dialog.helpPath = folder + kHelpDocument;
    dialog.presetFolder = folder + kPresetFolder;

    RegisterControlClasses();
    gDialog = &dialog;
    const INT_PTR ended = DialogBoxParamA(ToolkitModule(), kTemplateName, HostWindow(globals), DissolveProc,
                                          reinterpret_cast<LPARAM>(&dialog));
    gDialog = nullptr;
    UnregisterControlClasses();
    const DialogOutcome outcome = Finish(dialog, ended == IDOK);
    if (ended != IDOK && ended != IDCANCEL) *globals.result = memFullErr;  // the dialog could not open
    return outcome;
}

void ShowAboutDialog(const AboutRecord& about) {
    const auto* data = static_cast<const PlatformData*>(about.platformData);
    RunAboutBox(data ? reinterpret_cast<HWND>(data->hwnd) : nullptr);
}

extern "C" __declspec(dllexport) INT_PTR CALLBACK DissolveProc(HWND window, UINT message, WPARAM wParam,
                                                                LPARAM lParam) {
    auto* dialog = reinterpret_cast<MainDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (message == WM_INITDIALOG) return OnInitDialog(window, *reinterpret_cast<MainDialog*>(lParam));
    if (!dialog) return FALSE;
    switch (message) {
    case WM_COMMAND: return OnMainCommand(*dialog, wParam, lParam);
    case WM_NOTIFY: return OnNotify(*dialog, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER: return OnTimer(*dialog, wParam);
    case WM_WINDOWPOSCHANGED: return OnShown(*dialog, *reinterpret_cast<const WINDOWPOS*>(lParam)), FALSE;
    case WM_HELP: return OpenHelp(*dialog), TRUE;
    case WM_CLOSE: return EndDialog(window, IDCANCEL), TRUE;
    default: return FALSE;
    }
}
