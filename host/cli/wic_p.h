#pragma once
// Private parts of the Windows image codecs (wic_file.cpp): an owned COM pointer and the pixel
// layouts shared by the component and the command line's Image.

#include <windows.h>

#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/cli/image_file.h"

namespace rimelace_cli {

// An owned COM interface pointer.
template <class T> class Com {
  public:
    Com() = default;
    ~Com() {
        if (p_) p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

// One of the component's pixel formats that maps sample for sample onto an Image.
struct PixelLayout {
    const GUID& wic;
    ColorModel color;
    bool alpha;
    int depth;    // bits per sample, 8 or 16 (16-bit samples are little-endian words)
    int channels; // samples per pixel in the component's buffer
    int order[5]; // for each of the Image's channels, its place in the component's pixel
};

// The layout of a pixel format that is copied as it comes; nullptr for the others.
const PixelLayout* LayoutOfFormat(const GUID& format);
// The layout an Image is written in; nullptr when the component has no format for it (gray with
// transparency).
const PixelLayout* LayoutForImage(const Image& image);

// What the component tells about a pixel format that needs converting.
struct PixelFormatFacts {
    bool gray = false;
    bool indexed = false;
    bool transparency = false;
    int bitsPerChannel = 8;
};
PixelFormatFacts FactsOfFormat(IWICImagingFactory* factory, const GUID& format);
// The layout to convert such a format to: gray or colour, with alpha when `alpha`, 8 or 16 bits.
const PixelLayout* NearestLayout(const PixelFormatFacts& facts, bool alpha);

// The component's buffer (rows without gaps) to an Image and back.
Image FromPixels(const PixelLayout& layout, int width, int height, const std::vector<std::uint8_t>& pixels);
std::vector<std::uint8_t> ToPixels(const PixelLayout& layout, const Image& image);

// Turns an RGB(A) image whose three colour channels are equal into gray(+alpha), keeping the first.
void KeepFirstChannelAsGray(Image& image);

// "8-bit gray images with transparency" and the like.
std::string ModeText(const Image& image);

} // namespace rimelace_cli
