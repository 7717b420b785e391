// rimelace demo [OUTPUT] [options]: apply on the built-in sample picture.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "host/cli/commands.h"
#include "host/cli/demo_picture.h"
#include "host/cli/filter_options.h"

namespace rimelace_cli {

void AddDemoCommand(CLI::App& app) {
    struct State {
        FilterJob job;
        std::int64_t maxSpace = 0;
    };
    auto state = std::make_shared<State>();
    state->job.output = "demo.png";
    CLI::App* command = app.add_subcommand(
        "demo", "Apply the filter to the built-in sample picture (a winter lake, 1600 x 1200)");
    command->add_option("OUTPUT", state->job.output, "Result file (default: demo.png in the current folder)");
    AddFilterOptions(*command, state->job, state->maxSpace);
    command->callback([state, command] {
        Image picture;
        try {
            const auto bytes = DemoPictureBytes();
            picture = ReadJpegMemory(bytes.data(), bytes.size(), "the built-in sample picture");
        } catch (const ImageFileError& error) {
            std::fprintf(stderr, "rimelace: %s\n", error.what());
            ExitStatus() = kExitFailed;
            return;
        }
        FilterJob job = state->job;
        job.picture = &picture;
        if (command->count("--max-space")) job.maxSpace = state->maxSpace;
        ExitStatus() = RunFilterJob(job);
    });
}

} // namespace rimelace_cli
