// rimelace: applies the frost filter module to image files through the stand-in host.

#include <CLI/CLI.hpp>

#include "host/cli/commands.h"

int main(int argc, char** argv) {
    // Named here rather than after argv[0], so the usage lines read alike on every system.
    CLI::App app{"rimelace: frost patterns over image files, through the plug-in module", "rimelace"};
    app.require_subcommand(1);
    // Paths such as /tmp/a.png are arguments on every system, not Windows-style "/option"s.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", "rimelace " RIMELACE_VERSION);
    app.footer("Run \"rimelace COMMAND --help\" for the options of a command. Images are PNG, TIFF or JPEG; "
               "the input is never modified, and a result is written whole or not at all.");
    rimelace_cli::AddApplyCommand(app);
    rimelace_cli::AddDemoCommand(app);
    rimelace_cli::AddGalleryCommand(app);
    rimelace_cli::AddPresetCommands(app);
    rimelace_cli::AddParamsCommand(app);
    rimelace_cli::AddInfoCommand(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version exit 0; any wrong usage exits 2, with CLI11's one-line reason.
        return app.exit(error) == 0 ? 0 : 2;
    }
    return rimelace_cli::ExitStatus();
}
