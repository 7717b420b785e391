// rimelace preset write FILE [--set Field=Value]...   defaults plus the settings, as the plug-in saves
// rimelace preset show FILE                           the file read over the defaults, one line a field
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/cli/atomic_file.h"
#include "host/cli/commands.h"
#include "host/cli/param_text.h"
#include "host/cli/run_filter.h"
#include "host/cli/set_option.h"
#include "params/param_table.h"
#include "params/preset_file.h"

namespace rimelace_cli {

namespace {

struct PresetWriteOptions {
    std::string file;
    std::vector<std::string> sets;
};

int Fail(int status, const std::string& message) {
    std::cerr << "rimelace: " << message << "\n";
    return status;
}

int WritePresetCommand(const PresetWriteOptions& options) {
    RimelaceParams params{};
    ResetParams(params);
    for (const std::string& set : options.sets) {
        std::string error;
        if (!ApplySetOption(params, set, &error)) return Fail(kExitBadInput, error);
    }
    try {
        AtomicOutput output(options.file);
        std::FILE* file = std::fopen(output.TempPath().c_str(), "wb");
        if (!file) return Fail(kExitFailed, "cannot write '" + options.file + "': " + std::strerror(errno));
        FilePresetOutput out(file);
        const bool written = WritePresetHeader(out) && WritePreset(params, out);
        const bool closed = std::fclose(file) == 0;
        if (!written || !closed) return Fail(kExitFailed, "cannot write '" + options.file + "': write error");
        output.Commit();
    } catch (const OutputFileError& error) {
        return Fail(kExitFailed, error.what());
    }
    return kExitOk;
}

int ShowPresetCommand(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return Fail(kExitBadInput, "cannot read preset '" + path + "': " + std::strerror(errno));
    RimelaceParams params{};
    ResetParams(params);
    FilePresetInput in(file);
    const bool header = CheckPresetHeader(in);
    if (header) ReadPreset(params, in);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return Fail(kExitFailed, "cannot read preset '" + path + "': read error");
    if (!header) return Fail(kExitBadInput, "'" + path + "' is not a preset file (its first line is not \"Sol Rimelace1\")");
    for (const ParamEntry& entry : ParamTable()) std::cout << entry.field << " = " << FieldValueText(params, entry) << "\n";
    return kExitOk;
}

}  // namespace

void AddPresetCommands(CLI::App& app) {
    CLI::App* preset = app.add_subcommand("preset", "Write or show preset files (.ipt)");
    preset->require_subcommand(1);

    auto writeOptions = std::make_shared<PresetWriteOptions>();
    CLI::App* write = preset->add_subcommand("write", "Write a preset file: the defaults plus any --set");
    write->add_option("FILE", writeOptions->file, "Preset file to write")->required();
    write->add_option("--set", writeOptions->sets, "Set one field: Field=Value (e.g. Width=80); repeatable")
        ->allow_extra_args(false);
    write->callback([writeOptions] { ExitStatus() = WritePresetCommand(*writeOptions); });

    auto showFile = std::make_shared<std::string>();
    CLI::App* show = preset->add_subcommand("show", "Show the fields a preset file sets, over the defaults");
    show->add_option("FILE", *showFile, "Preset file to read")->required();
    show->callback([showFile] { ExitStatus() = ShowPresetCommand(*showFile); });
}

}  // namespace rimelace_cli
