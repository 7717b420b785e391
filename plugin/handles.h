#pragma once
// Handle memory for the plug-in: the host's handle suite when it is usable, otherwise the
// system's movable global memory.
//
// A fallback handle is a small block whose first word is the (permanently locked) data
// pointer, followed by the tag "OTOF", so `*handle` reaches the data with either kind.
// Failures are written to the result code of the call in progress, when there is one:
// memFullErr (allocation), nilHandleErr (size or dispose of nothing), memWZErr (resize of
// nothing).

#include "plugin/host_interface.h"

#include <cstdint>

// True when the host's suite can be used: present, version 1, at least 8 routines, and the
// first four (new, dispose, get size, set size) present.
bool HostHandlesUsable(const HandleProcs* procs);

// True when the handle was made by the fallback (carries the "OTOF" tag).
bool IsFallbackHandle(Handle handle);

Handle NewPluginHandle(std::int32_t size);                 // zero-filled by the fallback; nullptr on failure
Ptr LockPluginHandle(Handle handle, Boolean moveHigh);     // nullptr on failure
void UnlockPluginHandle(Handle handle);
void DisposePluginHandle(Handle handle);                   // nullptr: records nilHandleErr
std::int32_t PluginHandleSize(Handle handle);              // 0 (and nilHandleErr) for nullptr
OSErr ResizePluginHandle(Handle handle, std::int32_t size);  // data may move; memWZErr for nullptr
