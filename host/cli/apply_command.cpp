// rimelace apply INPUT OUTPUT [options]

#include <CLI/CLI.hpp>

#include <memory>

#include "host/cli/commands.h"
#include "host/cli/filter_options.h"

namespace rimelace_cli {

void AddApplyCommand(CLI::App& app) {
    struct State {
        FilterJob job;
        std::int64_t maxSpace = 0;
    };
    auto state = std::make_shared<State>();
    CLI::App* command = app.add_subcommand("apply", "Apply the filter to an image file (PNG, TIFF or JPEG)");
    command->add_option("INPUT", state->job.input, "Image to filter; it is never modified")->required();
    command
        ->add_option("OUTPUT", state->job.output,
                     "Result, in the input's mode and depth; the type follows the extension")
        ->required();
    AddFilterOptions(*command, state->job, state->maxSpace);
    command->add_option("--export-geometry", state->job.exportGeometry,
                        "Also write the grown scene: base path and triangles (FILE.svg in image coordinates, "
                        "FILE.obj in scene coordinates)");
    command->callback([state, command] {
        FilterJob job = state->job;
        if (command->count("--max-space")) job.maxSpace = state->maxSpace;
        ExitStatus() = RunFilterJob(job);
    });
}

} // namespace rimelace_cli
