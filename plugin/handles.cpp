// Handle memory: the host's suite, or movable global memory when the suite is unusable.
#include "plugin/handles.h"

#include "platform/platform.h"
#include "plugin/module_state.h"
#include "plugin/plugin_main.h"

#include <cstring>
#include <set>

namespace {

// A fallback handle: the first word is the locked data pointer, as in a host's handle.
struct FallbackHandle {
    void* data;
    std::uint32_t tag;  // "OTOF"
    platform::GlobalBlock dataBlock;
    platform::GlobalBlock selfBlock;
};
constexpr std::uint32_t kFallbackTag = FourCC("OTOF");

// Fallback handles made by this copy of the module.
std::set<const void*>& FallbackHandles() {
    static std::set<const void*> handles;
    return handles;
}

void Record(OSErr code) { RecordResult(code); }

// The host's suite when it may be called at all.
const HandleProcs* CallableProcs() {
    const FilterRecord* record = CurrentFilterRecord();
    const HandleProcs* procs = record ? record->handleProcs : nullptr;
    return HostHandlesUsable(procs) ? procs : nullptr;
}

// Whether a suite answers sizes as a handle suite must: a new handle reports at least the size
// asked for, and a resize is reported back. A host that answers 0 for its own handles, or
// ignores resizes, cannot hold a record whose size is checked; the plug-in's own handles are
// used there instead. Asked once per set of routines.
bool SuiteAnswersRight(const HandleProcs& procs) {
    struct Verdict {
        decltype(procs.newProc) newProc = nullptr;
        decltype(procs.getSizeProc) getSizeProc = nullptr;
        decltype(procs.setSizeProc) setSizeProc = nullptr;
        bool right = true;
    };
    static Verdict known;
    if (known.newProc == procs.newProc && known.getSizeProc == procs.getSizeProc &&
        known.setSizeProc == procs.setSizeProc)
        return known.right;
    constexpr std::int32_t kProbe = 16, kGrown = 64;
    Handle probe = procs.newProc(kProbe);
    if (!probe) return true;  // no memory now: no verdict, the allocation itself reports it
    const bool right = procs.getSizeProc(probe) >= kProbe && procs.setSizeProc(probe, kGrown) == noErr &&
                       procs.getSizeProc(probe) >= kGrown;
    procs.disposeProc(probe);
    known = {procs.newProc, procs.getSizeProc, procs.setSizeProc, right};
    return right;
}

// The host's suite when the plug-in's handles are made by it.
const HandleProcs* AllocatingProcs() {
    const HandleProcs* procs = CallableProcs();
    return procs && SuiteAnswersRight(*procs) ? procs : nullptr;
}

FallbackHandle* AsFallback(Handle handle) {
    if (!handle) return nullptr;
    if (FallbackHandles().count(handle) != 0) return reinterpret_cast<FallbackHandle*>(handle);
    // Made by another copy of the module (a host that loads the filter again keeps the handles
    // in parameters and data). When the plug-in does not allocate through the host, every
    // handle it keeps is its own, and the tag stored with it says so.
    if (AllocatingProcs()) return nullptr;
    auto* fallback = reinterpret_cast<FallbackHandle*>(handle);
    return fallback->tag == kFallbackTag ? fallback : nullptr;
}

Handle NewFallback(std::int32_t size) {
    platform::GlobalBlock self = platform::GlobalNew(sizeof(FallbackHandle));
    platform::GlobalBlock data = platform::GlobalNew(std::size_t(size));
    auto* handle = static_cast<FallbackHandle*>(platform::GlobalLockBlock(self));
    void* bytes = platform::GlobalLockBlock(data);
    if (!handle || !bytes) {
        platform::GlobalFree(data);
        platform::GlobalFree(self);
        return nullptr;
    }
    std::memset(bytes, 0, std::size_t(size));
    handle->data = bytes;
    handle->tag = kFallbackTag;
    handle->dataBlock = data;
    handle->selfBlock = self;
    FallbackHandles().insert(handle);
    return reinterpret_cast<Handle>(handle);
}

}  // namespace

bool HostHandlesUsable(const HandleProcs* procs) {
    return procs && procs->handleProcsVersion == kCurrentHandleProcsVersion &&
           procs->numHandleProcs >= kCurrentHandleProcsCount && procs->newProc && procs->disposeProc &&
           procs->getSizeProc && procs->setSizeProc;
}

bool IsFallbackHandle(Handle handle) { return AsFallback(handle) != nullptr; }

Handle NewPluginHandle(std::int32_t size) {
    Handle handle = nullptr;
    if (size >= 0) {
        if (const HandleProcs* procs = AllocatingProcs())
            handle = procs->newProc(size);
        else
            handle = NewFallback(size);
    }
    if (!handle) Record(memFullErr);
    return handle;
}

Ptr LockPluginHandle(Handle handle, Boolean moveHigh) {
    if (!handle) return nullptr;
    if (FallbackHandle* fallback = AsFallback(handle)) return static_cast<Ptr>(fallback->data);
    const HandleProcs* procs = CallableProcs();
    if (procs && procs->lockProc) return procs->lockProc(handle, moveHigh);
    return *handle;
}

void UnlockPluginHandle(Handle handle) {
    if (!handle || AsFallback(handle)) return;  // fallback data stays locked for the handle's life
    const HandleProcs* procs = CallableProcs();
    if (procs && procs->unlockProc) procs->unlockProc(handle);
}

void DisposePluginHandle(Handle handle) {
    if (!handle) {
        Record(nilHandleErr);
        return;
    }
    ForgetDisposedHandle(handle);
    if (FallbackHandle* fallback = AsFallback(handle)) {
        FallbackHandles().erase(handle);
        fallback->tag = 0;  // a stale copy of the handle is no longer taken for one
        platform::GlobalBlock data = fallback->dataBlock;
        platform::GlobalBlock self = fallback->selfBlock;
        platform::GlobalUnlockBlock(data);
        platform::GlobalFree(data);
        platform::GlobalUnlockBlock(self);
        platform::GlobalFree(self);
        return;
    }
    if (const HandleProcs* procs = CallableProcs()) procs->disposeProc(handle);
}

std::int32_t PluginHandleSize(Handle handle) {
    if (!handle) {
        Record(nilHandleErr);
        return 0;
    }
    if (FallbackHandle* fallback = AsFallback(handle))
        return std::int32_t(platform::GlobalSize(fallback->dataBlock));
    if (const HandleProcs* procs = CallableProcs()) return procs->getSizeProc(handle);
    return 0;
}

OSErr ResizePluginHandle(Handle handle, std::int32_t size) {
    if (!handle) {
        Record(memWZErr);
        return memWZErr;
    }
    if (size < 0) return paramErr;
    if (FallbackHandle* fallback = AsFallback(handle)) {
        platform::GlobalUnlockBlock(fallback->dataBlock);
        platform::GlobalBlock grown = platform::GlobalResize(fallback->dataBlock, std::size_t(size));
        if (grown) fallback->dataBlock = grown;
        fallback->data = platform::GlobalLockBlock(fallback->dataBlock);
        if (!grown || !fallback->data) {
            Record(memFullErr);
            return memFullErr;
        }
        return noErr;
    }
    if (const HandleProcs* procs = CallableProcs()) return procs->setSizeProc(handle, size);
    Record(memWZErr);
    return memWZErr;
}
