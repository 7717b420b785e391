#pragma once
// A 5 x 7 bitmap font for labels drawn into images (upper-case letters, digits, a few signs).

#include <cstdint>

namespace rimelace_cli {

// Rows of the glyph for `c` (lower case is drawn as upper case), bit 4 the leftmost column;
// unknown characters give a blank glyph.
const std::uint8_t* GlyphRows(char c);
constexpr int kGlyphWidth = 5, kGlyphHeight = 7, kGlyphAdvance = 6;

}  // namespace rimelace_cli
