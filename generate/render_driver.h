#pragma once
// The render driver: the one routine through which every rendering of the effect passes (the
// final filtering, the dialog's preview and the preset thumbnail). It moves the host's pixels
// into the four-channel working image, computes the effect centre, calls the scene builder and
// writes the result back into the host's output planes.
//
// Strips: a final render always draws the scene over the whole filter rectangle (the shell asks
// the host for the whole input and mask with every strip) and writes the rows of the strip it
// was given; the full-size result is kept between strips of one run, so a host that delivers
// strips gets the same bytes as one that delivers the image whole.

#include "generate/scene_placement.h"  // EffectCentre

#include <cstdint>

struct PluginGlobals;
struct RimelaceParams;

// Renders the effect for the current state of the host's filter record. showProgress is passed
// on to the scene builder (1 from the filter shell, 0 from the dialog's preview). Writes
// memFullErr through the result pointer when a working buffer cannot be allocated.
void RenderEffect(PluginGlobals& globals, std::uint8_t showProgress);

// Releases the full-size result kept between strips (also done after a run's last strip, and by
// the shell when a run ends early). StripCacheHeld says whether one is kept.
void ReleaseStripCache();
bool StripCacheHeld();

// The warnings the driver shows (message box title "Sory" for the image mode).
extern const char* const kUnsupportedModeText;   // "dont support this image mode"
