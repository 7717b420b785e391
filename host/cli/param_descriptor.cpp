// Defaults + preset + effect + --set, then the descriptor.

#include "host/cli/param_descriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/cli/set_option.h"
#include "params/param_table.h"
#include "params/preset_file.h"

namespace rimelace_cli {
namespace {

void ReadPresetFile(const std::string& path, RimelaceParams& params) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw ParamError("cannot read preset '" + path + "': " + std::strerror(errno));
    FilePresetInput in(file);
    const bool header = CheckPresetHeader(in);
    if (header) ReadPreset(params, in);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw ParamError("cannot read preset '" + path + "': read error");
    if (!header)
        throw ParamError("'" + path + "' is not a preset file (its first line is not \"Sol Rimelace1\")");
}

} // namespace

int EffectIndexByName(const std::string& name) {
    const auto labels = EffectLabels();
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (name == labels[i]) return int(i);
    return -1;
}

std::string EffectNames() {
    std::string names;
    for (const char* label : EffectLabels())
        names += (names.empty() ? "\"" : ", \"") + std::string(label) + "\"";
    return names;
}

RimelaceParams GatherParams(const ParamChoices& choices) {
    RimelaceParams params{};
    ResetParams(params);
    if (!choices.preset.empty()) ReadPresetFile(choices.preset, params);
    if (!choices.effect.empty()) {
        const int index = EffectIndexByName(choices.effect);
        if (index < 0)
            throw ParamError("unknown effect \"" + choices.effect + "\"; the effects are " + EffectNames());
        const EffectPair pair = EffectFromIndex(index);
        params.EffectKind = pair.effectKind;
        params.PatternKind = pair.patternKind;
    }
    for (const std::string& set : choices.sets) {
        std::string error;
        if (!ApplySetOption(params, set, &error)) throw ParamError(error);
    }
    return params;
}

std::vector<DescriptorItem> DescriptorFromParams(const RimelaceParams& params) {
    std::vector<DescriptorItem> items;
    for (const ParamEntry& entry : ParamTable()) {
        DescriptorItem item;
        item.key = entry.key;
        switch (entry.scriptType) {
        case ScriptType::Boolean:
            item.type = ItemType::Boolean;
            item.boolean = (GetInteger(params, entry) & 0xFF) != 0; // as the plug-in records it
            break;
        case ScriptType::Integer:
            item.type = ItemType::Integer;
            item.integer = GetInteger(params, entry);
            break;
        case ScriptType::UnitFloat:
            item.type = ItemType::UnitFloat;
            item.unit = FourCC("#Rlt");
            item.number = GetFloat(params, entry);
            break;
        }
        items.push_back(item);
    }
    return items;
}

} // namespace rimelace_cli
