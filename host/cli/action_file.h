#pragma once
// Action files: what a host records of one filter run, as JSON.
//
//   {"playInfo": "silent",
//    "descriptor": [{"key": "AtUp", "type": "bool", "value": true},
//                   {"key": "CtnX", "type": "UntF", "unit": "#Rlt", "value": 0.0},
//                   {"key": "RndM", "type": "long", "value": 5}, ...]}
//
// playInfo is "silent", "display" or "dontDisplay"; the items keep the order the plug-in put
// them in. "unit" belongs to unit floats only (default "#Rlt").

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace rimelace_cli {

// The host's dialog options for a replayed action (values as the host interface passes them).
enum class PlayInfo : std::int32_t { DontDisplay = 0, Display = 1, Silent = 2 };

enum class ItemType { Boolean, Integer, UnitFloat };

struct DescriptorItem {
    std::uint32_t key = 0; // four-character code in reading order
    ItemType type = ItemType::Integer;
    std::uint32_t unit = 0; // unit floats only
    bool boolean = false;
    std::int32_t integer = 0;
    double number = 0.0;
};

struct Action {
    PlayInfo playInfo = PlayInfo::Silent;
    std::vector<DescriptorItem> descriptor;
};

// An action file that cannot be read. The message says which file and where: the line and
// column of a syntax error, or the path of the offending member ("descriptor[3].value").
class ActionFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Four-character code <-> text ("AtUp"). CodeFromText returns false unless the text has
// exactly four characters.
std::string CodeText(std::uint32_t code);
bool CodeFromText(const std::string& text, std::uint32_t& code);

// Parses the JSON text of an action; `name` is used in messages. Throws ActionFileError.
Action ParseAction(const std::string& text, const std::string& name);
// The JSON text of an action, one item per line.
std::string FormatAction(const Action& action);

// File versions. Throw ActionFileError naming the file.
Action ReadActionFile(const std::string& path);
// Writes through a temporary file, so a failed write leaves no partial file.
void WriteActionFile(const std::string& path, const Action& action);

} // namespace rimelace_cli
