// advanceState's pixel service: rectangles, plane ranges, sampling, padding, and write-back.
#include "host/standin/standin_p.h"

#include <gtest/gtest.h>

namespace {

using standin::Image;
using standin::PixelService;
using standin::RunTrace;

// Sample value = 10 × y + x + 100 × plane (8-bit) so every pixel tells where it came from.
Image Numbered(std::int32_t width, std::int32_t height, std::int16_t planes, std::int32_t depth) {
    Image image = Image::Make(width, height, planes, depth);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            for (std::int16_t p = 0; p < planes; ++p) image.SetSample(x, y, p, std::uint32_t(10 * y + x + 100 * p));
    return image;
}

FilterRecord Request(const Rect& in, const Rect& out, int lo, int hi) {
    FilterRecord record{};
    record.inRect = in;
    record.outRect = out;
    record.inLoPlane = record.outLoPlane = std::int16_t(lo);
    record.inHiPlane = record.outHiPlane = std::int16_t(hi);
    record.inputRate = record.maskRate = 0x10000;
    record.inputPadding = record.outputPadding = record.maskPadding = plugInWantsErrorOnBoundsException;
    return record;
}

std::uint8_t InByte(const FilterRecord& record, int row, int column, int plane, int planes) {
    return static_cast<const std::uint8_t*>(record.inData)[row * record.inRowBytes + column * planes + plane];
}

TEST(PixelsTest, RequestedPlanesOfTheRectangleArriveInterleaved) {
    const Image source = Numbered(8, 6, 4, 8);
    Image output = source;
    PixelService pixels(source, output);
    FilterRecord record = Request({1, 2, 4, 5}, {0, 0, 0, 0}, 1, 2);
    RunTrace trace;
    std::string error;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr) << error;
    EXPECT_EQ(record.inRowBytes, 3 * 2);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            for (int p = 0; p < 2; ++p)
                EXPECT_EQ(InByte(record, row, column, p, 2), 10 * (1 + row) + (2 + column) + 100 * (1 + p));
    EXPECT_EQ(static_cast<void*>(record.outData), nullptr);
}

TEST(PixelsTest, SamplingRateStepsThroughTheImage) {
    const Image source = Numbered(8, 8, 1, 8);
    Image output = source;
    PixelService pixels(source, output);
    FilterRecord record = Request({0, 0, 4, 4}, {0, 0, 0, 0}, 0, 0);
    record.inputRate = 2 << 16;
    RunTrace trace;
    std::string error;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr) << error;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(InByte(record, row, column, 0, 1), 10 * (2 * row) + 2 * column);
}

TEST(PixelsTest, PaddingFillsReplicatesOrRefuses) {
    const Image source = Numbered(4, 4, 1, 8);
    Image output = source;
    PixelService pixels(source, output);
    RunTrace trace;
    std::string error;

    FilterRecord record = Request({-1, -1, 2, 2}, {0, 0, 0, 0}, 0, 0);
    record.inputPadding = 255;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr);
    EXPECT_EQ(InByte(record, 0, 0, 0, 1), 255);
    EXPECT_EQ(InByte(record, 1, 1, 0, 1), 0);  // image pixel (0, 0)

    record.inputPadding = plugInWantsEdgeReplication;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr);
    EXPECT_EQ(InByte(record, 0, 0, 0, 1), 0);
    EXPECT_EQ(InByte(record, 0, 2, 0, 1), 1);  // row -1 replicates row 0

    record.inputPadding = plugInWantsErrorOnBoundsException;
    EXPECT_NE(pixels.Serve(record, trace, &error), noErr);
    EXPECT_NE(error.find("outside the image"), std::string::npos);
}

TEST(PixelsTest, SixteenBitFillIsScaledToFullScale32768) {
    const Image source = Numbered(2, 2, 1, 16);
    Image output = source;
    PixelService pixels(source, output);
    FilterRecord record = Request({0, 2, 1, 3}, {0, 0, 0, 0}, 0, 0);
    record.inputPadding = 255;
    RunTrace trace;
    std::string error;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr);
    EXPECT_EQ(static_cast<const std::uint16_t*>(record.inData)[0], 32768);
}

TEST(PixelsTest, OutputIsWrittenBackOnlyInsideTheImageAndPlanes) {
    const Image source = Numbered(4, 3, 3, 8);
    Image output = source;
    PixelService pixels(source, output);
    FilterRecord record = Request({0, 0, 0, 0}, {1, 2, 4, 6}, 1, 1);  // runs past the right and bottom
    record.outputPadding = 0;
    RunTrace trace;
    std::string error;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr);
    auto* out = static_cast<std::uint8_t*>(record.outData);
    EXPECT_EQ(out[0], source.Sample(2, 1, 1));  // the output arrives with its current content
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column) out[row * record.outRowBytes + column] = 7;
    pixels.Commit();
    for (std::int32_t y = 0; y < 3; ++y)
        for (std::int32_t x = 0; x < 4; ++x)
            for (std::int16_t p = 0; p < 3; ++p) {
                const bool written = y >= 1 && x >= 2 && p == 1;
                EXPECT_EQ(output.Sample(x, y, p), written ? 7u : source.Sample(x, y, p)) << x << "," << y << "," << p;
            }
}

TEST(PixelsTest, BadPlaneRangesAreRefused) {
    const Image source = Numbered(4, 4, 3, 8);
    Image output = source;
    PixelService pixels(source, output);
    RunTrace trace;
    std::string error;
    for (auto [lo, hi] : {std::pair{0, 3}, std::pair{-1, 1}, std::pair{2, 1}}) {
        FilterRecord record = Request({0, 0, 2, 2}, {0, 0, 0, 0}, lo, hi);
        EXPECT_EQ(pixels.Serve(record, trace, &error), paramErr) << lo << ".." << hi;
    }
}

TEST(PixelsTest, MaskArrivesSampledWhenTheImageHasOne) {
    Image source = Numbered(4, 4, 3, 8);
    source.mask.assign(16, 0);
    source.mask[2 * 4 + 2] = 255;
    Image output = source;
    PixelService pixels(source, output);
    FilterRecord record = Request({0, 0, 0, 0}, {0, 0, 0, 0}, 0, 2);
    record.maskRect = {0, 0, 2, 2};
    record.maskRate = 2 << 16;
    RunTrace trace;
    std::string error;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr);
    ASSERT_NE(static_cast<void*>(record.maskData), nullptr);
    const auto* mask = static_cast<const std::uint8_t*>(record.maskData);
    EXPECT_EQ(mask[0], 0);
    EXPECT_EQ(mask[record.maskRowBytes + 1], 255);  // image pixel (2, 2)
}

TEST(PixelsTest, BigDocumentRectanglesAreReadWhenThePlugInAsksForThem) {
    const Image source = Numbered(6, 6, 1, 8);
    Image output = source;
    PixelService pixels(source, output);
    FilterRecord record = Request({0, 0, 1, 1}, {0, 0, 0, 0}, 0, 0);
    BigDocumentStruct big{};
    big.inRect32 = {3, 3, 5, 6};
    record.bigDocumentData = &big;
    RunTrace trace;
    std::string error;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr);
    EXPECT_EQ(InByte(record, 0, 0, 0, 1), 0);  // the 16-bit rectangle: PluginUsing32BitCoordinates is 0
    big.PluginUsing32BitCoordinates = 1;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr);
    EXPECT_EQ(InByte(record, 0, 0, 0, 1), 33);
    EXPECT_EQ(InByte(record, 1, 2, 0, 1), 45);
}

TEST(PixelsTest, WholePlanesInsideTheImageAreServedFromTheImageItself) {
    const Image source = Numbered(6, 5, 3, 8);
    Image output = source;
    PixelService pixels(source, output);
    FilterRecord record = Request({1, 2, 4, 6}, {2, 1, 4, 4}, 0, 2);
    RunTrace trace;
    std::string error;
    ASSERT_EQ(pixels.Serve(record, trace, &error), noErr) << error;
    EXPECT_EQ(record.inData, source.data.data() + (1 * 6 + 2) * 3);
    EXPECT_EQ(record.inRowBytes, 6 * 3);
    EXPECT_EQ(InByte(record, 2, 3, 1, 3), 10 * 3 + 5 + 100);
    // The output goes straight into the host's output image.
    auto* out = static_cast<std::uint8_t*>(record.outData);
    out[record.outRowBytes + 2 * 3] = 77;  // pixel (3, 3), plane 0
    pixels.Commit();
    EXPECT_EQ(output.Sample(3, 3, 0), 77u);
    EXPECT_EQ(source.Sample(3, 3, 0), 33u);
}

}  // namespace
