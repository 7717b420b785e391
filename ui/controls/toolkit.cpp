// Registration of the toolkit's classes around a dialog run, and the state they share.
#include "ui/controls/toolkit.h"

#include "ui/controls/color_container.h"
#include "ui/controls/generic_control.h"
#include "ui/controls/mac_slider.h"
#include "ui/controls/preview_container.h"
#include "ui/controls/rotor.h"
#include "ui/controls/spin_edit.h"

#include <commctrl.h>

ToolkitShared& Toolkit() {
    static ToolkitShared shared;
    return shared;
}

HINSTANCE ToolkitModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ToolkitModule), &module);
    return module;
}

HFONT ControlFont(HWND control) {
    if (Toolkit().dialogFont) return Toolkit().dialogFont;
    return reinterpret_cast<HFONT>(SendMessageA(GetParent(control), WM_GETFONT, 0, 0));
}

const ControlClass* ControlClasses() {
    static const ControlClass classes[kControlClassCount] = {
        GenericControlClass(kControlClassName),
        GenericControlClass(kControlButtonFireClassName),
        GenericControlClass(kControlGlassClassName),
        GenericControlClass(kControlButtonClassName),
        GenericControlClass(kContainerAnimClassName),
        GenericControlClass(kContainerClassName),
        RotorClass(),
        MacSliderClass(),
        GenericControlClass(kGlassSliderClassName),
        PreviewContainerClass(),
        ColorContainerClass(),
        SpinEditClass(),
        GenericControlClass(kColorEqualizerClassName),
    };
    return classes;
}

void RegisterControlClasses() {
    ToolkitShared& shared = Toolkit();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    shared.faceRed = GetRValue(face);
    shared.faceGreen = GetGValue(face);
    shared.faceBlue = GetBValue(face);
    if (!shared.faceBrush) shared.faceBrush = CreateSolidBrush(face);

    INITCOMMONCONTROLSEX common{sizeof common, ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&common);

    const HINSTANCE module = ToolkitModule();
    const ControlClass* classes = ControlClasses();
    for (int i = 0; i < kControlClassCount; ++i) {
        WNDCLASSA wc{};
        wc.style = 0;
        wc.lpfnWndProc = classes[i].procedure;
        wc.cbClsExtra = 0;
        wc.cbWndExtra = 4;
        wc.hInstance = module;
        wc.hIcon = nullptr;
        wc.hCursor = LoadCursorA(nullptr, classes[i].cursor);
        wc.hbrBackground = shared.faceBrush;
        wc.lpszMenuName = nullptr;
        wc.lpszClassName = classes[i].name;
        RegisterClassA(&wc);
    }
}

void UnregisterControlClasses() {
    ToolkitShared& shared = Toolkit();
    const HINSTANCE module = ToolkitModule();
    const ControlClass* classes = ControlClasses();
    for (int i = 0; i < kControlClassCount; ++i) UnregisterClassA(classes[i].name, module);
    if (shared.faceBrush) DeleteObject(shared.faceBrush);
    shared.faceBrush = nullptr;
    shared.hotControl = nullptr;
}
