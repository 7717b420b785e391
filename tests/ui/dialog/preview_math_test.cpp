// The preview's arithmetic: fit, zoom steps, the visible view with its pan limits, and the
// sampled source turned into the preview's buffer.
#include "ui/dialog/preview_math.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(PreviewFit, WholeImageFitsTheWindowRoundedToAnInteger) {
    EXPECT_EQ(PreviewFitFor(4000, 3000, 400, 300), 10.0f);
    EXPECT_EQ(PreviewFitFor(4000, 1000, 400, 300), 10.0f);   // width decides
    EXPECT_EQ(PreviewFitFor(1000, 3000, 400, 300), 10.0f);   // height decides
    EXPECT_EQ(PreviewFitFor(1000, 700, 400, 300), 3.0f);     // 2.5 and 2.33: 2.5 rounds up
    EXPECT_EQ(PreviewFitFor(570, 300, 400, 300), 1.0f);      // 1.425 rounds down
    EXPECT_EQ(PreviewFitFor(100, 50, 400, 300), 1.0f);       // smaller than the window
    EXPECT_EQ(PreviewFitFor(1, 1, 400, 300), 1.0f);
    EXPECT_EQ(PreviewFitFor(30000, 200, 400, 300), 75.0f);
    EXPECT_EQ(PreviewFitFor(4000, 3000, 0, 300), 1.0f);      // no window: no reduction
}

TEST(PreviewZoom, FourthZoomInOnA4000By3000ImageIsRefused) {
    const float fit = PreviewFitFor(4000, 3000, 400, 300);
    float scale = 1.0f;
    std::vector<float> zooms;
    for (int click = 1; click <= 4; ++click) {
        const ZoomStep step = ZoomInStep(scale, fit);
        EXPECT_EQ(step.disable, click == 4) << click;
        scale = step.scale;
        zooms.push_back(PreviewZoomFor(fit, scale));
    }
    EXPECT_EQ(zooms, (std::vector<float>{5, 2, 1, 1}));
    EXPECT_EQ(scale, 0.125f);
}

TEST(PreviewZoom, ImageSmallerThanTheWindowRefusesTheFirstZoomIn) {
    const ZoomStep step = ZoomInStep(1.0f, PreviewFitFor(200, 100, 400, 300));
    EXPECT_TRUE(step.disable);
    EXPECT_EQ(step.scale, 1.0f);
}

TEST(PreviewZoom, ZoomOutDoublesAndStopsAtTheWholeImage) {
    ZoomStep step = ZoomOutStep(0.125f);
    EXPECT_EQ(step.scale, 0.25f);
    EXPECT_FALSE(step.disable);
    step = ZoomOutStep(0.5f);
    EXPECT_EQ(step.scale, 1.0f);
    EXPECT_TRUE(step.disable);
    step = ZoomOutStep(1.0f);
    EXPECT_EQ(step.scale, 1.0f);
    EXPECT_TRUE(step.disable);
}

TEST(PreviewView, WholeImageAtTheFitStartsAtTheOriginWithoutPan) {
    const PreviewView view = PreviewViewFor(0, 0, 3000, 4000, 400, 300, 10, 55, 66);
    EXPECT_EQ(view.top, 0);
    EXPECT_EQ(view.left, 0);
    EXPECT_EQ(view.width(), 400);
    EXPECT_EQ(view.height(), 300);
    EXPECT_EQ(view.panX, 0);
    EXPECT_EQ(view.panY, 0);
}

TEST(PreviewView, PanStopsAtTheImageEndAndAtZero) {
    // Zoom 5: the reduced image is 800 x 600, so the view may start at most 400 / 300 pixels in.
    PreviewView view = PreviewViewFor(0, 0, 3000, 4000, 400, 300, 5, 10000, 10000);
    EXPECT_EQ(view.panX, 400);
    EXPECT_EQ(view.panY, 300);
    EXPECT_EQ(view.left, 400);
    EXPECT_EQ(view.right, 800);
    EXPECT_EQ(view.bottom, 600);
    view = PreviewViewFor(0, 0, 3000, 4000, 400, 300, 5, -30, -1);
    EXPECT_EQ(view.panX, 0);
    EXPECT_EQ(view.panY, 0);
    view = PreviewViewFor(0, 0, 3000, 4000, 400, 300, 5, 123, 45);
    EXPECT_EQ(view.left, 123);
    EXPECT_EQ(view.top, 45);
    EXPECT_EQ(view.width(), 400);
    // The last reduced pixel samples inside the image.
    EXPECT_LT((view.right - 1) * 5, 4000);
}

TEST(PreviewView, ImageSmallerThanTheWindowIsShownWholeWithoutPan) {
    const PreviewView view = PreviewViewFor(0, 0, 50, 120, 400, 300, 1, 20, 20);
    EXPECT_EQ(view.width(), 120);
    EXPECT_EQ(view.height(), 50);
    EXPECT_EQ(view.panX, 0);
    EXPECT_EQ(view.panY, 0);
}

TEST(PreviewView, ExtremeShapesGiveAtLeastARowOrNothing) {
    PreviewView view = PreviewViewFor(0, 0, 200, 30000, 400, 300, 75, 0, 0);
    EXPECT_EQ(view.width(), 400);
    EXPECT_EQ(view.height(), 2);
    view = PreviewViewFor(0, 0, 1, 1, 400, 300, 1, 0, 0);
    EXPECT_EQ(view.width(), 1);
    EXPECT_EQ(view.height(), 1);
    view = PreviewViewFor(0, 0, 0, 0, 400, 300, 1, 0, 0);
    EXPECT_EQ(view.width(), 0);
    EXPECT_EQ(view.height(), 0);
}

TEST(PreviewView, FilterRectangleAwayFromTheOriginIsViewedFromItsCorner) {
    // A selection's bounds: (1000, 2000) to (2500, 4000), zoom 5 -> starts at reduced (200, 400).
    const PreviewView view = PreviewViewFor(1000, 2000, 2500, 4000, 400, 300, 5, 0, 0);
    EXPECT_EQ(view.top, 200);
    EXPECT_EQ(view.left, 400);
    EXPECT_EQ(view.height(), 300);
    EXPECT_EQ(view.width(), 400);
}

TEST(SampledSource, EightBitPlanesBecomeCoverageRedGreenBlue) {
    const std::uint8_t rgb[] = {10, 20, 30, 40, 50, 60};
    const std::uint8_t rgba[] = {10, 20, 30, 128, 40, 50, 60, 0};
    std::uint8_t out[8] = {};
    SampledToPreview(rgb, 6, 3, 8, 2, 1, out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 8), (std::vector<std::uint8_t>{255, 10, 20, 30, 255, 40, 50, 60}));
    SampledToPreview(rgba, 8, 4, 0, 2, 1, out);  // depth 0 counts as 8
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 8), (std::vector<std::uint8_t>{128, 10, 20, 30, 0, 40, 50, 60}));
}

TEST(SampledSource, RowStrideIsHonouredAndAFifthPlaneIgnored) {
    // Two rows of one 5-plane pixel, rows 8 bytes apart.
    const std::uint8_t five[] = {1, 2, 3, 4, 5, 0, 0, 0, 6, 7, 8, 9, 10, 0, 0, 0};
    std::uint8_t out[8] = {};
    SampledToPreview(five, 8, 5, 8, 1, 2, out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 8), (std::vector<std::uint8_t>{4, 1, 2, 3, 9, 6, 7, 8}));
}

TEST(SampledSource, SixteenBitSamplesAreDividedBy128AndFullScaleIs255) {
    const std::uint16_t wide[] = {32768, 16384, 127, 65535, 32767, 0};
    std::uint8_t bytes[sizeof wide];
    std::memcpy(bytes, wide, sizeof wide);
    std::uint8_t out[8] = {};
    SampledToPreview(bytes, 12, 3, 16, 2, 1, out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 8), (std::vector<std::uint8_t>{255, 255, 128, 0, 255, 255, 255, 0}));
}

TEST(SampledSource, FewerThanThreePlanesOrNoBufferChangesNothing) {
    const std::uint8_t grey[] = {9, 9};
    std::uint8_t out[8] = {7, 7, 7, 7, 7, 7, 7, 7};
    SampledToPreview(grey, 2, 1, 8, 2, 1, out);
    SampledToPreview(nullptr, 2, 3, 8, 2, 1, out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 8), std::vector<std::uint8_t>(8, 7));
}

}  // namespace
