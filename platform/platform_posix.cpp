// POSIX implementation of the platform layer.
#include "platform/platform.h"
#include "platform/embedded_resources.h"

#include <dlfcn.h>
#include <strings.h>
#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {

// ---- Whole-page memory -------------------------------------------------------------------
// The mapping length sits in a header page-aligned block in front of the data, so any module
// can release any block without shared bookkeeping.
namespace {
constexpr std::size_t kHeader = 64;  // keeps the data 64-byte aligned
std::size_t gPageLimit = 0;
}

void SetPageAllocationLimit(std::size_t bytes) { gPageLimit = bytes; }

void* AllocPages(std::size_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX - kHeader - 4096 || (gPageLimit != 0 && bytes > gPageLimit)) return nullptr;
    std::size_t total = bytes + kHeader;
    void* base = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
    // Large image buffers: ask for huge pages, so that first touching them costs a few faults per
    // megabyte instead of hundreds (the rasteriser allocates several such buffers per call).
    if (total >= (std::size_t{4} << 20)) madvise(base, total, MADV_HUGEPAGE);
#endif
    *static_cast<std::size_t*>(base) = total;
    return static_cast<std::uint8_t*>(base) + kHeader;
}

void FreePages(void* block) {
    if (!block) return;
    std::uint8_t* base = static_cast<std::uint8_t*>(block) - kHeader;
    munmap(base, *reinterpret_cast<std::size_t*>(base));
}

// ---- Movable global memory ---------------------------------------------------------------
namespace {
struct GlobalHeader {
    std::size_t size;
    int locks;
};
GlobalHeader* HeaderOf(GlobalBlock block) { return static_cast<GlobalHeader*>(block); }
std::uint8_t* DataOf(GlobalBlock block) { return static_cast<std::uint8_t*>(block) + sizeof(GlobalHeader); }
}  // namespace

GlobalBlock GlobalNew(std::size_t bytes) {
    if (bytes > SIZE_MAX - sizeof(GlobalHeader)) return nullptr;
    void* block = std::calloc(1, sizeof(GlobalHeader) + bytes);
    if (!block) return nullptr;
    HeaderOf(block)->size = bytes;
    return block;
}

void* GlobalLockBlock(GlobalBlock block) {
    if (!block) return nullptr;
    ++HeaderOf(block)->locks;
    return DataOf(block);
}

void GlobalUnlockBlock(GlobalBlock block) {
    if (block && HeaderOf(block)->locks > 0) --HeaderOf(block)->locks;
}

std::size_t GlobalSize(GlobalBlock block) { return block ? HeaderOf(block)->size : 0; }

GlobalBlock GlobalResize(GlobalBlock block, std::size_t bytes) {
    if (!block || bytes > SIZE_MAX - sizeof(GlobalHeader)) return nullptr;
    std::size_t old = HeaderOf(block)->size;
    void* grown = std::realloc(block, sizeof(GlobalHeader) + bytes);
    if (!grown) return nullptr;
    if (bytes > old) std::memset(DataOf(grown) + old, 0, bytes - old);
    HeaderOf(grown)->size = bytes;
    return grown;
}

void GlobalFree(GlobalBlock block) { std::free(block); }

// ---- Diagnostics and messages ------------------------------------------------------------
void DebugOutput(const char* text) {
    if (!text) return;
    std::fputs(text, stderr);
    std::size_t n = std::strlen(text);
    if (n == 0 || text[n - 1] != '\n') std::fputc('\n', stderr);
}

namespace {
MessageHandler gMessageHandler = nullptr;
}

void SetMessageHandler(MessageHandler handler) { gMessageHandler = handler; }

void MessageBoxOk(void*, const char* text, const char* caption, MessageIcon icon) {
    if (gMessageHandler) {
        gMessageHandler(text ? text : "", caption ? caption : "");
        return;
    }
    std::fprintf(stderr, "%s%s: %s\n", icon == MessageIcon::Warning ? "warning: " : "", caption ? caption : "",
                 text ? text : "");
}

// ---- The module and the host process -----------------------------------------------------
const char* ModulePath() {
    static std::string path = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) && info.dli_fname) return std::string(info.dli_fname);
        return std::string();
    }();
    return path.c_str();
}

const std::uint8_t* HostVersionInfo(std::size_t* size) {
    if (size) *size = 0;
    return nullptr;
}

// ---- Resources ---------------------------------------------------------------------------
namespace {
// Several tables may register (one per generated resource file of the module).
struct Table {
    const EmbeddedResource* entries;
    std::size_t count;
};
constexpr std::size_t kMaxTables = 16;
Table gTables[kMaxTables];
std::size_t gTableCount = 0;

template <typename Match>
const std::uint8_t* FindIn(Match match, std::size_t* size) {
    if (size) *size = 0;
    for (std::size_t t = 0; t < gTableCount; ++t)
        for (std::size_t i = 0; i < gTables[t].count; ++i) {
            const EmbeddedResource& r = gTables[t].entries[i];
            if (match(r)) {
                if (size) *size = r.size;
                return r.data;
            }
        }
    return nullptr;
}
}  // namespace

void RegisterEmbeddedResources(const EmbeddedResource* table, std::size_t count) {
    for (std::size_t t = 0; t < gTableCount; ++t)
        if (gTables[t].entries == table) {
            gTables[t].count = count;
            return;
        }
    if (gTableCount < kMaxTables) gTables[gTableCount++] = {table, count};
}

const std::uint8_t* FindResourceBytes(const char* typeName, int id, std::size_t* size) {
    if (size) *size = 0;
    if (!typeName) return nullptr;
    return FindIn([&](const EmbeddedResource& r) { return r.typeName && r.id == id && strcasecmp(r.typeName, typeName) == 0; },
                  size);
}

const std::uint8_t* FindResourceBytes(int numericType, int id, std::size_t* size) {
    return FindIn([&](const EmbeddedResource& r) { return !r.typeName && r.numericType == numericType && r.id == id; },
                  size);
}

// ---- Registry and shell ------------------------------------------------------------------
bool RegisterFileType(const char*, const char*, const char*, int) { return false; }
bool ShellOpen(const char*, const char*) { return false; }

}  // namespace platform
