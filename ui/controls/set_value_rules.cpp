#include "ui/controls/set_value_rules.h"

#include "ui/controls/value_text.h"

namespace {
// The integer-mode rule shared by the three fields.
FieldCheck DropFraction(FieldCheck check, bool integer) {
    if (integer && TruncateValue(check.value) != check.value) {
        check.value = TruncateValue(check.value);
        check.writeBack = true;
    }
    return check;
}
}  // namespace

FieldCheck CheckNewValue(float typed, float minimum, float maximum, bool integer) {
    FieldCheck check{typed, typed == 0.0f, false};
    if (typed < minimum)
        check = {minimum, true, false};
    else if (typed > maximum)
        check = {maximum, true, false};
    return DropFraction(check, integer);
}

// In integer mode the bounds are compared after truncation, so that a negative fraction cannot
// round up onto the other bound.
FieldCheck CheckNewMinimum(float typed, float previousMinimum, float maximum, bool integer) {
    const FieldCheck check = DropFraction({typed, typed == 0.0f, false}, integer);
    if (check.value >= maximum) return {previousMinimum, true, true};
    return check;
}

FieldCheck CheckNewMaximum(float typed, float previousMaximum, float minimum, bool integer) {
    const FieldCheck check = DropFraction({typed, typed == 0.0f, false}, integer);
    if (check.value <= minimum) return {previousMaximum, true, true};
    return check;
}
