// The one-pass path plane by plane, for hosts that serve one plane per request.
#include "plugin/plane_requests.h"

#include "generate/render_driver.h"
#include "platform/platform.h"
#include "plugin/plugin_main.h"
#include "plugin/rects.h"

#include <cstring>

namespace {

constexpr VRect kNoRect = {0, 0, 0, 0};

// Page-allocated bytes released with the scope.
struct Pages {
    explicit Pages(std::size_t bytes) : data(static_cast<std::uint8_t*>(platform::AllocPages(bytes))) {}
    ~Pages() { platform::FreePages(data); }
    Pages(const Pages&) = delete;
    Pages& operator=(const Pages&) = delete;
    std::uint8_t* data;
};

// Copies `rows` rows of `columns` samples of one plane between a single-plane host buffer and an
// interleaved one (`planes` samples a pixel, plane `plane`).
void CopyPlane(const std::uint8_t* from, std::int32_t fromRowBytes, std::int32_t fromStep, std::uint8_t* to,
               std::int32_t toRowBytes, std::int32_t toStep, std::int32_t columns, std::int32_t rows,
               std::int32_t sampleBytes) {
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::uint8_t* s = from + std::ptrdiff_t(y) * fromRowBytes;
        std::uint8_t* d = to + std::ptrdiff_t(y) * toRowBytes;
        for (std::int32_t x = 0; x < columns; ++x)
            std::memcpy(d + std::ptrdiff_t(x) * toStep, s + std::ptrdiff_t(x) * fromStep, std::size_t(sampleBytes));
    }
}

}  // namespace

OSErr RenderStripPlaneByPlane(PluginGlobals& globals, const VRect& filter, const VRect& strip) {
    FilterRecord& record = *globals.filterRecord;
    const std::int32_t planes = record.planes;
    const std::int32_t sampleBytes = record.depth == 16 ? 2 : 1;
    const std::int32_t pixelBytes = planes * sampleBytes;
    const std::int32_t width = filter.right - filter.left, height = filter.bottom - filter.top;
    const std::int32_t stripRows = strip.bottom - strip.top;
    if (planes < 1 || width <= 0 || height <= 0 || stripRows <= 0) return filterBadParameters;
    const std::int32_t rowBytes = width * pixelBytes;

    Pages in(std::size_t(rowBytes) * std::size_t(height));
    Pages out(std::size_t(rowBytes) * std::size_t(stripRows));
    Pages mask(record.haveMask ? std::size_t(width) * std::size_t(height) : 0);
    if (!in.data || !out.data || (record.haveMask && !mask.data)) return memFullErr;

    // The input, one plane a request; the selection with the first.
    bool masked = false;
    for (std::int16_t plane = 0; plane < planes; ++plane) {
        record.inLoPlane = record.inHiPlane = plane;
        SetInRect(record, filter);
        SetOutRect(record, kNoRect);
        SetMaskRect(record, plane == 0 && mask.data ? filter : kNoRect);
        if (const OSErr served = record.advanceState(); served != noErr) return served;
        if (!record.inData) return paramErr;
        CopyPlane(static_cast<const std::uint8_t*>(record.inData), record.inRowBytes, sampleBytes,
                  in.data + plane * sampleBytes, rowBytes, pixelBytes, width, height, sampleBytes);
        if (plane == 0 && mask.data && record.maskData) {
            CopyPlane(static_cast<const std::uint8_t*>(record.maskData), record.maskRowBytes, 1, mask.data, width, 1,
                      width, height, 1);
            masked = true;
        }
    }

    // The strip rendered from the gathered copy, as if the host had served all planes at once.
    record.inLoPlane = record.outLoPlane = 0;
    record.inHiPlane = record.outHiPlane = std::int16_t(planes - 1);
    SetInRect(record, filter);
    SetOutRect(record, strip);
    SetMaskRect(record, masked ? filter : kNoRect);
    record.inData = in.data;
    record.inRowBytes = rowBytes;
    record.outData = out.data;
    record.outRowBytes = rowBytes;
    record.maskData = masked ? mask.data : nullptr;
    record.maskRowBytes = width;
    RenderEffect(globals, 1);
    record.inData = record.outData = record.maskData = nullptr;
    if (*globals.result != noErr) return *globals.result;

    // The output, one plane a request.
    for (std::int16_t plane = 0; plane < planes; ++plane) {
        record.outLoPlane = record.outHiPlane = plane;
        SetInRect(record, kNoRect);
        SetMaskRect(record, kNoRect);
        SetOutRect(record, strip);
        if (const OSErr served = record.advanceState(); served != noErr) return served;
        if (!record.outData) return paramErr;
        CopyPlane(out.data + plane * sampleBytes, rowBytes, pixelBytes, static_cast<std::uint8_t*>(record.outData),
                  record.outRowBytes, sampleBytes, width, stripRows, sampleBytes);
    }
    return noErr;
}
