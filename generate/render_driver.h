#pragma once
// The render driver: the one routine through which every rendering of the effect passes (the
// final filtering, the dialog's preview and the preset thumbnail). It moves the host's pixels
// into the four-channel working image, calls the scene builder and writes the result back into
// the host's output planes.

#include <cstdint>

struct PluginGlobals;

// Renders the effect for the current state of the host's filter record (outRect/outData,
// inData, planes, imageMode, depth). showProgress is passed on to the scene builder (1 from
// the filter shell, 0 from the dialog's preview). Failures are the scene builder's own.
void RenderEffect(PluginGlobals& globals, std::uint8_t showProgress);
