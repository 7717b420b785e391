// JPEG files through libjpeg: 8-bit gray or RGB. libjpeg's fatal errors jump back to the step
// that started the call instead of ending the process; a file that ends early or whose scan data
// stops at a marker (which libjpeg only warns about, filling the rest with gray) is treated as
// damaged. Rows are kept as they are decoded, and room for the whole picture is made only once
// its first row has decoded, so a damaged file that claims a huge picture costs next to nothing.

#include <cstdio> // before jpeglib.h, which needs FILE

#include <jerror.h>
#include <jpeglib.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "host/cli/image_file_p.h"

namespace rimelace_cli {
namespace {

struct JpegError {
    jpeg_error_mgr manager; // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

void OnError(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    info->err->format_message(info, error->message);
    std::longjmp(error->jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    // Level -1 is a warning about damaged data; running out of data, or scan data cut short by
    // a marker, is fatal for us.
    const int code = info->err->msg_code;
    if (level == -1 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) OnError(info);
}

struct JpegReadJob {
    std::FILE* file = nullptr;
    const unsigned char* memory = nullptr; // read from memory instead of the file
    std::size_t memorySize = 0;
    jpeg_decompress_struct info{};
    JpegError error;
    bool created = false;
    int width = 0, height = 0, components = 0;
    std::vector<std::uint16_t>* samples = nullptr; // the picture's, appended row by row
    std::vector<unsigned char> line;                // one decoded row
    std::size_t total = 0;                         // samples of the whole picture

    ~JpegReadJob() {
        if (created) jpeg_destroy_decompress(&info);
        if (file) std::fclose(file);
    }
};

struct JpegWriteJob {
    std::FILE* file = nullptr;
    jpeg_compress_struct info{};
    JpegError error;
    bool created = false;
    const Image* image = nullptr;
    std::vector<unsigned char> line;

    ~JpegWriteJob() {
        if (created) jpeg_destroy_compress(&info);
        if (file) std::fclose(file);
    }
};

bool ReadHeader(JpegReadJob* job) {
    job->info.err = jpeg_std_error(&job->error.manager);
    job->error.manager.error_exit = OnError;
    job->error.manager.emit_message = OnMessage;
    if (setjmp(job->error.jump)) return false;
    jpeg_create_decompress(&job->info);
    job->created = true;
    if (job->memory)
        jpeg_mem_src(&job->info, job->memory, static_cast<unsigned long>(job->memorySize));
    else
        jpeg_stdio_src(&job->info, job->file);
    jpeg_read_header(&job->info, TRUE);
    return true;
}

// Starts decompression; false with an empty message when the colour model is not gray or RGB.
bool Start(JpegReadJob* job) {
    if (setjmp(job->error.jump)) return false;
    const J_COLOR_SPACE space = job->info.jpeg_color_space;
    if (space == JCS_GRAYSCALE)
        job->info.out_color_space = JCS_GRAYSCALE;
    else if (space == JCS_YCbCr || space == JCS_RGB)
        job->info.out_color_space = JCS_RGB;
    else
        return false;
    jpeg_start_decompress(&job->info);
    job->width = int(job->info.output_width);
    job->height = int(job->info.output_height);
    job->components = job->info.output_components;
    return true;
}

bool ReadLines(JpegReadJob* job) {
    if (setjmp(job->error.jump)) return false;
    while (job->info.output_scanline < job->info.output_height) {
        JSAMPROW row = job->line.data();
        jpeg_read_scanlines(&job->info, &row, 1);
        // Room for the whole picture once its first row has decoded: a file whose data stops
        // at once asks for none.
        if (job->samples->empty()) job->samples->reserve(job->total);
        job->samples->insert(job->samples->end(), job->line.begin(), job->line.end());
    }
    jpeg_finish_decompress(&job->info);
    return true;
}

bool WriteLines(JpegWriteJob* job) {
    job->info.err = jpeg_std_error(&job->error.manager);
    job->error.manager.error_exit = OnError;
    if (setjmp(job->error.jump)) return false;
    jpeg_create_compress(&job->info);
    job->created = true;
    jpeg_stdio_dest(&job->info, job->file);
    const Image& image = *job->image;
    job->info.image_width = JDIMENSION(image.width);
    job->info.image_height = JDIMENSION(image.height);
    job->info.input_components = image.Channels();
    job->info.in_color_space = image.color == ColorModel::Gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&job->info);
    jpeg_set_quality(&job->info, 92, TRUE);
    // Full-resolution colour (no chroma subsampling): thin frost lines keep their colour edges.
    for (int c = 0; c < job->info.num_components; ++c)
        job->info.comp_info[c].h_samp_factor = job->info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&job->info, TRUE);
    const std::size_t stride = std::size_t(image.width) * image.Channels();
    while (job->info.next_scanline < job->info.image_height) {
        const std::uint16_t* src = image.samples.data() + std::size_t(job->info.next_scanline) * stride;
        for (std::size_t i = 0; i < stride; ++i)
            job->line[i] = (unsigned char)src[i];
        JSAMPROW row = job->line.data();
        jpeg_write_scanlines(&job->info, &row, 1);
    }
    jpeg_finish_compress(&job->info);
    return true;
}

Image Decode(JpegReadJob& job, const std::string& path) {
    if (!ReadHeader(&job)) FailRead(path, std::string("not a valid JPEG file (") + job.error.message + ")");
    if (!Start(&job)) {
        if (job.error.message[0])
            FailRead(path, std::string("damaged JPEG file (") + job.error.message + ")");
        FailRead(path, "unsupported JPEG colour model (gray and RGB are read)");
    }
    CheckReadSize(path, std::uint64_t(job.width), std::uint64_t(job.height), job.components);
    Image image;
    image.width = job.width;
    image.height = job.height;
    image.depth = 8;
    image.color = job.components == 1 ? ColorModel::Gray : ColorModel::RGB;
    job.samples = &image.samples;
    job.total = image.SampleCount();
    job.line.resize(std::size_t(job.width) * job.components);
    if (!ReadLines(&job))
        FailRead(path, std::string("damaged or truncated JPEG file (") + job.error.message + ")");
    return image;
}

} // namespace

Image ReadJpeg(const std::string& path) {
    JpegReadJob job;
    job.file = std::fopen(path.c_str(), "rb");
    if (!job.file) FailRead(path, std::strerror(errno));
    return Decode(job, path);
}

Image ReadJpegMemory(const std::uint8_t* data, std::size_t size, const std::string& name) {
    if (size == 0) FailRead(name, "no data");
    JpegReadJob job;
    job.memory = data;
    job.memorySize = size;
    return Decode(job, name);
}

void WriteJpeg(const std::string& path, const Image& image) {
    CheckWritable(path, image);
    if (image.depth != 8 || image.alpha || image.color == ColorModel::CMYK)
        FailWrite(path, "JPEG holds 8-bit gray or RGB images only");
    JpegWriteJob job;
    job.image = &image;
    job.line.resize(std::size_t(image.width) * image.Channels());
    job.file = std::fopen(path.c_str(), "wb");
    if (!job.file) FailWrite(path, std::strerror(errno));
    if (!WriteLines(&job)) FailWrite(path, job.error.message);
    std::FILE* file = job.file;
    job.file = nullptr;
    CloseWritten(file, path);
}

} // namespace rimelace_cli
