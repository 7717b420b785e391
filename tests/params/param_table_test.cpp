#include "params/param_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>

namespace {

RimelaceParams Filled(std::uint8_t byte) {
    RimelaceParams params;
    std::memset(&params, byte, sizeof params);
    return params;
}

TEST(ParamTableTest, KeysFieldNamesAndMembersAreUnique) {
    std::set<std::uint32_t> keys;
    std::set<std::string> fields;
    for (const ParamEntry& entry : ParamTable()) {
        EXPECT_TRUE(keys.insert(entry.key).second) << entry.field;
        EXPECT_TRUE(fields.insert(entry.field).second) << entry.field;
    }
    EXPECT_EQ(ParamTable().size(), kParamCount);
    // Distinct members: setting one row must change no other row.
    for (const ParamEntry& entry : ParamTable()) {
        RimelaceParams params = Filled(0);
        SetInteger(params, entry, 7);
        for (const ParamEntry& other : ParamTable())
            if (&other != &entry) {
                EXPECT_EQ(GetInteger(params, other), 0) << entry.field << " touches " << other.field;
            }
    }
}

TEST(ParamTableTest, LookupsFindEveryRowByKeyAndByName) {
    for (const ParamEntry& entry : ParamTable()) {
        EXPECT_EQ(FindParamByKey(entry.key), &entry);
        EXPECT_EQ(FindParamByField(entry.field), &entry);
    }
    EXPECT_EQ(FindParamByKey(FourCC("pUtA")), nullptr);
    EXPECT_EQ(FindParamByField("autoupdate"), nullptr);
    EXPECT_EQ(FindParamByField("SceneDirty"), nullptr);
    EXPECT_EQ(FourCC("AtUp"), 0x41745570u);
}

TEST(ParamTableTest, DefaultsLieInsideTheDialogRanges) {
    for (const ParamEntry& entry : ParamTable()) {
        EXPECT_TRUE(std::isfinite(entry.defaultValue)) << entry.field;
        if (entry.rangeKind == RangeKind::Angle) continue;
        EXPECT_LE(entry.rangeMin, entry.rangeMax) << entry.field;
        EXPECT_GE(entry.defaultValue, entry.rangeMin) << entry.field;
        EXPECT_LE(entry.defaultValue, entry.rangeMax) << entry.field;
        if (entry.rangeKind == RangeKind::Flag) {
            EXPECT_EQ(entry.rangeMax, 1) << entry.field;
        }
    }
}

TEST(ParamTableTest, KindsFollowTheFieldTypes) {
    for (const ParamEntry& entry : ParamTable()) {
        if (entry.key == FourCC("AtUp")) {
            EXPECT_EQ(entry.ref.type, FieldType::I32);
            EXPECT_EQ(entry.presetKind, PresetKind::Byte);
            EXPECT_EQ(entry.scriptType, ScriptType::Boolean);
            continue;
        }
        switch (entry.ref.type) {
            case FieldType::U8:
                EXPECT_EQ(entry.presetKind, PresetKind::Byte) << entry.field;
                EXPECT_EQ(entry.scriptType, ScriptType::Integer) << entry.field;
                break;
            case FieldType::I32:
                EXPECT_EQ(entry.presetKind, PresetKind::Integer) << entry.field;
                EXPECT_EQ(entry.scriptType, ScriptType::Integer) << entry.field;
                break;
            case FieldType::F32:
                EXPECT_EQ(entry.presetKind, PresetKind::Float) << entry.field;
                EXPECT_EQ(entry.scriptType, ScriptType::UnitFloat) << entry.field;
                break;
        }
        EXPECT_EQ(DictionaryType(entry), entry.scriptType == ScriptType::UnitFloat ? FourCC("doub") : FourCC("long"));
    }
}

TEST(ParamTableTest, ScriptAndDictionaryColumnsAgree) {
    int written = 0, listed = 0;
    std::set<std::string> unwritten;
    for (const ParamEntry& entry : ParamTable()) {
        written += entry.scriptWritten;
        listed += entry.dictionaryCount;
        if (!entry.scriptWritten) {
            unwritten.insert(entry.field);
            EXPECT_EQ(entry.dictionaryCount, 0) << entry.field;
        } else {
            EXPECT_GE(entry.dictionaryCount, 1) << entry.field;
            EXPECT_NE(std::string(entry.dictionaryName), "") << entry.field;
        }
        EXPECT_EQ(std::string(entry.presetComment).empty(), entry.key == FourCC("CtnY")) << entry.field;
    }
    EXPECT_EQ(written, 43);
    EXPECT_EQ(listed, 44);
    EXPECT_EQ(unwritten, (std::set<std::string>{"UseBackLight", "Alpha", "Beta"}));
}

TEST(ParamTableTest, ResetSetsEveryDefaultAndLeavesTheShellFieldsAlone) {
    RimelaceParams params = Filled(0xAB);
    const RimelaceParams before = params;
    ResetParams(params);
    for (const ParamEntry& entry : ParamTable())
        EXPECT_EQ(GetFloat(params, entry), static_cast<double>(static_cast<float>(entry.defaultValue))) << entry.field;
    EXPECT_EQ(params.SceneDirty, 1);
    EXPECT_EQ(params.BumpImage, nullptr);
    EXPECT_EQ(params.SceneTriangleCount, before.SceneTriangleCount);
    EXPECT_EQ(params.ScenePoints, before.ScenePoints);
    EXPECT_EQ(params.RowsPerChunk, before.RowsPerChunk);
    EXPECT_EQ(params.QueryForParameters, before.QueryForParameters);
    EXPECT_EQ(params.UseAdvanceState, before.UseAdvanceState);
    EXPECT_EQ(params.HostIsPremiere, before.HostIsPremiere);
    EXPECT_EQ(params.HostIsAfterEffects, before.HostIsAfterEffects);
}

TEST(ParamTableTest, FreshRecordShowsPhongULikeDirection1AndFloral3) {
    RimelaceParams params = Filled(0);
    ResetParams(params);
    EXPECT_STREQ(RenderModeLabels()[params.RenderMode - 1], "Phong");
    EXPECT_STREQ(MaskKindLabels()[params.MaskKind - 1], "U-like");
    EXPECT_STREQ(GrowDirectLabels()[params.GrowDirect - 1], "Direction 1");
    EXPECT_STREQ(EffectLabels()[EffectIndex(params.EffectKind, params.PatternKind)], "Floral 3");
    EXPECT_EQ(params.Diffuse, 0xC0C0C0);
    EXPECT_EQ(params.Color, 0x00FFFF);
    EXPECT_FLOAT_EQ(params.Dispers, 6.25f);
}

TEST(ParamTableTest, ListSizesMatchTheListRanges) {
    EXPECT_EQ(RenderModeLabels().size(), static_cast<std::size_t>(FindParamByField("RenderMode")->rangeMax));
    EXPECT_EQ(MaskKindLabels().size(), static_cast<std::size_t>(FindParamByField("MaskKind")->rangeMax));
    EXPECT_EQ(GrowDirectLabels().size(), static_cast<std::size_t>(FindParamByField("GrowDirect")->rangeMax));
    EXPECT_EQ(EffectLabels().size(), 10u);
}

TEST(ParamTableTest, EffectIndexAndPairRoundTrip) {
    for (int index = 0; index < 10; ++index) {
        EffectPair pair = EffectFromIndex(index);
        EXPECT_EQ(EffectIndex(pair.effectKind, pair.patternKind), index);
        std::string label = EffectLabels()[index];
        const char* family = pair.effectKind == 1 ? "Geometric " : pair.effectKind == 2 ? "Floral " : "Single ";
        EXPECT_EQ(label, family + std::to_string(pair.patternKind));
    }
    EXPECT_EQ(EffectFromIndex(9).effectKind, 3);
    EXPECT_EQ(EffectFromIndex(9).patternKind, 4);
    EXPECT_EQ(EffectIndex(0, 2), 0);
    EXPECT_EQ(EffectIndex(7, 2), 0);
}

TEST(ParamTableTest, SettersTruncateBytesAndNeverOverflow) {
    RimelaceParams params = Filled(0);
    const ParamEntry& backLight = *FindParamByField("UseBackLight");
    SetInteger(params, backLight, 300);
    EXPECT_EQ(params.UseBackLight, 44);
    SetInteger(params, backLight, -1);
    EXPECT_EQ(params.UseBackLight, 255);
    const ParamEntry& seed = *FindParamByField("RandomSeed");
    SetFloat(params, seed, 1e300);
    EXPECT_EQ(params.RandomSeed, 2147483647);
    SetFloat(params, seed, -7.9);
    EXPECT_EQ(params.RandomSeed, -7);
    SetFloat(params, seed, std::nan(""));
    EXPECT_EQ(params.RandomSeed, 0);
    const ParamEntry& width = *FindParamByField("Width");
    SetFloat(params, width, 1e300);
    EXPECT_EQ(params.Width, std::numeric_limits<float>::max());
    SetFloat(params, width, -1e300);
    EXPECT_EQ(params.Width, -std::numeric_limits<float>::max());
    SetFloat(params, width, std::nan(""));
    EXPECT_EQ(params.Width, 0.0f);
    SetFloat(params, width, 1.25);
    EXPECT_EQ(GetInteger(params, width), 1);
}

}  // namespace
