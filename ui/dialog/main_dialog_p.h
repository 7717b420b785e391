#pragma once
// The main dialog's state and the steps its files share (main_dialog.cpp: open, start, end and
// the dialog procedure; main_commands.cpp: the commands; dialog_pages.cpp: the two pages).

#include "params/params.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

struct PluginGlobals;
struct PreviewContainer;

// The dialog's bitmap-button and tab pictures, loaded at start and released at the end.
struct DialogPictures {
    HBITMAP zoomIn = nullptr, zoomOut = nullptr, navigation = nullptr, dragging = nullptr;
    HBITMAP zoomInOff = nullptr, zoomOutOff = nullptr;  // shown while the zoom buttons are disabled
    HIMAGELIST tabImages = nullptr;
};

struct MainDialog {
    PluginGlobals* globals = nullptr;
    RimelaceParams* params = nullptr;     // the host's record, edited live
    RimelaceParams snapshot{};            // the record as the dialog found it (for Cancel)
    HWND window = nullptr;
    HWND tab = nullptr;
    HWND pages[2] = {nullptr, nullptr};   // Geometry, Material; made on first display
    int currentPage = 0;
    HFONT font = nullptr;                 // Arial 13 bold, for the combos, the tab and the fields
    DialogPictures pictures;
    PreviewContainer* preview = nullptr;
    bool previews = false;                // the host serves previews (advanceState, no error)
    bool cancelled = false;
    bool tooltipsAttached = false;        // once the first preview is on screen (main_dialog.cpp)
    std::string helpPath;                 // <plug-in folder>rimelacedoc.html
    std::string presetFolder;             // <plug-in folder>RimelaceSaves
};

// The dialog of the run in progress (one at a time), or nullptr.
MainDialog* CurrentDialog();

// Page numbers.
constexpr int kGeometryPage = 0;
constexpr int kMaterialPage = 1;

// ---- Pages (dialog_pages.cpp) ----------------------------------------------------------------
// Shows page `index` (made from its template on first display), hides the other one, and puts
// the tab images right.
void ShowPage(MainDialog& dialog, int index);
// Loads every control of a page from the record (the Geometry page then applies the enabling
// table). Does nothing for a page not made yet.
void LoadPage(MainDialog& dialog, int index);
// Gives the controls of page `index` their tooltips. The dialog does it once it is on screen, for
// the pages made by then; a page made after that does it itself. Does nothing for a page not made.
void AttachPageTooltips(MainDialog& dialog, int index);
// Enables the Geometry page's controls for the effect list's entry.
void ApplyEnabling(MainDialog& dialog);
// The page procedure of both pages.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Commands (main_commands.cpp) ----------------------------------------------------------
// Handles WM_COMMAND of the main dialog; returns TRUE when handled.
INT_PTR OnMainCommand(MainDialog& dialog, WPARAM wParam, LPARAM lParam);
// Re-renders the preview when "Auto update" is on and the host serves previews.
void AutoRender(MainDialog& dialog);
// Renders the preview now (when the host serves previews).
void RenderNow(MainDialog& dialog);
// Enables or disables a zoom button (IDC_ZOOM_IN, IDC_ZOOM_OUT) with the picture for its state.
void EnableZoomButton(MainDialog& dialog, int id, bool enabled);
// Switches the previews off for the rest of the dialog (the host cannot serve them): the zoom and
// update buttons go grey and the preview window keeps its cross.
void PreviewsOff(MainDialog& dialog);
// Loads the main dialog's own parameter controls (check boxes, combos) from the record.
void LoadMainControls(MainDialog& dialog);
// Refreshes every control from the record after Load or Reset, and re-renders when due.
void RefreshAll(MainDialog& dialog);
// Opens the help document with the shell.
void OpenHelp(const MainDialog& dialog);

// ---- About box (about_box.cpp) ---------------------------------------------------------------
void RunAboutBox(HWND parent);
