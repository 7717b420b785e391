#pragma once
// Resource and item numbers of the main dialog, its two pages and the about box
// (resources/dialogs.rc). Plain macros: the resource compiler reads this file too.

// Templates. The main dialog's template is named, not numbered.
#define IDD_GEOMETRY_PAGE 16103
#define IDD_MATERIAL_PAGE 16105
#define IDD_ABOUT 16107

// Pictures: the four bitmap buttons and the two tab images (10 x 10).
#define IDB_ZOOM_IN 104
#define IDB_NAVIGATION 105
#define IDB_DRAGGING 106
#define IDB_ZOOM_OUT 107
#define IDB_TAB_IDLE 111
#define IDB_TAB_SHOWN 113
// The magnifiers on white, shown by the zoom buttons while disabled.
#define IDB_ZOOM_IN_OFF 204
#define IDB_ZOOM_OUT_OFF 207

// Main dialog items (the parameter controls among them are bound through the parameter table).
#define IDC_PREVIEW 1002
#define IDC_ZOOM_IN 1003
#define IDC_ZOOM_OUT 1004
#define IDC_UPDATE 1010
#define IDC_LOAD 1016
#define IDC_RESET 1017
#define IDC_SAVE 1018
#define IDC_HELP_BUTTON 1019
#define IDC_ABOUT 1020
#define IDC_WEB_LINK 1021
#define IDC_AUTO_UPDATE 1024
#define IDC_RENDER_MODE 1027
#define IDC_ALPHA_CUT 1032
#define IDC_EFFECT_KIND 1036
#define IDC_NAVIGATION 1049
#define IDC_DRAGGING 1050

// The tab control, made when the dialog starts.
#define IDC_PAGES 1060

// Every parameter control's caption is a static text item numbered control id + IDC_LABEL_OFFSET;
// its text comes from the parameter table when the dialog starts.
#define IDC_LABEL_OFFSET 20000

// About box items.
#define IDC_ABOUT_TITLE 16201
#define IDC_ABOUT_VERSION 16202
#define IDC_ABOUT_TEXT 16203
