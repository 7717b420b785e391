#include "host/modinfo/module_file.h"
#include "host/modinfo/plugin_info.h"
#include "params/four_cc.h"
#include "platform/platform.h"
#include "resources/plugin_resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr PiplEntries kThisModule = sizeof(void*) == 8 ? PiplEntries::X86AndX64 : PiplEntries::X86;

std::vector<std::uint8_t> Embedded(const char* type, int id) {
    std::size_t size = 0;
    const std::uint8_t* bytes = platform::FindResourceBytes(type, id, &size);
    if (!bytes) return {};
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

modinfo::PiplInfo Pipl(PiplEntries entries) {
    modinfo::PiplInfo info;
    std::string error;
    std::vector<std::uint8_t> bytes = BuildPipl(entries);
    EXPECT_TRUE(modinfo::ParsePipl(bytes, &info, &error)) << error;
    return info;
}

TEST(PluginResourcesTest, ModuleCarriesTheBuiltPiplAndDictionary) {
    EXPECT_EQ(Embedded("PIPL", kPiplResourceId), BuildPipl(kThisModule));
    EXPECT_EQ(Embedded("PiPL", kPiplResourceId), BuildPipl(kThisModule));  // hosts ask in either case
    EXPECT_EQ(Embedded("AETE", kAeteResourceId), BuildAete());
    EXPECT_TRUE(Embedded("PIPL", kPiplResourceId + 1).empty());
}

TEST(PluginResourcesTest, ModuleFileShowsTheResourcesWithoutLoading) {
    modinfo::ModuleFile module;
    std::string error;
    ASSERT_TRUE(modinfo::ReadModuleFile(platform::ModulePath(), &module, &error)) << error;
    EXPECT_EQ(module.bits, static_cast<int>(sizeof(void*) * 8));
    const modinfo::ModuleResource* pipl = module.Find("PiPL", kPiplResourceId);
    const modinfo::ModuleResource* aete = module.Find("AETE", kAeteResourceId);
    ASSERT_NE(pipl, nullptr);
    ASSERT_NE(aete, nullptr);
    EXPECT_EQ(pipl->typeName, "PIPL");  // stored upper-case
    EXPECT_EQ(pipl->bytes, BuildPipl(kThisModule));
    EXPECT_EQ(aete->bytes, BuildAete());
}

TEST(PluginResourcesTest, PiplStartsWithTheWindowsPrefixAndReversedCodes) {
    const std::vector<std::uint8_t> bytes = BuildPipl(PiplEntries::X86);
    const std::vector<std::uint8_t> start = {1, 0, 0, 0, 0, 0, 9, 0, 0, 0, 'M', 'I', 'B', '8', 'd', 'n', 'i', 'k',
                                             0, 0, 0, 0, 4, 0, 0, 0, 'M', 'F', 'B', '8'};
    ASSERT_GE(bytes.size(), start.size());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + start.size()), start);
}

TEST(PluginResourcesTest, PiplPropertiesReadBackFieldByField) {
    for (PiplEntries entries : {PiplEntries::X86, PiplEntries::X86AndX64}) {
        const bool x64 = entries == PiplEntries::X86AndX64;
        modinfo::PiplInfo info = Pipl(entries);
        EXPECT_EQ(info.prefix, 1);
        EXPECT_EQ(info.version, 0u);
        EXPECT_EQ(info.count, x64 ? 10u : 9u);
        ASSERT_EQ(info.properties.size(), info.count);

        std::vector<std::uint32_t> keys = {FourCC("kind"), FourCC("name"), FourCC("catg"), FourCC("vers"),
                                           FourCC("wx86")};
        std::vector<std::uint32_t> lengths = {4, 12, 12, 4, 12};
        if (x64) {
            keys.push_back(FourCC("8664"));
            lengths.push_back(12);
        }
        for (auto [key, length] : {std::pair{FourCC("mode"), 4u}, {FourCC("hstm"), 56u}, {FourCC("enbl"), 160u},
                                   {FourCC("fici"), 28u}}) {
            keys.push_back(key);
            lengths.push_back(length);
        }
        for (std::size_t i = 0; i < info.properties.size(); ++i) {
            const modinfo::PiplProperty& p = info.properties[i];
            EXPECT_EQ(p.vendor, FourCC("8BIM")) << i;
            EXPECT_EQ(p.key, keys[i]) << i;
            EXPECT_EQ(p.id, 0u) << i;
            EXPECT_EQ(p.length, lengths[i]) << i;
            EXPECT_EQ(p.length % 4, 0u) << i;
        }
        EXPECT_EQ(info.kind, "8BFM");
        EXPECT_EQ(info.name, "Rimelace...");
        EXPECT_EQ(info.category, "Corvanta");
        EXPECT_EQ(info.interfaceVersion, 0x00040000u);
        EXPECT_EQ(info.entryX86, "PluginMain");
        EXPECT_EQ(info.entryX64, x64 ? "PluginMain" : "");
        EXPECT_EQ(info.modes, (std::vector<int>{1, 3, 4, 5, 6, 7, 8, 9}));
        EXPECT_TRUE(info.hasTerminology);
        EXPECT_EQ(info.terminologyVersion, 0u);
        EXPECT_EQ(info.terminologyClass, FourCC("Plp3"));
        EXPECT_EQ(info.terminologyEvent, FourCC("Plp3"));
        EXPECT_EQ(info.dictionaryId, 16000);
        EXPECT_EQ(info.scope, kTerminologyScope);
        EXPECT_EQ(info.scope.size(), 36u);
        EXPECT_EQ(info.enableExpression,
                  "in (PSHOP_ImageMode, RGBMode, GrayScaleMode,CMYKMode, HSLMode, HSBMode, MultichannelMode,"
                  "DuotoneMode, LabMode, RGB48Mode, Gray16Mode) ||PSHOP_ImageDepth == 16");
        ASSERT_EQ(info.filterCases.size(), 7u);
        const std::uint8_t flags[7] = {0x06, 0x0E, 0x0E, 0x06, 0x0E, 0x06, 0x0E};
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(info.filterCases[i].inputHandling, 4) << i;
            EXPECT_EQ(info.filterCases[i].outputHandling, 4) << i;
            EXPECT_EQ(info.filterCases[i].flags1, flags[i]) << i;
            EXPECT_EQ(info.filterCases[i].flags2, 0) << i;
        }
    }
}

TEST(PluginResourcesTest, DictionaryReadsBackFieldByField) {
    modinfo::AeteInfo info;
    std::string error;
    const std::vector<std::uint8_t> bytes = BuildAete();
    ASSERT_TRUE(modinfo::ParseAete(bytes, &info, &error)) << error;
    EXPECT_EQ(std::vector<int>(info.header, info.header + 4), (std::vector<int>{1, 1, 0, 0}));
    ASSERT_EQ(info.suites.size(), 1u);
    const modinfo::AeteSuite& suite = info.suites[0];
    EXPECT_EQ(suite.name, "Corvanta");
    EXPECT_EQ(suite.description, "Corvanta plug-ins");
    EXPECT_EQ(suite.code, FourCC("Plp3"));
    EXPECT_EQ(suite.level, 1);
    EXPECT_EQ(suite.version, 1);
    ASSERT_EQ(suite.events.size(), 1u);
    const modinfo::AeteEvent& event = suite.events[0];
    EXPECT_EQ(event.name, "Rimelace");
    EXPECT_EQ(event.description, "Rimelaces filter plug-in");
    EXPECT_EQ(event.eventClass, FourCC("Plp3"));
    EXPECT_EQ(event.eventId, FourCC("Plp3"));
    EXPECT_EQ(event.replyType, FourCC("null"));
    EXPECT_EQ(event.replyDescription, "");
    EXPECT_EQ(event.replyFlags, 0);
    EXPECT_EQ(event.directType, FourCC("#ImR"));
    EXPECT_EQ(event.directDescription, "");
    EXPECT_EQ(event.directFlags, 0xB000);

    const char* keys[44] = {"AtUp", "CtnX", "CtnY", "RndM", "MskK", "PtrK", "GrwD", "RndS", "MnIn", "MxIt", "MxTr",
                            "Wdth", "Lngh", "Comp", "CmDs", "Dspr", "LsID", "PLen", "PWid", "InDp", "Scle", "Diff",
                            "Spec", "Shin", "ShSt", "SlIl", "Trns", "BmpP", "Rfrc", "Keff", "Abbr", "LgCl", "LgAl",
                            "LgBt", "LgMt", "AlpC", "UsGl", "UsGl", "EfKn", "Turn", "Trn1", "MxT1", "RttX", "Colr"};
    ASSERT_EQ(event.parameters.size(), 44u);
    for (int i = 0; i < 44; ++i) {
        const modinfo::AeteParameter& p = event.parameters[i];
        const char* k = keys[i];
        EXPECT_EQ(p.key, (std::uint32_t(k[0]) << 24) | (std::uint32_t(k[1]) << 16) | (std::uint32_t(k[2]) << 8) |
                             std::uint32_t(k[3]))
            << i;
        EXPECT_EQ(p.flags, 0) << i;
        EXPECT_FALSE(p.name.empty()) << i;
    }
    EXPECT_EQ(event.parameters[0].name, "Auto Update");
    EXPECT_EQ(event.parameters[0].type, FourCC("bool"));
    EXPECT_EQ(event.parameters[0].description, "Use Automatic Preview Update");
    EXPECT_EQ(event.parameters[1].type, FourCC("doub"));
    EXPECT_EQ(event.parameters[3].type, FourCC("long"));
    EXPECT_EQ(event.parameters[41].name, "Max Trngls 1");
    EXPECT_EQ(event.parameters[41].description, "Max number of triangless 1");
    EXPECT_EQ(event.parameters[37].name, "Use Glass");
    EXPECT_EQ(info.classCount, 0);
    EXPECT_EQ(info.comparisonCount, 0);
    EXPECT_EQ(info.enumerationCount, 0);
    EXPECT_EQ(info.unreadBytes, 0u);
    // Strings are packed: a length byte and the characters, no terminator or alignment.
    EXPECT_EQ(bytes[10], 8);
    EXPECT_EQ(std::string(bytes.begin() + 11, bytes.begin() + 19), "Corvanta");
    EXPECT_EQ(bytes[19], 17);
}

TEST(PluginResourcesTest, DamagedResourcesAreRefusedNotOverrun) {
    const std::vector<std::uint8_t> pipl = BuildPipl(PiplEntries::X86AndX64);
    const std::vector<std::uint8_t> aete = BuildAete();
    std::string error;
    for (std::size_t cut : {0, 5, 9, 20, 40, 100}) {
        modinfo::PiplInfo info;
        EXPECT_FALSE(modinfo::ParsePipl(std::span(pipl).first(cut), &info, &error)) << cut;
        modinfo::AeteInfo dictionary;
        EXPECT_FALSE(modinfo::ParseAete(std::span(aete).first(cut), &dictionary, &error)) << cut;
    }
}

}  // namespace
