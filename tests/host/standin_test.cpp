// The stand-in host's own pieces: the PiPL reader, image checks and load errors.
#include "host/standin/standin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using standin::PiPLInfo;

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

// One property; `declared` is the length written (may leave out the padding).
void Property(std::vector<std::uint8_t>& out, const char (&key)[5], std::vector<std::uint8_t> data,
              std::uint32_t declared) {
    Put32(out, FourCC("8BIM"));
    Put32(out, FourCC(key));
    Put32(out, 0);
    Put32(out, declared);
    while (data.size() % 4) data.push_back(0);
    out.insert(out.end(), data.begin(), data.end());
}

std::vector<std::uint8_t> Bytes(const std::string& s, bool pascal) {
    std::vector<std::uint8_t> out;
    if (pascal) out.push_back(std::uint8_t(s.size()));
    for (char c : s) out.push_back(std::uint8_t(c));
    if (!pascal) out.push_back(0);
    return out;
}

std::vector<std::uint8_t> PiPL(std::uint32_t count, bool paddedLengths) {
    std::vector<std::uint8_t> out = {1, 0};
    Put32(out, 0);
    Put32(out, count);
    std::vector<std::uint8_t> kind;
    Put32(kind, FourCC("8BFM"));
    Property(out, "kind", kind, 4);
    std::vector<std::uint8_t> name = Bytes("Rimelace...", true);
    Property(out, "name", name, paddedLengths ? 12 : std::uint32_t(name.size()));
    std::vector<std::uint8_t> entry = Bytes("PluginMain", false);
    Property(out, "wx86", entry, paddedLengths ? 12 : std::uint32_t(entry.size()));
    Property(out, "8664", Bytes("PluginMain64", false), 13);
    std::vector<std::uint8_t> version;
    Put32(version, 0x00040000);
    Property(out, "vers", version, 4);
    return out;
}

TEST(PiPLTest, PropertiesAreReadWithLengthsPaddedOrNot) {
    for (bool padded : {true, false}) {
        const std::vector<std::uint8_t> bytes = PiPL(5, padded);
        PiPLInfo info;
        std::string error;
        ASSERT_TRUE(standin::ParsePiPL(bytes.data(), bytes.size(), &info, &error)) << error;
        EXPECT_EQ(info.kind, FourCC("8BFM"));
        EXPECT_EQ(info.name, "Rimelace...");
        EXPECT_EQ(info.entry32, "PluginMain");
        EXPECT_EQ(info.entry64, "PluginMain64");
        EXPECT_EQ(info.version, 0x00040000);
        EXPECT_EQ(info.properties, 5);
    }
}

TEST(PiPLTest, CountLargerThanThePropertiesPresentIsTolerated) {
    const std::vector<std::uint8_t> bytes = PiPL(40, true);
    PiPLInfo info;
    std::string error;
    ASSERT_TRUE(standin::ParsePiPL(bytes.data(), bytes.size(), &info, &error)) << error;
    EXPECT_EQ(info.properties, 5);
    EXPECT_EQ(info.entry64, "PluginMain64");
}

TEST(PiPLTest, DamagedResourcesAreRefusedWithAReason) {
    PiPLInfo info;
    std::string error;
    std::vector<std::uint8_t> bytes = PiPL(5, true);
    EXPECT_FALSE(standin::ParsePiPL(bytes.data(), 6, &info, &error));
    EXPECT_FALSE(error.empty());
    bytes[0] = 2;
    EXPECT_FALSE(standin::ParsePiPL(bytes.data(), bytes.size(), &info, &error));
    bytes = PiPL(5, true);
    bytes[10 + 12] = 0xFF;  // first property's length far past the end
    EXPECT_FALSE(standin::ParsePiPL(bytes.data(), bytes.size(), &info, &error));
    EXPECT_NE(error.find("past the end"), std::string::npos);
}

TEST(StandinTest, UnusableImagesAreRefusedBeforeThePlugInIsCalled) {
    standin::Image good = standin::Image::Make(4, 3, 3, 8);
    EXPECT_EQ(good.Problem(), "");
    standin::Image bad = good;
    bad.depth = 12;
    EXPECT_NE(bad.Problem(), "");
    bad = good;
    bad.data.pop_back();
    EXPECT_NE(bad.Problem(), "");
    bad = good;
    bad.mask.assign(5, 255);
    EXPECT_NE(bad.Problem(), "");
    // Sides past 16 bits need a host with 32-bit coordinates.
    EXPECT_NE(standin::Image::Make(40000, 2, 3, 8).Problem(false), "");
    EXPECT_EQ(standin::Image::Make(40000, 2, 3, 8).Problem(true), "");
    EXPECT_NE(standin::Image::Make(0, 2, 3, 8).Problem(), "");
}

TEST(StandinTest, ModesFollowPlanesAndDepth) {
    EXPECT_EQ(standin::Image::Make(1, 1, 1, 8).imageMode, plugInModeGrayScale);
    EXPECT_EQ(standin::Image::Make(1, 1, 2, 16).imageMode, plugInModeGray16);
    EXPECT_EQ(standin::Image::Make(1, 1, 3, 8).imageMode, plugInModeRGBColor);
    EXPECT_EQ(standin::Image::Make(1, 1, 4, 16).imageMode, plugInModeRGB48);
}

TEST(StandinTest, RunsWithoutAModuleOrWithABadOneFailClearly) {
    standin::Host host;
    standin::Image image = standin::Image::Make(2, 2, 3, 8);
    standin::RunResult result = host.Run(image);
    EXPECT_NE(result.code, noErr);
    EXPECT_NE(result.error.find("no plug-in module"), std::string::npos);
    std::string error;
    EXPECT_FALSE(host.Load("no-such-module.8bf", &error));
    EXPECT_NE(error.find("no-such-module.8bf"), std::string::npos);
    EXPECT_FALSE(host.Loaded());
}

TEST(StandinTest, ResultCodesHaveTexts) {
    EXPECT_EQ(standin::ResultText(noErr), "");
    for (OSErr code : {userCanceledErr, memFullErr, filterBadParameters, paramErr, OSErr(-4242), OSErr(7)})
        EXPECT_FALSE(standin::ResultText(code).empty()) << code;
}

}  // namespace
