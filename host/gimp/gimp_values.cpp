// Procedure arguments and last values from the parameter table.

#include "params/param_table.h"  // before the host headers: see param_table.h
#include "host/gimp/gimp_values.h"

#include <cctype>
#include <cmath>
#include <deque>

namespace rimelace_gimp {
namespace {

// Text for the argument's description: label, range or list, tooltip.
std::string Describe(const ParamEntry& entry) {
    std::string text = *entry.label ? entry.label : entry.field;
    while (!text.empty() && text.back() == ':') text.pop_back();
    char range[96] = "";
    switch (entry.rangeKind) {
    case RangeKind::Span:
        std::snprintf(range, sizeof range, " (%g .. %g)", entry.rangeMin, entry.rangeMax);
        break;
    case RangeKind::Flag:
        std::snprintf(range, sizeof range, " (0 or 1)");
        break;
    case RangeKind::Angle:
        std::snprintf(range, sizeof range, " (degrees)");
        break;
    case RangeKind::List:
    case RangeKind::Colour:
        break;
    }
    text += range;
    std::span<const char* const> labels;
    if (entry.ref.u8 == &RimelaceParams::RenderMode) labels = RenderModeLabels();
    if (entry.ref.u8 == &RimelaceParams::MaskKind) labels = MaskKindLabels();
    if (entry.ref.u8 == &RimelaceParams::GrowDirect) labels = GrowDirectLabels();
    if (!labels.empty()) {
        text += ":";
        for (std::size_t i = 0; i < labels.size(); ++i)
            text += (i ? ", " : " ") + std::to_string(i + 1) + " " + labels[i];
    }
    if (entry.ref.u8 == &RimelaceParams::EffectKind) text += ": 1 Geometric, 2 Floral, 3 Single";
    if (entry.ref.u8 == &RimelaceParams::PatternKind) text = "Pattern kind: variant within the effect kind (1..3, Single 1..4)";
    if (*entry.tooltip && std::string(entry.tooltip) != entry.label) text += std::string(". ") + entry.tooltip;
    if (entry.page == DialogPage::None) text += ". Kept in presets, not used by the render";
    return text;
}

GimpPDBArgType ArgumentType(const ParamEntry& entry) {
    if (entry.rangeKind == RangeKind::Colour) return GIMP_PDB_COLOR;
    return entry.ref.type == FieldType::F32 ? GIMP_PDB_FLOAT : GIMP_PDB_INT32;
}

} // namespace

std::string ArgumentName(const char* field) {
    std::string name;
    for (const char* c = field; *c; ++c) {
        const bool upper = std::isupper(static_cast<unsigned char>(*c));
        if (upper && c != field && !std::isupper(static_cast<unsigned char>(c[-1]))) name += '-';
        name += char(std::tolower(static_cast<unsigned char>(*c)));
    }
    return name;
}

const std::vector<GimpParamDef>& ProcedureArguments() {
    static std::deque<std::string> texts;  // stable addresses
    static std::vector<GimpParamDef> args;
    if (!args.empty()) return args;
    auto keep = [](std::string text) { return const_cast<gchar*>(texts.emplace_back(std::move(text)).c_str()); };
    args.push_back({GIMP_PDB_INT32, keep("run-mode"), keep("The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }")});
    args.push_back({GIMP_PDB_IMAGE, keep("image"), keep("Input image")});
    args.push_back({GIMP_PDB_DRAWABLE, keep("drawable"), keep("Input drawable (RGB, with or without alpha)")});
    for (const ParamEntry& entry : ParamTable())
        args.push_back({ArgumentType(entry), keep(ArgumentName(entry.field)), keep(Describe(entry))});
    return args;
}

GimpRGB ToGimpColour(std::int32_t packed) {
    GimpRGB colour;
    gimp_rgb_set_uchar(&colour, guchar(packed & 0xFF), guchar((packed >> 8) & 0xFF), guchar((packed >> 16) & 0xFF));
    colour.a = 1.0;
    return colour;
}

std::int32_t FromGimpColour(const GimpRGB& colour) {
    guchar r, g, b;
    gimp_rgb_get_uchar(&colour, &r, &g, &b);
    return std::int32_t(r) | std::int32_t(g) << 8 | std::int32_t(b) << 16;
}

bool ValuesFromArguments(const GimpParam* param, int count, RimelaceParams& values, std::string* why) {
    const std::vector<GimpParamDef>& defs = ProcedureArguments();
    if (count != int(defs.size())) {
        *why = "plug-in-rimelace takes " + std::to_string(defs.size()) + " arguments (run-mode, image, drawable and " +
               std::to_string(kParamCount) + " parameters), not " + std::to_string(count);
        return false;
    }
    ResetParams(values);
    int i = 3;
    for (const ParamEntry& entry : ParamTable()) {
        const GimpParam& arg = param[i++];
        if (arg.type != ArgumentType(entry)) {
            *why = "argument '" + ArgumentName(entry.field) + "' has the wrong type";
            return false;
        }
        if (arg.type == GIMP_PDB_COLOR)
            SetInteger(values, entry, FromGimpColour(arg.data.d_color));
        else if (arg.type == GIMP_PDB_FLOAT)
            SetFloat(values, entry, arg.data.d_float);
        else
            SetInteger(values, entry, arg.data.d_int32);
    }
    return true;
}

bool LoadLastValues(RimelaceParams& values) {
    double stored[kParamCount];
    if (gimp_get_data_size(kProcedure) != sizeof stored) return false;
    if (!gimp_get_data(kProcedure, stored)) return false;
    ResetParams(values);
    std::size_t i = 0;
    for (const ParamEntry& entry : ParamTable()) SetFloat(values, entry, stored[i++]);
    return true;
}

void StoreLastValues(const RimelaceParams& values) {
    double stored[kParamCount];
    std::size_t i = 0;
    for (const ParamEntry& entry : ParamTable()) stored[i++] = GetFloat(values, entry);
    gimp_set_data(kProcedure, stored, sizeof stored);
}

} // namespace rimelace_gimp
