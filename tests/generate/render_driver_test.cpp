// The render driver as a host drives it: the real module through the stand-in host.
#include "host/standin/standin.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using standin::Host;
using standin::HostKind;
using standin::HostOptions;
using standin::Image;

std::unique_ptr<Host> LoadedHost(HostOptions options = {}) {
    options.parametersCall = standin::ParametersCall::Never;
    auto host = std::make_unique<Host>(std::move(options));
    std::string error;
    EXPECT_TRUE(host->Load(LORVEX_MODULE_PATH, &error)) << error;
    return host;
}

Image Picture(std::int32_t width, std::int32_t height, std::int16_t planes, std::int32_t depth, unsigned seed) {
    Image image = Image::Make(width, height, planes, depth);
    std::mt19937 random(seed);
    const std::uint32_t top = depth == 16 ? 32768 : 255;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            for (std::int16_t p = 0; p < planes; ++p)
                image.SetSample(x, y, p, p == 3 ? top : (x * 3 + y * 5 + p * 40 + random() % 8) % (top + 1));
    return image;
}

Image Filtered(HostOptions options, Image image) {
    auto host = LoadedHost(std::move(options));
    const standin::RunResult result = host->Run(image);
    EXPECT_EQ(result.code, noErr) << result.error;
    return image;
}

TEST(RenderDriver, TheFilterChangesAnRgbImageAndRepeatsItselfByteForByte) {
    for (std::int32_t depth : {8, 16})
        for (std::int16_t planes : {3, 4}) {
            const Image input = Picture(200, 150, planes, depth, 5);
            const Image a = Filtered({}, input), b = Filtered({}, input);
            EXPECT_NE(a.data, input.data) << depth << " " << planes;
            EXPECT_EQ(a.data, b.data) << depth << " " << planes;
        }
}

TEST(RenderDriver, StripsGiveTheSameBytesAsTheWholeImage) {
    for (HostKind kind : {HostKind::Photoshop, HostKind::NoAdvanceState})
        for (std::int16_t planes : {3, 5}) {
            const Image input = Picture(180, 130, planes, 8, 9);
            const Image whole = Filtered({}, input);
            HostOptions small;
            small.kind = kind;
            small.maxSpace = 180 * (1 + 2 * planes) * 17;  // 17 rows a strip: 8 strips, the last short
            const Image strips = Filtered(small, input);
            EXPECT_EQ(strips.data, whole.data) << int(kind) << " " << planes;
        }
}

TEST(RenderDriver, GrayscaleAndCmykPassThroughUnchangedAfterTheWarning) {
#ifdef _WIN32
    GTEST_SKIP() << "the warning is a modal message box on Windows";
#endif
    Image gray = Picture(64, 48, 1, 8, 1);
    gray.imageMode = plugInModeGrayScale;
    Image gray16 = Picture(64, 48, 1, 16, 2);
    gray16.imageMode = plugInModeGray16;
    Image cmyk = Picture(64, 48, 4, 8, 3);
    cmyk.imageMode = plugInModeCMYKColor;
    for (const Image& input : {gray, gray16, cmyk}) {
        testing::internal::CaptureStderr();
        const Image output = Filtered({}, input);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(output.data, input.data);
        EXPECT_NE(said.find("dont support this image mode"), std::string::npos) << said;
        EXPECT_NE(said.find("warning: Sory"), std::string::npos) << "with the warning icon: " << said;
    }
}

}  // namespace
