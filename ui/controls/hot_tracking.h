#pragma once
// Hover ("hot") tracking. At most one toolkit control is hot. A control calls TrackHot from its
// WM_MOUSEMOVE: the previous hot control leaves the hot state (flag cleared, repainted) and this one
// enters it (flag set when its hover-highlight flag is 1, repainted). Nothing happens when the
// pointer leaves a control: it stays hot until another toolkit control takes over.

#include "ui/controls/control.h"

void TrackHot(ControlRecord& record);
