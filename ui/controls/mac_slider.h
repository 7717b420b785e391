#pragma once
// "Mac Slider CPP": a horizontal value strip with a triangular thumb. Each spin edit makes one
// under its field; the plug-in creates no other.
//
// Mouse (positions map to values by slider_math.h):
//   WM_LBUTTONDOWN  captures the mouse, moves the value under the pointer, repaints; no message.
//   WM_MOUSEMOVE    with exactly MK_LBUTTON held: moves the value, sends WM_HSCROLL (0, 0) to the
//                   parent, repaints.
//   WM_LBUTTONUP    releases the capture, moves the value, repaints, sends WM_HSCROLL (0, 0) and
//                   then WM_COMMAND (id, 0) to the parent.
//   WM_RBUTTONDOWN  sent on to the parent as WM_RBUTTONDOWN (0, 0) when forwardRightClick is 1.
// The owner writes value, minimum and maximum in the record and repaints (Repaint in control.h).
// A disabled strip is drawn in grey.

#include "ui/controls/control.h"

struct MacSlider : ControlRecord {
    float value = 0.0f;
    float minimum = 0.0f;
    float maximum = 100.0f;
    BYTE forwardRightClick = 0;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint();
    void MoveTo(LPARAM lParam);
    LRESULT OnButtonDown(LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnButtonUp(LPARAM lParam);
    LRESULT OnRightButtonDown();
};

ControlClass MacSliderClass();
