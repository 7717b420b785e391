// The entry's dispatch: module state, the globals in the host's data slot, the parameter record
// in the host's parameters handle, and the selector switch.
#include "plugin/plugin_main.h"

#include "params/params.h"
#include "plugin/dialogs.h"
#include "plugin/handles.h"
#include "plugin/host_id.h"
#include "plugin/host_interface.h"
#include "plugin/module_state.h"
#include "plugin/rects.h"
#include "plugin/selectors.h"

#include <cstring>
#include <exception>
#include <new>

// ---- Module state ----------------------------------------------------------------------------
namespace {
FilterRecord* gFilterRecord = nullptr;
SPBasicSuite* gBasicSuite = nullptr;
std::intptr_t* gDataSlot = nullptr;
std::int16_t* gResult = nullptr;
Handle gLockedParamsHandle = nullptr;  // the parameters handle locked during this call
RimelaceParams* gLockedParams = nullptr;
}  // namespace

void BeginCall(void* record, bool isAbout, std::intptr_t* data, std::int16_t* result) {
    gFilterRecord = isAbout ? nullptr : static_cast<FilterRecord*>(record);
    gBasicSuite = !record ? nullptr
                  : isAbout ? static_cast<AboutRecord*>(record)->sSPBasic
                            : static_cast<FilterRecord*>(record)->sSPBasic;
    gDataSlot = data;
    gResult = result;
}

void EndCall() {
    if (gLockedParamsHandle) UnlockPluginHandle(gLockedParamsHandle);
    gLockedParamsHandle = nullptr;
    gLockedParams = nullptr;
    gFilterRecord = nullptr;
    gBasicSuite = nullptr;
    gDataSlot = nullptr;
    gResult = nullptr;
}

void ForgetDisposedHandle(Handle handle) {
    if (!handle || handle != gLockedParamsHandle) return;
    gLockedParamsHandle = nullptr;
    gLockedParams = nullptr;
}

std::intptr_t* CurrentDataSlot() { return gDataSlot; }
FilterRecord* CurrentFilterRecord() { return gFilterRecord; }
SPBasicSuite* CurrentBasicSuite() { return gBasicSuite; }

void RecordResult(OSErr code) {
    if (gResult) *gResult = code;
}

// ---- The parameter record ----------------------------------------------------------------------
RimelaceParams* LockedParams(const PluginGlobals& globals) {
    FilterRecord* record = globals.filterRecord;
    if (!record || !record->parameters) return nullptr;
    if (gLockedParamsHandle == record->parameters) return gLockedParams;
    if (gLockedParamsHandle) UnlockPluginHandle(gLockedParamsHandle);  // the host's handle was replaced
    gLockedParamsHandle = nullptr;
    gLockedParams = nullptr;
    if (PluginHandleSize(record->parameters) < std::int32_t(sizeof(RimelaceParams))) return nullptr;
    Ptr data = LockPluginHandle(record->parameters, false);
    if (!data) return nullptr;
    gLockedParamsHandle = record->parameters;
    gLockedParams = reinterpret_cast<RimelaceParams*>(data);
    return gLockedParams;
}

namespace {
void ResetRecord(RimelaceParams& params) {
    std::memset(static_cast<void*>(&params), 0, sizeof params);
    ResetParams(params);
    const std::uint32_t premiere = HostVersionWord(kPremiereSignature);
    const std::uint32_t low = premiere & 0xFF;
    params.HostIsPremiere = premiere != 0 && low >= 10 && low <= 12;
    const std::uint32_t afterEffects = HostVersionWord(kAfterEffectsSignature) & 0xFF;
    params.HostIsAfterEffects = afterEffects >= 1 && afterEffects <= 3;
}
}  // namespace

void ValidateParameters(PluginGlobals& globals) {
    FilterRecord* record = globals.filterRecord;
    if (!record) return;
    if (record->parameters) {
        // A record too small to be ours (another version, or damaged) is grown and reset.
        if (PluginHandleSize(record->parameters) >= std::int32_t(sizeof(RimelaceParams))) return;
        if (ResizePluginHandle(record->parameters, sizeof(RimelaceParams)) != noErr) {
            *globals.result = memFullErr;
            return;
        }
        if (PluginHandleSize(record->parameters) < std::int32_t(sizeof(RimelaceParams))) {
            // Resized in name only: a new record of the plug-in's own replaces it.
            DisposePluginHandle(record->parameters);
            record->parameters = nullptr;
        }
    }
    if (!record->parameters) {
        record->parameters = NewPluginHandle(sizeof(RimelaceParams));
        if (!record->parameters) {
            *globals.result = memFullErr;
            return;
        }
    }
    RimelaceParams* params = LockedParams(globals);
    if (!params) {
        *globals.result = memFullErr;
        return;
    }
    ResetRecord(*params);
}

// ---- Globals in the host's data slot -----------------------------------------------------------
namespace {

// Locks the globals kept in *data, or creates them; nullptr when neither works.
PluginGlobals* ObtainGlobals(FilterRecord* record, std::intptr_t* data, std::int16_t* result) {
    if (*data) {
        auto* globals = reinterpret_cast<PluginGlobals*>(LockPluginHandle(reinterpret_cast<Handle>(*data), false));
        if (!globals) return nullptr;
        globals->result = result;
        globals->filterRecord = record;
        *result = noErr;
        return globals;
    }
    Handle handle = NewPluginHandle(sizeof(PluginGlobals));
    if (!handle) return nullptr;
    auto* globals = reinterpret_cast<PluginGlobals*>(LockPluginHandle(handle, false));
    if (!globals) {
        DisposePluginHandle(handle);
        return nullptr;
    }
    globals->result = result;
    globals->filterRecord = record;
    *result = noErr;
    ValidateParameters(*globals);
    *data = reinterpret_cast<std::intptr_t>(handle);
    return globals;
}

void RunSelector(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result) {
    if (selector == filterSelectorAbout) {
        if (record) ShowAboutDialog(*static_cast<AboutRecord*>(record));
        *result = noErr;
        return;
    }
    if (!record || !data) {
        *result = filterBadParameters;
        return;
    }
    auto* filterRecord = static_cast<FilterRecord*>(record);
    UseBigDocument(*filterRecord);
    PluginGlobals* globals = ObtainGlobals(filterRecord, data, result);
    if (!globals) {
        *result = memFullErr;
        return;
    }
    switch (selector) {
        case filterSelectorParameters: DoParameters(*globals); break;
        case filterSelectorPrepare: DoPrepare(*globals); break;
        case filterSelectorStart: DoStart(*globals); break;
        case filterSelectorContinue: DoContinue(*globals); break;
        case filterSelectorFinish: DoFinish(*globals); break;
        default: *result = filterBadParameters; break;
    }
}

}  // namespace

void DispatchSelector(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result) {
    std::int16_t scratch = 0;
    if (!result) result = &scratch;  // nowhere to report, but the call must still be safe
    BeginCall(record, selector == filterSelectorAbout, data, result);
    try {
        RunSelector(selector, record, data, result);
    } catch (const std::bad_alloc&) {
        *result = memFullErr;
    } catch (...) {
        *result = paramErr;
    }
    try {
        if (selector != filterSelectorAbout && data && *data) UnlockPluginHandle(reinterpret_cast<Handle>(*data));
        EndCall();
    } catch (...) {
        // Nothing may cross the entry; the host's own unlock routines are not expected to throw.
    }
}
