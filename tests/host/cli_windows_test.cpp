// The Windows rimelace.exe under Wine, against the Linux build's rimelace on the same inputs:
// the same pictures (sample for sample), preset files (byte for byte), texts and messages (line
// ends aside: a Windows console program ends its lines with CR LF), and --dialog with the dialog
// probe module. A Linux program; each Windows build registers it as a test of its own, naming
// itself in RIMELACE_WINDOWS_BUILD (the 32-bit build runs only the smoke test).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli_run.h"
#include "cli_test_images.h"
#include "host/cli/image_file.h"

namespace rimelace_cli {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::CountFiles;
using testing::MaxDifference;
using testing::NoiseImage;
using testing::ReadBytes;
using testing::RunCli;
using testing::RunProgram;
using testing::TempFolder;

const std::string kLinuxModule = RIMELACE_MODULE;

std::string WindowsBuild() {
    const char* build = std::getenv("RIMELACE_WINDOWS_BUILD");
    return build ? build : "";
}

// The Windows program with these arguments, through the project's Wine wrapper. Wine itself
// now and then fails to start when two programs start it at once; rimelace never ends in failure
// without a line saying why, so a silent failure is Wine's and the run is tried again.
CliResult Windows(const std::vector<std::string>& args) {
    std::vector<std::string> command = {"/bin/bash", RIMELACE_WINE_RUN, WindowsBuild() + "/rimelace.exe"};
    command.insert(command.end(), args.begin(), args.end());
    CliResult result = RunProgram(command);
    for (int retry = 0; retry < 2 && result.status != 0 && result.out.empty() && result.err.empty(); ++retry)
        result = RunProgram(command);
    return result;
}

std::string Unix(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

std::string Show(const CliResult& r) {
    return "status " + std::to_string(r.status) + ", stderr: " + r.err;
}

class CliWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        if (WindowsBuild().empty() || !fs::exists(WindowsBuild() + "/rimelace.exe"))
            GTEST_SKIP() << "no Windows build named in RIMELACE_WINDOWS_BUILD";
    }
    TempFolder folder;
};

using CliWindowsSmoke = CliWindows;

// The same filter run on both builds: the pictures agree sample for sample.
void ExpectSameApply(const std::string& in, const std::string& linuxOut, const std::string& windowsOut,
                     const std::vector<std::string>& values) {
    std::vector<std::string> linuxArgs = {"apply", in, linuxOut, "--quiet", "--module", kLinuxModule};
    std::vector<std::string> windowsArgs = {"apply", in, windowsOut, "--quiet"};
    linuxArgs.insert(linuxArgs.end(), values.begin(), values.end());
    windowsArgs.insert(windowsArgs.end(), values.begin(), values.end());
    const CliResult linux = RunCli(linuxArgs);
    ASSERT_EQ(linux.status, 0) << Show(linux);
    const CliResult windows = Windows(windowsArgs);
    ASSERT_EQ(windows.status, 0) << Show(windows);
    EXPECT_EQ(windows.err, "");
    EXPECT_EQ(MaxDifference(ReadImage(linuxOut), ReadImage(windowsOut)), 0) << windowsOut;
}

TEST_F(CliWindowsSmoke, ApplyGivesTheLinuxBuildsPicture) {
    const std::string in = folder.File("in.png");
    WriteImage(in, NoiseImage(96, 64, ColorModel::RGB, false, 8, 11));
    ExpectSameApply(in, folder.File("linux.png"), folder.File("windows.png"), {"--effect", "Single 2"});
}

TEST_F(CliWindows, ApplyGivesTheLinuxBuildsPicturesAtEightAndSixteenBits) {
    const std::string rgb8 = folder.File("rgb8.png"), rgba16 = folder.File("rgba16.tif");
    WriteImage(rgb8, NoiseImage(200, 150, ColorModel::RGB, false, 8, 3));
    WriteImage(rgba16, NoiseImage(160, 120, ColorModel::RGB, true, 16, 4));
    ExpectSameApply(rgb8, folder.File("l1.png"), folder.File("w1.png"),
                    {"--effect", "Single 4", "--set", "Width=40", "--set", "RandomSeed=7"});
    ExpectSameApply(rgba16, folder.File("l2.tif"), folder.File("w2.tif"), {"--effect", "Geometric 2"});
    ExpectSameApply(rgba16, folder.File("l3.png"), folder.File("w3.png"), {"--set", "MaskKind=4"});
    const Image written = ReadImage(folder.File("w2.tif"));
    EXPECT_EQ(written.depth, 16);
    EXPECT_TRUE(written.alpha);

    // JPEG: each build writes with its own encoder; both stay close to the picture ("By
    // selection" without a selection passes it through). A JPEG input decodes alike on both, but
    // for a rare sample one level apart (the two decoders round a few extreme values differently).
    const std::string smooth = folder.File("smooth.png");
    const Image picture = testing::SmoothImage(160, 120, ColorModel::RGB);
    WriteImage(smooth, picture);
    ASSERT_EQ(Windows({"apply", smooth, folder.File("w.jpg"), "--quiet", "--set", "MaskKind=7"}).status, 0);
    ASSERT_EQ(RunCli({"apply", smooth, folder.File("l.jpg"), "--quiet", "--set", "MaskKind=7", "--module",
                      kLinuxModule})
                  .status,
              0);
    for (const char* name : {"w.jpg", "l.jpg"}) {
        const int difference = MaxDifference(ReadImage(folder.File(name)), picture);
        EXPECT_GE(difference, 0) << name;
        EXPECT_LE(difference, 12) << name;
    }
    const std::string noisy = folder.File("noisy.jpg");
    WriteImage(noisy, NoiseImage(120, 90, ColorModel::RGB, false, 8, 5));
    ASSERT_EQ(RunCli({"apply", noisy, folder.File("l4.png"), "--quiet", "--module", kLinuxModule}).status, 0);
    ASSERT_EQ(Windows({"apply", noisy, folder.File("w4.png"), "--quiet"}).status, 0);
    const int decoded = MaxDifference(ReadImage(folder.File("l4.png")), ReadImage(folder.File("w4.png")));
    EXPECT_GE(decoded, 0);
    EXPECT_LE(decoded, 1);
}

TEST_F(CliWindows, DemoGivesTheLinuxBuildsPicture) {
    ASSERT_EQ(RunCli({"demo", folder.File("linux.png"), "--quiet", "--module", kLinuxModule}).status, 0);
    const CliResult windows = Windows({"demo", folder.File("windows.png"), "--quiet"});
    ASSERT_EQ(windows.status, 0) << Show(windows);
    EXPECT_EQ(MaxDifference(ReadImage(folder.File("linux.png")), ReadImage(folder.File("windows.png"))), 0);
}

TEST_F(CliWindows, PresetsParamsAndInfoSayTheSame) {
    const std::vector<std::string> values = {"--set", "EffectKind=1", "--set", "Width=80", "--set",
                                             "Diffuse=0x336699"};
    std::vector<std::string> linuxArgs = {"preset", "write", folder.File("linux.ipt")};
    std::vector<std::string> windowsArgs = {"preset", "write", folder.File("windows.ipt")};
    linuxArgs.insert(linuxArgs.end(), values.begin(), values.end());
    windowsArgs.insert(windowsArgs.end(), values.begin(), values.end());
    ASSERT_EQ(RunCli(linuxArgs).status, 0);
    const CliResult written = Windows(windowsArgs);
    ASSERT_EQ(written.status, 0) << Show(written);
    EXPECT_EQ(ReadBytes(folder.File("windows.ipt")), ReadBytes(folder.File("linux.ipt")));

    const CliResult show = Windows({"preset", "show", folder.File("linux.ipt")});
    ASSERT_EQ(show.status, 0) << Show(show);
    EXPECT_EQ(Unix(show.out), RunCli({"preset", "show", folder.File("linux.ipt")}).out);

    const CliResult help = Windows({"preset", "write", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(Unix(help.out), RunCli({"preset", "write", "--help"}).out);

    const CliResult params = Windows({"params"});
    ASSERT_EQ(params.status, 0) << Show(params);
    EXPECT_EQ(Unix(params.out), RunCli({"params"}).out);

    const std::string module = WindowsBuild() + "/Lorvex.8bf";
    const CliResult info = Windows({"info", module});
    ASSERT_EQ(info.status, 0) << Show(info);
    EXPECT_EQ(Unix(info.out), RunCli({"info", module}).out);
}

TEST_F(CliWindows, BadInputGivesTheLinuxBuildsMessagesAndStatus) {
    const std::string in = folder.File("in.png"), text = folder.File("notes.png");
    WriteImage(in, NoiseImage(20, 10, ColorModel::RGB, false, 8));
    testing::WriteBytes(text, "not a picture");
    const std::vector<std::vector<std::string>> cases = {
        {"apply", folder.File("missing.png"), folder.File("o.png")},
        {"apply", text, folder.File("o.png")},
        {"apply", in, folder.File("o.bmp")},
        {"apply", in, in},
        {"apply", in, folder.File("o.png"), "--set", "Bogus=1"},
        {"apply", in, folder.File("no/such/folder/o.png")},
    };
    for (const auto& args : cases) {
        std::vector<std::string> linuxArgs = args;
        if (args[0] == "apply") linuxArgs.insert(linuxArgs.end(), {"--module", kLinuxModule});
        const CliResult linux = RunCli(linuxArgs);
        const CliResult windows = Windows(args);
        EXPECT_NE(linux.status, 0) << args[1];
        EXPECT_EQ(windows.status, linux.status) << args[1] << ": " << windows.err;
        EXPECT_EQ(Unix(windows.err), linux.err) << args[1];
    }
    EXPECT_EQ(CountFiles(folder.Path()), 2) << "nothing written";
}

// A batch: the program runs itself once per file, as many at once as --jobs says. Every good
// file comes out as the single run writes it, whatever the number of jobs (names with spaces and
// option values with spaces reach the workers intact); a bad file in the middle is reported on
// its line with the single run's reason, and the files after it are written all the same.
TEST_F(CliWindows, BatchWritesWhatSingleRunsWriteWhateverTheJobsAndGoesOnPastABadFile) {
    fs::create_directory(folder.File("in"));
    WriteImage(folder.File("in/a.png"), NoiseImage(48, 40, ColorModel::RGB, false, 8, 1));
    WriteImage(folder.File("in/b.tif"), NoiseImage(40, 48, ColorModel::RGB, true, 16, 2));
    testing::WriteBytes(folder.File("in/broken.png"), "this is not a picture");
    WriteImage(folder.File("in/c d.png"), NoiseImage(36, 30, ColorModel::RGB, true, 8, 3));
    WriteImage(folder.File("in/e.png"), NoiseImage(30, 36, ColorModel::RGB, false, 8, 4));
    const std::vector<std::string> names = {"a.png", "b.tif", "broken.png", "c d.png", "e.png"};
    const std::vector<std::string> values = {"--effect", "Single 2", "--set", "MinInterval=60", "--set", "Width=30"};

    std::string brokenReason;
    for (const std::string& name : names) {
        std::vector<std::string> args = {"apply", folder.File("in/" + name), folder.File("one-" + name), "--quiet"};
        args.insert(args.end(), values.begin(), values.end());
        const CliResult one = Windows(args);
        if (name != "broken.png") {
            ASSERT_EQ(one.status, 0) << name << " " << Show(one);
            continue;
        }
        ASSERT_EQ(one.status, 2) << Show(one);
        brokenReason = Unix(one.err);
        ASSERT_EQ(brokenReason.rfind("rimelace: ", 0), 0u) << brokenReason;
        brokenReason = brokenReason.substr(10, brokenReason.size() - 11);
    }
    for (const char* jobs : {"1", "3"}) {
        const std::string out = folder.File(std::string("out") + jobs);
        std::vector<std::string> args = {"apply"};
        for (const std::string& name : names) args.push_back(folder.File("in/" + name));
        args.insert(args.end(), {"--out-dir", out, "--jobs", jobs});
        args.insert(args.end(), values.begin(), values.end());
        const CliResult r = Windows(args);
        const std::string said = "status " + std::to_string(r.status) + "\nout:\n" + r.out + "err:\n" + r.err;
        EXPECT_EQ(r.status, 1) << said;
        for (const std::string& name : names) {
            if (name == "broken.png") continue;
            EXPECT_EQ(ReadBytes(out + "/" + name), ReadBytes(folder.File("one-" + name)))
                << name << " with " << jobs << " jobs\n" << said;
        }
        EXPECT_EQ(CountFiles(out), 4) << said;
        EXPECT_EQ(testing::LineCount(r.out), 6) << said; // five files and the summary
        EXPECT_NE(Unix(r.out).find("broken.png -> " + out + "/broken.png: failed: " + brokenReason + "\n"),
                  std::string::npos)
            << said;
        EXPECT_NE(Unix(r.out).find("c d.png -> " + out + "/c d.png: written ("), std::string::npos) << said;
        EXPECT_NE(Unix(r.out).find("\n5 files: 4 written, 1 failed\n"), std::string::npos) << said;
        EXPECT_EQ(r.err, "") << said;
    }
}

// What the Windows build reads and writes (the README's table, as Wine's imaging component has
// it): a file of each mode and depth, written by the Linux build, goes through the Windows
// program and the dialog probe, which leaves the pixels alone, and comes back sample for sample;
// or the output is refused before the run, with the reason, when the writer cannot hold it.
TEST_F(CliWindows, FormatsAndDepthsTheWindowsBuildReadsAndWrites) {
    const std::string probe = WindowsBuild() + "/dialog_probe.8bf";
    struct Case {
        const char* in;
        const char* out;
        ColorModel color;
        bool alpha;
        int depth;
        bool written;
    };
    const ColorModel gray = ColorModel::Gray, rgb = ColorModel::RGB, cmyk = ColorModel::CMYK;
    const Case cases[] = {
        {"png", "png", gray, false, 16, true}, {"png", "png", rgb, false, 8, true},
        {"png", "png", rgb, true, 16, true},   {"png", "png", gray, true, 8, false},
        {"tif", "tif", gray, false, 8, true},  {"tif", "tif", rgb, false, 16, true},
        {"tif", "tif", rgb, true, 8, true},    {"tif", "png", gray, false, 16, true},
        {"tif", "tif", gray, false, 16, false}, {"tif", "tif", cmyk, false, 8, false},
    };
    for (const Case& c : cases) {
        const Image image = NoiseImage(23, 17, c.color, c.alpha, c.depth, 9);
        const std::string name = std::string(c.color == gray ? "gray" : c.color == rgb ? "rgb" : "cmyk") +
                                 (c.alpha ? "a" : "") + std::to_string(c.depth);
        const std::string in = folder.File(name + "." + c.in), out = folder.File(name + "-out." + c.out);
        WriteImage(in, image);
        const CliResult r = Windows({"apply", in, out, "--quiet", "--module", probe});
        if (c.written) {
            // 16-bit samples pass through the host's scale (0..32768) and may move by one level.
            EXPECT_EQ(r.status, 0) << name << " " << Show(r);
            if (r.status == 0) {
                const int difference = MaxDifference(ReadImage(out), image);
                EXPECT_GE(difference, 0) << name << " ." << c.out << ": another mode or size";
                EXPECT_LE(difference, c.depth == 16 ? 1 : 0) << name << " ." << c.out;
            }
        } else {
            EXPECT_EQ(r.status, 2) << name << " " << Show(r);
            EXPECT_NE(r.err.find("cannot hold"), std::string::npos) << name << " " << r.err;
            EXPECT_FALSE(fs::exists(out)) << name;
        }
    }
}

// Wine turns SIGINT into the console's Ctrl-C event, as a person pressing Ctrl-C would send.
TEST_F(CliWindows, CtrlCInTheConsoleCancelsTheRunAndLeavesNoFile) {
    const std::string in = folder.File("big.png"), out = folder.File("out.png");
    WriteImage(in, testing::SmoothImage(1600, 1200, ColorModel::RGB));
    const CliResult r = RunProgram({"/bin/bash", RIMELACE_WINE_RUN, WindowsBuild() + "/rimelace.exe", "apply", in,
                                    out, "--quiet", "--set", "Width=8", "--set", "MinInterval=1"},
                                   "", 6000);
    if (!r.interrupted) GTEST_SKIP() << "the run ended before the signal";
    EXPECT_EQ(r.status, 130) << Show(r);
    EXPECT_EQ(Unix(r.err), "rimelace: cancelled (Ctrl-C); nothing was written\n");
    EXPECT_EQ(CountFiles(folder.Path()), 1);
}

TEST_F(CliWindows, DialogCancelledInThePlugInWritesNothing) {
    const std::string probe = WindowsBuild() + "/dialog_probe.8bf";
    const std::string in = folder.File("in.png"), out = folder.File("out.png");
    WriteImage(in, NoiseImage(30, 20, ColorModel::RGB, false, 8));
    const CliResult cancelled = Windows({"apply", in, out, "--dialog", "--quiet", "--module", probe});
    EXPECT_EQ(cancelled.status, 3) << Show(cancelled);
    EXPECT_EQ(Unix(cancelled.err), "rimelace: the dialog was cancelled; nothing was written\n");
    EXPECT_EQ(CountFiles(folder.Path()), 1);

    const CliResult plain = Windows({"apply", in, out, "--quiet", "--module", probe});
    ASSERT_EQ(plain.status, 0) << Show(plain);
    EXPECT_EQ(MaxDifference(ReadImage(in), ReadImage(out)), 0);
}

} // namespace
} // namespace rimelace_cli
