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

// Fallback handles made by this module; looked up instead of peeking at the tag, because a
// host's handle block may be no longer than its first word.
std::set<const void*>& FallbackHandles() {
    static std::set<const void*> handles;
    return handles;
}

FallbackHandle* AsFallback(Handle handle) {
    if (!handle || FallbackHandles().count(handle) == 0) return nullptr;
    return reinterpret_cast<FallbackHandle*>(handle);
}

void Record(OSErr code) { RecordResult(code); }

const HandleProcs* HostProcs() {
    const FilterRecord* record = CurrentFilterRecord();
    const HandleProcs* procs = record ? record->handleProcs : nullptr;
    return HostHandlesUsable(procs) ? procs : nullptr;
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

bool IsFallbackHandle(Handle handle) {
    FallbackHandle* fallback = AsFallback(handle);
    return fallback && fallback->tag == kFallbackTag;
}

Handle NewPluginHandle(std::int32_t size) {
    Handle handle = nullptr;
    if (size >= 0) {
        if (const HandleProcs* procs = HostProcs())
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
    const HandleProcs* procs = HostProcs();
    if (procs && procs->lockProc) return procs->lockProc(handle, moveHigh);
    return *handle;
}

void UnlockPluginHandle(Handle handle) {
    if (!handle || AsFallback(handle)) return;  // fallback data stays locked for the handle's life
    const HandleProcs* procs = HostProcs();
    if (procs && procs->unlockProc) procs->unlockProc(handle);
}

void DisposePluginHandle(Handle handle) {
    if (!handle) {
        Record(nilHandleErr);
        return;
    }
    if (FallbackHandle* fallback = AsFallback(handle)) {
        FallbackHandles().erase(handle);
        platform::GlobalBlock data = fallback->dataBlock;
        platform::GlobalBlock self = fallback->selfBlock;
        platform::GlobalUnlockBlock(data);
        platform::GlobalFree(data);
        platform::GlobalUnlockBlock(self);
        platform::GlobalFree(self);
        return;
    }
    if (const HandleProcs* procs = HostProcs()) procs->disposeProc(handle);
}

std::int32_t PluginHandleSize(Handle handle) {
    if (!handle) {
        Record(nilHandleErr);
        return 0;
    }
    if (FallbackHandle* fallback = AsFallback(handle))
        return std::int32_t(platform::GlobalSize(fallback->dataBlock));
    if (const HandleProcs* procs = HostProcs()) return procs->getSizeProc(handle);
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
    if (const HandleProcs* procs = HostProcs()) return procs->setSizeProc(handle, size);
    Record(memWZErr);
    return memWZErr;
}
