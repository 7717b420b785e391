#pragma once
// Recording and replaying the effect through the host's scripting descriptors.

#include <cstdint>
#include <span>

struct PluginGlobals;

// True when the host's descriptor suite is complete and of a version we understand.
bool DescriptorsAvailable(const PluginGlobals& globals);

// Reads a replayed descriptor into the parameter record (start selector). Decides
// QueryForParameters from the host's playInfo. Returns the last descriptor call's error code.
std::int16_t ReadScriptParams(PluginGlobals& globals);

// Writes the effect fields into a new descriptor for the host to record (finish selector).
// Returns the close call's error code.
std::int16_t WriteScriptParams(PluginGlobals& globals);

// The zero-terminated key list the reader passes to the host when it opens a descriptor.
std::span<const std::uint32_t> ScriptExpectedKeys();
