// Image files to host planes and back.

#include "host/cli/host_image.h"

#include <algorithm>
#include <cstring>

namespace rimelace_cli {

HostLayout LayoutFor(const Image& image) {
    HostLayout layout;
    layout.depth = image.depth;
    const bool deep = image.depth == 16;
    switch (image.color) {
    case ColorModel::Gray:
        layout.imageMode = deep ? kModeGray16 : kModeGrayScale;
        break;
    case ColorModel::RGB:
        layout.imageMode = deep ? kModeRGB48 : kModeRGB;
        break;
    case ColorModel::CMYK:
        layout.imageMode = deep ? kModeCMYK64 : kModeCMYK;
        break;
    }
    layout.planes = image.Channels();
    return layout;
}

std::uint16_t FileToHost16(std::uint16_t sample) {
    return std::uint16_t((std::uint32_t(sample) * 32768u + 32767u) / 65535u);
}

std::uint16_t HostToFile16(std::uint16_t sample) {
    if (sample >= 32768) return 65535;
    return std::uint16_t((std::uint32_t(sample) * 65535u + 16384u) / 32768u);
}

std::vector<std::uint8_t> ToHostPixels(const Image& image) {
    const std::size_t count = image.samples.size();
    std::vector<std::uint8_t> pixels(count * std::size_t(image.depth / 8));
    if (image.depth == 8) {
        for (std::size_t i = 0; i < count; ++i)
            pixels[i] = std::uint8_t(image.samples[i]);
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint16_t value = FileToHost16(image.samples[i]);
            std::memcpy(pixels.data() + 2 * i, &value, 2);
        }
    }
    return pixels;
}

void FromHostPixels(const std::vector<std::uint8_t>& pixels, Image& image) {
    const std::size_t count = image.SampleCount();
    image.samples.resize(count);
    if (image.depth == 8) {
        for (std::size_t i = 0; i < count && i < pixels.size(); ++i)
            image.samples[i] = pixels[i];
    } else {
        for (std::size_t i = 0; i < count && 2 * i + 1 < pixels.size(); ++i) {
            std::uint16_t value;
            std::memcpy(&value, pixels.data() + 2 * i, 2);
            image.samples[i] = HostToFile16(value);
        }
    }
}

void HostRows::Begin(const Image& image) {
    description = image;
    description.samples.clear();
    pixels.clear();
}

void HostRows::Row(int y, const void* samples) {
    const std::size_t count = std::size_t(description.width) * std::size_t(description.Channels());
    const std::size_t bytes = std::size_t(description.depth / 8);
    GrowSamples(pixels, (std::size_t(y) + 1) * count * bytes, description.SampleCount() * bytes);
    if (description.depth == 8) {
        std::memcpy(pixels.data() + std::size_t(y) * count, samples, count);
        return;
    }
    const auto* from = static_cast<const std::uint16_t*>(samples);
    std::uint8_t* to = pixels.data() + std::size_t(y) * count * 2;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t value = FileToHost16(from[i]);
        std::memcpy(to + 2 * i, &value, 2);
    }
}

void HostRowSource::Row(int y, void* samples) {
    const std::size_t count = std::size_t(description_.width) * std::size_t(description_.Channels());
    if (description_.depth == 8) {
        std::memcpy(samples, pixels_.data() + std::size_t(y) * count, count);
        return;
    }
    const std::uint8_t* from = pixels_.data() + std::size_t(y) * count * 2;
    auto* to = static_cast<std::uint16_t*>(samples);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t value;
        std::memcpy(&value, from + 2 * i, 2);
        to[i] = HostToFile16(value);
    }
}

std::vector<std::uint8_t> MaskFromImage(const Image& mask) {
    const std::size_t pixels = std::size_t(mask.width) * std::size_t(mask.height);
    const int channels = mask.Channels();
    const int colors = mask.ColorChannels();
    const std::uint64_t top = mask.MaxSample();
    const std::uint64_t scale = top * top; // brightest × alpha at full scale
    std::vector<std::uint8_t> selection(pixels, 0);
    for (std::size_t p = 0; p < pixels; ++p) {
        const std::uint16_t* px = mask.samples.data() + p * channels;
        std::uint64_t brightest = 0;
        for (int c = 0; c < colors; ++c)
            brightest = std::max<std::uint64_t>(brightest, px[c]);
        const std::uint64_t value = brightest * (mask.alpha ? px[colors] : top);
        selection[p] = std::uint8_t((value * 255 + scale / 2) / scale);
    }
    return selection;
}

} // namespace rimelace_cli
