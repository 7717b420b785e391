#include "params/four_cc.h"
#include "resources/plugin_resources.h"
#include "resources/resource_bytes.h"

#include <string>

namespace {

constexpr std::uint32_t kVendor = FourCC("8BIM");
constexpr std::uint32_t kDictionaryCode = FourCC("Plp3");
constexpr std::uint32_t kInterfaceVersion = 0x00040000;  // 4.0
constexpr std::size_t kTerminologyLength = 56;
constexpr const char* kEnableExpression =
    "in (PSHOP_ImageMode, RGBMode, GrayScaleMode,CMYKMode, HSLMode, HSBMode, MultichannelMode,DuotoneMode, "
    "LabMode, RGB48Mode, Gray16Mode) ||PSHOP_ImageDepth == 16";

struct FilterCase {
    std::uint8_t input, output, flags1, flags2;
};
// White matte in and out for every case; all work with blank data (0x02) and filter layer masks
// (0x04); the cases with a selection also write outside it (0x08).
constexpr FilterCase kFilterCases[7] = {
    {4, 4, 0x06, 0}, {4, 4, 0x0E, 0}, {4, 4, 0x0E, 0}, {4, 4, 0x06, 0},
    {4, 4, 0x0E, 0}, {4, 4, 0x06, 0}, {4, 4, 0x0E, 0},
};

class PropertyList {
public:
    // One property; the data is zero-padded to a multiple of 4 and the length counts the padding.
    void Add(std::uint32_t key, ResourceBytes data) {
        data.PadTo(4);
        std::vector<std::uint8_t> bytes = data.Take();
        body_.U32(kVendor);
        body_.U32(key);
        body_.U32(0);
        body_.U32(static_cast<std::uint32_t>(bytes.size()));
        body_.Append(bytes);
        ++count_;
    }
    std::vector<std::uint8_t> Finish() {
        ResourceBytes out;
        out.U16(1);  // the Windows prefix
        out.U32(0);  // version
        out.U32(count_);
        out.Append(body_.Take());
        return out.Take();
    }

private:
    ResourceBytes body_;
    std::uint32_t count_ = 0;
};

ResourceBytes Code(std::uint32_t code) {
    ResourceBytes data;
    data.U32(code);
    return data;
}

ResourceBytes Pascal(std::string_view text) {
    ResourceBytes data;
    data.PascalString(text);
    return data;
}

ResourceBytes CString(std::string_view text) {
    ResourceBytes data;
    data.Raw(text);
    data.U8(0);
    return data;
}

ResourceBytes Modes() {
    // One bit per image mode, most significant bit first: grayscale, RGB, CMYK, HSL, HSB,
    // multichannel, duotone, Lab.
    ResourceBytes data;
    data.U8(0x5F);
    data.U8(0xC0);
    return data;
}

ResourceBytes Terminology() {
    ResourceBytes data;
    data.U32(0);  // version
    data.U32(kDictionaryCode);
    data.U32(kDictionaryCode);
    data.U16(static_cast<std::uint16_t>(kAeteResourceId));
    data.Raw(kTerminologyScope);
    while (data.Size() < kTerminologyLength) data.U8(0);
    return data;
}

ResourceBytes FilterCaseInfo() {
    ResourceBytes data;
    for (const FilterCase& c : kFilterCases) {
        data.U8(c.input);
        data.U8(c.output);
        data.U8(c.flags1);
        data.U8(c.flags2);
    }
    return data;
}

}  // namespace

std::vector<std::uint8_t> BuildPipl(PiplEntries entries) {
    PropertyList list;
    list.Add(FourCC("kind"), Code(FourCC("8BFM")));
    list.Add(FourCC("name"), Pascal(kPluginMenuName));
    list.Add(FourCC("catg"), Pascal(kPluginCategory));
    list.Add(FourCC("vers"), Code(kInterfaceVersion));
    list.Add(FourCC("wx86"), CString(kPluginEntryName));
    if (entries == PiplEntries::X86AndX64) list.Add(FourCC("8664"), CString(kPluginEntryName));
    list.Add(FourCC("mode"), Modes());
    list.Add(FourCC("hstm"), Terminology());
    list.Add(FourCC("enbl"), CString(kEnableExpression));
    list.Add(FourCC("fici"), FilterCaseInfo());
    return list.Finish();
}
