#pragma once
// "Contaner Color CPP": a colour swatch. Releasing either mouse button over it opens the system
// colour chooser; OK takes the chosen colour, Cancel keeps (restores) the old one, and both repaint
// the swatch and send one WM_COMMAND (swatch id, 0) to the parent, which reads `color`.
// The dialog writes `color` and repaints (Repaint in control.h) to show a value.
// Each swatch keeps its own row of 16 custom colours while it exists.

#include "ui/controls/control.h"

struct ColorContainer : ControlRecord {
    BYTE cancelRestore = 1;        // Cancel puts the remembered colour back
    COLORREF color = 0;            // 0x00BBGGRR
    COLORREF customColors[16] = {};

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint();
    LRESULT OnButtonUp();
};

ControlClass ColorContainerClass();
