// PNG files through libpng. libpng reports errors by calling back; the callback records the
// message and jumps back to the step that started the call, so nothing aborts the process. The
// steps that can jump keep no C++ objects of their own: everything lives in the job record.

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/cli/image_file_p.h"

namespace rimelace_cli {
namespace {

struct PngJob {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool writing = false;
    PngCompression compression = PngCompression::Fast;
    char message[256] = {};
    png_uint_32 width = 0, height = 0;
    int channels = 0, bitDepth = 0, colorType = 0;
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
    png_set_interlace_handling(job->png);
    png_read_update_info(job->png, job->info);
    job->width = png_get_image_width(job->png, job->info);
    job->height = png_get_image_height(job->png, job->info);
    job->channels = png_get_channels(job->png, job->info);
    job->bitDepth = png_get_bit_depth(job->png, job->info);
    job->colorType = png_get_color_type(job->png, job->info);
    return true;
}

bool ReadRows(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    png_read_image(job->png, job->rows.data());
    png_read_end(job->png, nullptr);
    return true;
}

bool WriteRows(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return false;
    png_init_io(job->png, job->file);
    png_set_IHDR(job->png, job->info, job->width, job->height, job->bitDepth, job->colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (job->compression == PngCompression::Smallest) {
        png_set_compression_level(job->png, Z_BEST_COMPRESSION);
        png_set_filter(job->png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    } else {
        png_set_compression_level(job->png, 1);
        png_set_compression_strategy(job->png, Z_RLE);
        png_set_filter(job->png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    }
    png_write_info(job->png, job->info);
    png_write_image(job->png, job->rows.data());
    png_write_end(job->png, nullptr);
    return true;
}

void PointRows(PngJob& job) {
    const std::size_t rowBytes = std::size_t(job.width) * job.channels * (job.bitDepth / 8);
    job.rows.resize(job.height);
    for (png_uint_32 y = 0; y < job.height; ++y)
        job.rows[y] = job.pixels.data() + y * rowBytes;
}

} // namespace

Image ReadPng(const std::string& path) {
    PngJob job;
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

    job.pixels.resize(std::size_t(job.width) * job.height * job.channels * (job.bitDepth / 8));
    PointRows(job);
    if (!ReadRows(&job)) FailRead(path, std::string("damaged or truncated PNG file (") + job.message + ")");

    Image image;
    image.width = int(job.width);
    image.height = int(job.height);
    image.depth = job.bitDepth;
    image.color = job.channels <= 2 ? ColorModel::Gray : ColorModel::RGB;
    image.alpha = job.channels == 2 || job.channels == 4;
    image.samples.resize(image.SampleCount());
    if (job.bitDepth == 8) {
        for (std::size_t i = 0; i < image.samples.size(); ++i)
            image.samples[i] = job.pixels[i];
    } else {
        for (std::size_t i = 0; i < image.samples.size(); ++i)
            image.samples[i] = std::uint16_t(job.pixels[2 * i] << 8 | job.pixels[2 * i + 1]);
    }
    return image;
}

void WritePng(const std::string& path, const Image& image, PngCompression compression) {
    CheckWritable(path, image);
    PngJob job;
    job.writing = true;
    job.compression = compression;
    job.width = png_uint_32(image.width);
    job.height = png_uint_32(image.height);
    job.channels = image.Channels();
    job.bitDepth = image.depth;
    job.colorType = image.color == ColorModel::Gray
                        ? (image.alpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY)
                        : (image.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
    if (image.color == ColorModel::CMYK) FailWrite(path, "PNG cannot hold CMYK images");
    job.pixels.resize(image.samples.size() * (image.depth / 8));
    if (image.depth == 8) {
        for (std::size_t i = 0; i < image.samples.size(); ++i)
            job.pixels[i] = (unsigned char)image.samples[i];
    } else {
        for (std::size_t i = 0; i < image.samples.size(); ++i) {
            job.pixels[2 * i] = (unsigned char)(image.samples[i] >> 8);
            job.pixels[2 * i + 1] = (unsigned char)(image.samples[i] & 0xFF);
        }
    }
    PointRows(job);

    job.file = std::fopen(path.c_str(), "wb");
    if (!job.file) FailWrite(path, std::strerror(errno));
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (job.png) job.info = png_create_info_struct(job.png);
    if (!job.png || !job.info) FailWrite(path, "out of memory");
    if (!WriteRows(&job)) FailWrite(path, job.message);
    std::FILE* file = job.file;
    job.file = nullptr;
    if (std::fflush(file) != 0 || std::ferror(file)) {
        const int error = errno;
        std::fclose(file);
        FailWrite(path, std::strerror(error));
    }
    if (std::fclose(file) != 0) FailWrite(path, std::strerror(errno));
}

} // namespace rimelace_cli
