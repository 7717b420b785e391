#pragma once
// Parameter values as the commands print them: integers in decimal, floats in their shortest
// exact form (6.25, 60, -123.45679). The printed text reads back through --set unchanged.

#include <string>

#include "params/params.h"

struct ParamEntry;

namespace rimelace_cli {

std::string FieldValueText(const RimelaceParams& params, const ParamEntry& entry);
std::string DefaultValueText(const ParamEntry& entry);
std::string RangeText(const ParamEntry& entry);  // "1..150", "0/1", "list 1..5", "colour", "degrees"

}  // namespace rimelace_cli
