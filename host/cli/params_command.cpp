// rimelace params: the parameter table — field, key, preset kind, script type, default, dialog
// range and label — one row per field in preset-file order.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "host/cli/commands.h"
#include "host/cli/param_text.h"
#include "params/param_table.h"

namespace rimelace_cli {

namespace {

const char* PresetKindName(PresetKind kind) {
    switch (kind) {
        case PresetKind::Byte: return "byte";
        case PresetKind::Integer: return "integer";
        case PresetKind::Float: return "float";
    }
    return "";
}

const char* ScriptTypeName(const ParamEntry& entry) {
    if (!entry.scriptWritten) {
        switch (entry.scriptType) {
            case ScriptType::Boolean: return "bool (read only)";
            case ScriptType::Integer: return "long (read only)";
            case ScriptType::UnitFloat: return "doub (read only)";
        }
    }
    switch (entry.scriptType) {
        case ScriptType::Boolean: return "bool";
        case ScriptType::Integer: return "long";
        case ScriptType::UnitFloat: return "doub";
    }
    return "";
}

std::string KeyText(std::uint32_t key) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) text += static_cast<char>((key >> shift) & 0xFF);
    return text;
}

void PrintTable() {
    std::vector<std::vector<std::string>> rows = {{"Field", "Key", "Preset", "Script", "Default", "Range", "Label"}};
    for (const ParamEntry& entry : ParamTable()) {
        rows.push_back({entry.field, KeyText(entry.key), PresetKindName(entry.presetKind), ScriptTypeName(entry),
                        DefaultValueText(entry), RangeText(entry), entry.label});
    }
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::printf("%s\n", line.c_str());
    }
}

}  // namespace

void AddParamsCommand(CLI::App& app) {
    CLI::App* params = app.add_subcommand("params", "List the effect parameters: keys, kinds, defaults, ranges");
    params->callback([] {
        PrintTable();
        ExitStatus() = 0;
    });
}

}  // namespace rimelace_cli
