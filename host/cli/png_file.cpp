// PNG files through libpng; the fast setting's files are written by png_bands.cpp. libpng reports
// errors by calling back; the callback records the message and jumps back to the step that
// started the call, so nothing aborts the process. The steps that can jump keep no C++ objects of
// their own: everything lives in the job record. 16-bit samples travel in the machine's own order;
// the file keeps them big-endian.

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/cli/image_file_p.h"
#include "host/cli/png_bands_p.h"

namespace rimelace_cli {
namespace {

struct PngJob {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool writing = false;
    char message[256] = {};
    png_uint_32 width = 0, height = 0;
    int channels = 0, bitDepth = 0, colorType = 0;
    int passes = 1; // 7 for interlaced files
    std::vector<unsigned char> pixels;
    std::vector<png_bytep> rows;

    ~PngJob() {
        if (writing)
            png_destroy_write_struct(&png, &info);
        else
            png_destroy_read_struct(&png, &info, nullptr);
        if (file) std::fclose(file);
    }
};

void OnError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Reads the header and sets the transforms that give 8- or 16-bit gray, gray+alpha, RGB or RGBA.
bool ReadHeader(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    png_init_io(job->png, job->file);
    png_read_info(job->png, job->info);
    const int type = png_get_color_type(job->png, job->info);
    const int depth = png_get_bit_depth(job->png, job->info);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(job->png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(job->png);
    if (png_get_valid(job->png, job->info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(job->png);
    job->passes = png_set_interlace_handling(job->png);
    png_read_update_info(job->png, job->info);
    job->width = png_get_image_width(job->png, job->info);
    job->height = png_get_image_height(job->png, job->info);
    job->channels = png_get_channels(job->png, job->info);
    job->bitDepth = png_get_bit_depth(job->png, job->info);
    job->colorType = png_get_color_type(job->png, job->info);
    return true;
}

void PointRows(PngJob& job) {
    const std::size_t rowBytes = std::size_t(job.width) * job.channels * (job.bitDepth / 8);
    job.rows.resize(job.height);
    for (png_uint_32 y = 0; y < job.height; ++y)
        job.rows[y] = job.pixels.data() + y * rowBytes;
}

// Interlaced rows arrive in passes, each adding pixels to rows read before: the whole picture is
// kept. Room for it is made once the first row of the first pass has decoded, so that a damaged
// file claiming a huge picture costs no memory before its error.
bool ReadPasses(PngJob* job, std::size_t rowBytes) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    job->pixels.assign(rowBytes, 0);
    png_read_row(job->png, job->pixels.data(), nullptr);
    job->pixels.resize(rowBytes * job->height);
    PointRows(*job);
    for (int pass = 0; pass < job->passes; ++pass)
        for (png_uint_32 y = pass == 0 ? 1 : 0; y < job->height; ++y)
            png_read_row(job->png, job->rows[y], nullptr);
    png_read_end(job->png, nullptr);
    return true;
}

// Rows handed to the sink as they are decoded, through one row buffer.
bool StreamRows(PngJob* job, RowSink* sink) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    for (png_uint_32 y = 0; y < job->height; ++y) {
        png_read_row(job->png, job->pixels.data(), nullptr);
        sink->Row(int(y), job->pixels.data());
    }
    png_read_end(job->png, nullptr);
    return true;
}

// The smallest setting: the strongest level, and a filter picked for every row. (The fast
// setting is written in bands on every core, png_bands.cpp.)
void SetCompression(PngJob* job) {
    png_set_compression_level(job->png, Z_BEST_COMPRESSION);
    png_set_filter(job->png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
}

// Rows taken from the source one at a time and compressed as they come.
bool WriteRows(PngJob* job, RowSource* source) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    png_init_io(job->png, job->file);
    png_set_IHDR(job->png, job->info, job->width, job->height, job->bitDepth, job->colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    SetCompression(job);
    png_write_info(job->png, job->info);
    if (job->bitDepth == 16 && LittleEndianMachine()) png_set_swap(job->png);
    for (png_uint_32 y = 0; y < job->height; ++y) {
        source->Row(int(y), job->pixels.data());
        png_write_row(job->png, job->pixels.data());
    }
    png_write_end(job->png, nullptr);
    return true;
}

// Opens the file and reads the header; the job is ready for its rows.
void Open(PngJob& job, const std::string& path) {
    job.file = std::fopen(path.c_str(), "rb");
    if (!job.file) FailRead(path, std::strerror(errno));
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (job.png) job.info = png_create_info_struct(job.png);
    if (!job.png || !job.info) FailRead(path, "out of memory");
    png_set_user_limits(job.png, 1u << 20, 1u << 20);
    if (!ReadHeader(&job)) FailRead(path, std::string("not a valid PNG file (") + job.message + ")");
    if (job.bitDepth != 8 && job.bitDepth != 16) FailRead(path, "unsupported PNG sample depth");
    if (job.channels < 1 || job.channels > 4) FailRead(path, "unsupported PNG colour type");
    CheckReadSize(path, job.width, job.height, job.channels);
}

Image Description(const PngJob& job) {
    Image image;
    image.width = int(job.width);
    image.height = int(job.height);
    image.depth = job.bitDepth;
    image.color = job.channels <= 2 ? ColorModel::Gray : ColorModel::RGB;
    image.alpha = job.channels == 2 || job.channels == 4;
    return image;
}

} // namespace

void ReadPngRows(const std::string& path, RowSink& sink) {
    PngJob job;
    Open(job, path);
    const Image description = Description(job);
    const std::size_t rowBytes = std::size_t(job.width) * job.channels * (job.bitDepth / 8);
    sink.Begin(description);
    if (png_get_interlace_type(job.png, job.info) != PNG_INTERLACE_NONE) {
        if (!ReadPasses(&job, rowBytes)) FailRead(path, std::string("damaged or truncated PNG file (") + job.message + ")");
        std::vector<std::uint8_t> row(rowBytes);
        for (png_uint_32 y = 0; y < job.height; ++y) {
            const std::uint8_t* from = job.rows[y];
            if (job.bitDepth == 8) {
                sink.Row(int(y), from);
                continue;
            }
            for (std::size_t i = 0; i < rowBytes; i += 2) {
                const std::uint16_t v = std::uint16_t(from[i] << 8 | from[i + 1]);
                std::memcpy(row.data() + i, &v, 2);
            }
            sink.Row(int(y), row.data());
        }
        return;
    }
    if (job.bitDepth == 16 && LittleEndianMachine()) png_set_swap(job.png);
    job.pixels.resize(rowBytes);
    if (!StreamRows(&job, &sink)) FailRead(path, std::string("damaged or truncated PNG file (") + job.message + ")");
}

Image ReadPng(const std::string& path) {
    ImageRows rows;
    ReadPngRows(path, rows);
    return std::move(rows.image);
}

void WritePngRows(const std::string& path, const Image& description, RowSource& source,
                  PngCompression compression) {
    if (description.width <= 0 || description.height <= 0) FailWrite(path, "the image is empty");
    if (description.depth != 8 && description.depth != 16) FailWrite(path, "samples must have 8 or 16 bits");
    if (description.color == ColorModel::CMYK) FailWrite(path, "PNG cannot hold CMYK images");
    if (compression == PngCompression::Fast) {
        WriteBandedPng(path, description, source);
        return;
    }
    PngJob job;
    job.writing = true;
    job.width = png_uint_32(description.width);
    job.height = png_uint_32(description.height);
    job.channels = description.Channels();
    job.bitDepth = description.depth;
    job.colorType = description.color == ColorModel::Gray
                        ? (description.alpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY)
                        : (description.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
    job.pixels.resize(std::size_t(job.width) * job.channels * (job.bitDepth / 8));

    job.file = std::fopen(path.c_str(), "wb");
    if (!job.file) FailWrite(path, std::strerror(errno));
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (job.png) job.info = png_create_info_struct(job.png);
    if (!job.png || !job.info) FailWrite(path, "out of memory");
    if (!WriteRows(&job, &source)) FailWrite(path, job.message);
    std::FILE* file = job.file;
    job.file = nullptr;
    CloseWritten(file, path);
}

void WritePng(const std::string& path, const Image& image, PngCompression compression) {
    CheckWritable(path, image);
    if (image.color == ColorModel::CMYK) FailWrite(path, "PNG cannot hold CMYK images");
    ImageRowSource rows(image);
    WritePngRows(path, image, rows, compression);
}

} // namespace rimelace_cli
