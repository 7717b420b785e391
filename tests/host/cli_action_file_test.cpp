// Action files: what is written reads back the same; a file that cannot be used says where.

#include <gtest/gtest.h>

#include "cli_test_images.h"
#include "host/cli/action_file.h"

namespace rimelace_cli {
namespace {

std::uint32_t Code(const char* text) {
    std::uint32_t code = 0;
    CodeFromText(text, code);
    return code;
}

Action Sample() {
    Action action;
    action.playInfo = PlayInfo::Display;
    DescriptorItem a;
    a.key = Code("AtUp");
    a.type = ItemType::Boolean;
    a.boolean = true;
    DescriptorItem b;
    b.key = Code("Dspr");
    b.type = ItemType::UnitFloat;
    b.unit = Code("#Rlt");
    b.number = 6.25;
    DescriptorItem c;
    c.key = Code("RndS");
    c.type = ItemType::Integer;
    c.integer = -2147483647 - 1;
    DescriptorItem d = b;
    d.key = Code("Scle");
    d.number = 0.1f; // a float value widened: must come back bit for bit
    action.descriptor = {a, b, c, d};
    return action;
}

TEST(ActionFile, RoundTripKeepsOrderTypesUnitsAndValuesExactly) {
    for (PlayInfo info : {PlayInfo::Silent, PlayInfo::Display, PlayInfo::DontDisplay}) {
        Action action = Sample();
        action.playInfo = info;
        const Action back = ParseAction(FormatAction(action), "test");
        EXPECT_EQ(back.playInfo, info);
        ASSERT_EQ(back.descriptor.size(), action.descriptor.size());
        for (std::size_t i = 0; i < back.descriptor.size(); ++i) {
            const DescriptorItem& x = action.descriptor[i];
            const DescriptorItem& y = back.descriptor[i];
            EXPECT_EQ(CodeText(y.key), CodeText(x.key));
            EXPECT_EQ(y.type, x.type);
            EXPECT_EQ(y.boolean, x.boolean);
            EXPECT_EQ(y.integer, x.integer);
            EXPECT_EQ(y.number, x.number);
            if (x.type == ItemType::UnitFloat) {
                EXPECT_EQ(CodeText(y.unit), "#Rlt");
            }
        }
    }
}

TEST(ActionFile, FileRoundTripAndTheDocumentedShape) {
    testing::TempFolder folder;
    const std::string path = folder.File("run.json");
    WriteActionFile(path, Sample());
    const std::string text = testing::ReadBytes(path);
    EXPECT_NE(text.find("\"playInfo\": \"display\""), std::string::npos) << text;
    EXPECT_NE(text.find("{\"key\":\"Dspr\",\"type\":\"UntF\",\"unit\":\"#Rlt\",\"value\":6.25}"),
              std::string::npos)
        << text;
    EXPECT_EQ(ReadActionFile(path).descriptor.size(), 4u);
    EXPECT_EQ(testing::CountFiles(folder.Path()), 1) << "no temporary file left behind";
}

// The message of the error ParseAction raises, or "" when it parses.
std::string ParseError(const std::string& text) {
    try {
        ParseAction(text, "act.json");
    } catch (const ActionFileError& error) {
        return error.what();
    }
    return "";
}

TEST(ActionFile, SyntaxErrorsGiveLineAndColumn) {
    const std::string message =
        ParseError("{\n  \"playInfo\": \"silent\",\n  \"descriptor\": [ {\"key\": \"AtUp\",, } ]\n}\n");
    EXPECT_EQ(message.rfind("act.json: line 3, column", 0), 0u) << message;
    EXPECT_NE(ParseError("").find("act.json: line 1"), std::string::npos);
    // A number no double can hold is refused the same way, not as a bare library message.
    const std::string huge = ParseError("{\"descriptor\":[{\"key\":\"Wdth\",\"type\":\"UntF\",\"value\":-1e400}]}");
    EXPECT_EQ(huge.rfind("act.json: number overflow", 0), 0u) << huge;
}

TEST(ActionFile, BadMembersAreNamedByTheirPath) {
    const std::string head =
        "{\"playInfo\":\"silent\",\"descriptor\":[{\"key\":\"AtUp\",\"type\":\"bool\",\"value\":true},";
    struct Case {
        std::string item;
        std::string where;
    };
    const Case cases[] = {
        {"{\"key\":\"Wdth\",\"type\":\"UntF\",\"value\":\"wide\"}", "descriptor[1].value: expected a number"},
        {"{\"key\":\"Wd\",\"type\":\"UntF\",\"value\":1}", "descriptor[1].key"},
        {"{\"key\":\"Wdth\",\"type\":\"float\",\"value\":1}", "descriptor[1].type"},
        {"{\"key\":\"RndS\",\"type\":\"long\",\"value\":1.5}",
         "descriptor[1].value: expected a whole number"},
        {"{\"key\":\"RndS\",\"type\":\"long\",\"value\":4294967296}",
         "descriptor[1].value: the number does not fit"},
        {"{\"key\":\"AtUp\",\"type\":\"bool\",\"value\":1}", "descriptor[1].value: expected true or false"},
        {"{\"key\":\"RndS\",\"type\":\"long\",\"unit\":\"#Rlt\",\"value\":1}", "descriptor[1].unit"},
        {"{\"key\":\"RndS\",\"type\":\"long\",\"vlaue\":1}", "descriptor[1]: unknown member \"vlaue\""},
        {"{\"key\":\"RndS\",\"type\":\"long\"}", "descriptor[1]: missing \"value\""},
        {"7", "descriptor[1]: expected an object"},
    };
    for (const Case& c : cases) {
        const std::string message = ParseError(head + c.item + "]}");
        EXPECT_EQ(message.rfind("act.json: ", 0), 0u) << message;
        EXPECT_NE(message.find(c.where), std::string::npos) << "got: " << message << "\nwanted: " << c.where;
    }
    EXPECT_NE(ParseError("{\"playInfo\":\"loud\",\"descriptor\":[]}").find("playInfo"), std::string::npos);
    EXPECT_NE(ParseError("{\"playInfo\":\"silent\"}").find("missing \"descriptor\""), std::string::npos);
    EXPECT_NE(ParseError("[1,2]").find("top level"), std::string::npos);
    EXPECT_EQ(ParseError("{\"descriptor\":[]}"), "") << "playInfo may be left out (silent)";
}

TEST(ActionFile, MissingFileIsNamed) {
    try {
        ReadActionFile("/nonexistent/run.json");
        FAIL();
    } catch (const ActionFileError& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent/run.json"), std::string::npos);
    }
}

} // namespace
} // namespace rimelace_cli
