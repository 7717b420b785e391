// Image files meet the host: modes and plane counts as the host announces them, the 16-bit
// scale mapping, and selection masks.

#include <gtest/gtest.h>

#include <cstring>

#include "cli_test_images.h"
#include "host/cli/host_image.h"

namespace rimelace_cli {
namespace {

TEST(HostImage, ModesDepthsAndPlanesFollowTheHostConventions) {
    struct Case {
        ColorModel color;
        bool alpha;
        int depth;
        int mode;
        int planes;
    };
    const Case cases[] = {
        {ColorModel::Gray, false, 8, 1, 1},   {ColorModel::Gray, true, 8, 1, 2},
        {ColorModel::Gray, false, 16, 10, 1}, {ColorModel::RGB, false, 8, 3, 3},
        {ColorModel::RGB, true, 8, 3, 4},     {ColorModel::RGB, true, 16, 11, 4},
        {ColorModel::CMYK, false, 8, 4, 4},   {ColorModel::CMYK, true, 16, 13, 5},
    };
    for (const Case& c : cases) {
        const HostLayout layout = LayoutFor(testing::NoiseImage(2, 2, c.color, c.alpha, c.depth));
        EXPECT_EQ(layout.imageMode, c.mode);
        EXPECT_EQ(layout.planes, c.planes);
        EXPECT_EQ(layout.depth, c.depth);
    }
}

TEST(HostImage, SixteenBitScaleMapsEndsExactlyAndRoundTripsWithinOneLevel) {
    EXPECT_EQ(FileToHost16(0), 0);
    EXPECT_EQ(FileToHost16(65535), 32768);
    EXPECT_EQ(HostToFile16(0), 0);
    EXPECT_EQ(HostToFile16(32768), 65535);
    EXPECT_EQ(HostToFile16(40000), 65535) << "values past full scale saturate";
    int previous = -1;
    for (int v = 0; v <= 65535; ++v) {
        const int host = FileToHost16(std::uint16_t(v));
        ASSERT_LE(host, 32768);
        ASSERT_GE(host, previous) << "monotonic";
        previous = host;
        // Nearest: the host value is within half a host level of the exact scaled value.
        ASSERT_LE(std::abs(host * 65535.0 - v * 32768.0), 65535.0 / 2 + 1e-9) << v;
        ASSERT_LE(std::abs(int(HostToFile16(std::uint16_t(host))) - v), 1) << v;
    }
    for (int h = 0; h <= 32768; ++h)
        ASSERT_EQ(FileToHost16(HostToFile16(std::uint16_t(h))), h) << "host values survive";
}

TEST(HostImage, PixelsGoToTheHostAndBackUnchangedAtEightBitsAndWithinOneLevelAtSixteen) {
    for (int depth : {8, 16}) {
        const Image image = testing::NoiseImage(13, 7, ColorModel::RGB, true, depth);
        const std::vector<std::uint8_t> pixels = ToHostPixels(image);
        ASSERT_EQ(pixels.size(), image.samples.size() * std::size_t(depth / 8));
        if (depth == 16) {
            std::uint16_t last;
            std::memcpy(&last, pixels.data() + pixels.size() - 2, 2);
            EXPECT_EQ(last, 32768) << "full file scale is full host scale";
        }
        Image back = image;
        back.samples.assign(back.samples.size(), 0);
        FromHostPixels(pixels, back);
        EXPECT_EQ(testing::MaxDifference(image, back), depth == 8 ? 0 : 1);
    }
}

// A file's rows go straight into the host's pixels and back out into a file: the same pixels and
// the same file as through a whole image, at both depths.
TEST(HostImage, FileRowsGoToTheHostPixelsAndBackAsTheWholeImageDoes) {
    testing::TempFolder folder;
    for (int depth : {8, 16}) {
        for (const char* name : {"in.png", "in.tif"}) {
            const Image image = testing::NoiseImage(29, 11, ColorModel::RGB, depth == 16, depth, 9);
            const std::string path = folder.File(name);
            WriteImage(path, image);
            HostRows rows;
            ReadImageRows(path, rows);
            EXPECT_EQ(rows.pixels, ToHostPixels(ReadImage(path))) << name << " " << depth;
            EXPECT_TRUE(rows.description.samples.empty());
            EXPECT_EQ(rows.description.width, 29);
            EXPECT_EQ(rows.description.depth, depth);

            Image whole = rows.description;
            whole.samples.assign(whole.SampleCount(), 0);
            FromHostPixels(rows.pixels, whole);
            const std::string viaWhole = folder.File(std::string("whole_") + name);
            const std::string viaRows = folder.File(std::string("rows_") + name);
            WriteImage(viaWhole, whole);
            HostRowSource source(rows.description, rows.pixels);
            WriteImageRows(viaRows, FormatForName(viaRows), rows.description, source);
            EXPECT_EQ(testing::ReadBytes(viaWhole), testing::ReadBytes(viaRows)) << name << " " << depth;
        }
    }
}

// A damaged file claiming a picture of 1.6 billion samples: an error before the host's pixels
// take any room.
TEST(HostImage, RowsOfADamagedHugePictureTakeNoRoomBeforeTheirError) {
    testing::TempFolder folder;
    testing::WriteBytes(folder.File("huge.png"), testing::HugePngHeader(23000, 23000));
    HostRows rows;
    EXPECT_THROW(ReadImageRows(folder.File("huge.png"), rows), ImageFileError);
    EXPECT_EQ(rows.pixels.capacity(), 0u);
}

TEST(HostImage, MaskIsTheBrightestColourSampleScaledByTransparency) {
    Image mask = testing::NoiseImage(5, 1, ColorModel::RGB, true, 8);
    mask.samples = {0, 0, 0, 255, 0, 1, 0, 255, 9, 9, 9, 0, 255, 0, 0, 255, 200, 100, 40, 128};
    EXPECT_EQ(MaskFromImage(mask), (std::vector<std::uint8_t>{0, 1, 0, 255, 100}));
    Image gray = testing::NoiseImage(5, 1, ColorModel::Gray, false, 16);
    gray.samples = {0, 1, 65535, 32768, 257};
    EXPECT_EQ(MaskFromImage(gray), (std::vector<std::uint8_t>{0, 0, 255, 128, 1}));
}

} // namespace
} // namespace rimelace_cli
