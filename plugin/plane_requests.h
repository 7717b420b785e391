#pragma once
// One strip of the one-pass path for hosts that serve a single plane per request: the input
// planes are asked for one by one and gathered into an interleaved copy, the strip is rendered
// from it, and its output planes are handed back one by one (private to the shell).

#include "plugin/host_interface.h"

struct PluginGlobals;

// Renders the strip `strip` of the filter rectangle `filter` through advanceState, one plane per
// request. Returns the first failing host result, memFullErr when the copies cannot be
// allocated, or the render's own result.
OSErr RenderStripPlaneByPlane(PluginGlobals& globals, const VRect& filter, const VRect& strip);
