// The filter selectors: parameters, prepare, start (one pass through advanceState, or the first
// strip), continue (the following strips) and finish.
#include "plugin/selectors.h"

#include "generate/render_driver.h"
#include "params/params.h"
#include "plugin/dialogs.h"
#include "plugin/host_interface.h"
#include "plugin/plane_requests.h"
#include "plugin/plugin_main.h"
#include "plugin/rects.h"
#include "plugin/scripting.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr Fixed kRateOne = 0x10000;
constexpr VRect kEmptyRect = {0, 0, 0, 0};

bool AbortRequested(const FilterRecord& record) { return record.abortProc && record.abortProc(); }

// The parameter record of this call. A record that exists but cannot be locked fails the call
// with memFullErr (unless an earlier step already wrote its own failure).
RimelaceParams* RequireParams(PluginGlobals& globals) {
    RimelaceParams* params = LockedParams(globals);
    if (!params && *globals.result == noErr) *globals.result = memFullErr;
    return params;
}

void SetAllRects(FilterRecord& record, const VRect& rect) {
    SetInRect(record, rect);
    SetOutRect(record, rect);
    SetMaskRect(record, rect);
}

void RequestAllPlanes(FilterRecord& record) {
    record.inLoPlane = record.outLoPlane = 0;
    record.inHiPlane = record.outHiPlane = std::int16_t(record.planes - 1);
    record.inputRate = record.maskRate = kRateOne;
}

// A strip: the output rows [top, top + rows) of the filter rectangle, cut at its bottom, with the
// whole filter rectangle as input and mask. The effect is drawn over the whole image (glass
// refracts across strip borders, the selection outline is traced whole), so every strip needs
// the whole input; the driver renders once and writes each strip's rows.
void RequestStrip(FilterRecord& record, const VRect& filter, const VRect& strip) {
    SetInRect(record, filter);
    SetMaskRect(record, filter);
    SetOutRect(record, strip);
}

// Rows [top, top + rows) of the filter rectangle, cut at its bottom.
VRect Strip(const VRect& filter, std::int32_t top, int rows) {
    const std::int32_t bottom = std::int32_t(std::min<std::int64_t>(std::int64_t(top) + std::max(rows, 1), filter.bottom));
    return {top, filter.left, bottom, filter.right};
}

// The whole filter rectangle strip by strip through advanceState, rendering each strip.
void RunSinglePass(PluginGlobals& globals, RimelaceParams& params) {
    FilterRecord& record = *globals.filterRecord;
    RequestAllPlanes(record);
    const VRect filter = GetFilterRect(record);
    SetAllRects(record, filter);
    const int rows = std::max<int>(params.RowsPerChunk, 1);
    bool planeByPlane = false;  // the host serves one plane per request
    for (std::int64_t top = filter.top; top < filter.bottom; top += rows) {
        if (*globals.result != noErr) break;  // a failed strip keeps its own cause
        if (AbortRequested(record)) {
            *globals.result = userCanceledErr;
            break;
        }
        const VRect strip = Strip(filter, std::int32_t(top), rows);
        if (!planeByPlane) {
            RequestAllPlanes(record);
            RequestStrip(record, filter, strip);
            const OSErr served = record.advanceState();
            if (served == noErr) {
                RenderEffect(globals, 1);
                continue;
            }
            // A host that cannot serve all planes at once may still serve them one by one.
            if (served == userCanceledErr || record.planes < 2) {
                *globals.result = served;
                break;
            }
            planeByPlane = true;
        }
        *globals.result = RenderStripPlaneByPlane(globals, filter, strip);
    }
    ReleaseStripCache();  // after the last strip, or a run that ended early
    SetAllRects(record, kEmptyRect);
}

// Asks for the first strip; the host delivers it and calls continue.
void BeginStrips(PluginGlobals& globals, RimelaceParams& params) {
    FilterRecord& record = *globals.filterRecord;
    RequestAllPlanes(record);
    record.inputPadding = record.outputPadding = record.maskPadding = 255;
    const VRect filter = GetFilterRect(record);
    RequestStrip(record, filter, Strip(filter, filter.top, params.RowsPerChunk));
}

}  // namespace

void DoParameters(PluginGlobals& globals) {
    ValidateParameters(globals);
    if (RimelaceParams* params = RequireParams(globals)) params->QueryForParameters = 1;
}

void DoPrepare(PluginGlobals& globals) {
    FilterRecord& record = *globals.filterRecord;
    record.bufferSpace = 0;
    ValidateParameters(globals);
    RimelaceParams* params = RequireParams(globals);
    if (!params) return;

    // One mask byte plus an input and an output pixel per column and plane.
    const VRect filter = GetFilterRect(record);
    const std::int64_t height = std::int64_t(filter.bottom) - filter.top;
    const std::int64_t width = std::max<std::int64_t>(std::int64_t(filter.right) - filter.left, 0);
    const std::int64_t bytesPerRow = width + 2 * width * std::max<std::int64_t>(record.planes, 0);
    std::int64_t rows = 1;
    while (rows * bytesPerRow < record.maxSpace && rows < height && rows < INT16_MAX) ++rows;
    params->RowsPerChunk = std::int16_t(rows);
    record.maxSpace = std::int32_t(std::min<std::int64_t>(rows * bytesPerRow, INT32_MAX));
}

void DoStart(PluginGlobals& globals) {
    FilterRecord& record = *globals.filterRecord;
    ValidateParameters(globals);
    RimelaceParams* params = RequireParams(globals);
    if (!params) return;
    if (params->RowsPerChunk < 1) {  // no prepare before this start
        const VRect filter = GetFilterRect(record);
        params->RowsPerChunk =
            std::int16_t(std::clamp<std::int64_t>(std::int64_t(filter.bottom) - filter.top, 1, INT16_MAX));
    }
    params->UseAdvanceState = record.advanceState && record.displayPixels && !params->HostIsPremiere &&
                              !params->HostIsAfterEffects;

    ReadScriptParams(globals);
    if (params->QueryForParameters) {
        RunMainDialog(globals);
        params->QueryForParameters = 0;
    }
    params->SceneDirty = 1;
    if (*globals.result != noErr) return;

    if (params->UseAdvanceState)
        RunSinglePass(globals, *params);
    else
        BeginStrips(globals, *params);
}

void DoContinue(PluginGlobals& globals) {
    FilterRecord& record = *globals.filterRecord;
    if (AbortRequested(record) || *globals.result != noErr) {
        ReleaseStripCache();
        *globals.result = userCanceledErr;
        return;
    }
    RimelaceParams* params = RequireParams(globals);
    if (params && !params->UseAdvanceState) {
        RenderEffect(globals, 1);
        const VRect filter = GetFilterRect(record);
        const VRect done = GetOutRect(record);
        const std::int64_t next = std::int64_t(done.top) + std::max<int>(params->RowsPerChunk, 1);
        if (*globals.result == noErr && next < filter.bottom) {
            RequestStrip(record, filter, Strip(filter, std::int32_t(next), params->RowsPerChunk));
            return;
        }
    }
    ReleaseStripCache();
    SetAllRects(record, kEmptyRect);
}

void DoFinish(PluginGlobals& globals) {
    ReleaseStripCache();  // a run the host ended early leaves no full-size result behind
    WriteScriptParams(globals);
}
