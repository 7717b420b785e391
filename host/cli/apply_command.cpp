// rimelace apply INPUT OUTPUT [options]
// rimelace apply INPUT... --out-dir FOLDER [--format TYPE] [--jobs N] [options]

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "host/cli/batch.h"
#include "host/cli/commands.h"
#include "host/cli/filter_options.h"

namespace rimelace_cli {

void AddApplyCommand(CLI::App& app) {
    struct State {
        FilterJob job;
        std::int64_t maxSpace = 0;
        std::vector<std::string> files;
        std::string outDir;
        std::string format;
        int jobs = 0;
    };
    auto state = std::make_shared<State>();
    CLI::App* command = app.add_subcommand(
        "apply", "Apply the filter to image files (PNG, TIFF or JPEG): INPUT OUTPUT, or INPUT... --out-dir FOLDER");
    command
        ->add_option("FILES", state->files,
                     "INPUT OUTPUT: the image to filter (never modified) and the result, in the input's mode and "
                     "depth, its type after the extension. With --out-dir: every file is an input")
        ->required();
    AddFilterOptions(*command, state->job, state->maxSpace);
    command->add_option("--out-dir", state->outDir,
                        "Filter every FILE into this folder (made when missing) under its own name");
    command->add_option("--format", state->format,
                        "With --out-dir: write every result as png, tif or jpg (default: each input's own type)");
    command->add_option("--jobs,-j", state->jobs, "With --out-dir: files filtered at once (default: the number of cores)")
        ->check(CLI::Range(1, 256));
    command->add_option("--export-geometry", state->job.exportGeometry,
                        "Also write the grown scene: base path and triangles (FILE.svg in image coordinates, "
                        "FILE.obj in scene coordinates); single file only");
    command->callback([state, command] {
        FilterJob job = state->job;
        if (command->count("--max-space")) job.maxSpace = state->maxSpace;
        auto usage = [](const char* text) {
            std::fprintf(stderr, "rimelace: %s\n", text);
            ExitStatus() = kExitBadInput;
        };
        if (state->outDir.empty()) {
            if (!state->format.empty() || command->count("--jobs"))
                return usage("--format and --jobs go with --out-dir");
            if (state->files.size() != 2)
                return usage("apply takes INPUT OUTPUT, or several inputs with --out-dir FOLDER");
            job.input = state->files[0];
            job.output = state->files[1];
            ExitStatus() = RunFilterJob(job);
            return;
        }
        if (!job.exportGeometry.empty()) return usage("--export-geometry writes one scene; use it without --out-dir");
        if (!job.record.empty()) return usage("--record writes one action file; use it without --out-dir");
        BatchJob batch;
        batch.filter = job;
        batch.inputs = state->files;
        batch.outDir = state->outDir;
        batch.jobs = state->jobs;
        if (!state->format.empty()) {
            try {
                batch.format = FormatFromWord(state->format);
            } catch (const ImageFileError& error) {
                return usage(error.what());
            }
        }
        ExitStatus() = RunBatch(batch);
    });
}

} // namespace rimelace_cli
