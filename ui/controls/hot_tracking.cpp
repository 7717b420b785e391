#include "ui/controls/hot_tracking.h"

void TrackHot(ControlRecord& record) {
    ToolkitShared& shared = Toolkit();
    if (shared.hotControl == &record) return;
    if (ControlRecord* previous = shared.hotControl) {
        previous->hot = 0;
        Repaint(previous->window);
    }
    if (record.hoverHighlight == 1) record.hot = 1;
    shared.hotControl = &record;
    Repaint(record.window);
}
