#pragma once
// "Preview Contaner CPP": the main dialog's preview window (item 1002, the four-headed move
// cursor). This file holds the class and the record; the preview's picture, panning and
// pattern dragging build on it (they fill in PreviewContainer and its Handle).
// Until a picture exists the window shows its two diagonals.

#include "ui/controls/control.h"

struct PreviewContainer : ControlRecord {
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint();
};

ControlClass PreviewContainerClass();
