#pragma once
// The control toolkit: the plug-in's own window classes, registered for the life of one dialog run.
//
//   "Spin Edit CPP"         SpinEdit        numeric field: edit, up-down arrows, slider strip
//   "Mac Slider CPP"        MacSlider       the strip under every spin edit
//   "Rotor CPP"             Rotor           angle dial / light-direction sphere
//   "Contaner Color CPP"    ColorContainer  colour swatch opening the system colour chooser
//   "Preview Contaner CPP"  PreviewContainer the main dialog's preview window
//   and eight classes that are registered but never created by the plug-in.
//
// A dialog run goes: RegisterControlClasses(); DialogBoxParam(...); UnregisterControlClasses().
// Every control window must be destroyed before the classes go (LiveControlRecords() == 0).
// All of this runs on the dialog's thread; nothing is locked.

#include <windows.h>

// Class names, in the order they are registered.
inline constexpr const char* kControlClassName = "Control CPP";
inline constexpr const char* kControlButtonFireClassName = "Control Button Fire CPP";
inline constexpr const char* kControlGlassClassName = "Control Glass CPP";
inline constexpr const char* kControlButtonClassName = "Control Button CPP";
inline constexpr const char* kContainerAnimClassName = "Contaner Anim CPP";
inline constexpr const char* kContainerClassName = "Contaner CPP";
inline constexpr const char* kRotorClassName = "Rotor CPP";
inline constexpr const char* kMacSliderClassName = "Mac Slider CPP";
inline constexpr const char* kGlassSliderClassName = "Glass Slider CPP";
inline constexpr const char* kPreviewContainerClassName = "Preview Contaner CPP";
inline constexpr const char* kColorContainerClassName = "Contaner Color CPP";
inline constexpr const char* kSpinEditClassName = "Spin Edit CPP";
inline constexpr const char* kColorEqualizerClassName = "Color Equalizer CPP";
inline constexpr int kControlClassCount = 13;

// What one class registers: its name, window procedure and cursor (a system cursor id).
struct ControlClass {
    const char* name;
    WNDPROC procedure;
    LPCSTR cursor;
};

// The thirteen classes in registration order.
const ControlClass* ControlClasses();

// Reads COLOR_BTNFACE into the face colour, creates the face brush, and registers the thirteen
// classes (style 0, 4 window extra bytes, the toolkit's module, the face brush as background).
// Registration results are ignored: a class left over from an earlier run stays usable.
void RegisterControlClasses();

// Unregisters the thirteen classes, then deletes the face brush.
void UnregisterControlClasses();

// The module that holds the toolkit and its "Set value" dialog template (Lorvex.8bf in the
// plug-in; the program itself in a test).
HINSTANCE ToolkitModule();

// State the controls share for the dialog run.
struct ToolkitShared {
    HBRUSH faceBrush = nullptr;  // COLOR_BTNFACE; owned by the registration above
    BYTE faceRed = 0, faceGreen = 0, faceBlue = 0;
    struct ControlRecord* hotControl = nullptr;  // the hot control, see hot_tracking.h
    HFONT dialogFont = nullptr;  // created and owned by the dialog; sent to the inner edit boxes
};
ToolkitShared& Toolkit();

// The font for a control's inner edit box: the shared dialog font, or (before the dialog made
// one) the font of the control's parent.
HFONT ControlFont(HWND control);
