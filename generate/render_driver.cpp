// The render driver: run modes, pan and zoom, the centre, the working buffers, conversions A
// and B, the whole-scene result kept across strips, and the pass-through of other image modes.
#include "generate/render_driver.h"

#include "generate/render_convert.h"
#include "generate/render_state.h"
#include "generate/scene_builder.h"
#include "generate/scene_render.h"
#include "params/params.h"
#include "platform/platform.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"
#include "plugin/rects.h"

#include <algorithm>

const char* const kUnsupportedModeText = "dont support this image mode";

namespace {

// The full-size result of the run in progress, kept while its strips are written.
struct StripCache {
    std::uint8_t* result = nullptr;
    VRect filter{};
    bool wide = false;
    std::int32_t rowBytes = 0;
};
StripCache gStrips;

bool Contains(const VRect& outer, const VRect& inner) { return RectContains(outer, inner); }

// Bytes from the start of a host buffer of rectangle `from` to the pixel (x, y).
std::ptrdiff_t HostOffset(const VRect& from, std::int32_t rowBytes, std::int32_t x, std::int32_t y,
                          std::int32_t pixelBytes) {
    return std::ptrdiff_t(y - from.top) * rowBytes + std::ptrdiff_t(x - from.left) * pixelBytes;
}

void* ParentWindow(const FilterRecord& record) {
    const auto* data = static_cast<const PlatformData*>(record.platformData);
    return data ? reinterpret_cast<void*>(data->hwnd) : nullptr;
}

void PassThrough(FilterRecord& record, const VRect& out, const VRect& in) {
    platform::MessageBoxOk(ParentWindow(record), kUnsupportedModeText, "Sory", platform::MessageIcon::Warning);
    const int bytes = record.depth == 16 ? 2 : (record.depth == 0 || record.depth == 8 ? 1 : 0);
    if (bytes == 0 || !record.inData || !record.outData || RectIsEmpty(out) || !Contains(in, out)) return;
    const std::int32_t planes = record.planes;
    HostPixels from{static_cast<std::uint8_t*>(record.inData), record.inRowBytes, planes};
    from.data += HostOffset(in, record.inRowBytes, out.left, out.top, planes * bytes);
    const HostPixels to{static_cast<std::uint8_t*>(record.outData), record.outRowBytes, planes};
    CopyHostPixels(from, to, bytes, out.right - out.left, out.bottom - out.top);
}

SceneContext ContextFor(RimelaceParams& params, const FilterRecord& record, std::int32_t w, std::int32_t h,
                        std::int32_t W, std::int32_t H, bool wide) {
    SceneContext ctx;
    ctx.params = &params;
    ctx.w = w;
    ctx.h = h;
    ctx.W = W;
    ctx.H = H;
    ctx.depth16 = wide && !PreviewMode;
    ctx.preview = PreviewMode;
    ctx.progress = record.progressProc;
    return ctx;
}

void TellBudget(const FilterRecord& record, const SceneContext& ctx, const SceneOutcome& outcome) {
    if (PreviewMode || ThumbnailMode) return;
    const std::string text = BudgetWarning(outcome, ctx.triangleBudget);
    if (!text.empty()) platform::MessageBoxOk(ParentWindow(record), text.c_str(), "Rimelace");
}

// The final render of the whole filter rectangle into a full-size result (gStrips.result).
bool RenderWhole(PluginGlobals& globals, RimelaceParams& params, FilterRecord& record, const VRect& filter,
                 bool wide, std::uint8_t showProgress) {
    const std::int32_t w = filter.right - filter.left, h = filter.bottom - filter.top;
    const std::int32_t pixelBytes = wide ? 8 : 4;
    const std::size_t bytes = std::size_t(w) * std::size_t(h) * std::size_t(pixelBytes);
    auto* source = static_cast<std::uint8_t*>(platform::AllocPages(bytes));
    auto* result = static_cast<std::uint8_t*>(platform::AllocPages(bytes));
    std::uint8_t* maskCopy = nullptr;
    if (!source || !result) {
        platform::FreePages(source);
        platform::FreePages(result);
        return false;
    }
    // Conversion A over the part of the filter rectangle the host delivered.
    const VRect in = GetInRect(record);
    const VRect area{std::max(in.top, filter.top), std::max(in.left, filter.left), std::min(in.bottom, filter.bottom),
                    std::min(in.right, filter.right)};
    if (record.inData && !RectIsEmpty(area)) {
        HostPixels from{static_cast<std::uint8_t*>(record.inData), record.inRowBytes, record.planes};
        from.data += HostOffset(in, record.inRowBytes, area.left, area.top, record.planes * (wide ? 2 : 1));
        HostToWorking(from, wide, area.right - area.left, area.bottom - area.top, source, w * pixelBytes,
                      area.left - filter.left, area.top - filter.top, WorkingOrder::CoverageLast);
    }

    SceneContext ctx = ContextFor(params, record, w, h, w, h, wide);
    ctx.rendererOrder = true;
    if (record.haveMask && record.maskData) {
        const VRect m = GetMaskRect(record);
        if (SameRect(m, filter)) {
            ctx.mask = static_cast<const std::uint8_t*>(record.maskData);
            ctx.maskRowBytes = record.maskRowBytes;
        } else if (Contains(filter, m) && !RectIsEmpty(m)) {
            // A partial mask: placed into a whole-size copy, unselected elsewhere.
            maskCopy = static_cast<std::uint8_t*>(platform::AllocPages(std::size_t(w) * std::size_t(h)));
            if (!maskCopy) {  // without it the pattern would silently ignore the selection
                platform::FreePages(source);
                platform::FreePages(result);
                return false;
            }
            for (std::int32_t y = m.top; y < m.bottom; ++y)
                for (std::int32_t x = m.left; x < m.right; ++x)
                    maskCopy[std::size_t(y - filter.top) * std::size_t(w) + std::size_t(x - filter.left)] =
                        static_cast<const std::uint8_t*>(record.maskData)[HostOffset(m, record.maskRowBytes, x, y, 1)];
            ctx.mask = maskCopy;
            ctx.maskRowBytes = w;
        }
    }
    float cx, cy;
    EffectCentre(params, w, h, 0, 0, cx, cy);
    const SceneOutcome outcome = BuildScene(ctx, result, source, cx, cy, 0, 0, w * pixelBytes, showProgress != 0);
    platform::FreePages(source);
    platform::FreePages(maskCopy);
    if (outcome.outOfMemory) {
        platform::FreePages(result);
        return false;
    }
    (void)globals;
    TellBudget(record, ctx, outcome);
    gStrips.result = result;
    gStrips.filter = filter;
    gStrips.wide = wide;
    gStrips.rowBytes = w * pixelBytes;
    return true;
}

void FinalRender(PluginGlobals& globals, RimelaceParams& params, FilterRecord& record, bool wide,
                 std::uint8_t showProgress) {
    const VRect filter = GetFilterRect(record);
    const VRect out = GetOutRect(record);
    if (RectIsEmpty(filter) || RectIsEmpty(out) || !Contains(filter, out) || !record.outData) return;
    // A new run (the first strip, or the whole image) renders anew; later strips reuse the result.
    const bool reuse =
        gStrips.result && out.top != filter.top && gStrips.wide == wide && SameRect(gStrips.filter, filter);
    if (!reuse) {
        ReleaseStripCache();
        if (!RenderWhole(globals, params, record, filter, wide, showProgress)) {
            if (globals.result) *globals.result = memFullErr;
            return;
        }
    }
    // Conversion B of the strip's rows; a fifth plane from the same input pixel.
    const VRect in = GetInRect(record);
    const HostPixels to{static_cast<std::uint8_t*>(record.outData), record.outRowBytes, record.planes};
    HostPixels from{static_cast<std::uint8_t*>(record.inData), record.inRowBytes, record.planes};
    const bool inCovers = record.inData && Contains(in, out);
    if (inCovers)
        from.data += HostOffset(in, record.inRowBytes, out.left, out.top, record.planes * (wide ? 2 : 1));
    WorkingToHost(gStrips.result, gStrips.rowBytes, out.left - filter.left, out.top - filter.top, wide,
                  out.right - out.left, out.bottom - out.top, to, inCovers ? &from : nullptr,
                  WorkingOrder::CoverageLast);
    if (out.bottom >= filter.bottom) ReleaseStripCache();
}

}  // namespace

void ReleaseStripCache() {
    platform::FreePages(gStrips.result);
    gStrips = StripCache{};
}

bool StripCacheHeld() { return gStrips.result != nullptr; }

void RenderEffect(PluginGlobals& globals, std::uint8_t showProgress) {
    FilterRecord* record = globals.filterRecord;
    RimelaceParams* params = LockedParams(globals);
    if (!record || !params) return;

    // Depth, run mode, pan and zoom.
    const bool wide = record->depth == 16;
    const bool preview = PreviewMode && !ThumbnailMode;
    float panX = 0, panY = 0;
    if (preview) {
        panX = float(PreviewState.panX);
        panY = float(PreviewState.panY);
    } else {
        PreviewZoom = 1.0f;
    }
    if (!params->BumpImage) params->BumpImage = LoadBumpImage();
    const VRect filter = GetFilterRect(*record);
    const float zoom = PreviewZoom > 0 ? PreviewZoom : 1.0f;
    const std::int32_t W = std::int32_t(double(filter.right - filter.left) / zoom + 0.5);
    const std::int32_t H = std::int32_t(double(filter.bottom - filter.top) / zoom + 0.5);

    const VRect out = GetOutRect(*record);
    if ((record->imageMode != plugInModeRGBColor && record->imageMode != plugInModeRGB48) || record->planes < 3) {
        PassThrough(*record, out, GetInRect(*record));
        return;
    }

    if (ThumbnailMode || preview) {
        // The owner's four-channel buffers of the out rectangle's size.
        const std::int32_t w = out.right - out.left, h = out.bottom - out.top;
        std::uint8_t* source = ThumbnailMode ? static_cast<std::uint8_t*>(record->inData) : PreviewState.source;
        std::uint8_t* result = ThumbnailMode ? static_cast<std::uint8_t*>(record->outData) : PreviewState.result;
        const std::int32_t rowBytes = ThumbnailMode ? record->outRowBytes : 4 * w;
        if (!result || !source || w <= 0 || h <= 0) return;
        SceneContext ctx = ContextFor(*params, *record, w, h, W, H, ThumbnailMode && wide);
        if (record->haveMask && record->maskData) {
            ctx.mask = static_cast<const std::uint8_t*>(record->maskData);
            ctx.maskRowBytes = record->maskRowBytes;
        }
        float cx, cy;
        EffectCentre(*params, W, H, panX, panY, cx, cy);
        const SceneOutcome outcome = BuildScene(ctx, result, source, cx, cy, panX, panY, rowBytes, showProgress != 0);
        if (outcome.outOfMemory && globals.result) *globals.result = memFullErr;
        return;
    }

    FinalRender(globals, *params, *record, wide, showProgress);
    platform::FreePages(params->BumpImage);
    params->BumpImage = nullptr;
}
