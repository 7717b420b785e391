// Windows implementation of the platform layer: the real system calls.
#include "platform/platform.h"
#include "platform/embedded_resources.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// ---- Whole-page memory -------------------------------------------------------------------
namespace {
std::size_t gPageLimit = 0;
}

void SetPageAllocationLimit(std::size_t bytes) { gPageLimit = bytes; }

void* AllocPages(std::size_t bytes) {
    if (bytes == 0 || (gPageLimit != 0 && bytes > gPageLimit)) return nullptr;
    return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void FreePages(void* block) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

// ---- Movable global memory ---------------------------------------------------------------
GlobalBlock GlobalNew(std::size_t bytes) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes); }
void* GlobalLockBlock(GlobalBlock block) { return block ? GlobalLock(static_cast<HGLOBAL>(block)) : nullptr; }
void GlobalUnlockBlock(GlobalBlock block) {
    if (block) GlobalUnlock(static_cast<HGLOBAL>(block));
}
std::size_t GlobalSize(GlobalBlock block) { return block ? ::GlobalSize(static_cast<HGLOBAL>(block)) : 0; }
GlobalBlock GlobalResize(GlobalBlock block, std::size_t bytes) {
    if (!block) return nullptr;
    return GlobalReAlloc(static_cast<HGLOBAL>(block), bytes, GMEM_MOVEABLE | GMEM_ZEROINIT);
}
void GlobalFree(GlobalBlock block) {
    if (block) ::GlobalFree(static_cast<HGLOBAL>(block));
}

// ---- Diagnostics and messages ------------------------------------------------------------
void DebugOutput(const char* text) {
    if (text) OutputDebugStringA(text);
}

namespace {
MessageHandler gMessageHandler = nullptr;
}

void SetMessageHandler(MessageHandler handler) { gMessageHandler = handler; }

void MessageBoxOk(void* parentWindow, const char* text, const char* caption, MessageIcon icon) {
    if (gMessageHandler) {
        gMessageHandler(text ? text : "", caption ? caption : "");
        return;
    }
    const UINT style = MB_OK | (icon == MessageIcon::Warning ? MB_ICONWARNING : 0u);
    MessageBoxA(static_cast<HWND>(parentWindow), text ? text : "", caption ? caption : "", style);
}

// ---- The module and the host process -----------------------------------------------------
namespace {
HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}
}  // namespace

const char* ModulePath() {
    static std::string path = [] {
        char buffer[MAX_PATH * 2] = {};
        DWORD n = GetModuleFileNameA(ThisModule(), buffer, sizeof buffer);
        return std::string(buffer, n);
    }();
    return path.c_str();
}

const std::uint8_t* HostVersionInfo(std::size_t* size) {
    static std::vector<std::uint8_t> info = [] {
        std::vector<std::uint8_t> bytes;
        char exe[MAX_PATH * 2] = {};
        if (!GetModuleFileNameA(nullptr, exe, sizeof exe)) return bytes;
        DWORD ignored = 0;
        DWORD n = GetFileVersionInfoSizeA(exe, &ignored);
        if (n == 0) return bytes;
        bytes.resize(n);
        if (!GetFileVersionInfoA(exe, 0, n, bytes.data())) bytes.clear();
        return bytes;
    }();
    if (size) *size = info.size();
    return info.empty() ? nullptr : info.data();
}

// ---- Resources ---------------------------------------------------------------------------
namespace {
const std::uint8_t* LoadBytes(HRSRC found, std::size_t* size) {
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(ThisModule(), found);
    if (!loaded) return nullptr;
    if (size) *size = SizeofResource(ThisModule(), found);
    return static_cast<const std::uint8_t*>(LockResource(loaded));
}
}  // namespace

void RegisterEmbeddedResources(const EmbeddedResource*, std::size_t) {}

const std::uint8_t* FindResourceBytes(const char* typeName, int id, std::size_t* size) {
    if (size) *size = 0;
    if (!typeName) return nullptr;
    return LoadBytes(FindResourceA(ThisModule(), MAKEINTRESOURCEA(id), typeName), size);
}

const std::uint8_t* FindResourceBytes(int numericType, int id, std::size_t* size) {
    if (size) *size = 0;
    return LoadBytes(FindResourceA(ThisModule(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(numericType)), size);
}

// ---- Registry and shell ------------------------------------------------------------------
namespace {
bool SetDefaultValue(const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}
}  // namespace

bool RegisterFileType(const char* extension, const char* typeName, const char* iconModule, int iconIndex) {
    if (!extension || !typeName || !iconModule) return false;
    return SetDefaultValue(extension, typeName) &&
           SetDefaultValue(std::string(typeName) + "\\DefaultIcon",
                           std::string(iconModule) + "," + std::to_string(iconIndex));
}

bool ShellOpen(const char* path, const char* fallbackClass) {
    if (!path) return false;
    HINSTANCE result = ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
    const INT_PTR opened = reinterpret_cast<INT_PTR>(result);
    if (opened > 32) return true;
    if (opened != SE_ERR_NOASSOC || !fallbackClass) return false;
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_CLASSNAME;
    info.lpClass = fallbackClass;
    info.lpVerb = "open";
    info.lpFile = path;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}

}  // namespace platform
