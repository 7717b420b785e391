#pragma once
// The --set option shared by the commands: "Field=Value", where Field is a record field name of
// the parameter table (letter for letter, e.g. Lenght, Transparancy) and Value a number.

#include <string>

#include "params/params.h"

struct ParamEntry;

namespace rimelace_cli {

// Parses `text` as a value for `entry`: float fields take a decimal number; integer and byte
// fields an integer in decimal or 0x hexadecimal, within the field's storage range (0..255 for
// byte fields). Values outside the dialog's range are accepted, as presets and scripts do.
// False with a one-line *error naming the field and the problem.
bool ParseFieldValue(const ParamEntry& entry, const std::string& text, double* value, std::string* error);

// Applies one "Field=Value" to `params`. False with a one-line *error (unknown field, missing
// '=', not a number, out of range); `params` is then unchanged.
bool ApplySetOption(RimelaceParams& params, const std::string& option, std::string* error);

// "AutoUpdate, CenterX, ..." for messages.
std::string FieldNames();

}  // namespace rimelace_cli
