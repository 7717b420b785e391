#pragma once
// The thin layer between the portable code and the operating system.
// Windows: the real calls. POSIX: the same behaviour written from what the plug-in expects.
// Nothing here throws.

#include <cstddef>
#include <cstdint>

namespace platform {

// ---- Whole-page memory -------------------------------------------------------------------
// Committed, read-write, zero-filled memory straight from the operating system's page
// allocator. Returns nullptr on failure or for a zero size.
void* AllocPages(std::size_t bytes);

// Makes AllocPages refuse every block of more than `bytes` bytes (0: no limit), as a process
// short of address space does; for tests of the out-of-memory paths. Applies to the module
// that calls it (each module has its own copy of this layer).
void SetPageAllocationLimit(std::size_t bytes);

// Releases a block from AllocPages. Works on any such block, whichever module allocated it
// (the plug-in releases the renderer's buffers and the reverse); nullptr is ignored.
void FreePages(void* block);

// ---- Movable global memory (the handle fallback when the host offers no handle suite) ----
// An opaque movable block; Lock returns its data pointer, Unlock undoes one Lock.
using GlobalBlock = void*;
GlobalBlock GlobalNew(std::size_t bytes);   // zero-filled; nullptr on failure
void* GlobalLockBlock(GlobalBlock block);   // nullptr on failure
void GlobalUnlockBlock(GlobalBlock block);
std::size_t GlobalSize(GlobalBlock block);  // 0 for nullptr
GlobalBlock GlobalResize(GlobalBlock block, std::size_t bytes);  // nullptr on failure (block kept)
void GlobalFree(GlobalBlock block);

// ---- Diagnostics and messages ------------------------------------------------------------
// The system debug output (OutputDebugStringA; stderr on POSIX).
void DebugOutput(const char* text);

// A modal message box with an OK button, and the warning icon when asked. On POSIX the caption
// and text go to stderr (a warning prefixed "warning: ") and the call returns at once (never
// blocks); a handler can be installed to capture them instead.
enum class MessageIcon { None, Warning };
void MessageBoxOk(void* parentWindow, const char* text, const char* caption, MessageIcon icon = MessageIcon::None);
using MessageHandler = void (*)(const char* text, const char* caption);
void SetMessageHandler(MessageHandler handler);  // nullptr restores the default

// ---- The module and the host process -----------------------------------------------------
// Full path of the module (DLL / shared object) that contains this code; empty on failure.
const char* ModulePath();

// The raw version-information resource of the host executable (the process's main module).
// Sets *size and returns the bytes, or returns nullptr (always on POSIX: no host identification).
const std::uint8_t* HostVersionInfo(std::size_t* size);

// ---- Resources of the plug-in module -------------------------------------------------------
// Raw bytes of the resource with the given type name ("PIPL", "AETE") or numeric type
// (kResourceBitmap) and id. Windows: the module's resource section. POSIX: the same data
// compiled into the module. Returns nullptr when there is none.
constexpr int kResourceBitmap = 2;  // RT_BITMAP: a DIB without its file header
const std::uint8_t* FindResourceBytes(const char* typeName, int id, std::size_t* size);
const std::uint8_t* FindResourceBytes(int numericType, int id, std::size_t* size);

// ---- Registry and shell (Windows only; no-ops elsewhere) ----------------------------------
bool RegisterFileType(const char* extension, const char* typeName, const char* iconModule, int iconIndex);
// Opens a document or address with the shell's "open" verb. When the file's type has no program
// (SE_ERR_NOASSOC; a system without a web component may not know ".html") and `fallbackClass`
// names a registered class ("htmlfile"), the file is opened as that class. True when launched.
bool ShellOpen(const char* path, const char* fallbackClass = nullptr);

}  // namespace platform
