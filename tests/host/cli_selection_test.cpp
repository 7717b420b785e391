// The selection image of `rimelace apply`: unselected pixels come out exactly as they went in, and
// a grey (feathered) selection blends the filter's output into the input by its value.

#include <gtest/gtest.h>

#include "cli_run.h"
#include "cli_test_images.h"
#include "host/cli/image_file.h"

namespace rimelace_cli {
namespace {

using testing::CliResult;
using testing::NoiseImage;
using testing::RunCli;
using testing::TempFolder;

const std::string kModule = RIMELACE_MODULE;

CliResult Apply(const std::string& in, const std::string& out, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"apply", in, out, "--quiet", "--module", kModule};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
}

Image GrayMask(int width, int height, int (*value)(int x, int y)) {
    Image mask = NoiseImage(width, height, ColorModel::Gray, false, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) mask.samples[std::size_t(y) * width + x] = std::uint16_t(value(x, y));
    return mask;
}

TEST(CliSelection, PixelsOutsideTheSelectionStayExactlyAsTheyWere) {
    TempFolder folder;
    const Image input = NoiseImage(200, 200, ColorModel::RGB, false, 8, 3);
    WriteImage(folder.File("in.png"), input);
    WriteImage(folder.File("mask.png"),
               GrayMask(200, 200, [](int x, int y) { return x >= 50 && x < 150 && y >= 50 && y < 150 ? 255 : 0; }));
    const CliResult r = Apply(folder.File("in.png"), folder.File("out.png"),
                              {"--selection", folder.File("mask.png"), "--effect", "Geometric 1", "--set", "MaskKind=7"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Image output = ReadImage(folder.File("out.png"));
    std::size_t outsideChanged = 0, insideChanged = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool inside = x >= 50 && x < 150 && y >= 50 && y < 150;
            for (int c = 0; c < 3; ++c) {
                const std::size_t at = (std::size_t(y) * 200 + x) * 3 + c;
                if (output.samples[at] != input.samples[at]) ++(inside ? insideChanged : outsideChanged);
            }
        }
    EXPECT_EQ(outsideChanged, 0u);
    EXPECT_GT(insideChanged, 1000u) << "the pattern grows inside the selection";
}

// A ramp from black to white: each sample moves from the input towards the unmasked result by the
// selection's value / 255, rounded to nearest.
TEST(CliSelection, AGreySelectionBlendsTheResultByItsValue) {
    TempFolder folder;
    const Image input = NoiseImage(256, 40, ColorModel::RGB, false, 8, 4);
    WriteImage(folder.File("in.png"), input);
    WriteImage(folder.File("ramp.png"), GrayMask(256, 40, [](int x, int) { return x; }));
    ASSERT_EQ(Apply(folder.File("in.png"), folder.File("full.png")).status, 0);
    const CliResult r = Apply(folder.File("in.png"), folder.File("blend.png"), {"--selection", folder.File("ramp.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    const Image full = ReadImage(folder.File("full.png"));
    const Image blend = ReadImage(folder.File("blend.png"));
    std::size_t mismatches = 0, changed = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 256; ++x)
            for (int c = 0; c < 3; ++c) {
                const std::size_t at = (std::size_t(y) * 256 + x) * 3 + c;
                const int before = input.samples[at], after = full.samples[at];
                const int delta = (after - before) * x;
                const int expected = before + (delta >= 0 ? (delta + 127) / 255 : -((-delta + 127) / 255));
                mismatches += blend.samples[at] != expected;
                changed += after != before;
            }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_GT(changed, 1000u);
}

TEST(CliSelection, HelpSaysHowTheSelectionImageIsRead) {
    const CliResult help = RunCli({"apply", "--help"});
    ASSERT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("brightest colour sample"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("unselected pixels stay as"), std::string::npos) << help.out;
}

} // namespace
} // namespace rimelace_cli
