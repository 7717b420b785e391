#pragma once
// The main dialog's preview: the zoom state, preparing a reduced view of the image with the host,
// rendering it through the render driver in preview mode, and showing it in the preview window
// ("Preview Contaner CPP", ui/controls/preview_container.h).
//
// Order of use: PreparePreview whenever the view changes (dialog start, zoom, the end of a pan
// drag), then RenderPreview after every change of the parameters. PreviewMode must be set (the
// dialog sets it while it is open). Everything runs on the dialog's thread.

#include "generate/render_state.h"  // PreviewZoom, PreviewMode, ThumbnailMode
#include "ui/dialog/preview_math.h"

struct PluginGlobals;
struct PreviewContainer;

// The user's zoom: 1 shows the whole image; "Increase preview window" halves it, "Decrease
// preview window" doubles it up to 1. Kept while the module stays loaded, from one dialog run to
// the next.
extern float PreviewScale;
// The reduction at which the whole filter rectangle fits the preview window: an integer >= 1 once
// PreparePreview has run (0 before). PreviewZoom (render_state.h) is trunc(PreviewFit x
// PreviewScale), the image pixels per preview pixel the render works with. Code that renders
// something else in between (the preset thumbnail) saves both and puts them back.
extern float PreviewFit;

// Works out the reduction for the preview window's client size, holds the window's picture
// offset within the image, and asks the host (advanceState) for the visible part of the image
// sampled at PreviewZoom (inputRate and maskRate 16.16, padding 255, all planes), in, out and mask
// rectangles alike. With the window in mode 1 the sampled input becomes the window's source
// buffer (new source and result buffers of the view's size). Leaves the host's code (or
// memFullErr for the buffers) in the filter result; a host without advanceState gets
// filterBadParameters. Sets the window's zoom and the driver's PreviewState.
void PreparePreview(PluginGlobals& globals, PreviewContainer& preview);

// Renders the effect over the window's source buffer into its result buffer (render driver in
// preview mode), rebuilds the window's picture and repaints it. The filter result is left as it
// was (a preview that runs out of memory must not fail the filter). Does nothing without buffers.
void RenderPreview(PluginGlobals& globals, PreviewContainer& preview);

// Forgets the window's buffers in the driver's PreviewState (before the window goes).
void ReleasePreviewState();
