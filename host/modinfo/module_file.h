#pragma once
// Reading a plug-in module from outside, without loading it: its resources (PiPL, AETE, ...)
// and its exported names. Handles ELF shared objects (resources in ".lorvex_res.<type>.<id>"
// sections) and Windows PE modules, 32- and 64-bit (the resource directory, walked by hand).

#include <cstdint>
#include <string>
#include <vector>

namespace modinfo {

struct ModuleResource {
    std::string typeName;  // "PIPL", "AETE"; empty for a numeric type
    int numericType = 0;   // e.g. 2 for a bitmap; 0 when typeName is set
    int id = 0;
    std::vector<std::uint8_t> bytes;
};

struct ModuleFile {
    std::string format;   // "ELF" or "PE"
    std::string machine;  // "x86_64", "i386", ...
    int bits = 0;         // 32 or 64
    std::vector<ModuleResource> resources;
    std::vector<std::string> exports;  // exported (ELF: defined dynamic) function names

    // The resource with this type name (compared case-insensitively, as hosts do) and id.
    const ModuleResource* Find(const std::string& typeName, int id) const;
};

// Parses a module image. False with *error set ("not an ELF or PE file", "truncated section
// table", ...) when the bytes are not a module this reader understands.
bool ReadModule(const std::vector<std::uint8_t>& file, ModuleFile* module, std::string* error);

// Reads the file, then ReadModule. The error names the file.
bool ReadModuleFile(const std::string& path, ModuleFile* module, std::string* error);

// Format-specific parts of ReadModule.
bool ReadElf(const std::vector<std::uint8_t>& file, ModuleFile* module, std::string* error);
bool ReadPe(const std::vector<std::uint8_t>& file, ModuleFile* module, std::string* error);

}  // namespace modinfo
