#pragma once
// "Rotor CPP": a direction edited with the mouse. Two modes:
//   kDial (3)   a dial with a pointer and, after CreateEdit, a numeric edit box (id 1) in the middle;
//               0 is up, angles grow clockwise and keep counting past 360 (or below 0) while the
//               user goes on circling: totalAngle = turns * 360 + angle within the turn;
//   kSphere (0) a shaded sphere whose highlight follows the light: totalAngle is the azimuth
//               (0 right, 90 up, counter-clockwise, -180..180) and elevation the height of the light
//               (90 straight in front, 0 on the rim).
// Geometry in rotor_math.h. The dialog sets displayMode (and name) right after creation, reads
// totalAngle and elevation on the rotor's WM_COMMAND (wParam = its id, lParam 0), which comes at
// the release of a drag, after the edit box commits (losing the focus), and (posted) after OK in
// the rotor's "Set value" dialog (a right click). A press moves the pointer but does not notify.
// Messages the control takes: WM_COMMAND (MAKEWPARAM(1, kRevertEdit), 0) restores the edit's
// text; WM_ENABLE enables the edit box (a disabled rotor is drawn in grey); WM_SETFOCUS passes the
// focus on to the edit box when there is one.

#include "ui/controls/control.h"

struct Rotor : ControlRecord {
    enum : BYTE { kSphere = 0, kDial = 3 };

    Rotor() { glowSlot = -1; }

    BYTE displayMode = kSphere;
    float totalAngle = 0.0f;       // degrees: the first value
    float elevation = 90.0f;       // degrees: the second value (sphere mode)
    float turns = 0.0f;            // whole turns counted while dragging
    float angle = 0.0f;            // angle within the turn
    float previousAngle = 0.0f;
    float pressAngle = 0.0f;
    char name[64] = {};            // shown in the "Set value" dialog
    HWND edit = nullptr;           // the edit box, when CreateEdit made one
    int pointerX = 0, pointerY = 0;  // client pixels; the centre at creation
    int previousX = 0, previousY = 0;

    // Stores the angle and the elevation, repaints, and rewrites the edit box. Does not notify.
    void SetValue(float newAngle, float newElevation);
    // Makes the edit box: `editWidth` x 22 pixels, centred, the dialog font, the angle as "%0.2f".
    void CreateEdit(int editWidth);

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint();
    void PaintDial(HDC dc);
    void PaintSphere(HDC dc);
    void ShowAngle();
    float AngleAt(int x, int y, float previous) const;
    LRESULT OnCreate();
    LRESULT OnButtonDown(LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnButtonUp();
    LRESULT OnRightButtonDown();
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnable(WPARAM wParam);
    LRESULT OnSetFocus();
};

ControlClass RotorClass();
