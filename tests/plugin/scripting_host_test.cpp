// Recording and replaying through the stand-in host and the real module, as a host's actions do.
// The table first: its ScriptType::Boolean would otherwise shadow the host interface's Boolean.
#include "params/param_table.h"
#include "host/standin/standin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class ScriptingHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(RIMELACE_MODULE, &error)) << error;
        image = standin::Image::Make(24, 16, 3, 8);
    }

    RimelaceParams Record() const {
        RimelaceParams params{};
        std::vector<std::uint8_t> bytes = host.ParameterBytes();
        EXPECT_GE(bytes.size(), sizeof params);
        if (bytes.size() >= sizeof params) std::memcpy(&params, bytes.data(), sizeof params);
        return params;
    }

    standin::Host host;
    standin::Image image;
};

standin::DescriptorItem Item(const ParamEntry& entry, double value) {
    standin::DescriptorItem item;
    item.key = entry.key;
    item.number = value;
    switch (entry.scriptType) {
        case ScriptType::Boolean: item.type = typeBoolean; break;
        case ScriptType::Integer: item.type = typeInteger; break;
        case ScriptType::UnitFloat:
            item.type = typeUnitFloat;
            item.unit = unitDistance;
            break;
    }
    return item;
}

TEST_F(ScriptingHostTest, FinishRecordsTheWrittenKeysInTableOrder) {
    standin::RunResult run = host.Run(image);
    ASSERT_EQ(run.code, noErr) << run.error;
    ASSERT_TRUE(run.recorded.has_value());
    EXPECT_EQ(run.recordInfo, plugInDialogOptional);
    std::size_t i = 0;
    for (const ParamEntry& entry : ParamTable()) {
        if (!entry.scriptWritten) continue;
        ASSERT_LT(i, run.recorded->items.size());
        const standin::DescriptorItem& item = run.recorded->items[i++];
        EXPECT_EQ(item.key, entry.key) << entry.field;
        EXPECT_EQ(item.type, Item(entry, 0).type) << entry.field;
        EXPECT_EQ(item.number, static_cast<double>(static_cast<float>(entry.defaultValue))) << entry.field;
    }
    EXPECT_EQ(i, 43u);
    EXPECT_EQ(run.recorded->items.size(), 43u);
}

TEST_F(ScriptingHostTest, ReplayRestoresEveryFieldAndTheNextRecordingMatches) {
    standin::Descriptor replay;
    RimelaceParams want{};
    ResetParams(want);
    int n = 0;
    for (const ParamEntry& entry : ParamTable()) {
        const double value = entry.scriptType == ScriptType::UnitFloat ? 0.5 * ++n
                             : entry.scriptType == ScriptType::Boolean ? 0
                                                                       : 300 + ++n;  // bytes keep the low byte
        replay.items.push_back(Item(entry, value));
        if (entry.scriptType == ScriptType::UnitFloat)
            SetFloat(want, entry, value);
        else
            SetInteger(want, entry, static_cast<std::int32_t>(value));
    }
    replay.items.push_back(Item(*FindParamByField("CenterX"), -12.25));  // a repeated key: the last counts
    want.CenterX = -12.25f;

    standin::RunOptions options;
    options.replay = replay;
    standin::RunResult run = host.Run(image, options);
    ASSERT_EQ(run.code, noErr) << run.error;
    const RimelaceParams got = Record();
    for (const ParamEntry& entry : ParamTable())
        EXPECT_EQ(GetFloat(got, entry), GetFloat(want, entry)) << entry.field;

    ASSERT_TRUE(run.recorded.has_value());
    for (const standin::DescriptorItem& item : run.recorded->items) {
        const ParamEntry* entry = FindParamByKey(item.key);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(item.number, GetFloat(want, *entry)) << entry->field;
    }
}

TEST_F(ScriptingHostTest, AnActionWithoutSomeKeysKeepsTheirValues) {
    standin::Descriptor replay;
    replay.items.push_back(Item(*FindParamByField("Width"), 99));
    standin::RunOptions options;
    options.replay = replay;
    standin::RunResult run = host.Run(image, options);
    ASSERT_EQ(run.code, noErr) << run.error;  // missing keys are not an error
    const RimelaceParams got = Record();
    EXPECT_EQ(got.Width, 99.0f);
    EXPECT_EQ(got.Lenght, 15.0f);
    EXPECT_EQ(got.Beta, 45.0f);
}

}  // namespace
