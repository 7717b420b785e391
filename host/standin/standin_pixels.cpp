// advanceState's work: deliver the requested in/out/mask rectangles (plane ranges, padding,
// sampling rate) and copy the plug-in's output back into the image.
#include "host/standin/standin_p.h"

#include <cstring>

namespace standin {

namespace {

constexpr std::int64_t kMaxBufferBytes = std::int64_t(1) << 30;

VRect Widen(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }
bool Empty(const VRect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool UsesBig(const FilterRecord& record) {
    return record.bigDocumentData && record.bigDocumentData->PluginUsing32BitCoordinates != 0;
}
VRect InRect(const FilterRecord& r) { return UsesBig(r) ? r.bigDocumentData->inRect32 : Widen(r.inRect); }
VRect OutRect(const FilterRecord& r) { return UsesBig(r) ? r.bigDocumentData->outRect32 : Widen(r.outRect); }
VRect MaskRect(const FilterRecord& r) { return UsesBig(r) ? r.bigDocumentData->maskRect32 : Widen(r.maskRect); }

// Floor of value × rate / 65536 (rates are 16.16 fixed point).
std::int64_t Scaled(std::int64_t value, Fixed rate) {
    std::int64_t product = value * rate;
    return product >= 0 ? product / 65536 : -((-product + 65535) / 65536);
}

// Where a requested pixel comes from: inside the image, replicated from its edge, or a fill.
struct Source {
    bool inside = false;
    std::int64_t x = 0, y = 0;
    std::uint32_t fill = 0;
};

// Returns false when the padding mode refuses a pixel outside the image.
bool Locate(std::int64_t x, std::int64_t y, std::int32_t width, std::int32_t height, std::int16_t padding,
            std::int32_t depth, Source* source) {
    if (x >= 0 && y >= 0 && x < width && y < height) {
        *source = {true, x, y, 0};
        return true;
    }
    if (padding == plugInWantsEdgeReplication) {
        *source = {true, x < 0 ? 0 : x >= width ? width - 1 : x, y < 0 ? 0 : y >= height ? height - 1 : y, 0};
        return true;
    }
    if (padding >= 0 && padding <= 255) {
        *source = {false, 0, 0, depth == 16 ? (std::uint32_t(padding) * 32768 + 127) / 255 : std::uint32_t(padding)};
        return true;
    }
    if (padding == plugInDoesNotWantPadding) {
        *source = {false, 0, 0, 0};
        return true;
    }
    return false;
}

std::string Describe(const VRect& r) {
    return "(" + std::to_string(r.top) + ", " + std::to_string(r.left) + ", " + std::to_string(r.bottom) + ", " +
           std::to_string(r.right) + ")";
}

// Fills `buffer` with rows × columns of the planes lo..hi of `image`, sampled at `rate`.
OSErr Gather(const Image& image, const std::vector<std::uint8_t>& pixels, const VRect& rect, int lo, int hi,
             Fixed rate, std::int16_t padding, std::vector<std::uint8_t>& buffer, std::int32_t* rowBytes,
             std::string* error, const char* what) {
    const std::int64_t width = std::int64_t(rect.right) - rect.left;
    const std::int64_t height = std::int64_t(rect.bottom) - rect.top;
    const int bps = image.BytesPerSample();
    const int count = hi - lo + 1;
    const std::int64_t bytes = width * height * count * bps;
    if (bytes > kMaxBufferBytes || width * count * bps > INT32_MAX) {
        *error = std::string("the plug-in asked for a ") + what + " rectangle too large to serve " + Describe(rect);
        return memFullErr;
    }
    buffer.assign(std::size_t(bytes), 0);
    *rowBytes = std::int32_t(width * count * bps);
    const std::size_t pixelBytes = std::size_t(image.planes) * bps;
    for (std::int64_t row = 0; row < height; ++row) {
        std::uint8_t* out = buffer.data() + row * *rowBytes;
        const std::int64_t y = Scaled(rect.top + row, rate);
        for (std::int64_t column = 0; column < width; ++column, out += count * bps) {
            Source source;
            if (!Locate(Scaled(rect.left + column, rate), y, image.width, image.height, padding, image.depth,
                        &source)) {
                *error = std::string("the plug-in asked for ") + what + " pixels outside the image " + Describe(rect) +
                         " without padding";
                return paramErr;
            }
            if (source.inside) {
                const std::uint8_t* from =
                    pixels.data() + (std::size_t(source.y) * image.width + std::size_t(source.x)) * pixelBytes + lo * bps;
                std::memcpy(out, from, std::size_t(count) * bps);
            } else if (bps == 2) {
                for (int p = 0; p < count; ++p) {
                    std::uint16_t v = std::uint16_t(source.fill);
                    std::memcpy(out + 2 * p, &v, 2);
                }
            } else {
                std::memset(out, int(source.fill), std::size_t(count));
            }
        }
    }
    return noErr;
}

// Whether a request can be served straight from the image: all of its planes, every pixel, inside
// it. The plug-in then reads (and writes) the host's own rows, as it would in a host that keeps
// the image in memory; nothing is copied.
bool Direct(const Image& image, const VRect& rect, int lo, int hi, Fixed rate) {
    return rate == 0x10000 && lo == 0 && hi == image.planes - 1 && rect.top >= 0 && rect.left >= 0 &&
           rect.bottom <= image.height && rect.right <= image.width;
}

std::uint8_t* At(const Image& image, const std::vector<std::uint8_t>& pixels, const VRect& rect, int planes) {
    return const_cast<std::uint8_t*>(pixels.data()) +
           (std::size_t(rect.top) * std::size_t(image.width) + std::size_t(rect.left)) * std::size_t(planes) *
               std::size_t(image.BytesPerSample());
}

}  // namespace

bool PixelService::AnyRequest(const FilterRecord& record) {
    return !Empty(InRect(record)) || !Empty(OutRect(record)) || !Empty(MaskRect(record));
}

bool PixelService::AnyRightEdge(const FilterRecord& record) {
    return InRect(record).right != 0 || OutRect(record).right != 0 || MaskRect(record).right != 0;
}

OSErr PixelService::Serve(FilterRecord& record, RunTrace& trace, std::string* error) {
    Commit();
    in_.clear();
    mask_.clear();
    record.inData = record.outData = record.maskData = nullptr;
    const int bps = source_.BytesPerSample();

    const VRect inRect = InRect(record);
    const VRect outRect = OutRect(record);
    const VRect maskRect = MaskRect(record);
    trace.inRects.push_back(
        {std::int16_t(inRect.top), std::int16_t(inRect.left), std::int16_t(inRect.bottom), std::int16_t(inRect.right)});

    if (singlePlane_ && ((!Empty(inRect) && record.inHiPlane != record.inLoPlane) ||
                         (!Empty(outRect) && record.outHiPlane != record.outLoPlane))) {
        *error = "this host serves one plane per request";
        return errPlugInHostInsufficient;
    }
    auto planesOk = [&](int lo, int hi, const char* what) {
        if (lo >= 0 && lo <= hi && hi < source_.planes) return true;
        *error = std::string("the plug-in asked for ") + what + " planes " + std::to_string(lo) + ".." +
                 std::to_string(hi) + " of an image with " + std::to_string(source_.planes);
        return false;
    };

    if (!Empty(inRect)) {
        if (!planesOk(record.inLoPlane, record.inHiPlane, "input")) return paramErr;
        const Fixed rate = record.inputRate > 0 ? record.inputRate : 0x10000;
        if (Direct(source_, inRect, record.inLoPlane, record.inHiPlane, rate)) {
            record.inData = At(source_, source_.data, inRect, source_.planes);
            record.inRowBytes = std::int32_t(source_.RowBytes());
        } else {
            OSErr code = Gather(source_, source_.data, inRect, record.inLoPlane, record.inHiPlane, rate,
                                record.inputPadding, in_, &record.inRowBytes, error, "input");
            if (code != noErr) return code;
            record.inData = in_.data();
        }
        record.inColumnBytes = (record.inHiPlane - record.inLoPlane + 1) * bps;
        record.inPlaneBytes = bps;
    }
    if (!Empty(outRect)) {
        if (!planesOk(record.outLoPlane, record.outHiPlane, "output")) return paramErr;
        if (Direct(output_, outRect, record.outLoPlane, record.outHiPlane, 0x10000)) {
            record.outData = At(output_, output_.data, outRect, output_.planes);
            record.outRowBytes = std::int32_t(output_.RowBytes());
        } else {
            OSErr code = Gather(output_, output_.data, outRect, record.outLoPlane, record.outHiPlane, 0x10000,
                                record.outputPadding, out_, &record.outRowBytes, error, "output");
            if (code != noErr) {
                out_.clear();
                return code;
            }
            record.outData = out_.data();
        }
        record.outColumnBytes = (record.outHiPlane - record.outLoPlane + 1) * bps;
        record.outPlaneBytes = bps;
        outRegion_ = {outRect.top, outRect.left, outRect.bottom, outRect.right, record.outLoPlane, record.outHiPlane};
        outRowBytes_ = record.outRowBytes;
    }
    if (!Empty(maskRect) && !source_.mask.empty()) {
        Image maskImage;
        maskImage.width = source_.width;
        maskImage.height = source_.height;
        maskImage.planes = 1;
        maskImage.depth = 8;
        const Fixed rate = record.maskRate > 0 ? record.maskRate : 0x10000;
        if (Direct(maskImage, maskRect, 0, 0, rate)) {
            record.maskData = At(maskImage, source_.mask, maskRect, 1);
            record.maskRowBytes = maskImage.width;
        } else {
            OSErr code = Gather(maskImage, source_.mask, maskRect, 0, 0, rate, record.maskPadding, mask_,
                                &record.maskRowBytes, error, "mask");
            if (code != noErr) return code;
            record.maskData = mask_.data();
        }
    }
    return noErr;
}

void PixelService::Commit() {
    if (out_.empty()) return;
    const int bps = output_.BytesPerSample();
    const int count = outRegion_.hiPlane - outRegion_.loPlane + 1;
    const std::size_t pixelBytes = std::size_t(output_.planes) * bps;
    for (std::int64_t y = outRegion_.top; y < outRegion_.bottom; ++y) {
        if (y < 0 || y >= output_.height) continue;
        const std::uint8_t* row = out_.data() + (y - outRegion_.top) * outRowBytes_;
        for (std::int64_t x = outRegion_.left; x < outRegion_.right; ++x) {
            if (x < 0 || x >= output_.width) continue;
            std::memcpy(output_.data.data() + (std::size_t(y) * output_.width + std::size_t(x)) * pixelBytes +
                            outRegion_.loPlane * bps,
                        row + (x - outRegion_.left) * count * bps, std::size_t(count) * bps);
        }
    }
    out_.clear();
}

}  // namespace standin
