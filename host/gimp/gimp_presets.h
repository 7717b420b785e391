#pragma once
// Preset files for the GIMP dialog: the shipped library ("RimelaceSaves", beside the plug-in or
// where the package installs it), loading and saving with the plug-in's own preset reader and
// writer. Loading a file whose first line is not the header changes nothing.

#include <string>
#include <vector>

#include "params/params.h"

namespace rimelace_gimp {

// The shipped preset folder; empty when none is installed.
std::string PresetFolder();

// The ".ipt" files in `folder`, sorted by name (full paths); none for a missing or empty folder.
std::vector<std::string> ListPresets(const std::string& folder);

// Reads `path` over `values`. False with *why (and `values` untouched) when the file cannot be
// read or is not a preset.
bool LoadPreset(const std::string& path, RimelaceParams& values, std::string* why);

// `name` completed as the plug-in completes preset names: ".ipt" appended unless the fourth
// character from the end is a dot.
std::string CompletePresetName(const std::string& name);

// Writes the header and the values to `path` (whole or not at all). False with *why.
bool SavePreset(const std::string& path, const RimelaceParams& values, std::string* why);

} // namespace rimelace_gimp
