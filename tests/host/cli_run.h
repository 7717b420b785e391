#pragma once
// Running the built rimelace program from a test.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rimelace_cli::testing {

struct CliResult {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
    bool interrupted = false; // SIGINT was delivered while the program ran
};

// Runs the program with these arguments in `folder` (the current folder when empty). With
// `interruptAfterMs` >= 0 it sends SIGINT that long after the start, as Ctrl-C would.
CliResult RunCli(const std::vector<std::string>& args, const std::string& folder = "",
                 int interruptAfterMs = -1);

// The same for another program: command[0] is its path, the rest its arguments.
CliResult RunProgram(const std::vector<std::string>& command, const std::string& folder = "",
                     int interruptAfterMs = -1);

// How to run the program and watch it.
struct CliWatch {
    std::string folder;            // run in this folder (the current folder when empty)
    long long fileSizeLimit = -1;  // RLIMIT_FSIZE for the program: its writes past this many bytes fail
    // Called about every millisecond while the program runs; returns how many SIGINTs to send now
    // (two in a row are a second Ctrl-C).
    std::function<int()> poll;
};
CliResult RunCliWatched(const std::vector<std::string>& args, const CliWatch& watch);

// Number of lines in a text (a last line without a line end counts).
int LineCount(const std::string& text);

} // namespace rimelace_cli::testing
