// The shipped preset library and --preset NAME.

#include "host/cli/shipped_presets.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "host/cli/param_descriptor.h"

namespace rimelace_cli {
namespace {

namespace fs = std::filesystem;

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool IsPresetName(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".ipt";
}

// The name as it is compared: letters and digits only, lower case.
std::string Folded(const std::string& name) {
    std::string folded;
    for (unsigned char c : name)
        if (c != ' ' && c != '-' && c != '_') folded += char(std::tolower(c));
    return folded;
}

} // namespace

std::string ShippedPresetFolder(const std::string& modulePath) {
    const fs::path folder = fs::path(modulePath).parent_path();
    for (const fs::path& candidate :
         {folder / "RimelaceSaves", folder / ".." / ".." / "share" / "rimelace" / "RimelaceSaves"})
        if (IsFolder(candidate)) return candidate.lexically_normal().string();
    return "";
}

std::vector<std::string> PresetFilesIn(const std::string& folder) {
    std::vector<std::string> files;
    if (folder.empty()) return files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (IsPresetName(it->path()) && it->is_regular_file(kindError)) files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string PresetDisplayName(const std::string& path) {
    const fs::path name = fs::path(path).filename();
    return IsPresetName(name) ? name.stem().string() : name.string();
}

std::string FindPresetFile(const std::string& name, const std::string& modulePath) {
    std::error_code error;
    if (name.empty() || fs::exists(fs::path(name), error)) return name;
    const bool bare = fs::path(name).filename().string() == name;
    const std::string folder = ShippedPresetFolder(modulePath);
    const std::vector<std::string> shipped = PresetFilesIn(folder);
    if (bare) {
        const std::string wanted = Folded(IsPresetName(name) ? fs::path(name).stem().string() : name);
        for (const std::string& file : shipped)
            if (Folded(PresetDisplayName(file)) == wanted) return file;
    }
    std::string message = "cannot read preset '" + name + "': no such file";
    if (!bare) throw ParamError(message);
    if (shipped.empty()) throw ParamError(message + ", and no shipped presets were found beside the plug-in module");
    message += " or shipped preset; the shipped presets are ";
    for (std::size_t i = 0; i < shipped.size(); ++i)
        message += (i ? ", \"" : "\"") + PresetDisplayName(shipped[i]) + "\"";
    throw ParamError(message);
}

} // namespace rimelace_cli
