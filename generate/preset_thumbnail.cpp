// Preset thumbnails: the sample picture, the sample selection, and one render through the driver
// in thumbnail mode with the host's record lent to the thumbnail's buffers.
#include "generate/preset_thumbnail.h"

#include "generate/render_driver.h"
#include "generate/render_state.h"
#include "generate/scene_builder.h"
#include "params/param_table.h"
#include "params/params.h"
#include "platform/platform.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"

#include <cstring>
#include <vector>

namespace {

std::uint32_t Read32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t Read16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// The fields of the host's record that a thumbnail render points elsewhere.
struct LentFields {
    Rect filterRect, inRect, outRect, maskRect;
    void* inData;
    void* outData;
    void* maskData;
    std::int32_t inRowBytes, outRowBytes, maskRowBytes, depth;
    std::int16_t planes, imageMode;
    Boolean haveMask;
    bool big;
    BigDocumentStruct bigDocument;
};

LentFields Lend(const FilterRecord& r) {
    LentFields f{r.filterRect, r.inRect, r.outRect, r.maskRect, r.inData, r.outData, r.maskData,
                 r.inRowBytes, r.outRowBytes, r.maskRowBytes, r.depth, r.planes, r.imageMode, r.haveMask,
                 r.bigDocumentData != nullptr, {}};
    if (f.big) f.bigDocument = *r.bigDocumentData;
    return f;
}

void GiveBack(FilterRecord& r, const LentFields& f) {
    r.filterRect = f.filterRect;
    r.inRect = f.inRect;
    r.outRect = f.outRect;
    r.maskRect = f.maskRect;
    r.inData = f.inData;
    r.outData = f.outData;
    r.maskData = f.maskData;
    r.inRowBytes = f.inRowBytes;
    r.outRowBytes = f.outRowBytes;
    r.maskRowBytes = f.maskRowBytes;
    r.depth = f.depth;
    r.planes = f.planes;
    r.imageMode = f.imageMode;
    r.haveMask = f.haveMask;
    if (f.big && r.bigDocumentData) *r.bigDocumentData = f.bigDocument;
}

}  // namespace

bool FillFromSamplePicture(std::uint8_t* buffer, int w, int h) {
    if (!buffer || w <= 0 || h <= 0) return false;
    std::memset(buffer, 255, std::size_t(w) * std::size_t(h) * 4);
    // A DIB without its file header: BITMAPINFOHEADER, then rows padded to 4 bytes, bottom-up
    // unless the height is negative; 24 or 32 bits a pixel, uncompressed.
    std::size_t size = 0;
    const std::uint8_t* dib = platform::FindResourceBytes(platform::kResourceBitmap, kSamplePictureId, &size);
    if (!dib || size < 40) return false;
    const std::uint32_t headerSize = Read32(dib);
    const std::int32_t width = std::int32_t(Read32(dib + 4));
    const std::int32_t rawHeight = std::int32_t(Read32(dib + 8));
    const int bits = Read16(dib + 14);
    const bool topDown = rawHeight < 0;
    const std::int32_t height = topDown ? -rawHeight : rawHeight;
    if (headerSize < 40 || headerSize > size || Read32(dib + 16) != 0 || (bits != 24 && bits != 32) || width <= 0 ||
        height <= 0 || width > 4096 || height > 4096)
        return false;
    const std::size_t stride = (std::size_t(width) * std::size_t(bits / 8) + 3) & ~std::size_t(3);
    if (size - headerSize < stride * std::size_t(height)) return false;
    for (int y = 0; y < h && y < height; ++y) {
        const std::uint8_t* row = dib + headerSize + stride * std::size_t(topDown ? y : height - 1 - y);
        for (int x = 0; x < w && x < width; ++x) {
            const std::uint8_t* bgr = row + std::size_t(x) * std::size_t(bits / 8);
            std::uint8_t* pixel = buffer + (std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4;
            pixel[1] = bgr[2];
            pixel[2] = bgr[1];
            pixel[3] = bgr[0];
        }
    }
    return true;
}

void FillSampleSelection(std::uint8_t* mask, int w, int h) {
    if (!mask || w <= 0 || h <= 0) return;
    const double rx = 0.3 * w, ry = 0.3 * h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x + 0.5 - w / 2.0) / rx, dy = (y + 0.5 - h / 2.0) / ry;
            mask[std::size_t(y) * std::size_t(w) + std::size_t(x)] = dx * dx + dy * dy <= 1.0 ? 255 : 0;
        }
}

bool RenderThumbnail(PluginGlobals& globals, std::uint8_t* source, std::uint8_t* result, int w, int h) {
    FilterRecord* record = globals.filterRecord;
    RimelaceParams* params = LockedParams(globals);
    if (!record || !params || !source || !result || w <= 0 || h <= 0 || w > 4096 || h > 4096) return false;

    const LentFields lent = Lend(*record);
    const float zoom = PreviewZoom;
    const std::int16_t code = globals.result ? *globals.result : std::int16_t(noErr);
    std::vector<std::uint8_t> mask;
    if (params->MaskKind == 7 && params->EffectKind != 3) {
        mask.resize(std::size_t(w) * std::size_t(h));
        FillSampleSelection(mask.data(), w, h);
    }

    // The whole w × h rectangle, 16-bit coordinates, four 8-bit channels a pixel.
    const Rect whole{0, 0, std::int16_t(h), std::int16_t(w)};
    record->filterRect = record->inRect = record->outRect = record->maskRect = whole;
    if (record->bigDocumentData) record->bigDocumentData->PluginUsing32BitCoordinates = 0;
    record->inData = source;
    record->outData = result;
    record->inRowBytes = record->outRowBytes = 4 * w;
    record->depth = 8;
    record->planes = 4;
    record->imageMode = plugInModeRGBColor;
    record->haveMask = !mask.empty();
    record->maskData = mask.empty() ? nullptr : mask.data();
    record->maskRowBytes = w;

    if (globals.result) *globals.result = noErr;
    params->SceneDirty = 1;
    ThumbnailMode = true;
    RenderEffect(globals, 0);
    ThumbnailMode = false;
    params->SceneDirty = 1;

    const bool rendered = !globals.result || *globals.result == noErr;
    if (globals.result) *globals.result = code;
    PreviewZoom = zoom;
    GiveBack(*record, lent);
    return rendered;
}

void KeepRecord(RimelaceParams& params, RimelaceParams& kept) {
    kept = params;
    params.SceneTriangles = nullptr;
    params.ScenePoints = nullptr;
    params.SceneTriangleCount = params.ScenePointCount = 0;
    params.SceneDirty = 1;
}

void RestoreEffectFields(RimelaceParams& params, const RimelaceParams& kept) {
    for (const ParamEntry& entry : ParamTable()) {
        switch (entry.ref.type) {
        case FieldType::U8: params.*entry.ref.u8 = kept.*entry.ref.u8; break;
        case FieldType::I32: params.*entry.ref.i32 = kept.*entry.ref.i32; break;
        case FieldType::F32: params.*entry.ref.f32 = kept.*entry.ref.f32; break;
        }
    }
}

void RestoreRecord(RimelaceParams& params, const RimelaceParams& kept) {
    if (params.SceneTriangles != kept.SceneTriangles || params.ScenePoints != kept.ScenePoints) FreeSceneCache(params);
    if (params.BumpImage != kept.BumpImage) platform::FreePages(params.BumpImage);
    params = kept;
}
