// A stand-in filter module for testing how a host asks for the dialog. Its "dialog" is the user
// pressing Cancel at once: when the host has called the parameters selector and then starts the
// filter with playInfo "display" (a menu pick with an ellipsis), start answers userCanceledErr,
// as the real module does when its dialog is cancelled. Otherwise it runs without touching the
// image (it asks for no pixels), so the host writes the input back unchanged.

#include <cstdint>

#include "plugin/host_interface.h"

#if defined(_WIN32)
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
bool parametersAsked = false;
}

PROBE_EXPORT void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = noErr;
    if (selector == filterSelectorParameters) {
        parametersAsked = true;
    } else if (selector == filterSelectorStart) {
        const auto* filter = static_cast<const FilterRecord*>(record);
        const PIDescriptorParameters* descriptors = filter->descriptorParameters;
        const bool display = descriptors && descriptors->playInfo == plugInDialogDisplay;
        if (parametersAsked && display) *result = userCanceledErr;
        parametersAsked = false;
    }
}
