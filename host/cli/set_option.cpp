#include "host/cli/set_option.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "params/param_table.h"

namespace rimelace_cli {

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool ParseInteger(const std::string& text, std::int64_t* value) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty() || digits[0] == '-' || digits[0] == '+') return false;
    std::uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (error != std::errc() || end != digits.data() + digits.size() || magnitude > (std::uint64_t{1} << 32))
        return false;
    *value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

}  // namespace

std::string FieldNames() {
    std::string names;
    for (const ParamEntry& entry : ParamTable()) names += (names.empty() ? "" : ", ") + std::string(entry.field);
    return names;
}

bool ParseFieldValue(const ParamEntry& entry, const std::string& text, double* value, std::string* error) {
    const std::string field = entry.field;
    if (text.empty()) {
        *error = "--set " + field + ": no value after '='";
        return false;
    }
    if (entry.ref.type == FieldType::F32) {
        double number = 0;
        auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (code != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) {
            *error = "--set " + field + ": '" + text + "' is not a number";
            return false;
        }
        if (std::abs(number) > std::numeric_limits<float>::max()) {
            *error = "--set " + field + ": " + text + " is too large for the field";
            return false;
        }
        *value = number;
        return true;
    }
    std::int64_t number = 0;
    if (!ParseInteger(text, &number)) {
        *error = "--set " + field + ": '" + text + "' is not a whole number";
        return false;
    }
    const bool byte = entry.ref.type == FieldType::U8;
    const std::int64_t low = byte ? 0 : std::numeric_limits<std::int32_t>::min();
    const std::int64_t high = byte ? 255 : std::numeric_limits<std::int32_t>::max();
    if (number < low || number > high) {
        *error = "--set " + field + ": " + text + " lies outside " + std::to_string(low) + ".." + std::to_string(high);
        return false;
    }
    *value = static_cast<double>(number);
    return true;
}

bool ApplySetOption(RimelaceParams& params, const std::string& option, std::string* error) {
    const std::size_t equals = option.find('=');
    if (equals == std::string::npos) {
        *error = "--set '" + option + "': expected Field=Value";
        return false;
    }
    const std::string field = Trim(option.substr(0, equals));
    const ParamEntry* entry = FindParamByField(field);
    if (!entry) {
        *error = "--set: unknown field '" + field + "'; the fields are " + FieldNames();
        return false;
    }
    double value = 0;
    if (!ParseFieldValue(*entry, Trim(option.substr(equals + 1)), &value, error)) return false;
    SetFloat(params, *entry, value);
    return true;
}

}  // namespace rimelace_cli
