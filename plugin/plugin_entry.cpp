// PluginMain: the one symbol the module exports. C linkage and the C calling convention, so the
// name is undecorated on both Windows targets; hosts find it through the PiPL entry property.
#include "plugin/plugin_main.h"

#include <cstdint>

#if defined(_WIN32)
#define LORVEX_EXPORT extern "C" __declspec(dllexport)
#else
#define LORVEX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

LORVEX_EXPORT void PluginMain(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result) {
    DispatchSelector(selector, record, data, result);  // catches everything
}
