// TIFF files through libtiff: gray, RGB and CMYK (separated, CMYK ink set), 8 or 16 bits,
// with one optional alpha plane, in strips or tiles, interleaved or in separate planes.
// libtiff's messages go to a handler of this open file only, never to the terminal.

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "host/cli/image_file_p.h"

namespace rimelace_cli {
namespace {

struct TiffMessages {
    std::string first; // first error message of this file
};

int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* messages = static_cast<TiffMessages*>(user);
    if (messages->first.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        messages->first = text;
    }
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// An open TIFF file, closed on scope exit.
class TiffFile {
  public:
    TiffFile(const std::string& path, const char* mode) {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &messages_);
        TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, nullptr);
        tiff_ = TIFFOpenExt(path.c_str(), mode, options);
        TIFFOpenOptionsFree(options);
    }
    ~TiffFile() {
        if (tiff_) TIFFClose(tiff_);
    }
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;

    TIFF* get() const { return tiff_; }
    std::string Why(const char* fallback) const {
        return messages_.first.empty() ? fallback : messages_.first;
    }
    // Flushes and closes; false when the data could not be written.
    bool Close() {
        const bool ok = TIFFFlush(tiff_) == 1 && messages_.first.empty();
        TIFFClose(tiff_);
        tiff_ = nullptr;
        return ok;
    }

  private:
    TIFF* tiff_ = nullptr;
    TiffMessages messages_;
};

template <typename T> T Field(TIFF* tiff, ttag_t tag, T fallback) {
    T value = fallback;
    if (TIFFGetFieldDefaulted(tiff, tag, &value) != 1) return fallback;
    return value;
}

// Copies one decoded run of `count` pixels (one plane or all interleaved planes) into the image.
void Store(Image& image, const unsigned char* data, std::size_t firstSample, std::size_t count, int stride) {
    if (image.depth == 8) {
        for (std::size_t i = 0; i < count; ++i)
            image.samples[firstSample + i * stride] = data[i];
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            std::uint16_t value;
            std::memcpy(&value, data + 2 * i, 2);
            image.samples[firstSample + i * stride] = value;
        }
    }
}

// The samples grow with the rows of the first plane read (GrowSamples): rows 0 to rows - 1.
void GrowToRows(Image& image, std::size_t rows) {
    GrowSamples(image.samples, rows * std::size_t(image.width) * std::size_t(image.Channels()), image.SampleCount());
}

void ReadStrips(const std::string& path, const TiffFile& file, Image& image, bool separate) {
    TIFF* tiff = file.get();
    std::vector<unsigned char> line(std::size_t(TIFFScanlineSize(tiff)));
    const int channels = image.Channels();
    const int planes = separate ? channels : 1;
    const std::size_t perLine = std::size_t(image.width) * (separate ? 1 : channels);
    if (line.size() < perLine * (image.depth / 8)) FailRead(path, "damaged TIFF file (short scanlines)");
    for (int plane = 0; plane < planes; ++plane) {
        for (int y = 0; y < image.height; ++y) {
            if (TIFFReadScanline(tiff, line.data(), std::uint32_t(y), std::uint16_t(plane)) < 0)
                FailRead(path, "damaged or truncated TIFF file (" + file.Why("read error") + ")");
            const std::size_t first = std::size_t(y) * image.width * channels + plane;
            if (plane == 0) GrowToRows(image, std::size_t(y) + 1);
            Store(image, line.data(), first, perLine, separate ? channels : 1);
        }
    }
}

void ReadTiles(const std::string& path, const TiffFile& file, Image& image, bool separate) {
    TIFF* tiff = file.get();
    const auto tileWidth = Field<std::uint32_t>(tiff, TIFFTAG_TILEWIDTH, 0);
    const auto tileHeight = Field<std::uint32_t>(tiff, TIFFTAG_TILELENGTH, 0);
    if (tileWidth == 0 || tileHeight == 0) FailRead(path, "damaged TIFF file (no tile size)");
    // A tile larger than the whole picture (and than any writer's tiles) is a damaged header,
    // not a request for that much memory.
    constexpr std::uint64_t kAnyTile = std::uint64_t(64) << 20;
    const std::uint64_t tileBytes = std::uint64_t(TIFFTileSize64(tiff));
    const std::uint64_t pictureBytes = std::uint64_t(image.SampleCount()) * (image.depth / 8);
    if (tileBytes > std::max(pictureBytes, kAnyTile))
        FailRead(path, "damaged TIFF file (tiles of " + std::to_string(tileWidth) + " x " +
                           std::to_string(tileHeight) + " pixels)");
    // One tile may be as large as the picture; its buffer is left unfilled, so that a damaged
    // file whose first tile does not decode costs no memory.
    const std::size_t tileSize = std::size_t(TIFFTileSize(tiff));
    const std::unique_ptr<unsigned char[]> tile(new unsigned char[tileSize]);
    const int channels = image.Channels();
    const int planes = separate ? channels : 1;
    const int perPixel = separate ? 1 : channels;
    if (tileSize < std::size_t(tileWidth) * tileHeight * perPixel * (image.depth / 8))
        FailRead(path, "damaged TIFF file (short tiles)");
    const std::size_t bytesPerSample = std::size_t(image.depth / 8);
    for (int plane = 0; plane < planes; ++plane) {
        for (std::uint32_t ty = 0; ty < std::uint32_t(image.height); ty += tileHeight) {
            for (std::uint32_t tx = 0; tx < std::uint32_t(image.width); tx += tileWidth) {
                if (TIFFReadTile(tiff, tile.get(), tx, ty, 0, std::uint16_t(plane)) < 0)
                    FailRead(path, "damaged or truncated TIFF file (" + file.Why("read error") + ")");
                const std::uint32_t rows =
                    std::min<std::uint32_t>(tileHeight, std::uint32_t(image.height) - ty);
                if (plane == 0) GrowToRows(image, std::size_t(ty) + rows);
                const std::uint32_t cols =
                    std::min<std::uint32_t>(tileWidth, std::uint32_t(image.width) - tx);
                for (std::uint32_t r = 0; r < rows; ++r) {
                    const unsigned char* src =
                        tile.get() + std::size_t(r) * tileWidth * perPixel * bytesPerSample;
                    const std::size_t first = (std::size_t(ty + r) * image.width + tx) * channels + plane;
                    Store(image, src, first, std::size_t(cols) * perPixel, separate ? channels : 1);
                }
            }
        }
    }
}

} // namespace

Image ReadTiff(const std::string& path) {
    TiffFile file(path, "r");
    TIFF* tiff = file.get();
    if (!tiff) FailRead(path, "not a valid TIFF file (" + file.Why("cannot open") + ")");

    Image image;
    const auto width = Field<std::uint32_t>(tiff, TIFFTAG_IMAGEWIDTH, 0);
    const auto height = Field<std::uint32_t>(tiff, TIFFTAG_IMAGELENGTH, 0);
    CheckReadSize(path, width, height, 1);
    image.width = int(width);
    image.height = int(height);
    const auto bits = Field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    const auto perPixel = Field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    const auto format = Field<std::uint16_t>(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
    const auto planar = Field<std::uint16_t>(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    std::uint16_t photometric = 0;
    if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 1)
        FailRead(path, "TIFF file without a colour model");
    if (bits != 8 && bits != 16)
        FailRead(path, "unsupported TIFF sample depth " + std::to_string(bits) + " (8 or 16 bits are read)");
    if (format != SAMPLEFORMAT_UINT)
        FailRead(path, "unsupported TIFF sample format (unsigned integers are read)");
    image.depth = bits;

    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
        image.color = ColorModel::Gray;
        break;
    case PHOTOMETRIC_RGB:
        image.color = ColorModel::RGB;
        break;
    case PHOTOMETRIC_SEPARATED:
        if (Field<std::uint16_t>(tiff, TIFFTAG_INKSET, INKSET_CMYK) != INKSET_CMYK)
            FailRead(path, "unsupported TIFF ink set (CMYK is read)");
        image.color = ColorModel::CMYK;
        break;
    case PHOTOMETRIC_YCBCR:
        if (Field<std::uint16_t>(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE) != COMPRESSION_JPEG)
            FailRead(path, "unsupported TIFF colour model (YCbCr without JPEG compression)");
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        image.color = ColorModel::RGB;
        break;
    default:
        FailRead(path, "unsupported TIFF colour model " + std::to_string(photometric) +
                           " (gray, RGB and CMYK are read)");
    }
    const int extra = int(perPixel) - image.ColorChannels();
    if (extra < 0) FailRead(path, "damaged TIFF file (too few samples per pixel)");
    if (extra > 1)
        FailRead(path, "unsupported TIFF image with " + std::to_string(extra) +
                           " extra channels (one alpha channel is read)");
    image.alpha = extra == 1;

    CheckReadSize(path, std::uint64_t(image.width), std::uint64_t(image.height), image.Channels());
    const bool separate = planar == PLANARCONFIG_SEPARATE && image.Channels() > 1;
    const bool tiled = TIFFIsTiled(tiff);
    // Strips and tiles arrive band after band and grow the samples as the first plane is read;
    // the planes after it (separate planes) fill in what the first one made room for.
    if (tiled)
        ReadTiles(path, file, image, separate);
    else
        ReadStrips(path, file, image, separate);
    return image;
}

void WriteTiff(const std::string& path, const Image& image) {
    CheckWritable(path, image);
    TiffFile file(path, "w");
    TIFF* tiff = file.get();
    if (!tiff) FailWrite(path, file.Why("cannot create the file"));

    const int channels = image.Channels();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, std::uint32_t(image.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, std::uint32_t(image.height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(channels));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, std::uint16_t(image.depth));
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    switch (image.color) {
    case ColorModel::Gray:
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        break;
    case ColorModel::RGB:
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        break;
    case ColorModel::CMYK:
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
        TIFFSetField(tiff, TIFFTAG_INKSET, INKSET_CMYK);
        break;
    }
    if (image.alpha) {
        const std::uint16_t kinds[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, std::uint16_t(1), kinds);
    }
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));

    const std::size_t perLine = std::size_t(image.width) * channels;
    std::vector<unsigned char> line(perLine * (image.depth / 8));
    for (int y = 0; y < image.height; ++y) {
        const std::uint16_t* src = image.samples.data() + std::size_t(y) * perLine;
        if (image.depth == 8) {
            for (std::size_t i = 0; i < perLine; ++i)
                line[i] = (unsigned char)src[i];
        } else {
            std::memcpy(line.data(), src, perLine * 2);
        }
        if (TIFFWriteScanline(tiff, line.data(), std::uint32_t(y), 0) < 0)
            FailWrite(path, file.Why("write error"));
    }
    if (!file.Close()) FailWrite(path, file.Why("write error"));
}

} // namespace rimelace_cli
