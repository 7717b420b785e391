// The entry's dispatch, called directly: globals in the data slot, the prepare arithmetic, and
// nothing thrown ever crossing the entry.
#include "params/params.h"
#include "plugin/handles.h"
#include "plugin/plugin_main.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

namespace {

// A record for a width × height RGB image, no host suites (handles fall back to global memory).
FilterRecord MakeRecord(std::int16_t width, std::int16_t height, std::int32_t maxSpace) {
    FilterRecord record{};
    record.planes = 3;
    record.imageSize = {height, width};
    record.filterRect = {0, 0, height, width};
    record.maxSpace = maxSpace;
    record.imageMode = plugInModeRGBColor;
    record.depth = 8;
    return record;
}

RimelaceParams& ParamsIn(const FilterRecord& record) { return *reinterpret_cast<RimelaceParams*>(*record.parameters); }

TEST(PluginMainTest, GlobalsAreCreatedOnceAndFoundAgain) {
    FilterRecord record = MakeRecord(10, 8, 1 << 20);
    std::intptr_t data = 0;
    std::int16_t result = -1;
    DispatchSelector(filterSelectorParameters, &record, &data, &result);
    EXPECT_EQ(result, noErr);
    ASSERT_NE(data, 0);
    ASSERT_NE(record.parameters, nullptr);
    EXPECT_EQ(ParamsIn(record).QueryForParameters, 1);
    const std::intptr_t first = data;
    result = -1;
    DispatchSelector(filterSelectorPrepare, &record, &data, &result);
    EXPECT_EQ(result, noErr);
    EXPECT_EQ(data, first);
    EXPECT_EQ(CurrentFilterRecord(), nullptr) << "module state is cleared after each call";
}

TEST(PluginMainTest, PrepareFitsAsManyRowsAsMaxSpaceAllows) {
    // Width 10, 3 planes: 10 + 2 × 10 × 3 = 70 bytes a row; height 8.
    struct Case {
        std::int32_t maxSpace;
        std::int16_t rows;
    };
    for (Case c : {Case{0, 1}, Case{1, 1}, Case{70, 1}, Case{71, 2}, Case{210, 3}, Case{211, 4}, Case{1 << 20, 8}}) {
        FilterRecord record = MakeRecord(10, 8, c.maxSpace);
        record.bufferSpace = 1234;
        std::intptr_t data = 0;
        std::int16_t result = -1;
        DispatchSelector(filterSelectorPrepare, &record, &data, &result);
        ASSERT_EQ(result, noErr);
        EXPECT_EQ(ParamsIn(record).RowsPerChunk, c.rows) << c.maxSpace;
        EXPECT_EQ(record.maxSpace, c.rows * 70) << c.maxSpace;
        EXPECT_EQ(record.bufferSpace, 0);
    }
}

TEST(PluginMainTest, UnknownSelectorLeavesExistingParametersAlone) {
    FilterRecord record = MakeRecord(4, 4, 1 << 20);
    std::intptr_t data = 0;
    std::int16_t result = 0;
    DispatchSelector(filterSelectorParameters, &record, &data, &result);
    ParamsIn(record).RandomSeed = 4242;
    std::vector<char> before(*record.parameters, *record.parameters + sizeof(RimelaceParams));
    for (std::int16_t selector : {std::int16_t(6), std::int16_t(-1)}) {
        DispatchSelector(selector, &record, &data, &result);
        EXPECT_EQ(result, filterBadParameters);
        EXPECT_EQ(std::memcmp(before.data(), *record.parameters, before.size()), 0);
    }
}

TEST(PluginMainTest, ParametersTooSmallToBeOursAreReplacedByDefaults) {
    FilterRecord record = MakeRecord(4, 4, 1 << 20);
    record.parameters = NewPluginHandle(3);  // e.g. left by another version
    std::intptr_t data = 0;
    std::int16_t result = 0;
    DispatchSelector(filterSelectorPrepare, &record, &data, &result);
    EXPECT_EQ(result, noErr);
    EXPECT_GE(PluginHandleSize(record.parameters), std::int32_t(sizeof(RimelaceParams)));
    RimelaceParams defaults{};
    ResetParams(defaults);
    EXPECT_EQ(ParamsIn(record).RandomSeed, defaults.RandomSeed);
}

// Host routines that throw, as a broken host might: nothing may cross the entry.
Handle ThrowBadAlloc(std::int32_t) { throw std::bad_alloc(); }
Handle ThrowSomething(std::int32_t) { throw 42; }

TEST(PluginMainTest, NoExceptionCrossesTheEntry) {
    for (auto thrower : {ThrowBadAlloc, ThrowSomething}) {
        HandleProcs procs{};
        procs.handleProcsVersion = 1;
        procs.numHandleProcs = 8;
        procs.newProc = thrower;
        procs.disposeProc = [](Handle) {};
        procs.getSizeProc = [](Handle) { return std::int32_t(0); };
        procs.setSizeProc = [](Handle, std::int32_t) { return noErr; };
        FilterRecord record = MakeRecord(4, 4, 1 << 20);
        record.handleProcs = &procs;
        std::intptr_t data = 0;
        std::int16_t result = 0;
        EXPECT_NO_THROW(DispatchSelector(filterSelectorStart, &record, &data, &result));
        EXPECT_EQ(result, thrower == ThrowBadAlloc ? memFullErr : paramErr);
        EXPECT_EQ(CurrentFilterRecord(), nullptr);
    }
}

TEST(PluginMainTest, MissingRecordOrResultIsRefusedSafely) {
    std::intptr_t data = 0;
    std::int16_t result = 0;
    DispatchSelector(filterSelectorStart, nullptr, &data, &result);
    EXPECT_EQ(result, filterBadParameters);
    FilterRecord record = MakeRecord(4, 4, 1 << 20);
    result = 0;
    DispatchSelector(filterSelectorStart, &record, nullptr, &result);
    EXPECT_EQ(result, filterBadParameters);
    EXPECT_NO_THROW(DispatchSelector(filterSelectorPrepare, &record, &data, nullptr));
    DispatchSelector(filterSelectorAbout, nullptr, &data, &result);
    EXPECT_EQ(result, noErr);
}

}  // namespace
