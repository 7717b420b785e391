// The help document: generated from the parameter table, it names every control the dialog edits
// with its label, tooltip and range; a template that leaves out a control or names a field that
// does not exist stops the build.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "params/param_table.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs helpgen; returns its exit status, with its error output in *err.
int Generate(const fs::path& input, const fs::path& output, std::string* err) {
    const fs::path errors = output.string() + ".err";
    const std::string command = std::string(LORVEX_HELPGEN) + " '" + input.string() + "' '" + output.string() +
                                "' 2>'" + errors.string() + "'";
    const int status = std::system(command.c_str());
    *err = Read(errors);
    return status;
}

class HelpDocument : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("helpgen-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                              "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

TEST_F(HelpDocument, NamesEveryDialogControlWithItsLabelTooltipAndRange) {
    std::string err;
    ASSERT_EQ(Generate(RIMELACE_HELP_TEMPLATE, folder / "doc.html", &err), 0) << err;
    const std::string html = Read(folder / "doc.html");
    for (const ParamEntry& entry : ParamTable()) {
        if (entry.controlId == 0) continue;
        const std::string row = "<tr id=\"";
        const auto at = html.find(row + entry.field + "\"");
        const bool shared = std::string(entry.field) == "PatternKind" || std::string(entry.field) == "LightBeta";
        if (!shared) {
            ASSERT_NE(at, std::string::npos) << entry.field;
        }
        EXPECT_NE(html.find(std::string("<td class=\"label\">") + entry.label + "</td>"), std::string::npos) << entry.field;
        if (entry.rangeKind == RangeKind::Span && std::string(entry.field) != "EffectKind" &&
            std::string(entry.field) != "PatternKind" && !shared) {
            char range[64];
            std::snprintf(range, sizeof range, "%g &hellip; %g", std::abs(entry.rangeMin), entry.rangeMax);
            EXPECT_NE(html.find(range, at), std::string::npos) << entry.field;
        }
    }
    EXPECT_EQ(html.find("@control"), std::string::npos);
    EXPECT_EQ(html.find("@end"), std::string::npos);
}

TEST_F(HelpDocument, AMissingControlOrAnUnknownFieldStopsTheBuild) {
    std::string err;
    std::ofstream(folder / "short.in") << "@controls\n@control Width\nWide.\n@end\n";
    EXPECT_NE(Generate(folder / "short.in", folder / "short.html", &err), 0);
    EXPECT_NE(err.find("is not documented"), std::string::npos) << err;

    std::ofstream(folder / "unknown.in") << "@controls\n@control Wdth\nWide.\n@end\n";
    EXPECT_NE(Generate(folder / "unknown.in", folder / "unknown.html", &err), 0);
    EXPECT_NE(err.find("Wdth"), std::string::npos) << err;

    std::ofstream(folder / "twice.in") << "@controls\n@control Width\nA.\n\n@control Width\nB.\n@end\n";
    EXPECT_NE(Generate(folder / "twice.in", folder / "twice.html", &err), 0);
    EXPECT_NE(err.find("twice"), std::string::npos) << err;
}

} // namespace
