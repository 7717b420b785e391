#pragma once
// Image files for the command line: PNG, TIFF and JPEG read into one in-memory form and written
// back from it. Samples keep the file's own scale (0..255 for 8 bits, 0..65535 for 16 bits);
// mapping to the host's 16-bit scale is done elsewhere (host_image.h).

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace rimelace_cli {

enum class ColorModel { Gray, RGB, CMYK };
enum class FileFormat { PNG, TIFF, JPEG };

struct Image {
    int width = 0;
    int height = 0;
    ColorModel color = ColorModel::RGB;
    bool alpha = false; // one extra plane after the colour planes
    int depth = 8;      // bits per sample: 8 or 16
    // Interleaved samples, rows top to bottom without gaps: width * height * Channels() values.
    std::vector<std::uint16_t> samples;

    int ColorChannels() const { return color == ColorModel::Gray ? 1 : color == ColorModel::RGB ? 3 : 4; }
    int Channels() const { return ColorChannels() + (alpha ? 1 : 0); }
    std::uint16_t MaxSample() const { return depth == 16 ? 65535 : 255; }
    std::size_t SampleCount() const {
        return std::size_t(width) * std::size_t(height) * std::size_t(Channels());
    }
};

// A file that cannot be read or written. The message names the file and says why, in one line.
class ImageFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a PNG, TIFF or JPEG file; the format comes from the file's first bytes, not its name.
// Gray, RGB or CMYK (TIFF only), with or without an alpha plane, 8 or 16 bits (JPEG: 8-bit gray
// or RGB). Palette and low-bit-depth PNGs are expanded to 8-bit RGB or gray. Throws ImageFileError.
Image ReadImage(const std::string& path);

// Reads a JPEG held in memory; `name` stands for the file in messages. Throws ImageFileError.
Image ReadJpegMemory(const std::uint8_t* data, std::size_t size, const std::string& name);

// The format a file name asks for by its extension (.png, .tif/.tiff, .jpg/.jpeg, any case).
// Throws ImageFileError for other names.
FileFormat FormatForName(const std::string& path);

// Empty when `format` can hold the image's mode and depth, else why not (one line).
std::string CannotHold(FileFormat format, const Image& image);

// How hard PNG files are compressed. Fast, the default, takes a run-length strategy and one row
// filter, and the Linux build compresses bands of rows on every core: many times quicker on
// photographs for a file a few percent larger. Smallest takes the strongest level and picks a
// filter for every row, on one core.
enum class PngCompression { Fast, Smallest };

// Writes the image to `path` in `format`, replacing the file. Writes directly; callers that must
// not leave a partial file write to a temporary name first (atomic_file.h). Throws ImageFileError.
void WriteImage(const std::string& path, FileFormat format, const Image& image,
                PngCompression png = PngCompression::Fast);

// Convenience: format from the name.
void WriteImage(const std::string& path, const Image& image);

// ---- Row by row ----------------------------------------------------------------------------------
// Rows of samples of the file's own scale, top to bottom, width x Channels() samples each: bytes
// for 8-bit images, 16-bit words in the machine's order for 16-bit ones.

// Receives an image's rows as they are decoded, after its description (samples left empty).
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void Begin(const Image& description) = 0;
    virtual void Row(int y, const void* samples) = 0;
};

// Hands out an image's rows as they are encoded.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual void Row(int y, void* samples) = 0;
};

// Reads an image into sink row by row (PNG files are decoded straight into it, the others through
// an image in memory). Throws ImageFileError.
void ReadImageRows(const std::string& path, RowSink& sink);

// Writes the image `description` describes (its samples are not read), taking its rows from
// source (PNG files are encoded straight from it, the others through an image in memory). Throws
// ImageFileError.
void WriteImageRows(const std::string& path, FileFormat format, const Image& description, RowSource& source,
                    PngCompression png = PngCompression::Fast);

// Makes `samples` hold at least `size` values, for readers that fill a picture as its rows are
// decoded: room for `whole` values is made at the first call, which comes once the first row has
// decoded, so that a damaged file claiming a huge picture costs no memory before its error.
template <typename T> void GrowSamples(std::vector<T>& samples, std::size_t size, std::size_t whole) {
    if (samples.empty()) samples.reserve(whole);
    if (samples.size() < size) samples.resize(size);
}

// The two ends as a whole image in memory.
class ImageRows : public RowSink {
public:
    Image image;
    void Begin(const Image& description) override;
    void Row(int y, const void* samples) override;
};
class ImageRowSource : public RowSource {
public:
    explicit ImageRowSource(const Image& image) : image_(image) {}
    void Row(int y, void* samples) override;

private:
    const Image& image_;
};

} // namespace rimelace_cli
