// The preview window's picture: every source kind, plane count and depth, bottom-up rows padded to
// four bytes.
#include "ui/controls/preview_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The picture's pixel (x, y) counted from the top, as (red, green, blue).
std::vector<int> PixelAt(const std::vector<std::uint8_t>& rows, int width, int height, int x, int y) {
    const std::uint8_t* p = rows.data() + std::size_t(height - 1 - y) * PictureRowBytes(width) + std::size_t(x) * 3;
    return {p[2], p[1], p[0]};
}

std::vector<std::uint8_t> Fill(const PictureSource& source, int width, int height) {
    std::vector<std::uint8_t> rows(PictureRowBytes(width) * height, 0);
    FillPicture(source, width, height, rows.data());
    return rows;
}

TEST(PreviewPicture, RowsArePaddedToFourBytes) {
    EXPECT_EQ(PictureRowBytes(1), 4u);
    EXPECT_EQ(PictureRowBytes(4), 12u);
    EXPECT_EQ(PictureRowBytes(5), 16u);
    EXPECT_EQ(PictureRowBytes(0), 0u);
}

TEST(PreviewPicture, ResultBufferIsShownUprightWithCoverageApplied) {
    // 2 x 2: top row opaque red and transparent, bottom row half-covered white and opaque blue.
    const std::uint8_t four[] = {255, 200, 0, 0, 0, 9, 9, 9, 128, 255, 255, 255, 255, 0, 0, 250};
    const auto rows = Fill({four, 8, true, 4, 8}, 2, 2);
    EXPECT_EQ(PixelAt(rows, 2, 2, 0, 0), (std::vector<int>{200, 0, 0}));
    EXPECT_EQ(PixelAt(rows, 2, 2, 1, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(PixelAt(rows, 2, 2, 0, 1), (std::vector<int>{128, 128, 128}));
    EXPECT_EQ(PixelAt(rows, 2, 2, 1, 1), (std::vector<int>{0, 0, 250}));
    // The first stored row is the picture's bottom row.
    EXPECT_EQ(rows[2], 128);
}

TEST(PreviewPicture, OnlyTheVisiblePartOfWiderRowsIsTaken) {
    // Source rows of 3 pixels, picture 1 pixel wide and 2 high.
    const std::uint8_t four[] = {255, 1, 2, 3, 255, 9, 9, 9, 255, 9, 9, 9, 255, 4, 5, 6, 255, 9, 9, 9, 255, 9, 9, 9};
    const auto rows = Fill({four, 12, true, 4, 8}, 1, 2);
    EXPECT_EQ(PixelAt(rows, 1, 2, 0, 0), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(PixelAt(rows, 1, 2, 0, 1), (std::vector<int>{4, 5, 6}));
}

TEST(PreviewPicture, HostOutputEightBitByPlaneCount) {
    const std::uint8_t three[] = {10, 20, 30};
    EXPECT_EQ(PixelAt(Fill({three, 3, false, 3, 8}, 1, 1), 1, 1, 0, 0), (std::vector<int>{10, 20, 30}));
    const std::uint8_t four[] = {100, 200, 50, 51};
    EXPECT_EQ(PixelAt(Fill({four, 4, false, 4, 0}, 1, 1), 1, 1, 0, 0), (std::vector<int>{20, 40, 10}));
    const std::uint8_t five[] = {100, 200, 50, 255, 7};
    EXPECT_EQ(PixelAt(Fill({five, 5, false, 5, 8}, 1, 1), 1, 1, 0, 0), (std::vector<int>{100, 200, 50}));
    for (int planes : {1, 2, 6}) {
        const std::uint8_t many[6] = {90, 90, 90, 90, 90, 90};
        EXPECT_EQ(PixelAt(Fill({many, 6, false, planes, 8}, 1, 1), 1, 1, 0, 0), (std::vector<int>{0, 0, 0})) << planes;
    }
}

TEST(PreviewPicture, HostOutputSixteenBitTakesTheFirstThreeChannels) {
    const std::uint16_t wide[] = {32768, 12800, 40000, 0};
    std::uint8_t bytes[sizeof wide];
    std::memcpy(bytes, wide, sizeof wide);
    EXPECT_EQ(PixelAt(Fill({bytes, 8, false, 4, 16}, 1, 1), 1, 1, 0, 0), (std::vector<int>{255, 100, 255}));
}

TEST(PreviewPicture, NothingToShowLeavesThePictureAlone) {
    std::vector<std::uint8_t> rows(4, 0x5A);
    FillPicture({nullptr, 4, true, 4, 8}, 1, 1, rows.data());
    FillPicture({rows.data(), 4, true, 4, 8}, 0, 1, rows.data());
    EXPECT_EQ(rows, std::vector<std::uint8_t>(4, 0x5A));
}

}  // namespace
