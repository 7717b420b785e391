#pragma once
// Resources of the preset dialogs (resources/preset_panel.rc, resources/bitmaps.rc): the open dialog's thumbnail panel,
// the sample picture it renders on, and the module's icon, which the ".ipt" file type shows.
#define IDD_PRESET_PANEL 114
#define IDC_PRESET_THUMBNAIL 666
#define IDC_PRESET_SHOW_PREVIEW 667
#define IDC_PRESET_PROGRESS 669
#define IDC_PRESET_STOP 670
#define IDB_PRESET_SAMPLE 115
// The module's first and only icon: index 0 in the registered "<module>,0".
#define IDI_MODULE_ICON 1
