// The entry's dispatch, called directly: globals in the data slot, the prepare arithmetic, and
// nothing thrown ever crossing the entry.
#include "generate/render_driver.h"
#include "params/params.h"
#include "plugin/handles.h"
#include "plugin/module_state.h"
#include "plugin/plugin_main.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
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

// The plug-in keeps its handles for the host's life; the tests release them.
struct Release {
    FilterRecord& record;
    std::intptr_t& data;
    ~Release() {
        if (record.parameters) DisposePluginHandle(record.parameters);
        if (data) DisposePluginHandle(reinterpret_cast<Handle>(data));
    }
};

// Makes `record` the record of a call in progress (so that handle routines reach its suite).
struct BeginCallScope {
    explicit BeginCallScope(FilterRecord& record) { BeginCall(&record, false, &data, &result); }
    ~BeginCallScope() { EndCall(); }
    std::intptr_t data = 0;
    std::int16_t result = 0;
};

RimelaceParams& ParamsIn(const FilterRecord& record) { return *reinterpret_cast<RimelaceParams*>(*record.parameters); }

TEST(PluginMainTest, GlobalsAreCreatedOnceAndFoundAgain) {
    FilterRecord record = MakeRecord(10, 8, 1 << 20);
    std::intptr_t data = 0;
    Release release{record, data};
    std::int16_t result = -1;
    DispatchSelector(filterSelectorParameters, &record, &data, &result);
    EXPECT_EQ(result, noErr);
    ASSERT_NE(data, 0);
    ASSERT_NE(Handle(record.parameters), nullptr);
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
        Release release{record, data};
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
    Release release{record, data};
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
    Release release{record, data};
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
        Release release{record, data};
        std::int16_t result = 0;
        EXPECT_NO_THROW(DispatchSelector(filterSelectorStart, &record, &data, &result));
        EXPECT_EQ(result, thrower == ThrowBadAlloc ? memFullErr : paramErr);
        EXPECT_EQ(CurrentFilterRecord(), nullptr);
    }
}

// A working handle suite whose lock routine can be made to fail for one handle.
struct LockingHost {
    static inline std::map<Handle, std::vector<char>> blocks;
    static inline Handle failLock = nullptr;
    static Handle New(std::int32_t size) {
        Handle h = new char*;
        blocks[h].assign(std::size_t(size), 0);
        *h = blocks[h].data();
        return h;
    }
    static void Dispose(Handle h) {
        blocks.erase(h);
        delete h;
    }
    static std::int32_t Size(Handle h) { return std::int32_t(blocks[h].size()); }
    static OSErr SetSize(Handle h, std::int32_t size) {
        blocks[h].resize(std::size_t(size));
        *h = blocks[h].data();
        return noErr;
    }
    static Ptr Lock(Handle h, Boolean) { return h == failLock ? nullptr : *h; }
    static void Unlock(Handle) {}
    static HandleProcs Procs() {
        HandleProcs procs{};
        procs.handleProcsVersion = 1;
        procs.numHandleProcs = 8;
        procs.newProc = New;
        procs.disposeProc = Dispose;
        procs.getSizeProc = Size;
        procs.setSizeProc = SetSize;
        procs.lockProc = Lock;
        procs.unlockProc = Unlock;
        return procs;
    }
};

TEST(PluginMainTest, AParameterRecordThatCannotBeLockedFailsTheCall) {
    for (std::int16_t selector : {filterSelectorParameters, filterSelectorPrepare, filterSelectorStart}) {
        HandleProcs procs = LockingHost::Procs();
        FilterRecord record = MakeRecord(6, 4, 1 << 20);
        record.handleProcs = &procs;
        std::intptr_t data = 0;
        std::int16_t result = -1;
        DispatchSelector(filterSelectorParameters, &record, &data, &result);  // the record exists
        ASSERT_EQ(result, noErr);
        ASSERT_TRUE(record.parameters != nullptr);  // a packed field: not bound to a reference
        LockingHost::failLock = record.parameters;
        result = -1;
        DispatchSelector(selector, &record, &data, &result);
        EXPECT_EQ(result, memFullErr) << selector;
        LockingHost::failLock = nullptr;
        BeginCallScope scope(record);
        DisposePluginHandle(record.parameters);
        DisposePluginHandle(reinterpret_cast<Handle>(data));
    }
}

// The strip path driven by hand: start asks for the first strip, continue renders it.
struct StripRun {
    FilterRecord record = MakeRecord(8, 6, 8 * 7 * 2);  // two rows a strip
    std::intptr_t data = 0;
    std::vector<std::uint8_t> in = std::vector<std::uint8_t>(8 * 6 * 3, 90);
    std::vector<std::uint8_t> out = std::vector<std::uint8_t>(8 * 6 * 3, 0);
    bool abort = false;
    static inline StripRun* current = nullptr;

    StripRun() {
        current = this;
        record.abortProc = [] { return Boolean(current->abort); };
    }
    ~StripRun() {
        Release release{record, data};
        current = nullptr;
    }
    OSErr Call(std::int16_t selector) {
        // What a host delivers for the requested rectangles: the whole input, the strip's rows out.
        record.inData = in.data();
        record.inRowBytes = 8 * 3;
        record.outData = out.data() + record.outRect.top * 8 * 3;
        record.outRowBytes = 8 * 3;
        std::int16_t result = -1;
        DispatchSelector(selector, &record, &data, &result);
        return result;
    }
};

TEST(PluginMainTest, TheStripCacheIsReleasedWhenARunEndsEarly) {
    for (bool cancelled : {true, false}) {
        StripRun run;
        ASSERT_EQ(run.Call(filterSelectorPrepare), noErr);
        ASSERT_EQ(run.Call(filterSelectorStart), noErr);
        ASSERT_EQ(run.Call(filterSelectorContinue), noErr);
        ASSERT_TRUE(StripCacheHeld()) << "the whole result is kept for the next strips";
        if (cancelled) {
            run.abort = true;
            EXPECT_EQ(run.Call(filterSelectorContinue), userCanceledErr);
            EXPECT_FALSE(StripCacheHeld()) << "cancelled";
        }
        EXPECT_EQ(run.Call(filterSelectorFinish), noErr);  // the host ends the run here
        EXPECT_FALSE(StripCacheHeld()) << cancelled;
    }
}

TEST(PluginMainTest, MissingRecordOrResultIsRefusedSafely) {
    FilterRecord record = MakeRecord(4, 4, 1 << 20);
    std::intptr_t data = 0;
    Release release{record, data};
    std::int16_t result = 0;
    DispatchSelector(filterSelectorStart, nullptr, &data, &result);
    EXPECT_EQ(result, filterBadParameters);
    result = 0;
    DispatchSelector(filterSelectorStart, &record, nullptr, &result);
    EXPECT_EQ(result, filterBadParameters);
    EXPECT_NO_THROW(DispatchSelector(filterSelectorPrepare, &record, &data, nullptr));
    DispatchSelector(filterSelectorAbout, nullptr, &data, &result);
    EXPECT_EQ(result, noErr);
}

}  // namespace
