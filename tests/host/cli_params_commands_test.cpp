// `rimelace preset write/show`, `params` and `info`, run as the built program on temporary files.
#include "params/param_table.h"
#include "params/preset_file.h"
#include "tests/host/cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using rimelace_cli::testing::CliResult;
using rimelace_cli::testing::LineCount;
using rimelace_cli::testing::RunCli;

namespace {

class ParamsCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("rimelace_params_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Path(const std::string& name) const { return (folder / name).string(); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path folder;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string PresetBytes(const RimelaceParams& params) {
    StringPresetOutput out;
    WritePresetHeader(out);
    WritePreset(params, out);
    return out.Bytes();
}

RimelaceParams Defaults() {
    RimelaceParams params{};
    ResetParams(params);
    return params;
}

TEST_F(ParamsCommandsTest, PresetWriteGivesThePluginsBytesAndLeavesNoTemporaryFile) {
    CliResult r = RunCli({"preset", "write", Path("a.ipt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadAll(Path("a.ipt")), PresetBytes(Defaults()));
    EXPECT_EQ(Files(), std::vector<std::string>{"a.ipt"});

    r = RunCli({"preset", "write", Path("b.ipt"), "--set", "Width=80", "--set", "Diffuse=0xFF0000", "--set",
                "UseBackLight=0", "--set", "Dispers=0.1234567"});
    ASSERT_EQ(r.status, 0) << r.err;
    RimelaceParams want = Defaults();
    want.Width = 80;
    want.Diffuse = 0xFF0000;
    want.UseBackLight = 0;
    want.Dispers = 0.1234567f;
    EXPECT_EQ(ReadAll(Path("b.ipt")), PresetBytes(want));
}

TEST_F(ParamsCommandsTest, PresetWriteRefusesBadSettingsAndKeepsTheOldFile) {
    WriteAll(Path("keep.ipt"), "old contents");
    for (const char* set : {"Wdth=3", "Width=abc", "UseGlass=300"}) {
        CliResult r = RunCli({"preset", "write", Path("keep.ipt"), "--set", set});
        EXPECT_EQ(r.status, 2) << set;
        EXPECT_EQ(LineCount(r.err), 1) << r.err;
        EXPECT_EQ(ReadAll(Path("keep.ipt")), "old contents");
    }
    CliResult r = RunCli({"preset", "write", Path("missing-folder/x.ipt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_EQ(Files(), std::vector<std::string>{"keep.ipt"});
}

TEST_F(ParamsCommandsTest, PresetShowPrintsEveryFieldInTableOrderAndFeedsBackThroughSet) {
    RimelaceParams params = Defaults();
    params.Width = 12.5f;
    params.RenderMode = 2;
    params.Color = 0x123456;
    params.Refraction = -1.75f;
    WriteAll(Path("in.ipt"), PresetBytes(params) + "kBsU 300\n");  // stores 44 as the plug-in does
    CliResult r = RunCli({"preset", "show", Path("in.ipt")});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> args = {"preset", "write", Path("again.ipt")};
    std::string line;
    std::size_t row = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(row, ParamTable().size());
        const std::string field = ParamTable()[row].field;
        ASSERT_EQ(line.substr(0, field.size() + 3), field + " = ") << line;
        args.push_back("--set");
        args.push_back(field + "=" + line.substr(field.size() + 3));
        ++row;
    }
    EXPECT_EQ(row, 46u);
    EXPECT_NE(r.out.find("Width = 12.5\n"), std::string::npos);
    EXPECT_NE(r.out.find("UseBackLight = 44\n"), std::string::npos);
    EXPECT_NE(r.out.find("Color = 1193046\n"), std::string::npos);

    CliResult again = RunCli(args);
    ASSERT_EQ(again.status, 0) << again.err;
    params.UseBackLight = 44;
    EXPECT_EQ(ReadAll(Path("again.ipt")), PresetBytes(params));
}

TEST_F(ParamsCommandsTest, PresetShowReportsAWrongHeaderOrAMissingFileInOneLine) {
    WriteAll(Path("bad.ipt"), "Sol Rimelace2\nhtdW 5\n");
    CliResult r = RunCli({"preset", "show", Path("bad.ipt")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(LineCount(r.err), 1);
    EXPECT_NE(r.err.find("not a preset file"), std::string::npos) << r.err;

    r = RunCli({"preset", "show", Path("nothing.ipt")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(LineCount(r.err), 1);
    EXPECT_NE(r.err.find("nothing.ipt"), std::string::npos) << r.err;
}

TEST_F(ParamsCommandsTest, ParamsListsTheTableWithDefaultsAndRanges) {
    CliResult r = RunCli({"params"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LineCount(r.out), 47);
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("Field", 0), 0u);
    for (const ParamEntry& entry : ParamTable()) {
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream words(line);
        std::string field, key;
        words >> field >> key;
        EXPECT_EQ(field, entry.field);
        EXPECT_EQ(key.size(), 4u);
        EXPECT_EQ(FindParamByKey((std::uint32_t(std::uint8_t(key[0])) << 24) | (std::uint32_t(std::uint8_t(key[1])) << 16) |
                                 (std::uint32_t(std::uint8_t(key[2])) << 8) | std::uint8_t(key[3])),
                  &entry);
    }
    EXPECT_NE(r.out.find("Dispers           Dspr  float    doub              6.25      0..100"), std::string::npos);
}

void ExpectModuleInfo(const std::string& module, const char* format, const char* usedEntry, int properties) {
    CliResult r = RunCli({"info", module});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(format), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::to_string(properties) + " properties"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("name      Rimelace..."), std::string::npos);
    EXPECT_NE(r.out.find("category  Corvanta"), std::string::npos);
    EXPECT_NE(r.out.find(std::string(usedEntry) + " PluginMain (used by this module's hosts, exported)"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("scope cb8cbc01-b3af-4309-8247-bf2e1498e859"), std::string::npos);
    EXPECT_NE(r.out.find("44 scripting keys"), std::string::npos);
    EXPECT_NE(r.out.find("'MxT1' long  Max Trngls 1"), std::string::npos);
}

TEST_F(ParamsCommandsTest, InfoReadsTheLinuxModule) { ExpectModuleInfo(RIMELACE_MODULE, "ELF, x86_64, 64-bit", "8664", 10); }

TEST_F(ParamsCommandsTest, InfoReadsTheWindowsModules) {
    bool any = false;
    if (fs::exists(RIMELACE_WIN64_MODULE)) {
        any = true;
        ExpectModuleInfo(RIMELACE_WIN64_MODULE, "PE, x86_64, 64-bit", "8664", 10);
    }
    if (fs::exists(RIMELACE_WIN32_MODULE)) {
        any = true;
        ExpectModuleInfo(RIMELACE_WIN32_MODULE, "PE, i386, 32-bit", "wx86", 9);
    }
    if (!any) GTEST_SKIP() << "no Windows build beside this one";
}

TEST_F(ParamsCommandsTest, InfoRefusesWhatIsNotAModule) {
    WriteAll(Path("text.8bf"), "hello");
    WriteAll(Path("mz.8bf"), std::string("MZ") + std::string(100, '\xFF'));
    for (const std::string& file : {Path("text.8bf"), Path("mz.8bf"), Path("none.8bf")}) {
        CliResult r = RunCli({"info", file});
        EXPECT_EQ(r.status, 2) << file;
        EXPECT_EQ(LineCount(r.err), 1) << r.err;
    }
}

}  // namespace
