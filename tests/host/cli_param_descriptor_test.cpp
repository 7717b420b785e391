// The descriptor `apply` replays: every key of the table with the plug-in's reading type, built
// from defaults, then a preset, then --effect, then --set.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "cli_test_images.h"
#include "host/cli/param_descriptor.h"
#include "params/param_table.h"
#include "params/preset_file.h"

namespace rimelace_cli {
namespace {

const DescriptorItem* Find(const std::vector<DescriptorItem>& items, const char* key) {
    std::uint32_t code = 0;
    CodeFromText(key, code);
    for (const DescriptorItem& item : items)
        if (item.key == code) return &item;
    return nullptr;
}

TEST(ParamDescriptor, DefaultsCoverEveryKeyOnceWithTheTypeThePluginReads) {
    const std::vector<DescriptorItem> items = DescriptorFromParams(GatherParams({}));
    ASSERT_EQ(items.size(), kParamCount);
    std::set<std::uint32_t> keys;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ParamEntry& entry = ParamTable()[i];
        EXPECT_EQ(items[i].key, entry.key) << "table order";
        keys.insert(items[i].key);
        const ItemType want = entry.scriptType == ScriptType::Boolean   ? ItemType::Boolean
                              : entry.scriptType == ScriptType::Integer ? ItemType::Integer
                                                                        : ItemType::UnitFloat;
        EXPECT_EQ(items[i].type, want) << entry.field;
        if (want == ItemType::UnitFloat) {
            EXPECT_EQ(CodeText(items[i].unit), "#Rlt");
            EXPECT_EQ(items[i].number, entry.defaultValue) << entry.field;
        }
        if (want == ItemType::Integer) {
            EXPECT_EQ(items[i].integer, std::int32_t(entry.defaultValue)) << entry.field;
        }
    }
    EXPECT_EQ(keys.size(), kParamCount);
    // The keys only a replay can set are there too.
    for (const char* key : {"UsBk", "Alph", "Beta"})
        EXPECT_NE(Find(items, key), nullptr) << key;
    EXPECT_TRUE(Find(items, "AtUp")->boolean);
    EXPECT_EQ(Find(items, "Diff")->integer, 0xC0C0C0);
}

TEST(ParamDescriptor, EffectNameSetsKindAndPattern) {
    const RimelaceParams params = GatherParams({"", "Single 4", {}});
    EXPECT_EQ(params.EffectKind, 3);
    EXPECT_EQ(params.PatternKind, 4);
    const RimelaceParams geometric = GatherParams({"", "Geometric 1", {}});
    EXPECT_EQ(geometric.EffectKind, 1);
    EXPECT_EQ(geometric.PatternKind, 1);
    try {
        GatherParams({"", "Single 9", {}});
        FAIL();
    } catch (const ParamError& error) {
        EXPECT_NE(std::string(error.what()).find("\"Single 4\""), std::string::npos) << "lists the effects";
    }
}

TEST(ParamDescriptor, LaterSourcesWinPresetThenEffectThenSet) {
    testing::TempFolder folder;
    const std::string preset = folder.File("p.ipt");
    RimelaceParams saved{};
    ResetParams(saved);
    saved.Width = 42.5f;
    saved.RandomSeed = 77;
    saved.EffectKind = 1;
    saved.PatternKind = 2;
    StringPresetOutput out;
    ASSERT_TRUE(WritePresetHeader(out));
    ASSERT_TRUE(WritePreset(saved, out));
    testing::WriteBytes(preset, out.Bytes());

    const RimelaceParams fromPreset = GatherParams({preset, "", {}});
    EXPECT_EQ(fromPreset.Width, 42.5f);
    EXPECT_EQ(fromPreset.RandomSeed, 77);
    EXPECT_EQ(fromPreset.EffectKind, 1);

    const RimelaceParams all = GatherParams({preset, "Floral 2", {"Width=80", "RandomSeed=5", "Width=81.5"}});
    EXPECT_EQ(all.Width, 81.5f) << "the last --set wins";
    EXPECT_EQ(all.RandomSeed, 5);
    EXPECT_EQ(all.EffectKind, 2);
    EXPECT_EQ(all.PatternKind, 2);
    const std::vector<DescriptorItem> items = DescriptorFromParams(all);
    EXPECT_EQ(Find(items, "Wdth")->number, 81.5);
    EXPECT_EQ(Find(items, "RndS")->integer, 5);
}

// The message of the error GatherParams raises, or "" when it succeeds.
std::string GatherError(const ParamChoices& choices) {
    try {
        GatherParams(choices);
    } catch (const ParamError& error) {
        return error.what();
    }
    return "";
}

TEST(ParamDescriptor, UnusablePresetsAndSetsAreRefusedWithTheReason) {
    testing::TempFolder folder;
    EXPECT_NE(GatherError({folder.File("none.ipt"), "", {}}).find("none.ipt"), std::string::npos);
    testing::WriteBytes(folder.File("wrong.ipt"), "Not a preset\n");
    EXPECT_NE(GatherError({folder.File("wrong.ipt"), "", {}}).find("Sol Rimelace1"), std::string::npos);
    EXPECT_NE(GatherError({"", "", {"Widht=3"}}), "") << "unknown field";
    EXPECT_NE(GatherError({"", "", {"Width=wide"}}), "") << "not a number";
    EXPECT_NE(GatherError({"", "", {"Width"}}), "") << "no value";
}

} // namespace
} // namespace rimelace_cli
