// The image in host form, result texts, and the PiPL reader.
#include "host/standin/standin_p.h"

#include <cstring>

namespace standin {

Image Image::Make(std::int32_t width, std::int32_t height, std::int16_t planes, std::int32_t depth) {
    Image image;
    image.width = width;
    image.height = height;
    image.planes = planes;
    image.depth = depth;
    const bool gray = planes <= 2;
    image.imageMode = depth == 16 ? (gray ? plugInModeGray16 : plugInModeRGB48) : (gray ? plugInModeGrayScale : plugInModeRGBColor);
    if (width > 0 && height > 0 && planes > 0 && (depth == 8 || depth == 16))
        image.data.assign(std::size_t(width) * height * planes * image.BytesPerSample(), 0);
    return image;
}

std::uint32_t Image::Sample(std::int32_t x, std::int32_t y, std::int32_t plane) const {
    const std::size_t at = (std::size_t(y) * width + x) * planes + plane;
    if (depth == 16) {
        std::uint16_t v;
        std::memcpy(&v, data.data() + 2 * at, 2);
        return v;
    }
    return data[at];
}

void Image::SetSample(std::int32_t x, std::int32_t y, std::int32_t plane, std::uint32_t value) {
    const std::size_t at = (std::size_t(y) * width + x) * planes + plane;
    if (depth == 16) {
        std::uint16_t v = std::uint16_t(value);
        std::memcpy(data.data() + 2 * at, &v, 2);
    } else {
        data[at] = std::uint8_t(value);
    }
}

std::string Image::Problem(bool bigDocument) const {
    if (width <= 0 || height <= 0) return "the image has no pixels";
    if (!bigDocument && (width > 32767 || height > 32767))
        return "the image is larger than 32767 pixels on a side, and the host offers no 32-bit coordinates";
    if (planes < 1 || planes > 56) return "the image has " + std::to_string(planes) + " planes";
    if (depth != 8 && depth != 16) return "the image has " + std::to_string(depth) + "-bit samples (8 or 16 expected)";
    if (data.size() != std::size_t(width) * height * planes * BytesPerSample())
        return "the image's sample data does not match its size";
    if (!mask.empty() && mask.size() != std::size_t(width) * height)
        return "the selection mask does not match the image size";
    return {};
}

std::string ResultText(OSErr code) {
    switch (code) {
        case noErr: return "";
        case userCanceledErr: return "the filter was cancelled";
        case memFullErr: return "not enough memory";
        case nilHandleErr: return "the plug-in used a handle that does not exist";
        case memWZErr: return "the plug-in resized a handle that does not exist";
        case paramErr: return "the plug-in reported an internal error";
        case filterBadParameters: return "the filter's parameters are invalid";
        case filterBadMode: return "the filter does not support this image mode";
        case errMissingParameter: return "a recorded parameter is missing";
        case errPlugInHostInsufficient: return "the host lacks a feature the plug-in needs";
        case errReportString: return "the plug-in reported an error";
        default: break;
    }
    if (code > 0) return "the plug-in reported an error itself (code " + std::to_string(code) + ")";
    return "the plug-in failed with code " + std::to_string(code);
}

// ---- PiPL --------------------------------------------------------------------------------------
namespace {
std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::string CString(const std::uint8_t* p, std::size_t n) {
    std::size_t length = 0;
    while (length < n && p[length]) ++length;
    return std::string(reinterpret_cast<const char*>(p), length);
}
std::string PascalString(const std::uint8_t* p, std::size_t n) {
    if (n == 0) return {};
    std::size_t length = p[0] < n ? p[0] : n - 1;
    return std::string(reinterpret_cast<const char*>(p + 1), length);
}
}  // namespace

bool ParsePiPL(const std::uint8_t* bytes, std::size_t size, PiPLInfo* info, std::string* error) {
    *info = {};
    if (!bytes || size < 10) {
        *error = "the PiPL resource is too short";
        return false;
    }
    if ((bytes[0] | (bytes[1] << 8)) != 1) {
        *error = "the PiPL resource does not start with the value 1";
        return false;
    }
    const std::uint32_t count = Le32(bytes + 6);
    std::size_t at = 10;
    for (std::uint32_t i = 0; i < count && at + 16 <= size; ++i) {  // a larger count is tolerated
        const std::uint32_t vendor = Le32(bytes + at);
        const std::uint32_t key = Le32(bytes + at + 4);
        const std::uint32_t length = Le32(bytes + at + 12);
        const std::uint8_t* data = bytes + at + 16;
        if (length > size - at - 16) {
            *error = "a PiPL property runs past the end of the resource";
            return false;
        }
        if (vendor == FourCC("8BIM")) {
            if (key == FourCC("kind") && length >= 4) info->kind = Le32(data);
            if (key == FourCC("vers") && length >= 4) info->version = std::int32_t(Le32(data));
            if (key == FourCC("name")) info->name = PascalString(data, length);
            if (key == FourCC("catg")) info->category = PascalString(data, length);
            if (key == FourCC("wx86")) info->entry32 = CString(data, length);
            if (key == FourCC("8664")) info->entry64 = CString(data, length);
        }
        ++info->properties;
        at += 16 + ((std::size_t(length) + 3) & ~std::size_t(3));  // lengths rounded up to 4
    }
    return true;
}

}  // namespace standin
