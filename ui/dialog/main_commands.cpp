// The main dialog's commands: the parameter controls it holds itself, the preview's zoom, pan and
// update, Reset, Load and Save, OK and Cancel with the keyboard's Enter and Escape, help, about and the web link.
#include "ui/dialog/main_dialog_p.h"

#include "generate/render_state.h"
#include "params/param_table.h"
#include "platform/platform.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"
#include "ui/controls/dialog_keys.h"
#include "ui/controls/preview_container.h"
#include "ui/dialog/dialog_ids.h"
#include "ui/dialog/preset_dialogs.h"
#include "ui/dialog/preview.h"

namespace {

constexpr const char* kWebAddress = "https://www.rimelace.example/";

int Selection(const MainDialog& dialog, int id) {
    return int(SendDlgItemMessageA(dialog.window, id, CB_GETCURSEL, 0, 0));
}

// A preview the host cannot serve any more is switched off; its code never reaches the filter.
void PrepareAndRender(MainDialog& dialog) {
    if (!dialog.previews) return;
    PreparePreview(*dialog.globals, *dialog.preview);
    if (*dialog.globals->result != noErr) {
        *dialog.globals->result = noErr;
        PreviewsOff(dialog);
        return;
    }
    RenderPreview(*dialog.globals, *dialog.preview);
}

void Zoom(MainDialog& dialog, bool in) {
    const ZoomStep step = in ? ZoomInStep(PreviewScale, PreviewFit) : ZoomOutStep(PreviewScale);
    const bool changed = step.scale != PreviewScale;
    PreviewScale = step.scale;
    if (step.disable) EnableZoomButton(dialog, in ? IDC_ZOOM_IN : IDC_ZOOM_OUT, false);
    if (!changed) return;
    EnableZoomButton(dialog, in ? IDC_ZOOM_OUT : IDC_ZOOM_IN, true);
    dialog.params->SceneDirty = 1;
    PrepareAndRender(dialog);
}

void ChooseEffect(MainDialog& dialog) {
    const EffectPair pair = EffectFromIndex(Selection(dialog, IDC_EFFECT_KIND));
    dialog.params->EffectKind = pair.effectKind;
    dialog.params->PatternKind = pair.patternKind;
    ApplyEnabling(dialog);
    dialog.params->SceneDirty = 1;
    SendMessageA(dialog.window, WM_COMMAND, kParamsChangedCommand, 0);
}

void Reset(MainDialog& dialog) {
    std::uint8_t* bump = dialog.params->BumpImage;  // the dialog's texture stays
    ResetParams(*dialog.params);
    dialog.params->BumpImage = bump;
    RefreshAll(dialog);
}

void OpenWebPage() {
    if (!platform::ShellOpen(kWebAddress)) MessageBeep(MB_ICONWARNING);
}

}  // namespace

void EnableZoomButton(MainDialog& dialog, int id, bool enabled) {
    HWND button = GetDlgItem(dialog.window, id);
    // The focus leaves a button about to go grey, as the dialog manager would have it.
    if (!enabled && GetFocus() == button) SendMessageA(dialog.window, WM_NEXTDLGCTL, 0, 0);
    EnableWindow(button, enabled);
    const DialogPictures& p = dialog.pictures;
    HBITMAP picture = id == IDC_ZOOM_IN ? (enabled ? p.zoomIn : p.zoomInOff) : (enabled ? p.zoomOut : p.zoomOutOff);
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
}

void PreviewsOff(MainDialog& dialog) {
    dialog.previews = false;
    EnableZoomButton(dialog, IDC_ZOOM_IN, false);
    EnableZoomButton(dialog, IDC_ZOOM_OUT, false);
    EnableWindow(GetDlgItem(dialog.window, IDC_UPDATE), FALSE);
}

void AutoRender(MainDialog& dialog) {
    if (dialog.params->AutoUpdate) RenderNow(dialog);
}

void RenderNow(MainDialog& dialog) {
    if (dialog.previews) RenderPreview(*dialog.globals, *dialog.preview);
}

void LoadMainControls(MainDialog& dialog) {
    const RimelaceParams& params = *dialog.params;
    CheckDlgButton(dialog.window, IDC_AUTO_UPDATE, params.AutoUpdate ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog.window, IDC_ALPHA_CUT, params.AlphaCut ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(dialog.window, IDC_RENDER_MODE, CB_SETCURSEL, WPARAM(params.RenderMode - 1), 0);
    SendDlgItemMessageA(dialog.window, IDC_EFFECT_KIND, CB_SETCURSEL,
                        WPARAM(EffectIndex(params.EffectKind, params.PatternKind)), 0);
}

void RefreshAll(MainDialog& dialog) {
    dialog.params->SceneDirty = 1;
    if (dialog.preview) {
        dialog.preview->owner = dialog.globals;
        dialog.preview->params = dialog.params;
    }
    LoadMainControls(dialog);
    LoadPage(dialog, kGeometryPage);
    LoadPage(dialog, kMaterialPage);
    if (dialog.pages[dialog.currentPage]) RedrawWindow(dialog.pages[dialog.currentPage], nullptr, nullptr,
                                                       RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    AutoRender(dialog);
}

void OpenHelp(const MainDialog& dialog) {
    if (platform::ShellOpen(dialog.helpPath.c_str(), "htmlfile")) return;
    const std::string text = "The help document cannot be opened:\n" + dialog.helpPath;
    MessageBoxA(dialog.window, text.c_str(), "Rimelace", MB_OK | MB_ICONWARNING);
}

INT_PTR OnMainCommand(MainDialog& dialog, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    RimelaceParams& params = *dialog.params;
    switch (id) {
    case IDOK:
    case IDCANCEL:
        // Enter and Escape in a field belong to the field; otherwise OK keeps the record and Cancel
        // puts the snapshot back when the dialog has closed.
        if (!RouteEditKey(wParam)) EndDialog(dialog.window, id);
        return TRUE;
    case kParamsChangedCommand:
        if (lParam) params.SceneDirty = 1;
        AutoRender(dialog);
        return TRUE;
    case IDC_AUTO_UPDATE:
    case IDC_ALPHA_CUT:
        if (code != BN_CLICKED) return FALSE;
        params.AutoUpdate = IsDlgButtonChecked(dialog.window, IDC_AUTO_UPDATE) == BST_CHECKED;
        params.AlphaCut = IsDlgButtonChecked(dialog.window, IDC_ALPHA_CUT) == BST_CHECKED;
        AutoRender(dialog);
        return TRUE;
    case IDC_RENDER_MODE:
        if (code != CBN_SELENDOK) return FALSE;
        params.RenderMode = std::uint8_t(Selection(dialog, IDC_RENDER_MODE) + 1);
        AutoRender(dialog);
        return TRUE;
    case IDC_EFFECT_KIND:
        if (code != CBN_SELENDOK) return FALSE;
        ChooseEffect(dialog);
        return TRUE;
    case IDC_UPDATE:
        params.SceneDirty = 1;
        RenderNow(dialog);
        return TRUE;
    case IDC_ZOOM_IN:
    case IDC_ZOOM_OUT:
        Zoom(dialog, id == IDC_ZOOM_IN);
        return TRUE;
    case IDC_PREVIEW:  // the end of a pan drag
        params.SceneDirty = 1;
        PrepareAndRender(dialog);
        return TRUE;
    case IDC_RESET: return Reset(dialog), TRUE;
    case IDC_LOAD:
        if (LoadPresetDialog(dialog.window, *dialog.globals)) RefreshAll(dialog);
        return TRUE;
    case IDC_SAVE: return SavePresetDialog(dialog.window, *dialog.globals), TRUE;
    case IDC_HELP_BUTTON: return OpenHelp(dialog), TRUE;
    case IDC_ABOUT: return RunAboutBox(dialog.window), TRUE;
    case IDC_WEB_LINK: return OpenWebPage(), TRUE;
    default: return FALSE;
    }
}
