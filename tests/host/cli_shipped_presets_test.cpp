// The shipped preset library: what it covers, that scripts/make-presets.sh writes it byte for
// byte, `apply --preset NAME` finding a preset by its bare name, and `gallery --presets`.
#include "host/cli/shipped_presets.h"
#include "params/param_table.h"
#include "params/preset_file.h"
#include "tests/host/cli_run.h"
#include "tests/host/cli_test_images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using rimelace_cli::ReadImage;
using rimelace_cli::testing::CliResult;
using rimelace_cli::testing::LineCount;
using rimelace_cli::testing::ReadBytes;
using rimelace_cli::testing::RunCli;
using rimelace_cli::testing::TempFolder;
using rimelace_cli::testing::WriteBytes;

namespace {

const std::string kSource = RIMELACE_SOURCE_DIR "/resources/RimelaceSaves";
const std::string kBuilt = RIMELACE_BUILD_DIR "/RimelaceSaves";

RimelaceParams Read(const std::string& path) {
    RimelaceParams params{};
    ResetParams(params);
    const std::string bytes = ReadBytes(path);
    MemoryPresetInput in(bytes);
    EXPECT_TRUE(CheckPresetHeader(in)) << path;
    ReadPreset(params, in);
    return params;
}

std::vector<std::string> Names(const std::vector<std::string>& files) {
    std::vector<std::string> names;
    for (const std::string& file : files) names.push_back(fs::path(file).filename().string());
    return names;
}

TEST(ShippedPresets, CoverEveryEffectRenderModeAndTheLayoutsTheyAreMeantFor) {
    const std::vector<std::string> files = rimelace_cli::PresetFilesIn(kSource);
    ASSERT_GE(files.size(), 12u);
    std::set<int> effects, renderModes, maskKinds;
    bool glass = false;
    for (const std::string& file : files) {
        const RimelaceParams p = Read(file);
        EXPECT_EQ(ReadBytes(file).size() > 14, true);
        effects.insert(EffectIndex(p.EffectKind, p.PatternKind));
        renderModes.insert(p.RenderMode);
        if (p.EffectKind != 3) maskKinds.insert(p.MaskKind);
        glass = glass || (p.UseGlass && p.RenderMode >= 4);
        // Every value within what the dialog offers, so the dialog shows each preset as it is.
        for (const ParamEntry& entry : ParamTable())
            if (entry.rangeKind == RangeKind::Span || entry.rangeKind == RangeKind::List) {
                EXPECT_GE(GetFloat(p, entry), entry.rangeMin) << file << " " << entry.field;
                EXPECT_LE(GetFloat(p, entry), entry.rangeMax) << file << " " << entry.field;
            }
    }
    EXPECT_EQ(effects, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(renderModes, (std::set<int>{1, 2, 3, 4, 5}));
    for (int kind : {4, 6, 7}) EXPECT_TRUE(maskKinds.count(kind)) << "MaskKind " << kind;
    EXPECT_TRUE(glass);
}

TEST(ShippedPresets, AreWhatTheScriptWritesAndAreCopiedBesideTheModule) {
    TempFolder folder;
    const std::string command = "RIMELACE='" RIMELACE_CLI "' bash '" RIMELACE_SOURCE_DIR
                                "/scripts/make-presets.sh' '" + folder.Path() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<std::string> written = rimelace_cli::PresetFilesIn(folder.Path());
    const std::vector<std::string> shipped = rimelace_cli::PresetFilesIn(kSource);
    ASSERT_EQ(Names(written), Names(shipped));
    for (std::size_t i = 0; i < shipped.size(); ++i) EXPECT_EQ(ReadBytes(written[i]), ReadBytes(shipped[i])) << shipped[i];
    const std::vector<std::string> built = rimelace_cli::PresetFilesIn(kBuilt);
    ASSERT_EQ(Names(built), Names(shipped));
    for (std::size_t i = 0; i < shipped.size(); ++i) EXPECT_EQ(ReadBytes(built[i]), ReadBytes(shipped[i])) << built[i];
}

// The preset dialogs' tests under Wine compare what "Save" writes with this file.
TEST(ShippedPresets, TheDialogTestsSavedPresetIsWhatPresetWriteWrites) {
    TempFolder folder;
    const std::string written = folder.File("saved.ipt");
    const CliResult result = RunCli({"preset", "write", written, "--set", "Width=80", "--set", "RenderMode=3",
                                     "--set", "Diffuse=0x3CB4E6", "--set", "CenterX=-125.5", "--set",
                                     "EffectKind=3", "--set", "PatternKind=2"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadBytes(written), ReadBytes(RIMELACE_SOURCE_DIR "/tests/ui/dialog/data/saved.ipt"));
}

TEST(ShippedPresets, ABareNameFindsTheShippedPresetAsTheFullPathDoes) {
    TempFolder folder;
    const std::string input = folder.File("in.png");
    rimelace_cli::WriteImage(input, rimelace_cli::testing::SmoothImage(96, 64, rimelace_cli::ColorModel::RGB));
    const std::string full = kBuilt + "/Frost Feather.ipt";
    ASSERT_TRUE(fs::exists(full));
    CliResult r = RunCli({"apply", input, folder.File("full.png"), "--preset", full, "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string want = ReadBytes(folder.File("full.png"));
    for (const char* name : {"Frost Feather", "frost-feather", "FROST_FEATHER.ipt", "Frost Feather.ipt"}) {
        r = RunCli({"apply", input, folder.File("bare.png"), "--preset", name, "-q"});
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_EQ(ReadBytes(folder.File("bare.png")), want) << name;
    }
    // A file of that name in the current folder comes first.
    StringPresetOutput defaults;
    RimelaceParams params{};
    ResetParams(params);
    WritePresetHeader(defaults);
    WritePreset(params, defaults);
    WriteBytes(folder.File("Frost Feather"), defaults.Bytes());
    r = RunCli({"apply", input, folder.File("local.png"), "--preset", "Frost Feather", "-q"}, folder.Path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadBytes(folder.File("local.png")), want);
}

TEST(ShippedPresets, AnUnknownNameIsRefusedInOneLineThatListsTheShippedOnes) {
    TempFolder folder;
    const std::string input = folder.File("in.png");
    rimelace_cli::WriteImage(input, rimelace_cli::testing::SmoothImage(32, 32, rimelace_cli::ColorModel::RGB));
    CliResult r = RunCli({"apply", input, folder.File("out.png"), "--preset", "Hot Lava"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("Hot Lava"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\"Frost Feather\""), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(folder.File("out.png")));
    // A path with a folder part is never looked up among the shipped presets.
    r = RunCli({"apply", input, folder.File("out.png"), "--preset", folder.File("Frost Feather")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.find("shipped presets are"), std::string::npos) << r.err;
}

TEST(ShippedPresets, TheGalleryShowsEveryPresetInRowsOfTheColumnsAsked) {
    TempFolder folder;
    const std::string input = folder.File("in.png");
    rimelace_cli::WriteImage(input, rimelace_cli::testing::SmoothImage(160, 120, rimelace_cli::ColorModel::RGB));
    CliResult r = RunCli({"gallery", "--presets", folder.File("sheet.png"), input, "--tile", "96", "--columns", "5",
                          "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::size_t presets = rimelace_cli::PresetFilesIn(kBuilt).size();
    const int rows = int((presets + 4) / 5);
    const rimelace_cli::Image sheet = ReadImage(folder.File("sheet.png"));
    EXPECT_EQ(sheet.width, 8 + 5 * (96 + 8));
    EXPECT_EQ(sheet.height, 8 + rows * (14 + 8 + 72 + 8));
    // Each tile differs from the plain picture: every preset draws something over it, the
    // "By selection" one along the oval it is given. (Below about 80 pixels some effects grow
    // nothing at all, hence tiles of 96.)
    const rimelace_cli::Image plain = ReadImage(input);
    for (std::size_t i = 0; i < presets; ++i) {
        const int x0 = 8 + int(i % 5) * 104, y0 = 8 + int(i / 5) * 102 + 22;
        int changed = 0;
        for (int y = 0; y < 72; ++y)
            for (int x = 0; x < 96; ++x)
                for (int c = 0; c < 3; ++c) {
                    const int a = sheet.samples[(std::size_t(y0 + y) * sheet.width + x0 + x) * 3 + c];
                    const int b = plain.samples[(std::size_t(y * 120 / 72) * 160 + x * 160 / 96) * 3 + c];
                    changed += std::abs(a - b) > 24;
                }
        EXPECT_GT(changed, 64) << "tile " << i;
    }
}

}  // namespace
