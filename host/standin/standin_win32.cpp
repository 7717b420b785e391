// Loading a plug-in module on Windows as hosts do: load the library, enumerate its "PIPL"
// resources, take the entry property of this process's architecture ('wx86' in a 32-bit process,
// '8664' in a 64-bit one) and look that name up.
#include "host/standin/standin_p.h"

#include <windows.h>

#include <vector>

namespace standin {

namespace {

struct Found {
    HMODULE module;
    std::vector<std::string> entries;
    std::vector<std::string> problems;
    int resources = 0;
};

BOOL CALLBACK OnPiPL(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    Found& found = *reinterpret_cast<Found*>(context);
    ++found.resources;
    HRSRC resource = FindResourceA(module, name, type);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        found.problems.push_back("a PiPL resource cannot be read");
        return TRUE;
    }
    PiPLInfo info;
    std::string error;
    if (!ParsePiPL(static_cast<const std::uint8_t*>(bytes), SizeofResource(module, resource), &info, &error)) {
        found.problems.push_back(error);
        return TRUE;
    }
    const std::string& entry = sizeof(void*) == 8 ? info.entry64 : info.entry32;
    if (info.kind != FourCC("8BFM"))
        found.problems.push_back("the PiPL does not describe a filter");
    else if (entry.empty())
        found.problems.push_back(sizeof(void*) == 8 ? "the PiPL has no '8664' entry property"
                                                    : "the PiPL has no 'wx86' entry property");
    else
        found.entries.push_back(entry);
    return TRUE;
}

}  // namespace

bool LoadPluginModule(const std::string& path, LoadedModule* module, std::string* error) {
    char full[MAX_PATH * 2] = {};
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string absolute = n > 0 && n < sizeof full ? std::string(full, n) : path;
    HMODULE native = LoadLibraryExA(absolute.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!native) {
        *error = "cannot load the plug-in module " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    Found found{native, {}, {}, 0};
    EnumResourceNamesA(native, "PIPL", OnPiPL, reinterpret_cast<LONG_PTR>(&found));
    for (const std::string& entry : found.entries) {
        if (FARPROC proc = GetProcAddress(native, entry.c_str())) {
            module->native = native;
            module->entry = reinterpret_cast<PluginMainProc>(reinterpret_cast<void*>(proc));
            return true;
        }
        found.problems.push_back("the entry " + entry + " named by the PiPL is not exported");
    }
    FreeLibrary(native);
    if (found.resources == 0)
        *error = "the module " + path + " has no PiPL resource: not a filter plug-in";
    else
        *error = "no usable filter entry in " + path + ": " + (found.problems.empty() ? "" : found.problems.front());
    return false;
}

void UnloadPluginModule(LoadedModule* module) {
    if (module->native) FreeLibrary(static_cast<HMODULE>(module->native));
    *module = {};
}

}  // namespace standin
