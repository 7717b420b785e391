// The rimelace program end to end, on temporary files: pass-through round trips in every mode,
// depth and host behaviour; bad input refused with one clear line and nothing written; actions
// recorded and replayed; the demo.

#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>

#include "cli_run.h"
#include "cli_test_images.h"
#include "host/cli/image_file.h"

namespace rimelace_cli {
namespace {

using testing::CliResult;
using testing::CountFiles;
using testing::FileExists;
using testing::MaxDifference;
using testing::NoiseImage;
using testing::ReadBytes;
using testing::RunCli;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kModule = RIMELACE_MODULE;

CliResult Apply(const std::string& in, const std::string& out, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"apply", in, out, "--quiet", "--module", kModule};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
}

std::string Show(const CliResult& r) {
    return "status " + std::to_string(r.status) + ", stderr: " + r.err;
}

// Gray and CMYK images pass through the filter unchanged: what goes in comes out, exactly at
// 8 bits, within one level of 65535 at 16. (RGB images are frosted.)
TEST(CliApply, PassThroughGivesTheInputBackInEveryModeDepthAndHostBehaviour) {
    TempFolder folder;
    struct Mode {
        const char* ext;
        ColorModel color;
        bool alpha;
        int depth;
    };
    std::vector<Mode> modes;
    for (ColorModel color : {ColorModel::Gray})
        for (bool alpha : {false, true})
            for (int depth : {8, 16}) {
                modes.push_back({"png", color, alpha, depth});
                modes.push_back({"tif", color, alpha, depth});
            }
    for (bool alpha : {false, true})
        for (int depth : {8, 16})
            modes.push_back({"tif", ColorModel::CMYK, alpha, depth});

    for (const char* host : {"photoshop", "premiere", "no-advance-state"}) {
        for (const Mode& m : modes) {
            const std::string what = std::string(host) + " " + m.ext + " channels " +
                                     std::to_string(int(m.color)) + (m.alpha ? "+alpha " : " ") +
                                     std::to_string(m.depth);
            const Image image = NoiseImage(29, 17, m.color, m.alpha, m.depth, 5);
            const std::string in = folder.File(std::string("in.") + m.ext);
            const std::string out = folder.File(std::string("out.") + m.ext);
            WriteImage(in, image);
            const std::string before = ReadBytes(in);
            const CliResult r = Apply(in, out, {"--host", host});
            ASSERT_EQ(r.status, 0) << what << ": " << Show(r);
            const Image back = ReadImage(out);
            EXPECT_EQ(MaxDifference(image, back), m.depth == 8 ? 0 : 1) << what;
            EXPECT_EQ(ReadBytes(in), before) << "input untouched: " << what;
        }
    }
    EXPECT_EQ(CountFiles(folder.Path()), 4) << "no temporary files left";
}

// A panorama wider than 32767 pixels goes through the host's 32-bit rectangles and is frosted
// along its whole length (it once ended with "a host call was given a bad argument").
TEST(CliApply, APanoramaWiderThan32767PixelsIsFrostedAlongItsWholeLength) {
    TempFolder folder;
    const Image image = testing::SmoothImage(40000, 100, ColorModel::RGB);
    const std::string in = folder.File("panorama.png"), out = folder.File("frosted.png");
    WriteImage(in, image);
    const CliResult r = Apply(in, out);
    ASSERT_EQ(r.status, 0) << Show(r);
    const Image back = ReadImage(out);
    ASSERT_EQ(back.width, image.width);
    ASSERT_EQ(back.height, image.height);
    // Every fifth of the length has frost on it.
    const int fifth = image.width / 5;
    for (int part = 0; part < 5; ++part) {
        std::size_t changed = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = part * fifth; x < (part + 1) * fifth; ++x) {
                const std::size_t at = (std::size_t(y) * image.width + x) * 3;
                if (!std::equal(&image.samples[at], &image.samples[at] + 3, &back.samples[at])) ++changed;
            }
        EXPECT_GT(changed, std::size_t(fifth) * image.height / 20) << "fifth " << part;
    }
}

TEST(CliApply, JpegInputAndOutputTypesFollowTheNames) {
    TempFolder folder;
    const Image image = testing::SmoothImage(40, 30, ColorModel::Gray);
    WriteImage(folder.File("in.jpg"), image);
    const Image decoded = ReadImage(folder.File("in.jpg"));
    ASSERT_EQ(Apply(folder.File("in.jpg"), folder.File("out.png")).status, 0);
    EXPECT_EQ(MaxDifference(decoded, ReadImage(folder.File("out.png"))), 0)
        << "JPEG in, PNG out: the decoded pixels";
    ASSERT_EQ(Apply(folder.File("out.png"), folder.File("again.tiff")).status, 0);
    EXPECT_EQ(MaxDifference(decoded, ReadImage(folder.File("again.tiff"))), 0);
}

TEST(CliApply, SelectionOfTheImagesSizeIsAcceptedAndAnotherSizeRefused) {
    TempFolder folder;
    WriteImage(folder.File("in.png"), NoiseImage(20, 10, ColorModel::RGB, false, 8));
    Image mask = NoiseImage(20, 10, ColorModel::Gray, false, 8);
    for (std::size_t i = 0; i < mask.samples.size(); ++i)
        mask.samples[i] = i % 20 < 10 ? 255 : 0;
    WriteImage(folder.File("mask.png"), mask);
    EXPECT_EQ(
        Apply(folder.File("in.png"), folder.File("out.png"), {"--selection", folder.File("mask.png")}).status,
        0);
    WriteImage(folder.File("small.png"), NoiseImage(5, 5, ColorModel::Gray, false, 8));
    const CliResult r =
        Apply(folder.File("in.png"), folder.File("out2.png"), {"--selection", folder.File("small.png")});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("5 x 5"), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists(folder.File("out2.png")));
}

// Every refusal: non-zero status, exactly one line "rimelace: ..." naming the culprit, no output
// file, no temporary file, the input as it was.
void ExpectRefused(const TempFolder& folder, const std::string& in, const std::string& out,
                   const std::vector<std::string>& extra, const std::string& mention) {
    const std::string before = FileExists(in) ? ReadBytes(in) : "";
    const int files = CountFiles(folder.Path());
    const CliResult r = Apply(in, out, extra);
    EXPECT_NE(r.status, 0) << mention;
    EXPECT_EQ(testing::LineCount(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("rimelace: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(mention), std::string::npos) << "wanted \"" << mention << "\" in: " << r.err;
    if (out != in) {
        EXPECT_FALSE(FileExists(out)) << mention;
    }
    EXPECT_EQ(CountFiles(folder.Path()), files) << "nothing added: " << mention;
    if (!before.empty()) {
        EXPECT_EQ(ReadBytes(in), before);
    }
}

TEST(CliApply, BadInputIsRefusedWithOneClearLineAndNothingWritten) {
    TempFolder folder;
    const std::string in = folder.File("in.png");
    const std::string out = folder.File("out.png");
    WriteImage(in, NoiseImage(64, 48, ColorModel::RGB, false, 8));
    const std::string bytes = ReadBytes(in);
    WriteBytes(folder.File("cut.png"), bytes.substr(0, bytes.size() / 2));
    WriteBytes(folder.File("text.png"), "hello\n");
    WriteBytes(folder.File("a-file"), "x");
    WriteImage(folder.File("deep.png"), NoiseImage(8, 8, ColorModel::RGB, false, 16));

    ExpectRefused(folder, folder.File("missing.png"), out, {}, "missing.png");
    ExpectRefused(folder, folder.File("cut.png"), out, {}, "cut.png");
    ExpectRefused(folder, folder.File("text.png"), out, {}, "not a PNG, TIFF or JPEG image");
    ExpectRefused(folder, in, out, {"--preset", folder.File("none.ipt")}, "none.ipt");
    ExpectRefused(folder, in, out, {"--preset", folder.File("text.png")}, "not a preset file");
    ExpectRefused(folder, in, out, {"--set", "Widht=80"}, "Widht");
    ExpectRefused(folder, in, out, {"--set", "Width=wide"}, "wide");
    ExpectRefused(folder, in, out, {"--effect", "Frosty 1"}, "Frosty 1");
    ExpectRefused(folder, in, folder.File("no/such/folder/out.png"), {}, "does not exist");
    ExpectRefused(folder, in, folder.File("a-file/out.png"), {}, "a-file");
    ExpectRefused(folder, in, folder.File("out.bmp"), {}, "out.bmp");
    ExpectRefused(folder, folder.File("deep.png"), folder.File("deep.jpg"), {}, "16-bit");
    ExpectRefused(folder, in, out, {"--module", folder.File("nomodule.so")}, "nomodule.so");
    ExpectRefused(folder, in, out, {"--max-space", "0"}, "--max-space");
    ExpectRefused(folder, in, in, {}, "is the input file");
    if (geteuid() != 0) { // permissions do not bind the superuser
        const std::string locked = folder.File("locked");
        mkdir(locked.c_str(), 0555);
        ExpectRefused(folder, in, locked + "/out.png", {}, "not writable");
    }
}

TEST(CliApply, WrongUsageExitsTwoAndHelpExitsZero) {
    EXPECT_EQ(RunCli({}).status, 2);
    EXPECT_EQ(RunCli({"apply", "only-one.png"}).status, 2);
    EXPECT_EQ(RunCli({"apply", "a.png", "b.png", "--host", "gimp"}).status, 2);
    EXPECT_EQ(RunCli({"apply", "a.png", "b.png", "--max-space", "lots"}).status, 2);
    const CliResult help = RunCli({"apply", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--record"), std::string::npos);
}

std::string Item(const std::string& action, const std::string& key) {
    const auto at = action.find("{\"key\":\"" + key + "\"");
    if (at == std::string::npos) return "";
    return action.substr(at, action.find('}', at) - at + 1);
}

TEST(CliApply, RecordedActionReplaysToTheSameRecordAndTheSamePicture) {
    TempFolder folder;
    const std::string in = folder.File("in.png");
    WriteImage(in, NoiseImage(32, 24, ColorModel::RGB, true, 8));
    const CliResult first = Apply(in, folder.File("a.png"),
                                  {"--effect", "Single 4", "--set", "Width=80", "--set", "RandomSeed=9",
                                   "--record", folder.File("a.json")});
    ASSERT_EQ(first.status, 0) << Show(first);
    const std::string recorded = ReadBytes(folder.File("a.json"));
    EXPECT_EQ(Item(recorded, "Wdth"), "{\"key\":\"Wdth\",\"type\":\"UntF\",\"unit\":\"#Rlt\",\"value\":80.0}")
        << recorded;
    EXPECT_EQ(Item(recorded, "EfKn"), "{\"key\":\"EfKn\",\"type\":\"long\",\"value\":3}");
    EXPECT_EQ(Item(recorded, "PtrK"), "{\"key\":\"PtrK\",\"type\":\"long\",\"value\":4}");
    EXPECT_EQ(Item(recorded, "RndS"), "{\"key\":\"RndS\",\"type\":\"long\",\"value\":9}");
    EXPECT_EQ(Item(recorded, "AtUp"), "{\"key\":\"AtUp\",\"type\":\"bool\",\"value\":true}");
    EXPECT_LT(recorded.find("\"AtUp\""), recorded.find("\"CtnX\"")) << "the plug-in's order";

    const CliResult second = Apply(in, folder.File("b.png"),
                                   {"--replay", folder.File("a.json"), "--record", folder.File("b.json")});
    ASSERT_EQ(second.status, 0) << Show(second);
    EXPECT_EQ(ReadBytes(folder.File("b.json")), recorded);
    EXPECT_EQ(ReadBytes(folder.File("b.png")), ReadBytes(folder.File("a.png")));
}

TEST(CliApply, BadActionFilesSayWhereAndReplayStandsAlone) {
    TempFolder folder;
    const std::string in = folder.File("in.png");
    WriteImage(in, NoiseImage(8, 8, ColorModel::RGB, false, 8));
    WriteBytes(
        folder.File("syntax.json"),
        "{\"playInfo\": \"silent\",\n \"descriptor\": [\n  {\"key\": \"Wdth\" \"type\": \"UntF\"}]}\n");
    ExpectRefused(folder, in, folder.File("out.png"), {"--replay", folder.File("syntax.json")},
                  "syntax.json: line 3, column");
    WriteBytes(folder.File("type.json"),
               "{\"descriptor\": [{\"key\": \"Wdth\", \"type\": \"UntF\", \"value\": true}]}");
    ExpectRefused(folder, in, folder.File("out.png"), {"--replay", folder.File("type.json")},
                  "descriptor[0].value");
    WriteBytes(folder.File("ok.json"), "{\"playInfo\": \"silent\", \"descriptor\": []}");
    ExpectRefused(folder, in, folder.File("out.png"),
                  {"--replay", folder.File("ok.json"), "--set", "Width=3"}, "--replay");
    EXPECT_EQ(Apply(in, folder.File("out.png"), {"--replay", folder.File("ok.json")}).status, 0)
        << "an empty action plays";
}

TEST(CliApply, CtrlCCancelsTheRunAndLeavesNoFile) {
    TempFolder folder;
    const std::string in = folder.File("big.tif");
    WriteImage(in, NoiseImage(2400, 1600, ColorModel::RGB, true, 8));
    const std::string out = folder.File("out.png");
    CliResult r = RunCli({"apply", in, out, "--quiet", "--module", kModule}, "", 150);
    if (r.interrupted && r.status == -1) {
        // Under the sanitizers the program starts slower: the signal came before its handler.
        EXPECT_FALSE(FileExists(out));
        r = RunCli({"apply", in, out, "--quiet", "--module", kModule}, "", 1500);
    }
    if (!r.interrupted) GTEST_SKIP() << "the run ended before the signal";
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(r.err, "rimelace: cancelled (Ctrl-C); nothing was written\n");
    EXPECT_FALSE(FileExists(out));
    EXPECT_EQ(CountFiles(folder.Path()), 1) << "no temporary file left";
}

TEST(CliDemo, WritesTheSamplePictureFilteredToDemoPngByDefault) {
    TempFolder folder;
    const CliResult r = RunCli({"demo", "--quiet", "--module", kModule}, folder.Path());
    ASSERT_EQ(r.status, 0) << Show(r);
    const Image image = ReadImage(folder.File("demo.png"));
    EXPECT_EQ(image.width, 1600);
    EXPECT_EQ(image.height, 1200);
    EXPECT_EQ(image.color, ColorModel::RGB);
    const CliResult named = RunCli({"demo", folder.File("d.tif"), "--quiet", "--module", kModule});
    ASSERT_EQ(named.status, 0) << Show(named);
    EXPECT_EQ(MaxDifference(image, ReadImage(folder.File("d.tif"))), 0);
}

} // namespace
} // namespace rimelace_cli
