// The shipped preset library, preset load and save.

#include "host/gimp/gimp_presets.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/cli/atomic_file.h"
#include "host/gimp/gimp_apply.h"
#include "params/preset_file.h"

namespace rimelace_gimp {
namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::string PresetFolder() {
    // Beside the plug-in, else the package's place: <prefix>/share/rimelace/RimelaceSaves.
    for (const std::string& folder :
         {OwnFolder() + "/RimelaceSaves", OwnFolder() + "/../../../../../share/rimelace/RimelaceSaves"})
        if (IsFolder(folder)) return folder;
    return "";
}

std::vector<std::string> ListPresets(const std::string& folder) {
    std::vector<std::string> files;
    if (folder.empty()) return files;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return files;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".ipt") == 0)
            files.push_back(folder + "/" + name);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

bool LoadPreset(const std::string& path, RimelaceParams& values, std::string* why) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *why = "cannot read '" + path + "': " + std::strerror(errno);
        return false;
    }
    FilePresetInput in(file);
    RimelaceParams read = values;
    const bool header = CheckPresetHeader(in);
    if (header) ReadPreset(read, in);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *why = "cannot read '" + path + "': read error";
        return false;
    }
    if (!header) {
        *why = "'" + path + "' is not a Rimelace preset (its first line is not \"Sol Rimelace1\")";
        return false;
    }
    values = read;
    return true;
}

std::string CompletePresetName(const std::string& name) {
    if (name.size() > 3 && name[name.size() - 4] == '.') return name;
    return name + ".ipt";
}

bool SavePreset(const std::string& path, const RimelaceParams& values, std::string* why) {
    try {
        rimelace_cli::AtomicOutput output(path);
        std::FILE* file = std::fopen(output.TempPath().c_str(), "wb");
        if (!file) {
            *why = "cannot write '" + path + "': " + std::strerror(errno);
            return false;
        }
        FilePresetOutput out(file);
        const bool written = WritePresetHeader(out) && WritePreset(values, out);
        const bool closed = std::fclose(file) == 0;
        if (!written || !closed) {
            *why = "cannot write '" + path + "': write error";
            return false;
        }
        output.Commit();
    } catch (const rimelace_cli::OutputFileError& error) {
        *why = error.what();
        return false;
    }
    return true;
}

} // namespace rimelace_gimp
