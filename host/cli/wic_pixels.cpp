// Pixel layouts of the Windows image codecs and the copies between them and an Image.

#include <cstring>

#include "host/cli/wic_p.h"

namespace rimelace_cli {
namespace {

using CM = ColorModel;

// Formats read as they come. The first of each kind is also the one written.
const PixelLayout kLayouts[] = {
    {GUID_WICPixelFormat8bppGray, CM::Gray, false, 8, 1, {0}},
    {GUID_WICPixelFormat16bppGray, CM::Gray, false, 16, 1, {0}},
    {GUID_WICPixelFormat24bppBGR, CM::RGB, false, 8, 3, {2, 1, 0}},
    {GUID_WICPixelFormat24bppRGB, CM::RGB, false, 8, 3, {0, 1, 2}},
    {GUID_WICPixelFormat32bppBGR, CM::RGB, false, 8, 4, {2, 1, 0}},
    {GUID_WICPixelFormat48bppRGB, CM::RGB, false, 16, 3, {0, 1, 2}},
    {GUID_WICPixelFormat48bppBGR, CM::RGB, false, 16, 3, {2, 1, 0}},
    {GUID_WICPixelFormat32bppBGRA, CM::RGB, true, 8, 4, {2, 1, 0, 3}},
    {GUID_WICPixelFormat32bppRGBA, CM::RGB, true, 8, 4, {0, 1, 2, 3}},
    {GUID_WICPixelFormat64bppRGBA, CM::RGB, true, 16, 4, {0, 1, 2, 3}},
    {GUID_WICPixelFormat64bppBGRA, CM::RGB, true, 16, 4, {2, 1, 0, 3}},
    {GUID_WICPixelFormat32bppCMYK, CM::CMYK, false, 8, 4, {0, 1, 2, 3}},
    {GUID_WICPixelFormat64bppCMYK, CM::CMYK, false, 16, 4, {0, 1, 2, 3}},
    {GUID_WICPixelFormat40bppCMYKAlpha, CM::CMYK, true, 8, 5, {0, 1, 2, 3, 4}},
    {GUID_WICPixelFormat80bppCMYKAlpha, CM::CMYK, true, 16, 5, {0, 1, 2, 3, 4}},
};

bool Is(const GUID& a, const GUID& b) {
    return IsEqualGUID(a, b) != 0;
}

const PixelLayout* Find(CM color, bool alpha, int depth) {
    for (const PixelLayout& layout : kLayouts)
        if (layout.color == color && layout.alpha == alpha && layout.depth == depth) return &layout;
    return nullptr;
}

} // namespace

const PixelLayout* LayoutOfFormat(const GUID& format) {
    for (const PixelLayout& layout : kLayouts)
        if (Is(layout.wic, format)) return &layout;
    return nullptr;
}

const PixelLayout* LayoutForImage(const Image& image) {
    return Find(image.color, image.alpha, image.depth);
}

PixelFormatFacts FactsOfFormat(IWICImagingFactory* factory, const GUID& format) {
    PixelFormatFacts facts;
    facts.gray = Is(format, GUID_WICPixelFormatBlackWhite) || Is(format, GUID_WICPixelFormat2bppGray) ||
                 Is(format, GUID_WICPixelFormat4bppGray) || Is(format, GUID_WICPixelFormat8bppGray) ||
                 Is(format, GUID_WICPixelFormat16bppGray);
    facts.indexed = Is(format, GUID_WICPixelFormat1bppIndexed) || Is(format, GUID_WICPixelFormat2bppIndexed) ||
                    Is(format, GUID_WICPixelFormat4bppIndexed) || Is(format, GUID_WICPixelFormat8bppIndexed);
    Com<IWICComponentInfo> info;
    Com<IWICPixelFormatInfo2> pixel;
    if (SUCCEEDED(factory->CreateComponentInfo(format, info.out())) &&
        SUCCEEDED(info->QueryInterface(IID_IWICPixelFormatInfo2, reinterpret_cast<void**>(pixel.out())))) {
        UINT bits = 0, channels = 0;
        BOOL transparency = FALSE;
        if (SUCCEEDED(pixel->GetBitsPerPixel(&bits)) && SUCCEEDED(pixel->GetChannelCount(&channels)) && channels)
            facts.bitsPerChannel = facts.indexed ? 8 : int(bits / channels);
        if (SUCCEEDED(pixel->SupportsTransparency(&transparency))) facts.transparency = transparency != FALSE;
    }
    return facts;
}

const PixelLayout* NearestLayout(const PixelFormatFacts& facts, bool alpha) {
    const int depth = facts.bitsPerChannel > 8 ? 16 : 8;
    if (facts.gray && !alpha) return Find(CM::Gray, false, depth);
    return Find(CM::RGB, alpha, depth);
}

Image FromPixels(const PixelLayout& layout, int width, int height, const std::vector<std::uint8_t>& pixels) {
    Image image;
    image.width = width;
    image.height = height;
    image.color = layout.color;
    image.alpha = layout.alpha;
    image.depth = layout.depth;
    image.samples.resize(image.SampleCount());
    const int channels = image.Channels();
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::uint16_t* out = image.samples.data();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t base = i * std::size_t(layout.channels);
        for (int c = 0; c < channels; ++c) {
            const std::size_t at = base + std::size_t(layout.order[c]);
            if (layout.depth == 8) {
                *out++ = pixels[at];
            } else {
                std::uint16_t v;
                std::memcpy(&v, &pixels[2 * at], 2);
                *out++ = v;
            }
        }
    }
    return image;
}

std::vector<std::uint8_t> ToPixels(const PixelLayout& layout, const Image& image) {
    const int channels = image.Channels();
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    const std::size_t bytes = std::size_t(layout.depth / 8);
    std::vector<std::uint8_t> pixels(count * std::size_t(layout.channels) * bytes, 0xFF);
    const std::uint16_t* in = image.samples.data();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t base = i * std::size_t(layout.channels);
        for (int c = 0; c < channels; ++c) {
            const std::size_t at = base + std::size_t(layout.order[c]);
            const std::uint16_t v = *in++;
            if (bytes == 1)
                pixels[at] = std::uint8_t(v);
            else
                std::memcpy(&pixels[2 * at], &v, 2);
        }
    }
    return pixels;
}

void KeepFirstChannelAsGray(Image& image) {
    const int from = image.Channels();
    const int to = image.alpha ? 2 : 1;
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    for (std::size_t i = 0; i < count; ++i) {
        image.samples[i * to] = image.samples[i * from];
        if (image.alpha) image.samples[i * to + 1] = image.samples[i * from + 3];
    }
    image.color = CM::Gray;
    image.samples.resize(count * std::size_t(to));
}

std::string ModeText(const Image& image) {
    const char* color = image.color == CM::Gray ? "gray" : image.color == CM::RGB ? "RGB" : "CMYK";
    return std::to_string(image.depth) + "-bit " + color + " images" + (image.alpha ? " with transparency" : "");
}

} // namespace rimelace_cli
