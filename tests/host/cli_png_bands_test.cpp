// The fast PNG setting in bands on several threads: every mode and depth decodes to the input's
// samples whatever the bands and threads, the file is sound chunk by chunk and its data stream
// whole, the threads change no byte, the source is read in order on the caller, and a failing
// disk is an error naming the file.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "cli_test_images.h"
#include "host/cli/png_bands_p.h"

namespace rimelace_cli {
namespace {

using testing::MaxDifference;
using testing::NoiseImage;
using testing::ReadBytes;
using testing::TempFolder;

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | std::uint8_t(bytes[at + std::size_t(i)]);
    return value;
}

// Walks the file's chunks by hand: the signature, IHDR first, then only IDATs, IEND last and
// nothing after it, every CRC right. Gives the IDATs' contents joined in `data`; returns what is
// wrong, empty when nothing.
std::string WalkChunks(const std::string& file, std::string* data) {
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    if (file.compare(0, 8, signature, 8) != 0) return "no signature";
    std::string order;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint32_t length = BigEndian(file, at);
        if (at + 12 + length > file.size()) return "a chunk runs past the end";
        const std::string type = file.substr(at + 4, 4);
        const auto* body = reinterpret_cast<const Bytef*>(file.data() + at + 4);
        if (crc32(0, body, 4 + length) != BigEndian(file, at + 8 + length)) return "CRC of " + type;
        if (type == "IDAT") *data += file.substr(at + 8, length);
        if (order.empty() || order.back() != type[1]) order += type[1]; // H, D, E: one letter a run
        at += 12 + length;
        if (type == "IEND") break;
    }
    if (order != "HDE") return "chunks in the order " + order;
    if (at != file.size()) return "bytes after IEND";
    return "";
}

// Inflates the zlib stream (which checks its Adler-32) and checks what it holds: `rows` rows of
// `rowBytes`, each behind the average filter's byte.
std::string CheckStream(const std::string& data, int rows, std::size_t rowBytes) {
    std::vector<unsigned char> out(std::size_t(rows) * (rowBytes + 1) + 1);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return "inflateInit";
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_FINISH);
    const std::size_t produced = out.size() - z.avail_out, left = z.avail_in;
    inflateEnd(&z);
    if (result != Z_STREAM_END) return "the data stream does not end well: " + std::to_string(result);
    if (left != 0) return "bytes after the data stream";
    if (produced != out.size() - 1) return "the data stream holds " + std::to_string(produced) + " bytes";
    for (int r = 0; r < rows; ++r)
        if (out[std::size_t(r) * (rowBytes + 1)] != 3) return "row " + std::to_string(r) + " is not average-filtered";
    return "";
}

struct StrictRead {
    std::jmp_buf jump;
    std::string complaint;
};

// Reads the file with libpng, any warning or error being a complaint; empty when clean.
std::string LibpngComplaints(const std::string& path) {
    StrictRead read;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "cannot open";
    png_structp png = png_create_read_struct(
        PNG_LIBPNG_VER_STRING, &read,
        [](png_structp p, png_const_charp m) {
            auto* r = static_cast<StrictRead*>(png_get_error_ptr(p));
            r->complaint += std::string("error: ") + m;
            std::longjmp(r->jump, 1);
        },
        [](png_structp p, png_const_charp m) {
            static_cast<StrictRead*>(png_get_error_ptr(p))->complaint += std::string("warning: ") + m + "; ";
        });
    png_infop info = png_create_info_struct(png);
    png_infop end = png_create_info_struct(png);
    if (!setjmp(read.jump)) {
        png_init_io(png, file);
        png_read_info(png, info);
        std::vector<unsigned char> row(png_get_rowbytes(png, info));
        for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y) png_read_row(png, row.data(), nullptr);
        png_read_end(png, end);
    }
    png_destroy_read_struct(&png, &info, &end);
    std::fclose(file);
    return read.complaint;
}

TEST(PngBands, EveryModeDecodesExactlyAndIsSoundWhateverTheBandsAndThreads) {
    TempFolder folder;
    const struct {
        int width, height, bandRows;
    } shapes[] = {
        {37, 29, 0},  // one band
        {37, 29, 4},  // many bands, the last of one row
        {37, 29, 1},  // a band a row
        {13, 1, 0},   // one pixel high
        {1, 9, 2},    // one pixel wide
        {700, 300, 0} // default bands, several of them for the deepest mode
    };
    for (ColorModel color : {ColorModel::Gray, ColorModel::RGB})
        for (bool alpha : {false, true})
            for (int depth : {8, 16})
                for (const auto& shape : shapes) {
                    const Image image = NoiseImage(shape.width, shape.height, color, alpha, depth, 5);
                    const std::string what = std::to_string(image.Channels()) + " channels, " +
                                             std::to_string(depth) + "-bit, " + std::to_string(shape.width) + " x " +
                                             std::to_string(shape.height) + ", bands of " +
                                             std::to_string(shape.bandRows);
                    std::string first;
                    for (int threads : {1, 3}) {
                        const std::string path = folder.File("bands" + std::to_string(threads) + ".png");
                        ImageRowSource source(image);
                        WriteBandedPng(path, image, source, {shape.bandRows, threads});
                        EXPECT_EQ(MaxDifference(image, ReadImage(path)), 0) << what;
                        EXPECT_EQ(LibpngComplaints(path), "") << what;
                        const std::string bytes = ReadBytes(path);
                        std::string data;
                        EXPECT_EQ(WalkChunks(bytes, &data), "") << what;
                        EXPECT_EQ(CheckStream(data, image.height, std::size_t(image.width) * image.Channels() * depth / 8), "")
                            << what;
                        if (threads == 1)
                            first = bytes;
                        else
                            EXPECT_TRUE(bytes == first) << "threads changed the file: " << what;
                    }
                }
}

// Hands out a picture's rows while noting the order and the threads that asked.
class WatchedSource : public RowSource {
public:
    explicit WatchedSource(const Image& image) : rows_(image) {}
    void Row(int y, void* samples) override {
        asked.push_back(y);
        if (std::this_thread::get_id() != caller) strangers++;
        rows_.Row(y, samples);
    }
    std::vector<int> asked;
    int strangers = 0;
    const std::thread::id caller = std::this_thread::get_id();

private:
    ImageRowSource rows_;
};

TEST(PngBands, TheSourceIsAskedForEveryRowOnceInOrderOnTheCallingThread) {
    TempFolder folder;
    const Image image = NoiseImage(50, 41, ColorModel::RGB, true, 16, 9);
    WatchedSource source(image);
    WriteBandedPng(folder.File("watched.png"), image, source, {3, 4});
    std::vector<int> expected(41);
    for (int y = 0; y < 41; ++y) expected[std::size_t(y)] = y;
    EXPECT_EQ(source.asked, expected);
    EXPECT_EQ(source.strangers, 0);
    EXPECT_EQ(MaxDifference(image, ReadImage(folder.File("watched.png"))), 0);
}

TEST(PngBands, AFullDiskOrAMissingFolderIsAnErrorNamingTheFile) {
    // Several megabytes through several threads, so that the disk fills while bands are queued.
    const Image image = NoiseImage(1200, 900, ColorModel::RGB, false, 16, 2);
    for (const std::string& path : {std::string("/dev/full"), std::string("/nonexistent-folder/x.png")}) {
        ImageRowSource source(image);
        try {
            WriteBandedPng(path, image, source, {8, 3});
            ADD_FAILURE() << path << ": no error";
        } catch (const ImageFileError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("cannot write '" + path + "'"), std::string::npos) << message;
            EXPECT_NE(message.find(path == "/dev/full" ? std::strerror(ENOSPC) : std::strerror(ENOENT)),
                      std::string::npos)
                << message;
        }
    }
}

} // namespace
} // namespace rimelace_cli
