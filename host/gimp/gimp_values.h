#pragma once
// The procedure's arguments and the dialog's last values, both derived from the parameter table:
// one argument per table row (after run-mode, image and drawable), in table order.

#include <libgimp/gimp.h>

#include <string>
#include <vector>

#include "params/params.h"

namespace rimelace_gimp {

constexpr const char* kProcedure = "plug-in-rimelace";

// run-mode, image, drawable, then the table's rows (colours as GIMP colours, the others as
// INT32 or FLOAT after their field type). The strings live as long as the process.
const std::vector<GimpParamDef>& ProcedureArguments();

// The argument name of a table field: "MinInterval" -> "min-interval".
std::string ArgumentName(const char* field);

// The record from a non-interactive call's arguments (defaults for what the table does not
// carry). False with *why when the call has the wrong number or types of arguments.
bool ValuesFromArguments(const GimpParam* param, int count, RimelaceParams& values, std::string* why);

// The values of the last run (GIMP keeps them for the session); false when there are none.
bool LoadLastValues(RimelaceParams& values);
void StoreLastValues(const RimelaceParams& values);

// 0x00BBGGRR <-> GIMP colour.
GimpRGB ToGimpColour(std::int32_t packed);
std::int32_t FromGimpColour(const GimpRGB& colour);

} // namespace rimelace_gimp
