// The preview: PreparePreview with the host's sampled input, and the preview render.
#include "ui/dialog/preview.h"

#include "generate/render_driver.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"
#include "plugin/rects.h"
#include "ui/controls/preview_container.h"

float PreviewScale = 1.0f;
float PreviewFit = 0.0f;

namespace {

void LendBuffers(const PreviewContainer& preview) {
    PreviewState.result = preview.result;
    PreviewState.source = preview.source;
    PreviewState.panX = preview.offsetX;
    PreviewState.panY = preview.offsetY;
}

}  // namespace

void PreparePreview(PluginGlobals& globals, PreviewContainer& preview) {
    FilterRecord* record = globals.filterRecord;
    if (!record) return;
    RECT client{};
    GetClientRect(preview.window, &client);
    const int wv = client.right, hv = client.bottom;

    // The reduction, the zoom and the visible part of the reduced image.
    const VRect filter = GetFilterRect(*record);
    PreviewFit = PreviewFitFor(filter.right - filter.left, filter.bottom - filter.top, wv, hv);
    SetInRect(*record, filter);
    PreviewZoom = PreviewZoomFor(PreviewFit, PreviewScale);
    if (PreviewZoom < 1.0f) PreviewZoom = 1.0f;
    const PreviewView view = PreviewViewFor(filter.top, filter.left, filter.bottom, filter.right, wv, hv, PreviewZoom,
                                            preview.offsetX, preview.offsetY);
    preview.offsetX = view.panX;
    preview.offsetY = view.panY;
    preview.zoom = PreviewZoom;

    // The request: every plane of the view, sampled at the zoom.
    const VRect r{view.top, view.left, view.bottom, view.right};
    SetInRect(*record, r);
    SetMaskRect(*record, r);
    SetOutRect(*record, r);
    record->inLoPlane = record->outLoPlane = 0;
    record->inHiPlane = record->outHiPlane = std::int16_t(record->planes - 1);
    record->inputRate = record->maskRate = Fixed(PreviewZoom * 65536.0f);
    record->inputPadding = record->outputPadding = record->maskPadding = 255;
    if (!record->advanceState) {
        *globals.result = filterBadParameters;
        return;
    }
    *globals.result = record->advanceState();

    // The sampled input as the window's source.
    if (*globals.result == noErr && preview.mode == 1) {
        const VRect out = GetOutRect(*record);
        const int w = out.right - out.left, h = out.bottom - out.top;
        if (w > 0 && h > 0 && !preview.AllocateBuffers(w, h)) *globals.result = memFullErr;
        if (preview.source && record->inData)
            SampledToPreview(static_cast<const std::uint8_t*>(record->inData), record->inRowBytes, record->planes,
                             record->depth == 0 ? 8 : record->depth, w, h, preview.source);
    }
    LendBuffers(preview);
}

void RenderPreview(PluginGlobals& globals, PreviewContainer& preview) {
    if (!preview.result || !preview.source) return;
    LendBuffers(preview);
    const std::int16_t before = *globals.result;
    RenderEffect(globals, 0);
    *globals.result = before;
    preview.showResult = 1;
    preview.UpdatePicture();
    Repaint(preview.window);
}

void ReleasePreviewState() { PreviewState = PreviewBuffers{}; }
