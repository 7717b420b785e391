#pragma once
// The slider strip's mapping between pixels and values. No window code: tested on every platform.
//
// A strip W pixels wide has a track of L = W - 10 pixels starting 5 pixels in, and
// scale = L / (maximum - minimum) pixels per unit.

// The value under client x (the mouse x as a signed 16-bit number): (x - 5) / scale + minimum,
// held within [minimum, maximum]. A strip without a track or without a range gives the minimum.
float SliderValueAt(int x, int width, float minimum, float maximum);

// The pixel column of a value: (value - minimum) * scale + 5, plus 0.5, truncated. A strip
// without a track or without a range puts every value at column 5.
int SliderPositionOf(float value, int width, float minimum, float maximum);
