// The "Geometry" and "Material" pages: made on first display inside the tab control, every
// control bound to its row of the parameter table (range, tooltip, value-dialog name, integer
// flag, caption), loaded from and read back into the record, and the enabling by effect kind.
#include "ui/dialog/main_dialog_p.h"

#include "generate/scene_builder.h"
#include "params/dialog_enabling.h"
#include "params/param_table.h"
#include "ui/controls/color_container.h"
#include "ui/controls/preview_container.h"
#include "ui/controls/rotor.h"
#include "ui/controls/spin_edit.h"
#include "ui/controls/tooltip.h"
#include "ui/dialog/dialog_ids.h"

#include <commctrl.h>
#include <cstring>

namespace {

constexpr int kTemplates[2] = {IDD_GEOMETRY_PAGE, IDD_MATERIAL_PAGE};
constexpr int kRotationEditWidth = 44;

DialogPage KindOf(int index) { return index == kGeometryPage ? DialogPage::Geometry : DialogPage::Material; }

int IndexOf(const MainDialog& dialog, HWND page) {
    return page == dialog.pages[kMaterialPage] ? kMaterialPage : kGeometryPage;
}

// Rows an angle control shows: the first row of a control id is its angle, a second its elevation.
bool IsSecondAngle(const ParamEntry& entry) {
    for (const ParamEntry& other : ParamTable()) {
        if (&other == &entry) return false;
        if (other.page == entry.page && other.controlId == entry.controlId) return true;
    }
    return false;
}

template <class Visit>
void ForEachControl(DialogPage kind, Visit visit) {
    for (const ParamEntry& entry : ParamTable())
        if (entry.page == kind && entry.controlId != 0) visit(entry);
}

const ParamEntry* EntryFor(DialogPage kind, int controlId) {
    for (const ParamEntry& entry : ParamTable())
        if (entry.page == kind && entry.controlId == controlId) return &entry;
    return nullptr;
}

std::span<const char* const> ListOf(const ParamEntry& entry) {
    if (std::strcmp(entry.field, "MaskKind") == 0) return MaskKindLabels();
    if (std::strcmp(entry.field, "GrowDirect") == 0) return GrowDirectLabels();
    if (std::strcmp(entry.field, "RenderMode") == 0) return RenderModeLabels();
    return {};
}

// ---- Configuring, loading and reading the controls --------------------------------------------
// Everything but the tooltips (AttachPageTooltips).
void Configure(const MainDialog& dialog, HWND page, DialogPage kind) {
    ForEachControl(kind, [&](const ParamEntry& entry) {
        const int id = entry.controlId;
        HWND control = GetDlgItem(page, id);
        SetDlgItemTextA(page, id + IDC_LABEL_OFFSET, entry.label);
        switch (entry.rangeKind) {
        case RangeKind::Span:
            if (SpinEdit* spin = ConfigureSpinEdit(page, id, float(entry.rangeMin), float(entry.rangeMax), nullptr,
                                                   entry.valueName))
                spin->integerMode = entry.ref.type != FieldType::F32;
            break;
        case RangeKind::List:
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font), 0);
            for (const char* label : ListOf(entry)) SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
            break;
        case RangeKind::Flag: SetWindowTextA(control, entry.label); break;
        case RangeKind::Colour: break;
        case RangeKind::Angle:
            if (IsSecondAngle(entry)) break;
            if (Rotor* rotor = FindControlAs<Rotor>(control, kRotorClassName)) {
                std::strncpy(rotor->name, entry.valueName, sizeof rotor->name - 1);
                // The scene's rotation is a dial with its angle typed in the middle; the light a sphere.
                rotor->displayMode = kind == DialogPage::Geometry ? Rotor::kDial : Rotor::kSphere;
                if (rotor->displayMode == Rotor::kDial) rotor->CreateEdit(kRotationEditWidth);
            }
            break;
        }
    });
}

// The tooltips of the controls Configure set up: the same text on a spin edit's field, arrows and
// strip; one on each list, captioned check box, colour swatch and rotor.
void AttachTooltips(HWND page, DialogPage kind) {
    ForEachControl(kind, [&](const ParamEntry& entry) {
        HWND control = GetDlgItem(page, entry.controlId);
        switch (entry.rangeKind) {
        case RangeKind::Span:
            if (auto* spin = FindControlAs<SpinEdit>(control, kSpinEditClassName)) spin->SetTooltip(entry.tooltip);
            break;
        case RangeKind::Flag:
            if (entry.tooltip[0]) AttachTooltip(control, entry.tooltip);
            break;
        case RangeKind::List:
        case RangeKind::Colour: AttachTooltip(control, entry.tooltip); break;
        case RangeKind::Angle:
            if (!IsSecondAngle(entry) && FindControlAs<Rotor>(control, kRotorClassName)) AttachTooltip(control, entry.tooltip);
            break;
        }
    });
}

void Load(HWND page, DialogPage kind, const RimelaceParams& params) {
    ForEachControl(kind, [&](const ParamEntry& entry) {
        HWND control = GetDlgItem(page, entry.controlId);
        switch (entry.rangeKind) {
        case RangeKind::Span:
            if (auto* spin = FindControlAs<SpinEdit>(control, kSpinEditClassName)) spin->SetValue(float(GetFloat(params, entry)));
            break;
        case RangeKind::List: SendMessageA(control, CB_SETCURSEL, WPARAM(GetInteger(params, entry) - 1), 0); break;
        case RangeKind::Flag: CheckDlgButton(page, entry.controlId, GetInteger(params, entry) ? BST_CHECKED : BST_UNCHECKED); break;
        case RangeKind::Colour:
            if (auto* swatch = FindControlAs<ColorContainer>(control, kColorContainerClassName)) {
                swatch->color = COLORREF(GetInteger(params, entry)) & 0xFFFFFF;
                Repaint(control);
            }
            break;
        case RangeKind::Angle:
            if (auto* rotor = FindControlAs<Rotor>(control, kRotorClassName)) {
                const float value = float(GetFloat(params, entry));
                if (IsSecondAngle(entry))
                    rotor->SetValue(rotor->totalAngle, value);
                else
                    rotor->SetValue(value, rotor->elevation);
            }
            break;
        }
    });
}

void Read(HWND page, DialogPage kind, RimelaceParams& params) {
    // Check boxes first (the glass switch), then the values.
    ForEachControl(kind, [&](const ParamEntry& entry) {
        if (entry.rangeKind == RangeKind::Flag)
            SetInteger(params, entry, IsDlgButtonChecked(page, entry.controlId) == BST_CHECKED);
    });
    ForEachControl(kind, [&](const ParamEntry& entry) {
        HWND control = GetDlgItem(page, entry.controlId);
        switch (entry.rangeKind) {
        case RangeKind::Span:
            if (auto* spin = FindControlAs<SpinEdit>(control, kSpinEditClassName)) SetFloat(params, entry, spin->value);
            break;
        case RangeKind::List: {
            const int selection = int(SendMessageA(control, CB_GETCURSEL, 0, 0));
            if (selection >= 0) SetInteger(params, entry, selection + 1);
            break;
        }
        case RangeKind::Colour:
            if (auto* swatch = FindControlAs<ColorContainer>(control, kColorContainerClassName))
                SetInteger(params, entry, std::int32_t(swatch->color & 0xFFFFFF));
            break;
        case RangeKind::Angle:
            if (auto* rotor = FindControlAs<Rotor>(control, kRotorClassName))
                SetFloat(params, entry, IsSecondAngle(entry) ? rotor->elevation : rotor->totalAngle);
            break;
        case RangeKind::Flag: break;
        }
    });
}

// ---- Page messages -------------------------------------------------------------------------
void PlaceInTab(const MainDialog& dialog, HWND page) {
    RECT area{};
    GetClientRect(dialog.tab, &area);
    TabCtrl_AdjustRect(dialog.tab, FALSE, &area);
    MapWindowPoints(dialog.tab, dialog.window, reinterpret_cast<POINT*>(&area), 2);
    SetWindowPos(page, HWND_TOP, area.left, area.top, 0, 0, SWP_NOSIZE);
}

BOOL OnInitPage(HWND page, int index) {
    MainDialog* dialog = CurrentDialog();
    if (!dialog) return TRUE;
    dialog->pages[index] = page;
    PlaceInTab(*dialog, page);
    dialog->params->SceneDirty = 1;
    Configure(*dialog, page, KindOf(index));
    if (index == kGeometryPage && dialog->preview) {
        dialog->preview->centerX = FindControlAs<SpinEdit>(GetDlgItem(page, 1026), kSpinEditClassName);
        dialog->preview->centerY = FindControlAs<SpinEdit>(GetDlgItem(page, 1027), kSpinEditClassName);
    }
    LoadPage(*dialog, index);
    if (dialog->tooltipsAttached) AttachPageTooltips(*dialog, index);
    return TRUE;
}

INT_PTR OnPageCommand(MainDialog& dialog, HWND page, WPARAM wParam) {
    const int index = IndexOf(dialog, page);
    const DialogPage kind = KindOf(index);
    const ParamEntry* entry = EntryFor(kind, LOWORD(wParam));
    if (!entry) return FALSE;
    RimelaceParams& params = *dialog.params;
    if (entry->rangeKind == RangeKind::List) {
        if (HIWORD(wParam) != CBN_SELENDOK) return FALSE;
        const int selection = int(SendDlgItemMessageA(page, entry->controlId, CB_GETCURSEL, 0, 0));
        if (selection >= 0) SetInteger(params, *entry, selection + 1);
        params.SceneDirty = 1;
        SendMessageA(dialog.window, WM_COMMAND, kParamsChangedCommand, 0);
        return TRUE;
    }
    if (HIWORD(wParam) != 0) return FALSE;
    // A field that only lost the focus changes nothing: no new render.
    RimelaceParams before;
    std::memcpy(&before, &params, sizeof params);
    Read(page, kind, params);
    if (std::memcmp(&before, &params, sizeof params) == 0) return TRUE;
    if (kind == DialogPage::Geometry) params.SceneDirty = 1;
    SendMessageA(dialog.window, WM_COMMAND, kParamsChangedCommand, 0);
    return TRUE;
}

}  // namespace

void ShowPage(MainDialog& dialog, int index) {
    if (index < 0 || index > 1) index = kGeometryPage;
    if (!dialog.pages[index])
        CreateDialogParamA(ToolkitModule(), MAKEINTRESOURCEA(kTemplates[index]), dialog.window, PageProc, index);
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_IMAGE;
        item.iImage = i == index ? 1 : 0;
        SendMessageA(dialog.tab, TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
        if (dialog.pages[i]) ShowWindow(dialog.pages[i], i == index ? SW_SHOW : SW_HIDE);
    }
    dialog.currentPage = index;
}

void LoadPage(MainDialog& dialog, int index) {
    HWND page = dialog.pages[index];
    if (!page) return;
    Load(page, KindOf(index), *dialog.params);
    if (index == kGeometryPage) ApplyEnabling(dialog);
}

void AttachPageTooltips(MainDialog& dialog, int index) {
    if (dialog.pages[index]) AttachTooltips(dialog.pages[index], KindOf(index));
}

void ApplyEnabling(MainDialog& dialog) {
    HWND page = dialog.pages[kGeometryPage];
    if (!page) return;
    const int effect = EffectIndex(dialog.params->EffectKind, dialog.params->PatternKind);
    ForEachControl(DialogPage::Geometry, [&](const ParamEntry& entry) {
        const BOOL enabled = EnabledForEffect(entry, effect);
        EnableWindow(GetDlgItem(page, entry.controlId), enabled);
        EnableWindow(GetDlgItem(page, entry.controlId + IDC_LABEL_OFFSET), enabled);
    });
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitPage(page, int(lParam));
    MainDialog* dialog = CurrentDialog();
    if (!dialog) return FALSE;
    switch (message) {
    case WM_COMMAND: return OnPageCommand(*dialog, page, wParam);
    case WM_HELP: return OpenHelp(*dialog), TRUE;
    case WM_DESTROY:
        FreeSceneCache(*dialog->params);
        dialog->params->SceneDirty = 1;
        return FALSE;
    default: return FALSE;
    }
}
