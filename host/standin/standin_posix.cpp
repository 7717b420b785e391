// Loading a plug-in module on POSIX: dlopen, then the entry by its name.
#include "host/standin/standin_p.h"

#include <dlfcn.h>

namespace standin {

bool LoadPluginModule(const std::string& path, LoadedModule* module, std::string* error) {
    void* native = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!native) {
        const char* why = dlerror();
        *error = "cannot load the plug-in module " + path + ": " + (why ? why : "unknown error");
        return false;
    }
    void* entry = dlsym(native, "PluginMain");
    if (!entry) {
        dlclose(native);
        *error = "the module " + path + " has no entry PluginMain: not a filter plug-in";
        return false;
    }
    module->native = native;
    module->entry = reinterpret_cast<PluginMainProc>(entry);
    return true;
}

void UnloadPluginModule(LoadedModule* module) {
    if (module->native) dlclose(module->native);
    *module = {};
}

}  // namespace standin
