#pragma once
// The rimelace subcommands. Each Add... function registers one command (or a group) on the
// application; the command's callback does the work and sets the process exit status through
// the returned flag.

namespace CLI {
class App;
}

namespace rimelace_cli {

// Exit status of the command that ran (0 success, 1 failure, 2 bad input such as a wrong header,
// 3 the plug-in's dialog was cancelled, 130 Ctrl-C).
int& ExitStatus();

void AddApplyCommand(CLI::App& app);    // rimelace apply INPUT OUTPUT [...]
void AddDemoCommand(CLI::App& app);     // rimelace demo [OUTPUT]
void AddGalleryCommand(CLI::App& app);  // rimelace gallery OUTPUT [INPUT]
void AddPresetCommands(CLI::App& app);  // rimelace preset write FILE / preset show FILE
void AddParamsCommand(CLI::App& app);   // rimelace params
void AddInfoCommand(CLI::App& app);     // rimelace info MODULE

}  // namespace rimelace_cli
