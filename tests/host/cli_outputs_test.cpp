// The command line's outputs (image, action file, geometry export): bad paths refused before the
// run, and every way a write can fail leaves nothing behind: no partial file, no temporary file,
// a good earlier file untouched.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <algorithm>
#include <memory>

#include "cli_run.h"
#include "cli_test_images.h"
#include "host/cli/image_file.h"

namespace rimelace_cli {
namespace {

using testing::CliResult;
using testing::CliWatch;
using testing::CountFiles;
using testing::FileExists;
using testing::NoiseImage;
using testing::ReadBytes;
using testing::RunCli;
using testing::RunCliWatched;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kModule = RIMELACE_MODULE;

std::vector<std::string> ApplyArgs(const std::string& in, const std::string& out, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"apply", in, out, "--quiet", "--module", kModule};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::string Show(const CliResult& r) { return "status " + std::to_string(r.status) + ", stderr: " + r.err; }

// The names in a folder.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The size of the temporary file being written for `name` in `folder`, or -1 when there is none.
long long TempFileSize(const std::string& folder, const std::string& name) {
    for (const std::string& entry : Names(folder))
        if (entry.rfind("." + name + ".rimelace-", 0) == 0) {
            struct stat info {};
            if (stat((folder + "/" + entry).c_str(), &info) == 0) return info.st_size;
        }
    return -1;
}

// A gray picture passes through the filter with a warning on stderr: a run that was refused
// before the filter ran says exactly one line.
TEST(CliOutputs, BadOutputPathsAreRefusedBeforeTheRun) {
    TempFolder folder;
    const std::string in = folder.File("in.png");
    WriteImage(in, NoiseImage(40, 30, ColorModel::Gray, false, 8));
    mkdir(folder.File("a-folder").c_str(), 0755);
    WriteBytes(folder.File("ok.json"), "{\"playInfo\": \"silent\", \"descriptor\": []}");
    const std::string out = folder.File("out.png");
    struct Case {
        std::vector<std::string> extra;
        std::string mention;
    };
    const Case cases[] = {
        {{"--record", folder.File("a-folder")}, "it is a folder"},
        {{"--export-geometry", folder.File("a-folder")}, "must end in .svg or .obj"},
        {{"--export-geometry", folder.File("scene.svg/")}, "scene.svg/"},
        {{"--export-geometry", folder.File("scene.ply")}, "must end in .svg or .obj"},
        {{"--record", folder.File("missing/a.json")}, "does not exist"},
        {{"--export-geometry", folder.File("missing/a.svg")}, "does not exist"},
        {{"--record", out}, "name the same file"},
        {{"--record", folder.File("./out.png")}, "name the same file"},
        {{"--record", in}, "the input file"},
        {{"--replay", folder.File("ok.json"), "--record", folder.File("ok.json")}, "--replay"},
    };
    mkdir(folder.File("a-folder.svg").c_str(), 0755);
    const int files = CountFiles(folder.Path());
    for (const Case& c : cases) {
        const CliResult r = RunCli(ApplyArgs(in, out, c.extra));
        EXPECT_EQ(r.status, 2) << c.mention << ": " << Show(r);
        EXPECT_EQ(testing::LineCount(r.err), 1) << "the filter must not have run: " << r.err;
        EXPECT_NE(r.err.find(c.mention), std::string::npos) << "wanted \"" << c.mention << "\" in: " << r.err;
        EXPECT_EQ(CountFiles(folder.Path()), files) << c.mention;
    }
    const CliResult svgFolder = RunCli(ApplyArgs(in, out, {"--export-geometry", folder.File("a-folder.svg")}));
    EXPECT_EQ(svgFolder.status, 2) << Show(svgFolder);
    EXPECT_NE(svgFolder.err.find("it is a folder"), std::string::npos) << svgFolder.err;
    EXPECT_EQ(CountFiles(folder.Path()), files);
}

// A good earlier result stays as it was when a new run cannot write its outputs: writes that fail
// part way (the encoder's write error, as on a full disk) leave no temporary files.
TEST(CliOutputs, AWriteThatFailsPartWayLeavesNothingBehind) {
    TempFolder folder;
    const std::string in = folder.File("in.tif");
    WriteImage(in, NoiseImage(300, 200, ColorModel::RGB, false, 8));
    const std::string out = folder.File("out.png");
    WriteBytes(out, "an earlier result");
    const std::vector<std::string> before = Names(folder.Path());
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, {"--record", folder.File("a.json"), "--export-geometry", folder.File("a.svg")}}) {
        CliWatch watch;
        watch.fileSizeLimit = 16 << 10;  // the PNG needs far more
        const CliResult r = RunCliWatched(ApplyArgs(in, out, extra), watch);
        EXPECT_EQ(r.status, 1) << Show(r);
        // The first output written fails: the geometry (written with the run) or the image.
        const std::string first = extra.empty() ? out : folder.File("a.svg");
        EXPECT_NE(r.err.find("cannot write '" + first + "'"), std::string::npos) << r.err;
        EXPECT_EQ(Names(folder.Path()), before);
        EXPECT_EQ(ReadBytes(out), "an earlier result");
    }
}

// A real full disk: a tiny memory file system (needs the right to mount one).
TEST(CliOutputs, AFullDiskLeavesNothingBehind) {
    TempFolder folder;
    const std::string disk = folder.File("disk");
    mkdir(disk.c_str(), 0755);
    if (geteuid() != 0 || mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount {
        std::string path;
        ~Unmount() { umount(path.c_str()); }
    } unmount{disk};
    const std::string in = folder.File("in.tif");
    WriteImage(in, NoiseImage(300, 200, ColorModel::RGB, false, 8));
    const CliResult r = RunCli(ApplyArgs(in, disk + "/out.png", {"--record", disk + "/a.json"}));
    EXPECT_EQ(r.status, 1) << Show(r);
    EXPECT_NE(r.err.find("cannot write '" + disk + "/out.png'"), std::string::npos) << r.err;
    EXPECT_TRUE(Names(disk).empty()) << "left on the full disk: " << ::testing::PrintToString(Names(disk));
}

// Ctrl-C while the image is being written: once (the run ends in order) or twice (at once).
TEST(CliOutputs, CtrlCWhileWritingLeavesNothingBehind) {
    TempFolder folder;
    const std::string in = folder.File("in.tif");
    // A gray picture passes through quickly; its PNG takes a while to compress.
    WriteImage(in, NoiseImage(3000, 2000, ColorModel::Gray, false, 16));
    for (int signals : {1, 2}) {
        const std::string out = folder.File("out.png");
        const std::vector<std::string> before = Names(folder.Path());
        CliWatch watch;
        bool sent = false;
        watch.poll = [&] {
            if (sent || TempFileSize(folder.Path(), "out.png") <= 0) return 0;
            sent = true;
            return signals;
        };
        const CliResult r = RunCliWatched(ApplyArgs(in, out, {"--record", folder.File("a.json")}), watch);
        if (!r.interrupted) GTEST_SKIP() << "the image was written before the signal";
        EXPECT_EQ(r.status, 130) << Show(r);
        EXPECT_NE(r.err.find(signals == 1 ? "cancelled (Ctrl-C); nothing was written" : "interrupted"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(Names(folder.Path()), before) << signals;
    }
}

// The destination turns into a folder while the run goes on: the rename fails, and neither the
// image nor the other outputs are left behind; the folder is untouched.
TEST(CliOutputs, AFailedRenameLeavesNothingBehind) {
    TempFolder folder;
    const std::string in = folder.File("in.tif");
    WriteImage(in, NoiseImage(1500, 1000, ColorModel::Gray, false, 8));
    const std::string out = folder.File("out.png");
    CliWatch watch;
    bool blocked = false;
    watch.poll = [&] {
        if (!blocked && TempFileSize(folder.Path(), "out.png") >= 0) {
            mkdir(out.c_str(), 0755);
            WriteBytes(out + "/keep", "kept");
            blocked = true;
        }
        return 0;
    };
    const std::vector<std::string> before = Names(folder.Path());
    const CliResult r = RunCliWatched(
        ApplyArgs(in, out, {"--record", folder.File("a.json"), "--export-geometry", folder.File("a.obj")}), watch);
    ASSERT_TRUE(blocked);
    EXPECT_EQ(r.status, 1) << Show(r);
    EXPECT_NE(r.err.find("cannot write '" + out + "'"), std::string::npos) << r.err;
    std::vector<std::string> expected = before;
    expected.push_back("out.png");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(folder.Path()), expected);
    EXPECT_EQ(ReadBytes(out + "/keep"), "kept");
}

} // namespace
} // namespace rimelace_cli
