// The filter selectors: parameters, prepare, start (one pass through advanceState, or the first
// strip), continue (the following strips) and finish.
#include "plugin/selectors.h"

#include "generate/render_driver.h"
#include "params/params.h"
#include "plugin/dialogs.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"
#include "plugin/rects.h"
#include "plugin/scripting.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr Fixed kRateOne = 0x10000;
constexpr Rect kEmptyRect = {0, 0, 0, 0};

bool AbortRequested(const FilterRecord& record) { return record.abortProc && record.abortProc(); }

void SetAllRects(FilterRecord& record, const Rect& rect) {
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
void RequestStrip(FilterRecord& record, const Rect& filter, const Rect& strip) {
    SetInRect(record, filter);
    SetMaskRect(record, filter);
    SetOutRect(record, strip);
}

// Rows [top, top + rows) of the filter rectangle, cut at its bottom.
Rect Strip(const Rect& filter, int top, int rows) {
    const int bottom = std::min(top + std::max(rows, 1), int(filter.bottom));
    return {std::int16_t(top), filter.left, std::int16_t(bottom), filter.right};
}

// The whole filter rectangle strip by strip through advanceState, rendering each strip.
void RunSinglePass(PluginGlobals& globals, RimelaceParams& params) {
    FilterRecord& record = *globals.filterRecord;
    RequestAllPlanes(record);
    const Rect filter = GetFilterRect(record);
    SetAllRects(record, filter);
    for (int top = filter.top; top < filter.bottom; top += std::max<int>(params.RowsPerChunk, 1)) {
        if (AbortRequested(record) || *globals.result != noErr) {
            *globals.result = userCanceledErr;
            break;
        }
        RequestStrip(record, filter, Strip(filter, top, params.RowsPerChunk));
        *globals.result = record.advanceState();
        if (*globals.result != noErr) break;
        RenderEffect(globals, 1);
    }
    SetAllRects(record, kEmptyRect);
}

// Asks for the first strip; the host delivers it and calls continue.
void BeginStrips(PluginGlobals& globals, RimelaceParams& params) {
    FilterRecord& record = *globals.filterRecord;
    RequestAllPlanes(record);
    record.inputPadding = record.outputPadding = record.maskPadding = 255;
    const Rect filter = GetFilterRect(record);
    RequestStrip(record, filter, Strip(filter, filter.top, params.RowsPerChunk));
}

}  // namespace

void DoParameters(PluginGlobals& globals) {
    ValidateParameters(globals);
    if (RimelaceParams* params = LockedParams(globals)) params->QueryForParameters = 1;
}

void DoPrepare(PluginGlobals& globals) {
    FilterRecord& record = *globals.filterRecord;
    record.bufferSpace = 0;
    ValidateParameters(globals);
    RimelaceParams* params = LockedParams(globals);
    if (!params) return;

    // One mask byte plus an input and an output pixel per column and plane.
    const Rect filter = GetFilterRect(record);
    const std::int64_t height = filter.bottom - filter.top;
    const std::int64_t width = std::max(filter.right - filter.left, 0);
    const std::int64_t bytesPerRow = width + 2 * width * std::max<std::int64_t>(record.planes, 0);
    std::int64_t rows = 1;
    while (rows * bytesPerRow < record.maxSpace && rows < height) ++rows;
    params->RowsPerChunk = std::int16_t(rows);
    record.maxSpace = std::int32_t(std::min<std::int64_t>(rows * bytesPerRow, INT32_MAX));
}

void DoStart(PluginGlobals& globals) {
    FilterRecord& record = *globals.filterRecord;
    ValidateParameters(globals);
    RimelaceParams* params = LockedParams(globals);
    if (!params) return;
    if (params->RowsPerChunk < 1) {  // no prepare before this start
        const Rect filter = GetFilterRect(record);
        params->RowsPerChunk = std::int16_t(std::max(filter.bottom - filter.top, 1));
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
        *globals.result = userCanceledErr;
        return;
    }
    RimelaceParams* params = LockedParams(globals);
    if (params && !params->UseAdvanceState) {
        RenderEffect(globals, 1);
        const Rect filter = GetFilterRect(record);
        const Rect done = GetOutRect(record);
        const int next = done.top + std::max<int>(params->RowsPerChunk, 1);
        if (next < filter.bottom) {
            RequestStrip(record, filter, Strip(filter, next, params->RowsPerChunk));
            return;
        }
    }
    SetAllRects(record, kEmptyRect);
}

void DoFinish(PluginGlobals& globals) { WriteScriptParams(globals); }
