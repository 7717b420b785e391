#pragma once
// The two resources through which a host discovers the plug-in: the PiPL property list (what
// the module is, its menu entry, entry point, modes and filter cases) and the scripting
// dictionary (AETE) that names every recorded parameter. Both are built from the parameter
// table by code; the build stores them in the module (the resource section on Windows, named
// sections plus a registered table elsewhere).
//
// Byte order is little-endian throughout; four-character codes are stored as 32-bit values, so
// their characters stand reversed in the bytes.

#include <cstdint>
#include <vector>

constexpr int kPiplResourceId = 16000;
constexpr int kAeteResourceId = 16000;

constexpr const char* kPluginMenuName = "Rimelace...";
constexpr const char* kPluginCategory = "Corvanta";
constexpr const char* kPluginEntryName = "PluginMain";
// The scope of the plug-in's terminology ('hstm'): a GUID that belongs to this plug-in alone.
constexpr const char* kTerminologyScope = "cb8cbc01-b3af-4309-8247-bf2e1498e859";

// Which entry-point properties the PiPL names: a 32-bit Windows module names its entry in
// 'wx86' only; a 64-bit module (Windows x86_64, Linux) in 'wx86' and '8664'.
enum class PiplEntries { X86, X86AndX64 };

// The PiPL resource bytes: a 16-bit 1, version 0, the property count, then the properties
// 'kind', 'name', 'catg', 'vers', 'wx86', ['8664'], 'mode', 'hstm', 'enbl', 'fici', each with a
// length that is a multiple of 4 (zero padding included).
std::vector<std::uint8_t> BuildPipl(PiplEntries entries);

// The AETE resource bytes: one suite with one event and its 44 parameters, from the table.
std::vector<std::uint8_t> BuildAete();

// On ELF platforms each resource also lives in a section of its own, named after its type and
// id (".lorvex_res.PIPL.16000"), so tools can read it from the file without loading the module.
constexpr const char* kElfResourceSectionPrefix = ".lorvex_res.";
