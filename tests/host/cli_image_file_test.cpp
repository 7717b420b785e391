// Image files: what is written reads back the same, in every mode and depth each format holds;
// files that are not images, damaged or cut short give an error that names the file.

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "cli_test_images.h"
#include "host/cli/image_file.h"

namespace rimelace_cli {
namespace {

using testing::FileExists;
using testing::HugePngHeader;
using testing::MaxDifference;
using testing::NoiseImage;
using testing::SmoothImage;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

struct Mode {
    ColorModel color;
    bool alpha;
    int depth;
};

std::string Describe(const Mode& m) {
    return std::string(m.color == ColorModel::Gray  ? "gray"
                       : m.color == ColorModel::RGB ? "rgb"
                                                    : "cmyk") +
           (m.alpha ? "+alpha" : "") + " " + std::to_string(m.depth) + "-bit";
}

TEST(ImageFile, PngRoundTripKeepsEverySampleInEveryModeAndDepth) {
    TempFolder folder;
    for (ColorModel color : {ColorModel::Gray, ColorModel::RGB})
        for (bool alpha : {false, true})
            for (int depth : {8, 16}) {
                const Mode mode{color, alpha, depth};
                const Image image = NoiseImage(37, 23, color, alpha, depth);
                const std::string path = folder.File("round.png");
                WriteImage(path, image);
                const Image back = ReadImage(path);
                EXPECT_EQ(MaxDifference(image, back), 0) << Describe(mode);
            }
}

TEST(ImageFile, BothPngCompressionsKeepEverySampleAndTheSmallestIsNoLarger) {
    TempFolder folder;
    for (int depth : {8, 16}) {
        const Image image = SmoothImage(160, 120, ColorModel::RGB);
        Image deep = image;
        deep.depth = depth;
        if (depth == 16)
            for (std::uint16_t& v : deep.samples) v = std::uint16_t(v * 257);
        const std::string fast = folder.File("fast.png"), small = folder.File("small.png");
        WriteImage(fast, FileFormat::PNG, deep, PngCompression::Fast);
        WriteImage(small, FileFormat::PNG, deep, PngCompression::Smallest);
        EXPECT_EQ(MaxDifference(deep, ReadImage(fast)), 0) << depth;
        EXPECT_EQ(MaxDifference(deep, ReadImage(small)), 0) << depth;
        EXPECT_LE(ReadBytes(small).size(), ReadBytes(fast).size()) << depth;
    }
}

TEST(ImageFile, TiffRoundTripKeepsEverySampleIncludingCmyk) {
    TempFolder folder;
    for (ColorModel color : {ColorModel::Gray, ColorModel::RGB, ColorModel::CMYK})
        for (bool alpha : {false, true})
            for (int depth : {8, 16}) {
                const Mode mode{color, alpha, depth};
                const Image image = NoiseImage(41, 19, color, alpha, depth, 7);
                for (const char* name : {"round.tif", "ROUND.TIFF"}) {
                    const std::string path = folder.File(name);
                    WriteImage(path, image);
                    EXPECT_EQ(MaxDifference(image, ReadImage(path)), 0) << Describe(mode) << " " << name;
                }
            }
}

TEST(ImageFile, JpegRoundTripStaysCloseForGrayAndRgb) {
    TempFolder folder;
    for (ColorModel color : {ColorModel::Gray, ColorModel::RGB}) {
        const Image image = testing::SmoothImage(64, 48, color);
        const std::string path = folder.File("round.jpg");
        WriteImage(path, image);
        const Image back = ReadImage(path);
        const int difference = MaxDifference(image, back);
        EXPECT_GE(difference, 0);
        EXPECT_LE(difference, 24) << "lossy, but close";
    }
}

TEST(ImageFile, JpegFromMemoryReadsTheSameAsFromTheFile) {
    TempFolder folder;
    const std::string path = folder.File("mem.jpeg");
    WriteImage(path, testing::SmoothImage(30, 20, ColorModel::RGB));
    const std::string bytes = ReadBytes(path);
    const Image fromMemory =
        ReadJpegMemory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "memory");
    EXPECT_EQ(MaxDifference(fromMemory, ReadImage(path)), 0);
}

TEST(ImageFile, FormatComesFromTheContentNotTheName) {
    TempFolder folder;
    const Image image = NoiseImage(8, 8, ColorModel::RGB, false, 8);
    WriteImage(folder.File("a.png"), FileFormat::TIFF, image); // a TIFF under a .png name
    EXPECT_EQ(MaxDifference(image, ReadImage(folder.File("a.png"))), 0);
}

TEST(ImageFile, FormatsRefuseModesTheyCannotHold) {
    TempFolder folder;
    EXPECT_NE(CannotHold(FileFormat::PNG, NoiseImage(4, 4, ColorModel::CMYK, false, 8)), "");
    EXPECT_NE(CannotHold(FileFormat::JPEG, NoiseImage(4, 4, ColorModel::RGB, false, 16)), "");
    EXPECT_NE(CannotHold(FileFormat::JPEG, NoiseImage(4, 4, ColorModel::RGB, true, 8)), "");
    EXPECT_NE(CannotHold(FileFormat::JPEG, NoiseImage(4, 4, ColorModel::CMYK, false, 8)), "");
    EXPECT_EQ(CannotHold(FileFormat::TIFF, NoiseImage(4, 4, ColorModel::CMYK, true, 16)), "");
    EXPECT_EQ(CannotHold(FileFormat::PNG, NoiseImage(4, 4, ColorModel::Gray, true, 16)), "");
    EXPECT_THROW(WriteImage(folder.File("x.png"), NoiseImage(4, 4, ColorModel::CMYK, false, 8)),
                 ImageFileError);
    EXPECT_THROW(WriteImage(folder.File("x.jpg"), NoiseImage(4, 4, ColorModel::Gray, false, 16)),
                 ImageFileError);
}

TEST(ImageFile, OutputTypeFollowsTheExtension) {
    EXPECT_EQ(FormatForName("a/b.PNG"), FileFormat::PNG);
    EXPECT_EQ(FormatForName("x.tif"), FileFormat::TIFF);
    EXPECT_EQ(FormatForName("x.Tiff"), FileFormat::TIFF);
    EXPECT_EQ(FormatForName("x.jpeg"), FileFormat::JPEG);
    EXPECT_THROW(FormatForName("x.bmp"), ImageFileError);
    EXPECT_THROW(FormatForName("folder.png/x"), ImageFileError);
    EXPECT_THROW(FormatForName("noext"), ImageFileError);
}

// The message of the error ReadImage raises, or "" when it reads.
std::string ReadError(const std::string& path) {
    try {
        ReadImage(path);
    } catch (const ImageFileError& error) {
        return error.what();
    }
    return "";
}

TEST(ImageFile, DamagedTruncatedAndForeignFilesGiveAnErrorNamingTheFile) {
    TempFolder folder;
    const Image image = NoiseImage(120, 90, ColorModel::RGB, true, 16);
    WriteImage(folder.File("full.png"), image);
    WriteImage(folder.File("full.tif"), image);
    WriteImage(folder.File("full.jpg"), testing::SmoothImage(120, 90, ColorModel::RGB));

    for (const char* name : {"full.png", "full.tif", "full.jpg"}) {
        const std::string bytes = ReadBytes(folder.File(name));
        for (std::size_t keep : {bytes.size() / 2, bytes.size() - 20, std::size_t(12)}) {
            const std::string cut = folder.File(std::string("cut-") + name);
            WriteBytes(cut, bytes.substr(0, keep));
            const std::string message = ReadError(cut);
            EXPECT_NE(message.find(cut), std::string::npos)
                << name << " cut to " << keep << ": \"" << message << "\"";
        }
    }
    WriteBytes(folder.File("text.png"), "this is not an image at all\n");
    EXPECT_NE(ReadError(folder.File("text.png")).find("not a PNG, TIFF or JPEG image"), std::string::npos);
    WriteBytes(folder.File("empty.png"), "");
    EXPECT_NE(ReadError(folder.File("empty.png")).find("empty"), std::string::npos);
    EXPECT_NE(ReadError(folder.File("missing.png")).find("No such file"), std::string::npos);
    EXPECT_NE(ReadError(folder.Path()).find(folder.Path()), std::string::npos) << "a folder is not an image";
}

TEST(ImageFile, JpegScanCutShortByAMarkerIsDamagedNotFilledWithGray) {
    TempFolder folder;
    WriteImage(folder.File("full.jpg"), testing::SmoothImage(120, 90, ColorModel::RGB));
    const std::string bytes = ReadBytes(folder.File("full.jpg"));
    // Half the scan, then the end-of-image marker: libjpeg alone would fill the rest with gray.
    const std::string cut = bytes.substr(0, bytes.size() / 2) + std::string("\xFF\xD9", 2);
    WriteBytes(folder.File("cut.jpg"), cut);
    const std::string message = ReadError(folder.File("cut.jpg"));
    EXPECT_NE(message.find("damaged or truncated JPEG"), std::string::npos) << message;

    // 116 bytes claiming a 63496 x 32772 picture whose scan ends at once (found by fuzzing the
    // reader of JPEG data in memory): an error, without first taking the 2 GB the picture needs.
    const unsigned char claim[] = {
        0xff, 0xd8, 0x82, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x01, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43,
        0x00, 0x03, 0x02, 0x02, 0x09, 0x08, 0x09, 0xb6, 0x00, 0x09, 0x0a, 0x0c, 0x0f, 0x0c, 0x0a, 0x0b, 0x0e,
        0x0b, 0x09, 0x09, 0x0d, 0x11, 0x0d, 0x0e, 0x0f, 0x10, 0x10, 0x11, 0x10, 0x0a, 0x0c, 0x12, 0x13, 0x31,
        0x10, 0x13, 0x0f, 0x10, 0x10, 0xff, 0xff, 0xff, 0xff, 0xff, 0x17, 0x35, 0x32, 0x57, 0x58, 0x59, 0x5a,
        0x63, 0x64, 0x65, 0x66, 0x67, 0x0a, 0x0c, 0x12, 0x10, 0x13, 0x0f, 0x10, 0x10, 0x10, 0xff, 0xc0, 0x00,
        0x0b, 0x08, 0x80, 0x04, 0xf8, 0x08, 0x01, 0x01, 0x11, 0x00, 0x19, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xfa,
        0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x0a, 0xff, 0xff, 0xff, 0xff, 0xd9};
    try {
        ReadJpegMemory(claim, sizeof claim, "claim.jpg");
        ADD_FAILURE() << "the damaged picture was read";
    } catch (const ImageFileError& error) {
        EXPECT_NE(std::string(error.what()).find("damaged or truncated JPEG"), std::string::npos) << error.what();
    }
}

TEST(ImageFile, TiffTilesLargerThanAnyPictureAreDamageNotAnAllocation) {
    // 210 bytes whose tile size asks for about 960 GB for one tile (found by fuzzing).
    const unsigned char bytes[] = {
        0x49, 0x49, 0x2a, 0x00, 0x28, 0x00, 0x00, 0x00, 0x78, 0x9c, 0xe3, 0x66, 0x30, 0x60, 0xf0, 0x42, 0xc6,
        0x82, 0x8c, 0x11, 0x8c, 0xfc, 0xc8, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x33, 0x0a, 0x66, 0x64,
        0x3e, 0x00, 0x2c, 0x07, 0x09, 0xc9, 0x0e, 0x00, 0xd7, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04,
        0x00, 0x00, 0x00, 0x01, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x02, 0x01,
        0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x00, 0x10, 0x00, 0x25, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00,
        0x00, 0x08, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
        0x11, 0x01, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x12, 0x01, 0x03, 0x00, 0x01,
        0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x15, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00,
        0x00, 0x00, 0x16, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x42, 0x01, 0x04,
        0x00, 0x01, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x1c, 0x00, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00,
        0x01, 0x00, 0x00, 0x00, 0x3d, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x52,
        0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x60, 0x30, 0x00, 0x02, 0x89, 0x15, 0x00, 0x02,
        0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
    TempFolder folder;
    WriteBytes(folder.File("tiles.tif"), std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
    const std::string message = ReadError(folder.File("tiles.tif"));
    EXPECT_NE(message.find("damaged TIFF file (tiles of"), std::string::npos) << message;

    // 213 bytes claiming a picture of about a billion samples in strips that do not decode (found
    // by fuzzing): an error, without first filling room for the whole picture.
    const unsigned char claim[] = {
        0x49, 0x49, 0x2a, 0x00, 0x28, 0x00, 0x00, 0x00, 0x78, 0x9c, 0xe3, 0x66, 0x35, 0x60, 0xf0, 0x42, 0xec,
        0xc6, 0x8c, 0x11, 0x8c, 0xc8, 0xfc, 0x68, 0xa6, 0x06, 0x26, 0x64, 0x7e, 0x33, 0xf3, 0x0a, 0x66, 0x64,
        0x3e, 0x00, 0x2c, 0x07, 0x09, 0xc9, 0x0e, 0x00, 0x08, 0x00, 0x00, 0x00, 0x12, 0x01, 0x03, 0x00, 0x01,
        0x00, 0x00, 0x00, 0x01, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0xbc, 0xff, 0x00, 0x00, 0x02, 0x01,
        0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x00, 0x10, 0x00, 0x01, 0x01, 0x00, 0x00, 0x03, 0x00, 0x00,
        0x00, 0x08, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
        0x11, 0x01, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x12, 0x01, 0x03, 0x00, 0x00,
        0x00, 0x00, 0x0e, 0x00, 0x00, 0x15, 0x00, 0x00, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x29, 0x49,
        0x28, 0x2a, 0x49, 0x16, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x55, 0x01, 0x00, 0x00, 0x17, 0x01,
        0x04, 0x00, 0x21, 0xff, 0x0a, 0x00, 0x28, 0x00, 0x00, 0x00, 0x43, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00,
        0x00, 0x01, 0x2e, 0x00, 0xf1, 0xf1, 0x03, 0x08, 0x00, 0x00, 0x00, 0x00, 0x7a, 0xa8, 0x4a, 0x00, 0x00,
        0x15, 0x5a, 0xc0, 0x35, 0x0a, 0x9b, 0x38, 0x00, 0xe1, 0xe9, 0x43, 0x55, 0x02, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x17, 0x01, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00};
    WriteBytes(folder.File("claim.tif"), std::string(reinterpret_cast<const char*>(claim), sizeof claim));
    const std::string claimMessage = ReadError(folder.File("claim.tif"));
    EXPECT_NE(claimMessage.find("damaged"), std::string::npos) << claimMessage;
}

TEST(ImageFile, HugeClaimedSizesAreRefusedBeforeAnyAllocation) {
    TempFolder folder;
    WriteBytes(folder.File("huge.png"), HugePngHeader(400000, 400000));
    EXPECT_NE(ReadError(folder.File("huge.png")).find("too large"), std::string::npos)
        << ReadError(folder.File("huge.png"));
    WriteBytes(folder.File("wide.png"), HugePngHeader(200000, 20000));
    EXPECT_NE(ReadError(folder.File("wide.png")).find("too large"), std::string::npos)
        << "2^31 samples at most";
    WriteBytes(folder.File("fine.png"), HugePngHeader(64, 64));
    EXPECT_NE(ReadError(folder.File("fine.png")).find("truncated"), std::string::npos)
        << "a sane size reads on, then ends";
}

TEST(ImageFile, CorruptedPngDataIsAnErrorNotAnAbort) {
    TempFolder folder;
    WriteImage(folder.File("ok.png"), NoiseImage(64, 64, ColorModel::RGB, false, 8));
    std::string bytes = ReadBytes(folder.File("ok.png"));
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i)
        bytes[i] = char(bytes[i] ^ 0x5A);
    WriteBytes(folder.File("bad.png"), bytes);
    EXPECT_NE(ReadError(folder.File("bad.png")), "");
}

// A palette PNG with a transparent entry, written with libpng directly.
void WritePalettePng(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, 4, 2, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    png_set_PLTE(png, info, palette, 3);
    png_byte alpha[1] = {0};
    png_set_tRNS(png, info, alpha, 1, nullptr);
    png_write_info(png, info);
    png_byte rows[2][4] = {{0, 1, 2, 1}, {2, 2, 0, 1}};
    for (auto& row : rows)
        png_write_row(png, row);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

TEST(ImageFile, PalettePngExpandsToRgbWithAlpha) {
    TempFolder folder;
    WritePalettePng(folder.File("pal.png"));
    const Image image = ReadImage(folder.File("pal.png"));
    ASSERT_EQ(image.color, ColorModel::RGB);
    ASSERT_TRUE(image.alpha);
    ASSERT_EQ(image.depth, 8);
    const std::vector<std::uint16_t> first = {255, 0, 0, 0, 0, 255, 0, 255}; // red transparent, green opaque
    EXPECT_EQ(std::vector<std::uint16_t>(image.samples.begin(), image.samples.begin() + 8), first);
}

// An interlaced PNG (Adam7) written with libpng directly; 16-bit samples big-endian.
void WriteInterlacedPng(const std::string& path, const Image& image) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    const int type = image.color == ColorModel::Gray ? (image.alpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY)
                                                     : (image.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), image.depth, type,
                 PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int bytes = image.depth / 8;
    const std::size_t rowSamples = std::size_t(image.width) * image.Channels();
    std::vector<png_byte> pixels(rowSamples * image.height * bytes);
    for (std::size_t i = 0; i < image.samples.size(); ++i) {
        if (bytes == 1) {
            pixels[i] = png_byte(image.samples[i]);
        } else {
            pixels[2 * i] = png_byte(image.samples[i] >> 8);
            pixels[2 * i + 1] = png_byte(image.samples[i] & 0xFF);
        }
    }
    std::vector<png_bytep> rows(image.height);
    for (int y = 0; y < image.height; ++y)
        rows[y] = pixels.data() + std::size_t(y) * rowSamples * bytes;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

TEST(ImageFile, InterlacedPngReadsLikeAPlainOne) {
    TempFolder folder;
    for (ColorModel color : {ColorModel::Gray, ColorModel::RGB})
        for (int depth : {8, 16}) {
            const Image image = NoiseImage(37, 23, color, color == ColorModel::RGB, depth, 5);
            WriteInterlacedPng(folder.File("adam7.png"), image);
            const Image back = ReadImage(folder.File("adam7.png"));
            EXPECT_EQ(MaxDifference(image, back), 0) << Describe({color, color == ColorModel::RGB, depth});
        }
}

// Row by row and whole give the same samples and the same files, in every format, mode and depth
// the format holds, at sizes that are not a multiple of anything.
TEST(ImageFile, RowsReadAndWriteTheSameAsWholeImages) {
    TempFolder folder;
    const struct {
        const char* name;
        ColorModel color;
        bool alpha;
        int depth;
    } cases[] = {
        {"a.png", ColorModel::Gray, false, 8}, {"b.png", ColorModel::Gray, true, 16},
        {"c.png", ColorModel::RGB, false, 16}, {"d.png", ColorModel::RGB, true, 8},
        {"e.tif", ColorModel::CMYK, false, 16}, {"f.tif", ColorModel::RGB, true, 8},
        {"g.jpg", ColorModel::RGB, false, 8},  {"h.jpg", ColorModel::Gray, false, 8},
    };
    for (const auto& c : cases) {
        const Image image = NoiseImage(31, 17, c.color, c.alpha, c.depth, 3);
        const std::string whole = folder.File(std::string("whole_") + c.name);
        const std::string rows = folder.File(std::string("rows_") + c.name);
        WriteImage(whole, image);
        ImageRowSource source(image);
        WriteImageRows(rows, FormatForName(rows), image, source);
        EXPECT_EQ(ReadBytes(whole), ReadBytes(rows)) << c.name;

        ImageRows sink;
        ReadImageRows(whole, sink);
        EXPECT_EQ(MaxDifference(ReadImage(whole), sink.image), 0) << c.name;
    }
}

TEST(ImageFile, RowsOfADamagedPngAreAnErrorAndAFormatThatCannotHoldTheImageWritesNothing) {
    TempFolder folder;
    WriteImage(folder.File("ok.png"), NoiseImage(40, 40, ColorModel::RGB, false, 16));
    const std::string bytes = ReadBytes(folder.File("ok.png"));
    WriteBytes(folder.File("cut.png"), bytes.substr(0, bytes.size() * 2 / 3));
    ImageRows sink;
    EXPECT_THROW(ReadImageRows(folder.File("cut.png"), sink), ImageFileError);

    const Image cmyk = NoiseImage(8, 8, ColorModel::CMYK, false, 8);
    ImageRowSource source(cmyk);
    EXPECT_THROW(WriteImageRows(folder.File("cmyk.png"), FileFormat::PNG, cmyk, source), ImageFileError);
    EXPECT_THROW(WriteImageRows(folder.File("cmyk.jpg"), FileFormat::JPEG, cmyk, source), ImageFileError);
    EXPECT_FALSE(FileExists(folder.File("cmyk.png")));
    EXPECT_FALSE(FileExists(folder.File("cmyk.jpg")));
}

// A TIFF written with libtiff directly: separate planes, or tiles.
void WriteTiffLayout(const std::string& path, const Image& image, bool separate, bool tiled) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    const int channels = image.Channels();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, std::uint32_t(image.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, std::uint32_t(image.height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(channels));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, std::uint16_t(image.depth));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    const int bytes = image.depth / 8;
    if (tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16u);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16u);
        std::vector<unsigned char> tile(std::size_t(TIFFTileSize(tiff)));
        for (int ty = 0; ty < image.height; ty += 16)
            for (int tx = 0; tx < image.width; tx += 16) {
                std::fill(tile.begin(), tile.end(), 0);
                for (int y = ty; y < std::min(ty + 16, image.height); ++y)
                    for (int x = tx; x < std::min(tx + 16, image.width); ++x)
                        for (int c = 0; c < channels; ++c) {
                            const std::uint16_t v =
                                image.samples[(std::size_t(y) * image.width + x) * channels + c];
                            const std::size_t at =
                                ((std::size_t(y - ty) * 16 + (x - tx)) * channels + c) * bytes;
                            if (bytes == 1)
                                tile[at] = (unsigned char)v;
                            else
                                std::memcpy(&tile[at], &v, 2);
                        }
                TIFFWriteTile(tiff, tile.data(), std::uint32_t(tx), std::uint32_t(ty), 0, 0);
            }
    } else {
        std::vector<unsigned char> line(std::size_t(image.width) * channels * bytes);
        const int planes = separate ? channels : 1;
        for (int p = 0; p < planes; ++p)
            for (int y = 0; y < image.height; ++y) {
                const int perPixel = separate ? 1 : channels;
                for (int x = 0; x < image.width; ++x)
                    for (int c = 0; c < perPixel; ++c) {
                        const std::uint16_t v =
                            image.samples[(std::size_t(y) * image.width + x) * channels + (separate ? p : c)];
                        const std::size_t at = (std::size_t(x) * perPixel + c) * bytes;
                        if (bytes == 1)
                            line[at] = (unsigned char)v;
                        else
                            std::memcpy(&line[at], &v, 2);
                    }
                TIFFWriteScanline(tiff, line.data(), std::uint32_t(y), std::uint16_t(p));
            }
    }
    TIFFClose(tiff);
}

TEST(ImageFile, TiffInSeparatePlanesOrTilesReadsLikeInterleavedStrips) {
    TempFolder folder;
    for (int depth : {8, 16}) {
        const Image image = NoiseImage(37, 21, ColorModel::RGB, false, depth, 3);
        WriteTiffLayout(folder.File("separate.tif"), image, true, false);
        EXPECT_EQ(MaxDifference(image, ReadImage(folder.File("separate.tif"))), 0) << depth;
        WriteTiffLayout(folder.File("tiled.tif"), image, false, true);
        EXPECT_EQ(MaxDifference(image, ReadImage(folder.File("tiled.tif"))), 0) << depth;
    }
}

// A TIFF header for an 8-bit RGB picture in separate planes, strips or square tiles (tileSide
// above 0), whose first strip or tile holds 10 bytes and the rest none.
void WriteEmptyTiff(const std::string& path, std::uint32_t width, std::uint32_t height, std::uint32_t tileSide) {
    const bool tiled = tileSide > 0;
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, std::uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
    if (tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, tileSide);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, tileSide);
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 64u);
    }
    unsigned char few[10] = {};
    if (tiled)
        TIFFWriteRawTile(tiff, 0, few, sizeof few);
    else
        TIFFWriteRawStrip(tiff, 0, few, sizeof few);
    TIFFClose(tiff);
}

// The process's highest resident memory since the last ResetPeak, in MB.
long PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    return -1;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Damaged files claiming pictures of 1.6 to 2 billion samples whose first row does not decode:
// an error, without first filling room for the whole picture (3 to 4 GB) or for one tile as
// large as a plane. Rows of a streamed
// file go to a sink that takes no room before the first row either.
TEST(ImageFile, ClaimedHugePicturesCostNoMemoryBeforeTheirError) {
    TempFolder folder;
    WriteBytes(folder.File("plain.png"), HugePngHeader(23000, 23000));
    WriteBytes(folder.File("adam7.png"), HugePngHeader(23000, 23000, true));
    WriteEmptyTiff(folder.File("planes.tif"), 26000, 26000, 0);
    WriteEmptyTiff(folder.File("tiles.tif"), 26000, 26000, 256);
    WriteEmptyTiff(folder.File("one-tile.tif"), 26000, 26000, 26016); // a tile of 677 MB
    for (const char* name : {"plain.png", "adam7.png", "planes.tif", "tiles.tif", "one-tile.tif"}) {
        ResetPeak();
        const long before = PeakMegabytes();
        ASSERT_GT(before, 0);
        const std::string message = ReadError(folder.File(name));
        EXPECT_NE(message.find("damaged"), std::string::npos) << name << ": " << message;
        EXPECT_LT(PeakMegabytes() - before, 200) << name;
    }
    ImageRows sink;
    EXPECT_THROW(ReadImageRows(folder.File("plain.png"), sink), ImageFileError);
    EXPECT_EQ(sink.image.samples.capacity(), 0u);
    EXPECT_EQ(sink.image.width, 23000) << "the description came first";
}

TEST(ImageFile, UnsupportedTiffKindsAreRefusedByName) {
    TempFolder folder;
    const std::string path = folder.File("float.tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 2u);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1u);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(1));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, std::uint16_t(32));
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    float row[2] = {0.5f, 1.0f};
    TIFFWriteScanline(tiff, row, 0, 0);
    TIFFClose(tiff);
    const std::string message = ReadError(path);
    EXPECT_NE(message.find(path), std::string::npos);
    EXPECT_NE(message.find("unsupported"), std::string::npos) << message;
}

TEST(ImageFile, WritingIntoAMissingFolderFailsWithTheName) {
    TempFolder folder;
    const std::string path = folder.File("no/such/out.png");
    try {
        WriteImage(path, NoiseImage(4, 4, ColorModel::RGB, false, 8));
        FAIL() << "wrote into a missing folder";
    } catch (const ImageFileError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
    }
    EXPECT_FALSE(FileExists(path));
}

} // namespace
} // namespace rimelace_cli
