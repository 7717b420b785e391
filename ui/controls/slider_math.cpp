#include "ui/controls/slider_math.h"

#include "ui/controls/value_text.h"

#include <algorithm>

namespace {
// Pixels per unit, or 0 when the strip has no track or the range is empty or inverted.
float Scale(int width, float minimum, float maximum) {
    const float track = float(width - 10);
    if (track <= 0.0f || !(maximum > minimum)) return 0.0f;
    return track / (maximum - minimum);
}
}  // namespace

float SliderValueAt(int x, int width, float minimum, float maximum) {
    const float scale = Scale(width, minimum, maximum);
    if (scale == 0.0f) return minimum;
    const float value = float(x - 5) / scale + minimum;
    return std::clamp(value, minimum, maximum);
}

int SliderPositionOf(float value, int width, float minimum, float maximum) {
    const float scale = Scale(width, minimum, maximum);
    if (scale == 0.0f) return 5;
    return TruncateToInt((value - minimum) * scale + 5.0f + 0.5f);
}
