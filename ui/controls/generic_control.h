#pragma once
// The classes the plug-in registers but never creates ("Control CPP", "Control Button CPP",
// "Control Button Fire CPP", "Control Glass CPP", "Contaner CPP", "Contaner Anim CPP",
// "Glass Slider CPP", "Color Equalizer CPP"). A window of one of them keeps a bare record, shows the
// face colour, and the two animated ones take part in hot tracking.

#include "ui/controls/control.h"

struct GenericControl : ControlRecord {
    bool animated = false;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
};

ControlClass GenericControlClass(const char* name);
