#pragma once
// How an image file meets the host interface: the image mode, depth and plane count the host
// announces for it, and the samples in the host's scale. 8-bit samples pass unchanged; 16-bit
// file samples 0..65535 become 0..32768 (the host's full scale) and back, rounded to nearest, so
// a round trip moves a sample by at most one level of 65535.

#include <cstdint>
#include <vector>

#include "host/cli/image_file.h"

namespace rimelace_cli {

// Image modes of the host interface.
constexpr int kModeGrayScale = 1;
constexpr int kModeRGB = 3;
constexpr int kModeCMYK = 4;
constexpr int kModeGray16 = 10;
constexpr int kModeRGB48 = 11;
constexpr int kModeCMYK64 = 13;

struct HostLayout {
    int imageMode = kModeRGB;
    int depth = 8;  // 8 or 16
    int planes = 3; // colour planes, plus one for transparency
};

HostLayout LayoutFor(const Image& image);

std::uint16_t FileToHost16(std::uint16_t sample); // 0..65535 -> 0..32768
std::uint16_t HostToFile16(std::uint16_t sample); // 0..32768 -> 0..65535; larger values give 65535

// The image's samples as the host holds them: interleaved planes, rows without gaps; one byte
// per sample at depth 8, one native 16-bit value (two bytes) per sample at depth 16.
std::vector<std::uint8_t> ToHostPixels(const Image& image);
// The reverse: replaces image.samples from host pixels of the same size, mode and depth.
void FromHostPixels(const std::vector<std::uint8_t>& pixels, Image& image);

// The rows of an image file straight into the host's pixels, and back: no whole image of 16-bit
// samples in between.
class HostRows : public RowSink {
public:
    Image description;                 // the file's image without its samples
    std::vector<std::uint8_t> pixels;  // as ToHostPixels gives them
    void Begin(const Image& image) override;
    void Row(int y, const void* samples) override;
};
class HostRowSource : public RowSource {
public:
    HostRowSource(const Image& description, const std::vector<std::uint8_t>& pixels)
        : description_(description), pixels_(pixels) {}
    void Row(int y, void* samples) override;

private:
    const Image& description_;
    const std::vector<std::uint8_t>& pixels_;
};

// A selection mask from an image: one byte per pixel saying how strongly it is selected, 0..255:
// the brightest of its colour samples, scaled by its transparency when it has an alpha plane.
// White (or any full colour) selects fully, black or transparent not at all, greys in between.
std::vector<std::uint8_t> MaskFromImage(const Image& mask);

} // namespace rimelace_cli
