// `apply --dialog`: the command line asks the plug-in for its dialog as a host's menu pick does,
// and a dialog cancelled in the plug-in (userCanceledErr) writes nothing. The cancelling is done
// by the dialog probe module (tests/host/dialog_probe), which cancels exactly when asked for the
// dialog; the real module, which has no dialog here, applies the values it was given.

#include <gtest/gtest.h>

#include "cli_run.h"
#include "cli_test_images.h"
#include "host/cli/image_file.h"

namespace rimelace_cli {
namespace {

using testing::CliResult;
using testing::CountFiles;
using testing::LineCount;
using testing::NoiseImage;
using testing::ReadBytes;
using testing::RunCli;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kProbe = RIMELACE_DIALOG_PROBE;
const std::string kModule = RIMELACE_MODULE;

TEST(CliDialog, CancelInTheDialogWritesNothingAndSaysSoInOneLine) {
    TempFolder folder;
    const std::string in = folder.File("in.png"), out = folder.File("out.png");
    WriteImage(in, NoiseImage(40, 30, ColorModel::RGB, false, 8));
    const CliResult r = RunCli({"apply", in, out, "--dialog", "--quiet", "--module", kProbe});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.err, "rimelace: the dialog was cancelled; nothing was written\n");
    EXPECT_EQ(LineCount(r.err), 1);
    EXPECT_EQ(CountFiles(folder.Path()), 1) << "no output and no temporary file";

    // An output that exists already stays as it was.
    WriteBytes(out, "an earlier result");
    EXPECT_EQ(RunCli({"apply", in, out, "--dialog", "--quiet", "--module", kProbe}).status, 3);
    EXPECT_EQ(ReadBytes(out), "an earlier result");
    EXPECT_EQ(CountFiles(folder.Path()), 2);

    // demo takes the option too.
    const CliResult demo = RunCli({"demo", folder.File("d.png"), "--dialog", "--quiet", "--module", kProbe});
    EXPECT_EQ(demo.status, 3) << demo.err;
    EXPECT_EQ(CountFiles(folder.Path()), 2);
}

TEST(CliDialog, WithoutTheOptionNoDialogIsAskedForAndTheRunSucceeds) {
    TempFolder folder;
    const std::string in = folder.File("in.png"), out = folder.File("out.png");
    const Image image = NoiseImage(40, 30, ColorModel::RGB, false, 8);
    WriteImage(in, image);
    const CliResult r = RunCli({"apply", in, out, "--quiet", "--module", kProbe});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testing::MaxDifference(ReadImage(out), image), 0) << "the probe leaves the pixels alone";
}

TEST(CliDialog, TheRealModuleAppliesTheGivenValuesWhereItHasNoDialog) {
    TempFolder folder;
    const std::string in = folder.File("in.png");
    WriteImage(in, NoiseImage(120, 90, ColorModel::RGB, false, 8, 5));
    const std::vector<std::string> values = {"--quiet", "--module", kModule, "--effect", "Single 2",
                                             "--set", "Width=60"};
    std::vector<std::string> plain = {"apply", in, folder.File("plain.png")};
    std::vector<std::string> dialog = {"apply", in, folder.File("dialog.png"), "--dialog"};
    plain.insert(plain.end(), values.begin(), values.end());
    dialog.insert(dialog.end(), values.begin(), values.end());
    ASSERT_EQ(RunCli(plain).status, 0);
    const CliResult r = RunCli(dialog);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(folder.File("dialog.png")), ReadBytes(folder.File("plain.png")));
}

} // namespace
} // namespace rimelace_cli
