// `rimelace apply IN... --out-dir`: every good file written as a single run writes it, whatever
// the number of jobs; bad files (unreadable, a folder, a clashing name, a type the format cannot
// hold) reported on their line and skipped; the summary and the exit status tell.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cli_run.h"
#include "cli_test_images.h"
#include "host/cli/image_file.h"

namespace rimelace_cli {
namespace {

using testing::CliResult;
using testing::FileExists;
using testing::NoiseImage;
using testing::ReadBytes;
using testing::RunCli;
using testing::SmoothImage;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kModule = RIMELACE_MODULE;

CliResult Batch(std::vector<std::string> inputs, const std::string& outDir, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"apply"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    args.insert(args.end(), {"--out-dir", outDir, "--module", kModule, "--set", "MinInterval=60"});
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
}

std::string Show(const CliResult& r) { return "status " + std::to_string(r.status) + "\nout:\n" + r.out + "err:\n" + r.err; }

TEST(CliBatch, GoodFilesAreWrittenAsSingleRunsWriteThemWhateverTheJobsAndBadOnesAreReported) {
    TempFolder folder;
    mkdir(folder.File("in").c_str(), 0777);
    mkdir(folder.File("other").c_str(), 0777);
    mkdir(folder.File("in/folder.png").c_str(), 0777);
    WriteImage(folder.File("in/a.png"), NoiseImage(48, 40, ColorModel::RGB, false, 8, 1));
    WriteImage(folder.File("in/b.tif"), NoiseImage(40, 48, ColorModel::RGB, true, 16, 2));
    WriteImage(folder.File("in/c.jpg"), SmoothImage(64, 32, ColorModel::RGB));
    WriteImage(folder.File("other/a.png"), NoiseImage(30, 30, ColorModel::RGB, false, 8, 3));
    WriteBytes(folder.File("in/broken.png"), "this is not a picture");
    const std::vector<std::string> inputs = {folder.File("in/a.png"),      folder.File("in/b.tif"),
                                             folder.File("in/broken.png"), folder.File("in/c.jpg"),
                                             folder.File("in/folder.png"), folder.File("other/a.png"),
                                             folder.File("in/missing.png")};

    // The single runs, one by one.
    for (const char* name : {"a.png", "b.tif", "c.jpg"}) {
        const CliResult one = RunCli({"apply", folder.File(std::string("in/") + name), folder.File(std::string("one-") + name),
                                      "--quiet", "--module", kModule, "--set", "MinInterval=60"});
        ASSERT_EQ(one.status, 0) << one.err;
    }
    for (const char* jobs : {"1", "3"}) {
        const std::string out = folder.File(std::string("out") + jobs);
        const CliResult r = Batch(inputs, out, {"--jobs", jobs});
        EXPECT_EQ(r.status, 1) << Show(r);
        for (const char* name : {"a.png", "b.tif", "c.jpg"})
            EXPECT_EQ(ReadBytes(out + "/" + name), ReadBytes(folder.File(std::string("one-") + name)))
                << name << " with " << jobs << " jobs\n" << Show(r);
        // The clashing second a.png did not replace the first one's result (checked above), and
        // no file was made for the bad ones.
        EXPECT_EQ(testing::CountFiles(out), 3) << Show(r);
        EXPECT_EQ(testing::LineCount(r.out), 8) << Show(r); // seven files and the summary
        EXPECT_NE(r.out.find("broken.png"), std::string::npos) << Show(r);
        EXPECT_NE(r.out.find("is a folder, not an image file"), std::string::npos) << Show(r);
        EXPECT_NE(r.out.find("which '" + folder.File("in/a.png") + "' already takes"), std::string::npos) << Show(r);
        EXPECT_NE(r.out.find("missing.png -> " + out + "/missing.png: failed: cannot read"), std::string::npos)
            << Show(r);
        EXPECT_NE(r.out.find("7 files: 3 written, 4 failed"), std::string::npos) << Show(r);
    }
}

TEST(CliBatch, FormatConvertsEveryResultAndRefusesWhatTheTypeCannotHold) {
    TempFolder folder;
    WriteImage(folder.File("eight.png"), NoiseImage(32, 24, ColorModel::RGB, false, 8, 4));
    WriteImage(folder.File("sixteen.png"), NoiseImage(32, 24, ColorModel::RGB, false, 16, 5));
    const CliResult r = Batch({folder.File("eight.png"), folder.File("sixteen.png")}, folder.File("out"),
                              {"--format", "jpg"});
    EXPECT_EQ(r.status, 1) << Show(r);
    ASSERT_TRUE(FileExists(folder.File("out/eight.jpg"))) << Show(r);
    EXPECT_EQ(ReadImage(folder.File("out/eight.jpg")).width, 32);
    EXPECT_FALSE(FileExists(folder.File("out/sixteen.jpg")));
    EXPECT_NE(r.out.find("sixteen.png -> " + folder.File("out/sixteen.jpg") + ": failed: cannot write"),
              std::string::npos)
        << Show(r);
    EXPECT_NE(r.out.find("2 files: 1 written, 1 failed"), std::string::npos) << Show(r);
}

TEST(CliBatch, AllGoodGivesStatusZeroAndWrongUsageIsRefused) {
    TempFolder folder;
    WriteImage(folder.File("x.png"), NoiseImage(16, 16, ColorModel::RGB, false, 8, 6));
    EXPECT_EQ(Batch({folder.File("x.png")}, folder.File("made/here")).status, 2); // parent folder missing
    const CliResult ok = Batch({folder.File("x.png")}, folder.File("made"));
    EXPECT_EQ(ok.status, 0) << Show(ok);
    EXPECT_NE(ok.out.find("1 file: 1 written, 0 failed"), std::string::npos) << Show(ok);
    // An existing result is replaced only by a whole new one; the input is never touched.
    const std::string before = ReadBytes(folder.File("x.png"));
    EXPECT_EQ(Batch({folder.File("x.png")}, folder.Path()).status, 1); // the output would be the input
    EXPECT_EQ(ReadBytes(folder.File("x.png")), before);
    for (std::vector<std::string> args : {std::vector<std::string>{"apply", "a.png", "b.png", "c.png"},
                                          {"apply", "a.png", "b.png", "--jobs", "2"},
                                          {"apply", "a.png", "b.png", "--format", "png"},
                                          {"apply", "a.png", "--out-dir", "o", "--format", "gif"}}) {
        const CliResult r = RunCli(args, folder.Path());
        EXPECT_EQ(r.status, 2) << args.size() << Show(r);
        EXPECT_EQ(testing::LineCount(r.err), 1) << Show(r);
    }
}

} // namespace
} // namespace rimelace_cli
