// The render driver's conversions and centre.
#include "generate/render_convert.h"
#include "generate/render_driver.h"
#include "params/params.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(RenderConvert, FullCoverageReproducesTheColourExactly) {
    const int n = 256;
    std::vector<std::uint8_t> host(n * 3), working(n * 4), back(n * 3, 7);
    for (int i = 0; i < n * 3; ++i) host[i] = std::uint8_t(i * 37 + 11);
    HostToWorking({host.data(), n * 3, 3}, false, n, 1, working.data(), n * 4, 0, 0);
    for (int i = 0; i < n; ++i) EXPECT_EQ(working[i * 4], 255);
    WorkingToHost(working.data(), n * 4, 0, 0, false, n, 1, {back.data(), n * 3, 3}, nullptr);
    EXPECT_EQ(host, back);
}

TEST(RenderConvert, TheRenderersOrderPutsCoverageLastBothWays) {
    const std::uint8_t host[2 * 4] = {10, 20, 30, 40, 50, 60, 70, 80};
    std::uint8_t working[2 * 4] = {}, first[2 * 4] = {};
    HostToWorking({const_cast<std::uint8_t*>(host), 8, 4}, false, 2, 1, working, 8, 0, 0, WorkingOrder::CoverageLast);
    HostToWorking({const_cast<std::uint8_t*>(host), 8, 4}, false, 2, 1, first, 8, 0, 0);
    const std::uint8_t expected[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    EXPECT_EQ(0, std::memcmp(working, expected, 8));
    EXPECT_EQ(first[0], 40);
    EXPECT_EQ(first[1], 10);
    // Three planes: the colour composited over black by the coverage in the last sample.
    const std::uint8_t half[4] = {200, 100, 50, 128};
    std::uint8_t out[3];
    WorkingToHost(half, 4, 0, 0, false, 1, 1, {out, 3, 3}, nullptr, WorkingOrder::CoverageLast);
    EXPECT_EQ(out[0], std::uint8_t(200.0f * (128.0f / 255.0f)));
    EXPECT_EQ(out[2], std::uint8_t(50.0f * (128.0f / 255.0f)));
}

TEST(RenderConvert, PartialCoverageCompositesOverBlackTruncated) {
    std::uint8_t working[4] = {128, 200, 255, 3};
    std::uint8_t out[3];
    WorkingToHost(working, 4, 0, 0, false, 1, 1, {out, 3, 3}, nullptr);
    EXPECT_EQ(out[0], std::uint8_t(200.0f * (128.0f / 255.0f)));
    EXPECT_EQ(out[1], 128);
    EXPECT_EQ(out[2], 1);
}

TEST(RenderConvert, TransparencyBecomesCoverageAndAFifthPlaneIsCopied) {
    std::uint8_t host[5] = {10, 20, 30, 40, 50};
    std::uint8_t working[4];
    HostToWorking({host, 5, 5}, false, 1, 1, working, 4, 0, 0);
    EXPECT_EQ(working[0], 40);
    EXPECT_EQ(working[1], 10);
    working[0] = 99;  // the result's coverage
    std::uint8_t out[5] = {};
    const HostPixels in{host, 5, 5};
    WorkingToHost(working, 4, 0, 0, false, 1, 1, {out, 5, 5}, &in);
    EXPECT_EQ(out[3], 99);
    EXPECT_EQ(out[4], 50);
    EXPECT_EQ(out[0], 10);
}

TEST(RenderConvert, SixteenBitFullScaleIs32768) {
    std::uint16_t host[3] = {32768, 16384, 0};
    std::uint16_t working[4];
    HostToWorking({reinterpret_cast<std::uint8_t*>(host), 6, 3}, true, 1, 1,
                  reinterpret_cast<std::uint8_t*>(working), 8, 0, 0);
    EXPECT_EQ(working[0], 32768);
    std::uint16_t out[3];
    WorkingToHost(reinterpret_cast<std::uint8_t*>(working), 8, 0, 0, true, 1, 1,
                  {reinterpret_cast<std::uint8_t*>(out), 6, 3}, nullptr);
    EXPECT_EQ(std::memcmp(out, host, sizeof host), 0);
    working[0] = 16384;  // half coverage halves the colour
    WorkingToHost(reinterpret_cast<std::uint8_t*>(working), 8, 0, 0, true, 1, 1,
                  {reinterpret_cast<std::uint8_t*>(out), 6, 3}, nullptr);
    EXPECT_EQ(out[0], 16384);
    EXPECT_EQ(out[1], 8192);
}

TEST(RenderDriver, CentreZeroIsTheMiddleAndPositiveCenterYMovesUp) {
    RimelaceParams p{};
    ResetParams(p);
    float cx, cy;
    EffectCentre(p, 400, 300, 0, 0, cx, cy);
    EXPECT_FLOAT_EQ(cx, 200);
    EXPECT_FLOAT_EQ(cy, 150);
    p.CenterY = 500;
    p.CenterX = -1000;
    EffectCentre(p, 400, 300, 0, 0, cx, cy);
    EXPECT_FLOAT_EQ(cy, 75);
    EXPECT_FLOAT_EQ(cx, 0);
    EffectCentre(p, 400, 300, 10, 20, cx, cy);
    EXPECT_FLOAT_EQ(cx, -10);
    EXPECT_FLOAT_EQ(cy, 55);
}

}  // namespace
