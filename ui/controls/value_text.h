#pragma once
// How the controls show and read numbers. No window code: compiled and tested on every platform.

#include <string>

// A value as its field shows it: "%0.2f", or in integer mode the decimal integer obtained by
// truncating toward zero ("-0" never appears).
std::string FormatControlValue(float value, bool integer);

// The leading decimal number of a text: blanks skipped, then an optional sign, digits with an
// optional decimal point, and an optional exponent; reading stops at the first character that does
// not fit. A text without a number reads as 0. The result is finite (held within the float range).
float ParseControlNumber(const char* text);

// The value truncated toward zero as an int, held within the int range (NaN gives 0). The up-down
// arrows and the integer fields work on these.
int TruncateToInt(float value);

// The value truncated toward zero, still a float (no range limit); -0 becomes 0.
float TruncateValue(float value);
