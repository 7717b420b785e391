// Action files as JSON, through nlohmann-json.

#include "host/cli/action_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include "host/cli/atomic_file.h"

namespace rimelace_cli {
namespace {

using Json = nlohmann::json;

constexpr std::uint32_t kRelativeUnit = 0x23526C74; // '#Rlt'

[[noreturn]] void Fail(const std::string& name, const std::string& where, const std::string& why) {
    throw ActionFileError(name + ": " + where + ": " + why);
}

const char* PlayInfoText(PlayInfo info) {
    switch (info) {
    case PlayInfo::DontDisplay:
        return "dontDisplay";
    case PlayInfo::Display:
        return "display";
    case PlayInfo::Silent:
        return "silent";
    }
    return "silent";
}

const char* TypeText(ItemType type) {
    switch (type) {
    case ItemType::Boolean:
        return "bool";
    case ItemType::Integer:
        return "long";
    case ItemType::UnitFloat:
        return "UntF";
    }
    return "long";
}

void CheckMembers(const Json& object, std::initializer_list<const char*> allowed, const std::string& name,
                  const std::string& where) {
    for (const auto& member : object.items()) {
        bool known = false;
        for (const char* a : allowed)
            known = known || member.key() == a;
        if (!known) Fail(name, where, "unknown member \"" + member.key() + "\"");
    }
}

std::uint32_t ReadCode(const Json& object, const char* member, const std::string& name,
                       const std::string& where) {
    const std::string at = where + "." + member;
    if (!object.contains(member)) Fail(name, where, std::string("missing \"") + member + "\"");
    const Json& value = object.at(member);
    if (!value.is_string()) Fail(name, at, "expected a four-character text such as \"AtUp\"");
    std::uint32_t code = 0;
    if (!CodeFromText(value.get<std::string>(), code))
        Fail(name, at, "\"" + value.get<std::string>() + "\" is not a four-character code");
    return code;
}

DescriptorItem ReadItem(const Json& json, const std::string& name, const std::string& where) {
    if (!json.is_object()) Fail(name, where, "expected an object with \"key\", \"type\" and \"value\"");
    CheckMembers(json, {"key", "type", "unit", "value"}, name, where);
    DescriptorItem item;
    item.key = ReadCode(json, "key", name, where);
    if (!json.contains("type") || !json.at("type").is_string())
        Fail(name, where + ".type", "expected \"bool\", \"long\" or \"UntF\"");
    const std::string type = json.at("type").get<std::string>();
    if (type == "bool")
        item.type = ItemType::Boolean;
    else if (type == "long")
        item.type = ItemType::Integer;
    else if (type == "UntF")
        item.type = ItemType::UnitFloat;
    else
        Fail(name, where + ".type", "expected \"bool\", \"long\" or \"UntF\", found \"" + type + "\"");

    if (json.contains("unit")) {
        if (item.type != ItemType::UnitFloat)
            Fail(name, where + ".unit", "only unit floats (\"UntF\") have a unit");
        item.unit = ReadCode(json, "unit", name, where);
    } else if (item.type == ItemType::UnitFloat) {
        item.unit = kRelativeUnit;
    }

    if (!json.contains("value")) Fail(name, where, "missing \"value\"");
    const Json& value = json.at("value");
    const std::string at = where + ".value";
    switch (item.type) {
    case ItemType::Boolean:
        if (!value.is_boolean()) Fail(name, at, "expected true or false");
        item.boolean = value.get<bool>();
        break;
    case ItemType::Integer: {
        if (!value.is_number_integer()) Fail(name, at, "expected a whole number");
        const bool fits =
            value.is_number_unsigned()
                ? value.get<std::uint64_t>() <= std::uint64_t(std::numeric_limits<std::int32_t>::max())
                : value.get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min() &&
                      value.get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max();
        if (!fits) Fail(name, at, "the number does not fit in 32 bits");
        item.integer = std::int32_t(value.get<std::int64_t>());
        break;
    }
    case ItemType::UnitFloat:
        if (!value.is_number()) Fail(name, at, "expected a number");
        item.number = value.get<double>();
        break;
    }
    return item;
}

} // namespace

std::string CodeText(std::uint32_t code) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i)
        text[std::size_t(i)] = char((code >> (24 - 8 * i)) & 0xFF);
    return text;
}

bool CodeFromText(const std::string& text, std::uint32_t& code) {
    if (text.size() != 4) return false;
    code = 0;
    for (char c : text)
        code = code << 8 | std::uint8_t(c);
    return true;
}

Action ParseAction(const std::string& text, const std::string& name) {
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 3, column 7: ..." -> "name: line 3, column 7:
        // ..."
        std::string why = error.what();
        const auto at = why.find(" at line ");
        if (at != std::string::npos)
            why = why.substr(at + 4);
        else if (const auto close = why.find("] "); close != std::string::npos)
            why = why.substr(close + 2);
        throw ActionFileError(name + ": " + why);
    } catch (const Json::out_of_range& error) {
        // A number no double holds: "[json.exception.out_of_range.406] number overflow parsing '1e400'".
        std::string why = error.what();
        if (const auto close = why.find("] "); close != std::string::npos) why = why.substr(close + 2);
        throw ActionFileError(name + ": " + why + " (too large for a number)");
    }
    if (!json.is_object()) Fail(name, "top level", "expected an object with \"playInfo\" and \"descriptor\"");
    CheckMembers(json, {"playInfo", "descriptor"}, name, "top level");

    Action action;
    if (json.contains("playInfo")) {
        const Json& info = json.at("playInfo");
        const std::string text_ = info.is_string() ? info.get<std::string>() : "";
        if (text_ == "silent")
            action.playInfo = PlayInfo::Silent;
        else if (text_ == "display")
            action.playInfo = PlayInfo::Display;
        else if (text_ == "dontDisplay")
            action.playInfo = PlayInfo::DontDisplay;
        else
            Fail(name, "playInfo", "expected \"silent\", \"display\" or \"dontDisplay\"");
    }
    if (!json.contains("descriptor")) Fail(name, "top level", "missing \"descriptor\"");
    const Json& items = json.at("descriptor");
    if (!items.is_array()) Fail(name, "descriptor", "expected a list of items");
    for (std::size_t i = 0; i < items.size(); ++i)
        action.descriptor.push_back(ReadItem(items[i], name, "descriptor[" + std::to_string(i) + "]"));
    return action;
}

std::string FormatAction(const Action& action) {
    std::string out =
        "{\n  \"playInfo\": \"" + std::string(PlayInfoText(action.playInfo)) + "\",\n  \"descriptor\": [";
    for (std::size_t i = 0; i < action.descriptor.size(); ++i) {
        const DescriptorItem& item = action.descriptor[i];
        nlohmann::ordered_json json;
        json["key"] = CodeText(item.key);
        json["type"] = TypeText(item.type);
        switch (item.type) {
        case ItemType::Boolean:
            json["value"] = item.boolean;
            break;
        case ItemType::Integer:
            json["value"] = item.integer;
            break;
        case ItemType::UnitFloat:
            json["unit"] = CodeText(item.unit);
            // JSON has no infinities or NaN: keep the sign and the magnitude as far as it goes.
            json["value"] = std::isnan(item.number)
                                ? 0.0
                                : std::clamp(item.number, -std::numeric_limits<double>::max(),
                                             std::numeric_limits<double>::max());
            break;
        }
        out += (i ? ",\n    " : "\n    ") + json.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    out += action.descriptor.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

Action ReadActionFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ActionFileError("cannot read action file '" + path + "': " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw ActionFileError("cannot read action file '" + path + "': read error");
    return ParseAction(text.str(), path);
}

void WriteActionFile(const std::string& path, const Action& action) {
    const std::string text = FormatAction(action);
    AtomicOutput output(path);
    {
        std::ofstream out(output.TempPath(), std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) throw OutputFileError("cannot write '" + path + "': write error");
    }
    output.Commit();
}

} // namespace rimelace_cli
