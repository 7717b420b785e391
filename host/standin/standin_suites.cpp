// The host's handle suite and basic suite.
#include "host/standin/standin_p.h"

#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

std::set<Handle>& LiveHandles() {
    static std::set<Handle> handles;
    return handles;
}

HostHandle* Block(Handle handle) {
    return IsLiveHostHandle(handle) ? reinterpret_cast<HostHandle*>(handle) : nullptr;
}

// ---- HandleProcs routines -----------------------------------------------------------------
Handle OnNew(std::int32_t size) { return NewHostHandle(size); }
void OnDispose(Handle handle) { DisposeHostHandle(handle); }
std::int32_t OnGetSize(Handle handle) {
    HostHandle* block = Block(handle);
    return block ? block->size : 0;
}
OSErr OnSetSize(Handle handle, std::int32_t size) {
    HostHandle* block = Block(handle);
    if (!block) return nilHandleErr;
    if (size < 0) return paramErr;
    void* grown = std::realloc(block->data, std::size_t(size) + 1);
    if (!grown) return memFullErr;
    block->data = static_cast<char*>(grown);
    if (size > block->size) std::memset(block->data + block->size, 0, std::size_t(size - block->size));
    block->size = size;
    return noErr;
}
Ptr OnLock(Handle handle, Boolean) {
    HostHandle* block = Block(handle);
    if (!block) return nullptr;
    ++block->locks;
    return block->data;
}
void OnUnlock(Handle handle) {
    if (HostHandle* block = Block(handle); block && block->locks > 0) --block->locks;
}
void OnRecoverSpace(std::int32_t) {}
std::int32_t OnGetSizeZero(Handle) { return 0; }
OSErr OnSetSizeIgnored(Handle, std::int32_t) { return noErr; }

// ---- SPBasicSuite routines ----------------------------------------------------------------
SPErr OnAcquireSuite(const char*, std::int32_t, const void** suite) {
    if (suite) *suite = nullptr;
    return kSPSuiteNotFoundError;
}
SPErr OnReleaseSuite(const char*, std::int32_t) { return kSPNoError; }
SPBoolean OnIsEqual(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }
SPErr OnAllocateBlock(std::size_t size, void** block) {
    if (!block) return kSPBadParameterError;
    *block = std::malloc(size ? size : 1);
    return *block ? kSPNoError : kSPOutOfMemoryError;
}
SPErr OnFreeBlock(void* block) {
    std::free(block);
    return kSPNoError;
}
SPErr OnReallocateBlock(void* block, std::size_t size, void** grown) {
    if (!grown) return kSPBadParameterError;
    void* moved = std::realloc(block, size ? size : 1);
    if (!moved) return kSPOutOfMemoryError;
    *grown = moved;
    return kSPNoError;
}
SPErr OnUndefined() { return kSPNoError; }

}  // namespace

Handle NewHostHandle(std::int32_t size) {
    if (size < 0) return nullptr;
    auto* block = static_cast<HostHandle*>(std::calloc(1, sizeof(HostHandle)));
    char* data = static_cast<char*>(std::calloc(std::size_t(size) + 1, 1));  // +1: never a null block
    if (!block || !data) {
        std::free(block);
        std::free(data);
        return nullptr;
    }
    block->data = data;
    block->size = size;
    Handle handle = reinterpret_cast<Handle>(block);
    LiveHandles().insert(handle);
    return handle;
}

void DisposeHostHandle(Handle handle) {
    HostHandle* block = Block(handle);
    if (!block) return;  // unknown or already disposed: ignored, as a forgiving host does
    LiveHandles().erase(handle);
    std::free(block->data);
    std::free(block);
}

bool IsLiveHostHandle(Handle handle) { return handle && LiveHandles().count(handle) != 0; }

void DisposeAllHostHandles() {
    while (!LiveHandles().empty()) DisposeHostHandle(*LiveHandles().begin());
}

HandleProcs MakeHandleProcs(std::int16_t version, std::int16_t count, bool sizesAnswerZero) {
    HandleProcs procs{};
    procs.handleProcsVersion = version;
    procs.numHandleProcs = count;
    procs.newProc = OnNew;
    procs.disposeProc = OnDispose;
    procs.getSizeProc = sizesAnswerZero ? OnGetSizeZero : OnGetSize;
    procs.setSizeProc = sizesAnswerZero ? OnSetSizeIgnored : OnSetSize;
    procs.lockProc = OnLock;
    procs.unlockProc = OnUnlock;
    procs.recoverSpaceProc = OnRecoverSpace;
    procs.disposeRegularHandleProc = OnDispose;
    return procs;
}

SPBasicSuite MakeBasicSuite() {
    return {OnAcquireSuite, OnReleaseSuite, OnIsEqual, OnAllocateBlock, OnFreeBlock, OnReallocateBlock, OnUndefined};
}

}  // namespace standin
