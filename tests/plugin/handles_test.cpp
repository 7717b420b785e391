// Handle memory: the host's suite when usable, the global-memory fallback otherwise.
#include "plugin/handles.h"
#include "plugin/module_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

// A tiny host suite that counts its calls.
struct FakeHost {
    static inline int news = 0, disposes = 0;
    static inline std::map<Handle, std::vector<char>> blocks;
    static inline std::map<Handle, char*> masters;
    static Handle New(std::int32_t size) {
        ++news;
        auto* master = new char*;
        Handle h = master;
        blocks[h].assign(std::size_t(size), 0);
        *master = blocks[h].data();
        return h;
    }
    static void Dispose(Handle h) {
        ++disposes;
        blocks.erase(h);
        delete h;
    }
    static std::int32_t Size(Handle h) { return std::int32_t(blocks[h].size()); }
    static OSErr SetSize(Handle h, std::int32_t size) {
        blocks[h].resize(std::size_t(size));
        *h = blocks[h].data();
        return noErr;
    }
    static HandleProcs Procs() {
        HandleProcs procs{};
        procs.handleProcsVersion = 1;
        procs.numHandleProcs = 8;
        procs.newProc = New;
        procs.disposeProc = Dispose;
        procs.getSizeProc = Size;
        procs.setSizeProc = SetSize;
        return procs;
    }
};

// Makes `record` the record of a call in progress for the scope's life.
struct CallScope {
    CallScope(FilterRecord* record, std::int16_t* result) { BeginCall(record, false, &data, result); }
    ~CallScope() { EndCall(); }
    std::intptr_t data = 0;
};

TEST(HandlesTest, SuiteIsUsableOnlyWhenCompleteAndOfVersionOne) {
    const HandleProcs good = FakeHost::Procs();
    EXPECT_TRUE(HostHandlesUsable(&good));
    EXPECT_FALSE(HostHandlesUsable(nullptr));
    for (std::int16_t version : {0, 2, -1}) {
        HandleProcs p = good;
        p.handleProcsVersion = version;
        EXPECT_FALSE(HostHandlesUsable(&p)) << version;
    }
    HandleProcs shortSuite = good;
    shortSuite.numHandleProcs = 7;
    EXPECT_FALSE(HostHandlesUsable(&shortSuite));
    for (int missing = 0; missing < 4; ++missing) {
        HandleProcs p = good;
        if (missing == 0) p.newProc = nullptr;
        if (missing == 1) p.disposeProc = nullptr;
        if (missing == 2) p.getSizeProc = nullptr;
        if (missing == 3) p.setSizeProc = nullptr;
        EXPECT_FALSE(HostHandlesUsable(&p)) << missing;
    }
}

TEST(HandlesTest, UsableHostSuiteIsUsed) {
    HandleProcs procs = FakeHost::Procs();
    FilterRecord record{};
    record.handleProcs = &procs;
    std::int16_t result = 0;
    CallScope call(&record, &result);
    Handle h = NewPluginHandle(32);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(FakeHost::blocks.count(h), 1u) << "made by the host";
    EXPECT_FALSE(IsFallbackHandle(h));
    EXPECT_EQ(PluginHandleSize(h), 32);
    EXPECT_EQ(LockPluginHandle(h, false), *h);  // no lock routine: the data pointer itself
    EXPECT_EQ(ResizePluginHandle(h, 64), noErr);
    EXPECT_EQ(PluginHandleSize(h), 64);
    DisposePluginHandle(h);
    EXPECT_EQ(result, noErr);
}

TEST(HandlesTest, FallbackHandleLeadsWithItsDataPointerAndKeepsContentsWhenResized) {
    for (bool wrongSuite : {false, true}) {
        HandleProcs procs = FakeHost::Procs();
        procs.handleProcsVersion = 2;
        FilterRecord record{};
        record.handleProcs = wrongSuite ? &procs : nullptr;
        std::int16_t result = 0;
        CallScope call(&record, &result);
        const int before = FakeHost::news;
        Handle h = NewPluginHandle(16);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(FakeHost::news, before) << "an unusable suite is not called";
        EXPECT_TRUE(IsFallbackHandle(h));
        Ptr data = LockPluginHandle(h, true);
        ASSERT_EQ(data, *h);
        std::uint32_t tag;
        std::memcpy(&tag, reinterpret_cast<char*>(h) + sizeof(void*), 4);
        EXPECT_EQ(tag, FourCC("OTOF"));
        for (int i = 0; i < 16; ++i) EXPECT_EQ(data[i], 0);
        std::memset(data, 0x5A, 16);
        ASSERT_EQ(ResizePluginHandle(h, 4096), noErr);
        EXPECT_GE(PluginHandleSize(h), 4096);
        for (int i = 0; i < 16; ++i) EXPECT_EQ((*h)[i], 0x5A);
        EXPECT_EQ((*h)[4095], 0);
        DisposePluginHandle(h);
        EXPECT_EQ(result, noErr);
    }
}

// Some hosts answer 0 for the size of every handle they made and ignore resizes. Their handles
// cannot hold a record whose size is checked, so the plug-in makes its own instead.
TEST(HandlesTest, ASuiteThatAnswersSizesWronglyIsNotUsedForNewHandles) {
    HandleProcs procs = FakeHost::Procs();
    procs.getSizeProc = [](Handle) { return std::int32_t(0); };
    procs.setSizeProc = [](Handle, std::int32_t) { return noErr; };
    FilterRecord record{};
    record.handleProcs = &procs;
    std::int16_t result = 0;
    CallScope call(&record, &result);
    const std::size_t hostBlocks = FakeHost::blocks.size();
    Handle h = NewPluginHandle(40);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(IsFallbackHandle(h));
    EXPECT_EQ(PluginHandleSize(h), 40);
    EXPECT_EQ(FakeHost::blocks.size(), hostBlocks) << "the probe's handle is given back";
    DisposePluginHandle(h);
    EXPECT_EQ(result, noErr);
}

TEST(HandlesTest, OperationsOnNoHandleRecordTheirErrors) {
    FilterRecord record{};
    std::int16_t result = 0;
    CallScope call(&record, &result);
    DisposePluginHandle(nullptr);
    EXPECT_EQ(result, nilHandleErr);
    result = 0;
    EXPECT_EQ(PluginHandleSize(nullptr), 0);
    EXPECT_EQ(result, nilHandleErr);
    result = 0;
    EXPECT_EQ(ResizePluginHandle(nullptr, 8), memWZErr);
    EXPECT_EQ(result, memWZErr);
    EXPECT_EQ(LockPluginHandle(nullptr, false), nullptr);
}

TEST(HandlesTest, HostThatCannotAllocateGivesMemFull) {
    HandleProcs procs = FakeHost::Procs();
    procs.newProc = [](std::int32_t) -> Handle { return nullptr; };
    FilterRecord record{};
    record.handleProcs = &procs;
    std::int16_t result = 0;
    CallScope call(&record, &result);
    EXPECT_EQ(NewPluginHandle(8), nullptr);
    EXPECT_EQ(result, memFullErr);
}

}  // namespace
