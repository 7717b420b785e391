#pragma once
// The preview window's picture: the rendered preview (or the host's output) turned into the rows
// of a 24-bit bottom-up device-independent bitmap. No window code: compiled and tested on every
// platform.

#include <cstddef>
#include <cstdint>

// Where the picture's pixels come from.
struct PictureSource {
    const std::uint8_t* data = nullptr;
    std::int32_t rowBytes = 0;
    // true: the preview's four-channel buffer (coverage, red, green, blue; 8-bit). false: the
    // host's output (`planes` interleaved samples per pixel, `depth` 8 or 16; 0 counts as 8).
    bool fourChannel = true;
    std::int32_t planes = 4;
    std::int32_t depth = 8;
};

// Bytes per row of a 24-bit picture `width` pixels wide: 3 per pixel, padded to four bytes.
std::size_t PictureRowBytes(std::int32_t width);

// Fills `rows` (PictureRowBytes(width) x height bytes, zero-filled by the caller) bottom-up with
// blue, green, red per pixel from the first `width` pixels of the first `height` source rows, so
// the source's first row becomes the picture's top row:
//   - four-channel: coverage 0 gives black, 255 the colour, any other c each colour byte x c / 255;
//   - 16-bit host samples: the first three channels, v / 128, or 255 from 32768 up;
//   - 8-bit host samples, 3 planes: red, green and blue; 4 or 5 planes: the fourth is the
//     coverage, applied as above; any other plane count leaves the picture black.
void FillPicture(const PictureSource& source, std::int32_t width, std::int32_t height, std::uint8_t* rows);
