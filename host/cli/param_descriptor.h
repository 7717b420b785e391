#pragma once
// The effect parameters of an `apply` run, delivered the way a host delivers a recorded action:
// a descriptor with every key of the parameter table, replayed silently. The command line never
// writes the plug-in's parameter record itself.

#include <stdexcept>
#include <string>
#include <vector>

#include "host/cli/action_file.h"
#include "params/params.h"

namespace rimelace_cli {

// A preset, effect name or --set value that cannot be used. The message says which and why.
class ParamError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ParamChoices {
    std::string preset;            // preset file, empty for none
    std::string effect;            // effect list entry ("Single 4"), empty for none
    std::vector<std::string> sets; // "Field=Value", applied in order
};

// Defaults, then the preset (read with the plug-in's own preset reader), then the effect entry,
// then every --set in order. Throws ParamError.
RimelaceParams GatherParams(const ParamChoices& choices);

// Index of an effect list entry by its label ("Geometric 1" .. "Single 4"); -1 when unknown.
int EffectIndexByName(const std::string& name);
// "Geometric 1", "Geometric 2", ... for messages.
std::string EffectNames();

// All 46 keys of the parameter table, in table order, each with the type the plug-in reads it
// as: booleans, integers, and unit floats with the unit '#Rlt'.
std::vector<DescriptorItem> DescriptorFromParams(const RimelaceParams& params);

} // namespace rimelace_cli
