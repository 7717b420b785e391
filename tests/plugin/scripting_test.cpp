// The scripting reader and writer against a small in-test descriptor host: which keys are asked
// for, what is stored, what is recorded, and when the suite is refused.
#include "plugin/scripting.h"

#include "params/param_table.h"
#include "plugin/host_interface.h"
#include "plugin/module_state.h"
#include "plugin/plugin_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

struct Item {
    DescriptorKeyID key;
    DescriptorTypeID type;
    double number;
    DescriptorUnitID unit = 0;
};

// The host side: handles, one descriptor to replay, and the values a writer puts.
struct FakeHost {
    std::map<Handle, std::unique_ptr<std::vector<char>>> blocks;
    std::vector<Handle> disposed;
    std::vector<Item> replay;
    std::size_t next = 0;
    bool giveReadToken = true;
    bool giveWriteToken = true;
    OSErr closeError = noErr;
    std::vector<DescriptorKeyID> expectedKeys;  // as the reader passed them
    std::vector<Item> written;
    int closeWrites = 0;
};
FakeHost* gHost = nullptr;

Handle NewHandle(std::int32_t size) {
    auto block = std::make_unique<std::vector<char>>(std::size_t(size) + sizeof(char*));
    Handle handle = reinterpret_cast<Handle>(block->data());
    *handle = block->data() + sizeof(char*);
    gHost->blocks[handle] = std::move(block);
    return handle;
}
void DisposeHandle(Handle handle) { gHost->disposed.push_back(handle); }
std::int32_t HandleSize(Handle handle) {
    auto it = gHost->blocks.find(handle);
    return it == gHost->blocks.end() ? 0 : std::int32_t(it->second->size() - sizeof(char*));
}
OSErr SetHandleSize(Handle, std::int32_t) { return memFullErr; }
Ptr LockHandle(Handle handle, Boolean) { return *handle; }
void UnlockHandle(Handle) {}
void RecoverSpace(std::int32_t) {}

PIReadDescriptor OpenRead(PIDescriptorHandle, DescriptorKeyID* keys) {
    for (; *keys; ++keys) gHost->expectedKeys.push_back(*keys);
    gHost->expectedKeys.push_back(0);
    gHost->next = 0;
    return gHost->giveReadToken ? reinterpret_cast<PIReadDescriptor>(gHost) : nullptr;
}
OSErr CloseRead(PIReadDescriptor) { return gHost->closeError; }
Boolean GetKey(PIReadDescriptor, DescriptorKeyID* key, DescriptorTypeID* type, std::int32_t* flags) {
    if (gHost->next >= gHost->replay.size()) return false;
    *key = gHost->replay[gHost->next].key;
    *type = gHost->replay[gHost->next].type;
    *flags = 0;
    ++gHost->next;
    return true;
}
const Item& Current() { return gHost->replay[gHost->next - 1]; }
OSErr GetInteger(PIReadDescriptor, std::int32_t* value) {
    if (Current().type != typeInteger) return paramErr;
    *value = std::int32_t(Current().number);
    return noErr;
}
OSErr GetUnitFloat(PIReadDescriptor, DescriptorUnitID* unit, double* value) {
    if (Current().type != typeUnitFloat) return paramErr;
    EXPECT_EQ(*unit, unitDistance);
    *unit = unitPixels;  // a host may answer with another unit
    *value = Current().number;
    return noErr;
}
OSErr GetBoolean(PIReadDescriptor, Boolean* value) {
    if (Current().type != typeBoolean) return paramErr;
    *value = Boolean(Current().number);
    return noErr;
}

PIWriteDescriptor OpenWrite() { return gHost->giveWriteToken ? reinterpret_cast<PIWriteDescriptor>(gHost) : nullptr; }
OSErr CloseWrite(PIWriteDescriptor, PIDescriptorHandle* out) {
    ++gHost->closeWrites;
    *out = NewHandle(4);
    return noErr;
}
OSErr PutInteger(PIWriteDescriptor, DescriptorKeyID key, std::int32_t value) {
    gHost->written.push_back({key, typeInteger, double(value)});
    return noErr;
}
OSErr PutUnitFloat(PIWriteDescriptor, DescriptorKeyID key, DescriptorUnitID unit, const double* value) {
    gHost->written.push_back({key, typeUnitFloat, *value, unit});
    return noErr;
}
OSErr PutBoolean(PIWriteDescriptor, DescriptorKeyID key, Boolean value) {
    gHost->written.push_back({key, typeBoolean, double(value)});
    return noErr;
}

// Every routine present; the ones the plug-in never calls point at a stub of the right type.
template <typename F>
void Fill(F& slot) {
    if (!slot) slot = reinterpret_cast<F>(+[] { ADD_FAILURE() << "unexpected descriptor routine"; });
}

class ScriptingTest : public ::testing::Test {
protected:
    void SetUp() override {
        gHost = &host;
        handles = {kCurrentHandleProcsVersion, 8, NewHandle, DisposeHandle, HandleSize, SetHandleSize,
                   LockHandle, UnlockHandle, RecoverSpace, DisposeHandle};
        read = ReadDescriptorProcs{};
        read.readDescriptorProcsVersion = 0;
        read.numReadDescriptorProcs = 18;
        read.openReadDescriptorProc = OpenRead;
        read.closeReadDescriptorProc = CloseRead;
        read.getKeyProc = GetKey;
        read.getIntegerProc = GetInteger;
        read.getUnitFloatProc = GetUnitFloat;
        read.getBooleanProc = GetBoolean;
        Fill(read.getFloatProc), Fill(read.getTextProc), Fill(read.getAliasProc), Fill(read.getEnumeratedProc);
        Fill(read.getClassProc), Fill(read.getSimpleReferenceProc), Fill(read.getObjectProc), Fill(read.getCountProc);
        Fill(read.getStringProc), Fill(read.getPinnedIntegerProc), Fill(read.getPinnedFloatProc);
        Fill(read.getPinnedUnitFloatProc);
        write = WriteDescriptorProcs{};
        write.writeDescriptorProcsVersion = 0;
        write.numWriteDescriptorProcs = 16;
        write.openWriteDescriptorProc = OpenWrite;
        write.closeWriteDescriptorProc = CloseWrite;
        write.putIntegerProc = PutInteger;
        write.putUnitFloatProc = PutUnitFloat;
        write.putBooleanProc = PutBoolean;
        Fill(write.putFloatProc), Fill(write.putTextProc), Fill(write.putAliasProc), Fill(write.putEnumeratedProc);
        Fill(write.putClassProc), Fill(write.putSimpleReferenceProc), Fill(write.putObjectProc);
        Fill(write.putCountProc), Fill(write.putStringProc), Fill(write.putScopedClassProc);
        Fill(write.putScopedObjectProc);
        descriptors = PIDescriptorParameters{0, plugInDialogDontDisplay, plugInDialogNone, nullptr, &write, &read};

        record = std::make_unique<FilterRecord>();
        std::memset(record.get(), 0, sizeof(FilterRecord));
        record->handleProcs = &handles;
        record->descriptorParameters = &descriptors;
        record->parameters = NewHandle(sizeof(RimelaceParams));
        EndCall();
        BeginCall(record.get(), false, &data, &result);  // as inside PluginMain
        globals.result = &result;
        globals.filterRecord = record.get();
        Params() = RimelaceParams{};
        ResetParams(Params());
    }
    void TearDown() override {
        EndCall();
        gHost = nullptr;
    }

    RimelaceParams& Params() { return *reinterpret_cast<RimelaceParams*>(*record->parameters); }

    FakeHost host;
    HandleProcs handles{};
    ReadDescriptorProcs read{};
    WriteDescriptorProcs write{};
    PIDescriptorParameters descriptors{};
    std::unique_ptr<FilterRecord> record;
    std::int16_t result = noErr;
    std::intptr_t data = 0;
    PluginGlobals globals{};
};

TEST_F(ScriptingTest, SuiteIsRefusedWhenAnythingIsMissingOrTooOld) {
    EXPECT_TRUE(DescriptorsAvailable(globals));
    auto refused = [&](auto change) {
        ScriptingTest::SetUp();
        change();
        return !DescriptorsAvailable(globals);
    };
    EXPECT_TRUE(refused([&] { record->descriptorParameters = nullptr; }));
    EXPECT_TRUE(refused([&] { descriptors.descriptorParametersVersion = 1; }));
    EXPECT_TRUE(refused([&] { descriptors.readDescriptorProcs = nullptr; }));
    EXPECT_TRUE(refused([&] { descriptors.writeDescriptorProcs = nullptr; }));
    EXPECT_TRUE(refused([&] { read.readDescriptorProcsVersion = 1; }));
    EXPECT_TRUE(refused([&] { read.numReadDescriptorProcs = 17; }));
    EXPECT_TRUE(refused([&] { write.writeDescriptorProcsVersion = 1; }));
    EXPECT_TRUE(refused([&] { write.numWriteDescriptorProcs = 15; }));
    EXPECT_TRUE(refused([&] { read.getPinnedUnitFloatProc = nullptr; }));
    EXPECT_TRUE(refused([&] { write.putBooleanProc = nullptr; }));
    EXPECT_TRUE(refused([&] { globals.filterRecord = nullptr; }));
}


TEST_F(ScriptingTest, ReaderAnnouncesTheExpectedKeysInTheirOrder) {
    ReadScriptParams(globals);
    const char* keys[48] = {"AtUp", "CtnX", "CtnY", "RndM", "AlpC", "CtnX", "CtnY", "MskK", "PtrK", "GrwD", "RndS", "MnIn",
                            "MxIt", "MxTr", "Wdth", "Lngh", "Comp", "CmDs", "Dspr", "LsID", "PLen", "PWid", "InDp", "Scle",
                            "Diff", "Spec", "Shin", "ShSt", "SlIl", "Trns", "BmpP", "Rfrc", "Keff", "Abbr", "LgCl", "LgAl",
                            "LgBt", "LgMt", "UsBk", "UsGl", "EfKn", "Turn", "Trn1", "MxT1", "RttX", "Alph", "Beta", "Colr"};
    std::vector<DescriptorKeyID> want;
    for (const char* k : keys)
        want.push_back((DescriptorKeyID(k[0]) << 24) | (DescriptorKeyID(k[1]) << 16) | (DescriptorKeyID(k[2]) << 8) | k[3]);
    want.push_back(0);
    EXPECT_EQ(host.expectedKeys, want);
    // Every key of the table is among them.
    for (const ParamEntry& entry : ParamTable())
        EXPECT_NE(std::find(want.begin(), want.end(), entry.key), want.end()) << entry.field;
}

TEST_F(ScriptingTest, ReplayStoresEveryKeyTheLastOfARepeatedOneAndLowBytes) {
    host.replay = {
        {FourCC("AtUp"), typeBoolean, 0},       {FourCC("CtnX"), typeUnitFloat, 12.5},
        {FourCC("CtnX"), typeUnitFloat, -40.25}, {FourCC("RndM"), typeInteger, 300},
        {FourCC("MxIt"), typeInteger, 5},        {FourCC("Diff"), typeInteger, 0x123456},
        {FourCC("UsBk"), typeInteger, 0},        {FourCC("Alph"), typeUnitFloat, 33},
        {FourCC("Beta"), typeUnitFloat, 44},     {FourCC("Zzzz"), typeInteger, 9},
        {FourCC("Wdth"), typeInteger, 99},  // wrong type: the getter fails, the field stays
    };
    EXPECT_EQ(ReadScriptParams(globals), noErr);
    const RimelaceParams& p = Params();
    EXPECT_EQ(p.AutoUpdate, 0);
    EXPECT_EQ(p.CenterX, -40.25f);
    EXPECT_EQ(p.RenderMode, 44);
    EXPECT_EQ(p.MaxIterations, 5);
    EXPECT_EQ(p.Diffuse, 0x123456);
    EXPECT_EQ(p.UseBackLight, 0);
    EXPECT_EQ(p.Alpha, 33.0f);
    EXPECT_EQ(p.Beta, 44.0f);
    EXPECT_EQ(p.Width, 60.0f);
    EXPECT_EQ(result, noErr);
}

TEST_F(ScriptingTest, DialogIsAskedForOnlyWhenTheHostSaysDisplay) {
    for (std::int16_t playInfo : {plugInDialogDontDisplay, plugInDialogDisplay, plugInDialogSilent}) {
        for (bool token : {true, false}) {
            Params().QueryForParameters = 1;
            descriptors.playInfo = playInfo;
            host.giveReadToken = token;
            ReadScriptParams(globals);
            EXPECT_EQ(Params().QueryForParameters, playInfo == plugInDialogDisplay ? 1 : 0) << playInfo << token;
        }
    }
    // Without a usable suite the earlier decision stands.
    descriptors.readDescriptorProcs = nullptr;
    Params().QueryForParameters = 1;
    ReadScriptParams(globals);
    EXPECT_EQ(Params().QueryForParameters, 1);
}

TEST_F(ScriptingTest, MissingKeysAreNoErrorButOtherCloseErrorsBecomeTheResult) {
    host.closeError = errMissingParameter;
    EXPECT_EQ(ReadScriptParams(globals), errMissingParameter);
    EXPECT_EQ(result, noErr);
    host.closeError = paramErr;
    EXPECT_EQ(ReadScriptParams(globals), paramErr);
    EXPECT_EQ(result, paramErr);
}

TEST_F(ScriptingTest, WriterRecordsFortyThreeKeysInTableOrderAndReplacesTheDescriptor) {
    Params().AutoUpdate = 0x102;  // the boolean carries the low byte
    Params().Width = 81.5f;
    Params().UseGlass = 0;
    Handle old = NewHandle(8);
    descriptors.descriptor = old;
    descriptors.recordInfo = plugInDialogNone;
    EXPECT_EQ(WriteScriptParams(globals), noErr);

    std::vector<const ParamEntry*> rows;
    for (const ParamEntry& entry : ParamTable())
        if (entry.scriptWritten) rows.push_back(&entry);
    ASSERT_EQ(host.written.size(), 43u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Item& item = host.written[i];
        EXPECT_EQ(item.key, rows[i]->key) << i;
        const DescriptorTypeID type = rows[i]->scriptType == ScriptType::Boolean   ? typeBoolean
                                      : rows[i]->scriptType == ScriptType::Integer ? typeInteger
                                                                                   : typeUnitFloat;
        EXPECT_EQ(item.type, type) << rows[i]->field;
        if (type == typeUnitFloat) {
            EXPECT_EQ(item.unit, unitDistance) << rows[i]->field;
        }
    }
    EXPECT_EQ(host.written[0].number, 2);
    EXPECT_EQ(host.written[11].key, FourCC("Wdth"));
    EXPECT_EQ(host.written[11].number, 81.5);
    EXPECT_EQ(host.disposed, std::vector<Handle>{old});
    EXPECT_NE(descriptors.descriptor, nullptr);
    EXPECT_NE(descriptors.descriptor, old);
    EXPECT_EQ(descriptors.recordInfo, plugInDialogOptional);
}

TEST_F(ScriptingTest, RecordedActionReplaysEveryWrittenFieldAndKeepsTheUnwrittenOnes) {
    RimelaceParams recorded = Params();
    int n = 0;
    for (const ParamEntry& entry : ParamTable())
        SetFloat(recorded, entry, entry.ref.type == FieldType::F32 ? 1.125 * ++n : double(++n));
    Params() = recorded;
    WriteScriptParams(globals);

    RimelaceParams before{};
    ResetParams(before);
    before.UseBackLight = 7;
    before.Alpha = -3;
    before.Beta = -4;
    Params() = before;
    host.replay = host.written;
    ReadScriptParams(globals);
    for (const ParamEntry& entry : ParamTable()) {
        const RimelaceParams& want = entry.scriptWritten ? recorded : before;
        EXPECT_EQ(GetFloat(Params(), entry), GetFloat(want, entry)) << entry.field;
    }
}

TEST_F(ScriptingTest, NothingIsWrittenWithoutASuiteOrAWriteToken) {
    descriptors.descriptor = nullptr;
    host.giveWriteToken = false;
    EXPECT_EQ(WriteScriptParams(globals), noErr);
    EXPECT_TRUE(host.written.empty());
    EXPECT_EQ(descriptors.descriptor, nullptr);
    host.giveWriteToken = true;
    write.numWriteDescriptorProcs = 3;
    WriteScriptParams(globals);
    EXPECT_TRUE(host.written.empty());
    EXPECT_EQ(host.closeWrites, 0);
}

}  // namespace
