#include "host/cli/param_text.h"

#include <charconv>

#include "params/param_table.h"

namespace rimelace_cli {

namespace {

std::string FloatText(float value) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string NumberText(double value) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace

std::string FieldValueText(const RimelaceParams& params, const ParamEntry& entry) {
    if (entry.ref.type == FieldType::F32) return FloatText(params.*entry.ref.f32);
    return std::to_string(GetInteger(params, entry));
}

std::string DefaultValueText(const ParamEntry& entry) {
    RimelaceParams params{};
    SetDefault(params, entry);
    return FieldValueText(params, entry);
}

std::string RangeText(const ParamEntry& entry) {
    switch (entry.rangeKind) {
        case RangeKind::Span: return NumberText(entry.rangeMin) + ".." + NumberText(entry.rangeMax);
        case RangeKind::List: return "list " + NumberText(entry.rangeMin) + ".." + NumberText(entry.rangeMax);
        case RangeKind::Flag: return "0/1";
        case RangeKind::Colour: return "colour";
        case RangeKind::Angle: return "degrees";
    }
    return {};
}

}  // namespace rimelace_cli
