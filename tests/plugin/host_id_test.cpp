// Host identification from version-resource bytes built here the way resource compilers lay
// them out.
#include "plugin/host_id.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Node {
    std::string key;
    std::vector<std::uint8_t> value;
    bool text = false;
    std::uint16_t valueLength = 0;  // in characters for text, bytes otherwise
    std::vector<Node> children;
};

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void Pad4(std::vector<std::uint8_t>& out) {
    while (out.size() % 4) out.push_back(0);
}
std::vector<std::uint8_t> Wide(const std::string& s) {
    std::vector<std::uint8_t> out;
    for (char c : s) Put16(out, std::uint8_t(c));
    Put16(out, 0);
    return out;
}

std::vector<std::uint8_t> Encode(const Node& node) {
    std::vector<std::uint8_t> out;
    Put16(out, 0);  // length, patched below
    Put16(out, node.valueLength);
    Put16(out, node.text ? 1 : 0);
    std::vector<std::uint8_t> key = Wide(node.key);
    out.insert(out.end(), key.begin(), key.end());
    Pad4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children) {
        Pad4(out);
        std::vector<std::uint8_t> bytes = Encode(child);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    out[0] = std::uint8_t(out.size());
    out[1] = std::uint8_t(out.size() >> 8);
    return out;
}

Node Text(const std::string& key, const std::string& value) {
    Node node{key, Wide(value), true, std::uint16_t(value.size() + 1), {}};
    return node;
}

std::vector<std::uint8_t> VersionInfo(const std::string& internalName, const std::string& fileVersion,
                                      std::uint32_t fileOS, const std::string& tableKey,
                                      std::uint16_t language = 0x0409, std::uint16_t codePage = 0x04B0) {
    std::vector<std::uint8_t> fixed(52, 0);
    const std::uint32_t signature = 0xFEEF04BD;
    for (int i = 0; i < 4; ++i) {
        fixed[i] = std::uint8_t(signature >> (8 * i));
        fixed[32 + i] = std::uint8_t(fileOS >> (8 * i));
    }
    Node table{tableKey, {}, true, 0, {Text("CompanyName", "Somebody"), Text("FileVersion", fileVersion),
                                       Text("InternalName", internalName)}};
    Node strings{"StringFileInfo", {}, true, 0, {table}};
    std::vector<std::uint8_t> translation;
    Put16(translation, language);
    Put16(translation, codePage);
    Node var{"Translation", translation, false, 4, {}};
    Node vars{"VarFileInfo", {}, true, 0, {var}};
    Node root{"VS_VERSION_INFO", fixed, false, 52, {strings, vars}};
    return Encode(root);
}

TEST(HostIdTest, PremiereIsIdentifiedWithItsVersionAndPlatformCode) {
    const std::vector<std::uint8_t> info = VersionInfo("Adobe Premiere", "6.5.1", 0x40004, "040904b0");
    const HostIdentity identity = IdentifyHost(info.data(), info.size());
    ASSERT_TRUE(identity.identified);
    EXPECT_EQ(identity.signature, FourCC("PrMr"));
    EXPECT_EQ(identity.platformCode, 12u);
    EXPECT_EQ(VersionWordFor(identity, FourCC("PrMr")), (6u << 24) | (5u << 20) | (1u << 16) | 12u);
    EXPECT_EQ(VersionWordFor(identity, FourCC("8BIM")), 0u);
}

TEST(HostIdTest, PlatformCodeFollowsTheFileOsValue) {
    struct Case {
        std::uint32_t fileOS, code;
    };
    for (Case c : {Case{0x40000, 10}, Case{1, 11}, Case{0x40004, 12}, Case{4, 12}}) {
        const std::vector<std::uint8_t> info = VersionInfo("Photoshp", "7.0", c.fileOS, "040904b0");
        const HostIdentity identity = IdentifyHost(info.data(), info.size());
        EXPECT_EQ(identity.platformCode, c.code) << c.fileOS;
        EXPECT_EQ(VersionWordFor(identity, FourCC("8BIM")) & 0xFF, c.code);
    }
}

TEST(HostIdTest, AskedSignatureAcceptsItselfAndTheOnesAfterItInItsGroup) {
    const std::vector<std::uint8_t> illustrator = VersionInfo("Adobe Illustrator", "10.0.3", 0x40004, "040904b0");
    const HostIdentity art5 = IdentifyHost(illustrator.data(), illustrator.size());
    EXPECT_NE(VersionWordFor(art5, FourCC("ART3")), 0u);
    EXPECT_NE(VersionWordFor(art5, FourCC("ARTY")), 0u);
    EXPECT_NE(VersionWordFor(art5, FourCC("ART5")), 0u);
    EXPECT_EQ(VersionWordFor(art5, FourCC("Cdrw")), 0u);

    const std::vector<std::uint8_t> pm5 = VersionInfo("PM5", "5.0", 0x40004, "040904b0");
    const HostIdentity ald5 = IdentifyHost(pm5.data(), pm5.size());
    EXPECT_NE(VersionWordFor(ald5, FourCC("ALD5")), 0u);
    EXPECT_EQ(VersionWordFor(ald5, FourCC("ALD6")), 0u) << "a later signature does not accept an earlier one";
    EXPECT_EQ(VersionWordFor(ald5, FourCC("xxxx")), 0u);
}

TEST(HostIdTest, MissingStringTableFallsBackToSearchingTheRawBytes) {
    // The translation names a table that is not there.
    const std::vector<std::uint8_t> info = VersionInfo("Adobe Premiere", "6.0.2", 0x40004, "040904e4", 0x0409, 0x04B0);
    const HostIdentity identity = IdentifyHost(info.data(), info.size());
    ASSERT_TRUE(identity.identified);
    EXPECT_EQ(identity.signature, FourCC("PrMr"));
    EXPECT_EQ(identity.major, 6u);
    EXPECT_EQ(identity.fix, 2u);
}

TEST(HostIdTest, UnknownOrMissingInformationIdentifiesNothing) {
    const std::vector<std::uint8_t> other = VersionInfo("SomeEditor", "1.0", 0x40004, "040904b0");
    EXPECT_FALSE(IdentifyHost(other.data(), other.size()).identified);
    EXPECT_FALSE(IdentifyHost(nullptr, 0).identified);
    const std::vector<std::uint8_t> garbage(100, 0xFF);
    EXPECT_FALSE(IdentifyHost(garbage.data(), garbage.size()).identified);
    std::vector<std::uint8_t> truncated = VersionInfo("Photoshp", "7.0", 0x40004, "040904b0");
    truncated.resize(40);
    EXPECT_FALSE(IdentifyHost(truncated.data(), truncated.size()).identified);
    EXPECT_EQ(VersionWordFor(HostIdentity{}, FourCC("PrMr")), 0u);
}

}  // namespace
