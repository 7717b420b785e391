#pragma once
// The preset library shipped with the plug-in: the folder "RimelaceSaves" beside the plug-in
// module (the build folders, the Windows zips), or <prefix>/share/rimelace/RimelaceSaves when the
// module is installed in <prefix>/lib/rimelace (the Debian package).

#include <string>
#include <vector>

namespace rimelace_cli {

// The shipped preset folder for the module at `modulePath`; empty when there is none.
std::string ShippedPresetFolder(const std::string& modulePath);

// The ".ipt" files of a folder, sorted by name (full paths); empty for an empty or missing folder.
std::vector<std::string> PresetFilesIn(const std::string& folder);

// A preset file's name without its folder and its ".ipt".
std::string PresetDisplayName(const std::string& path);

// What --preset names: an existing file as given; otherwise, for a bare name (no folder part),
// the shipped preset of that name, with or without ".ipt", case, spaces, hyphens and underscores
// not counting ("frost-feather" finds "Frost Feather.ipt"). Throws ParamError, listing the
// shipped names, when neither exists.
std::string FindPresetFile(const std::string& name, const std::string& modulePath);

} // namespace rimelace_cli
