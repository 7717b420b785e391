// Format detection and dispatch for the image files.

#include "host/cli/image_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/cli/image_file_p.h"
#include "host/cli/system.h"

namespace rimelace_cli {

void FailRead(const std::string& path, const std::string& why) {
    throw ImageFileError("cannot read '" + path + "': " + why);
}

void FailWrite(const std::string& path, const std::string& why) {
    throw ImageFileError("cannot write '" + path + "': " + why);
}

void CloseWritten(std::FILE* file, const std::string& path) {
    if (std::fflush(file) != 0 || std::ferror(file)) {
        const int error = errno;
        std::fclose(file);
        FailWrite(path, std::strerror(error));
    }
    if (std::fclose(file) != 0) FailWrite(path, std::strerror(errno));
}

void CheckReadSize(const std::string& path, std::uint64_t width, std::uint64_t height, int channels) {
    constexpr std::uint64_t kMaxSide = 300000;
    constexpr std::uint64_t kMaxSamples = std::uint64_t(1) << 31;
    if (width == 0 || height == 0) FailRead(path, "the image has no pixels");
    if (width > kMaxSide || height > kMaxSide || width * height * std::uint64_t(channels) > kMaxSamples)
        FailRead(path, "the image is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels)");
}

void CheckWritable(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0) FailWrite(path, "the image is empty");
    if (image.depth != 8 && image.depth != 16) FailWrite(path, "samples must have 8 or 16 bits");
    if (image.samples.size() != image.SampleCount())
        FailWrite(path, "the image's sample count does not match its size");
}

namespace {

enum class Detected { PNG, TIFF, JPEG, Unknown };

Detected Sniff(const unsigned char* b, std::size_t n) {
    if (n >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0) return Detected::PNG;
    if (n >= 4 && (std::memcmp(b, "II*\0", 4) == 0 || std::memcmp(b, "MM\0*", 4) == 0 ||
                   std::memcmp(b, "II+\0", 4) == 0 || std::memcmp(b, "MM\0+", 4) == 0))
        return Detected::TIFF;
    if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return Detected::JPEG;
    return Detected::Unknown;
}

std::string LowerExtension(const std::string& path) {
    const std::string name = sys::NameOf(path);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos) return "";
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

} // namespace

Image ReadImage(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) FailRead(path, std::strerror(errno));
    unsigned char head[8] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    switch (Sniff(head, got)) {
    case Detected::PNG:
        return ReadPng(path);
    case Detected::TIFF:
        return ReadTiff(path);
    case Detected::JPEG:
        return ReadJpeg(path);
    case Detected::Unknown:
        break;
    }
    if (got == 0) FailRead(path, "the file is empty");
    FailRead(path, "not a PNG, TIFF or JPEG image");
}

FileFormat FormatForName(const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext == "png") return FileFormat::PNG;
    if (ext == "tif" || ext == "tiff") return FileFormat::TIFF;
    if (ext == "jpg" || ext == "jpeg") return FileFormat::JPEG;
    FailWrite(path, "unknown image type; name it .png, .tif, .tiff, .jpg or .jpeg");
}

std::string GeneralCannotHold(FileFormat format, const Image& image) {
    switch (format) {
    case FileFormat::TIFF:
        return "";
    case FileFormat::PNG:
        if (image.color == ColorModel::CMYK) return "PNG cannot hold CMYK images; use .tif";
        return "";
    case FileFormat::JPEG:
        if (image.color == ColorModel::CMYK) return "CMYK images are written as TIFF only; use .tif";
        if (image.depth != 8) return "JPEG holds 8-bit samples only; use .png or .tif for 16-bit images";
        if (image.alpha) return "JPEG cannot hold a transparency plane; use .png or .tif";
        return "";
    }
    return "";
}

std::string CannotHold(FileFormat format, const Image& image) {
    std::string why = GeneralCannotHold(format, image);
    return why.empty() ? WriterCannotHold(format, image) : why;
}

void WriteImage(const std::string& path, FileFormat format, const Image& image, PngCompression png) {
    CheckWritable(path, image);
    const std::string why = CannotHold(format, image);
    if (!why.empty()) FailWrite(path, why);
    switch (format) {
    case FileFormat::PNG:
        WritePng(path, image, png);
        break;
    case FileFormat::TIFF:
        WriteTiff(path, image);
        break;
    case FileFormat::JPEG:
        WriteJpeg(path, image);
        break;
    }
}

void WriteImage(const std::string& path, const Image& image) {
    WriteImage(path, FormatForName(path), image);
}

void ImageRows::Begin(const Image& description) {
    image = description;
    image.samples.clear();
}

void ImageRows::Row(int y, const void* samples) {
    const std::size_t count = std::size_t(image.width) * std::size_t(image.Channels());
    GrowSamples(image.samples, (std::size_t(y) + 1) * count, image.SampleCount());
    std::uint16_t* to = image.samples.data() + std::size_t(y) * count;
    if (image.depth == 8) {
        const auto* from = static_cast<const std::uint8_t*>(samples);
        for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
    } else {
        std::memcpy(to, samples, count * 2);
    }
}

void ImageRowSource::Row(int y, void* samples) {
    const std::size_t count = std::size_t(image_.width) * std::size_t(image_.Channels());
    const std::uint16_t* from = image_.samples.data() + std::size_t(y) * count;
    if (image_.depth == 8) {
        auto* to = static_cast<std::uint8_t*>(samples);
        for (std::size_t i = 0; i < count; ++i) to[i] = std::uint8_t(from[i]);
    } else {
        std::memcpy(samples, from, count * 2);
    }
}

void SendRows(const Image& image, RowSink& sink) {
    Image description;
    description.width = image.width, description.height = image.height;
    description.color = image.color, description.alpha = image.alpha, description.depth = image.depth;
    sink.Begin(description);
    ImageRowSource rows(image);
    std::vector<std::uint16_t> row(std::size_t(image.width) * std::size_t(image.Channels()));
    for (int y = 0; y < image.height; ++y) {
        rows.Row(y, row.data());
        sink.Row(y, row.data());
    }
}

Image GatherRows(const Image& description, RowSource& source) {
    ImageRows whole;
    whole.Begin(description);
    std::vector<std::uint16_t> row(std::size_t(description.width) * std::size_t(description.Channels()));
    for (int y = 0; y < description.height; ++y) {
        source.Row(y, row.data());
        whole.Row(y, row.data());
    }
    return std::move(whole.image);
}

void ReadImageRows(const std::string& path, RowSink& sink) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) FailRead(path, std::strerror(errno));
    unsigned char head[8] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (Sniff(head, got) == Detected::PNG) {
        ReadPngRows(path, sink);
        return;
    }
    SendRows(ReadImage(path), sink);
}

void WriteImageRows(const std::string& path, FileFormat format, const Image& description, RowSource& source,
                    PngCompression png) {
    const std::string why = CannotHold(format, description);
    if (!why.empty()) FailWrite(path, why);
    if (format == FileFormat::PNG) {
        WritePngRows(path, description, source, png);
        return;
    }
    WriteImage(path, format, GatherRows(description, source), png);
}

} // namespace rimelace_cli
