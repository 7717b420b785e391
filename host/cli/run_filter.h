#pragma once
// One filter run over an image file, as `apply` and `demo` do it: read the image (and the
// selection), gather the parameters into a descriptor (or take a recorded action), load the
// plug-in module into the stand-in host, run it, and write the result under a temporary name
// that is renamed into place only when everything succeeded.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/cli/image_file.h"
#include "host/cli/param_descriptor.h"

namespace rimelace_cli {

struct FilterJob {
    std::string input;              // image file; ignored when `picture` is set
    const Image* picture = nullptr; // an image already in memory (the demo's)
    std::string output;
    ParamChoices params;
    std::string selection;          // mask image, empty for none
    std::string replay;             // action file to replay, empty for none
    std::string record;             // action file to write, empty for none
    std::string host = "photoshop"; // photoshop | premiere | no-advance-state
    std::optional<std::int64_t> maxSpace;
    bool quiet = false;
    std::string module; // plug-in module, empty for the one beside the program
    std::string exportGeometry; // .svg or .obj file for the grown scene, empty for none
    // Ask the plug-in for its dialog, as a host does when the user picks the filter from the menu
    // with an ellipsis: the parameters selector, then start with the values to show and
    // playInfo "display". The plug-in applies what its dialog returns.
    bool dialog = false;
};

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;      // the run or the output failed
constexpr int kExitBadInput = 2;    // unusable input, options, preset or action file
constexpr int kExitDialogCancelled = 3; // the plug-in's dialog was cancelled
constexpr int kExitCancelled = 130; // Ctrl-C

// Runs the job; prints one line saying why on failure ("rimelace: ..."). Returns the exit status.
int RunFilterJob(const FilterJob& job);

// Runs the job's filter over an image in memory (no files read or written but a geometry export);
// prints one line on failure. Returns the exit status; *result holds the filtered image on success.
int FilterInMemory(const FilterJob& job, const Image& source, Image* result);

// The plug-in module beside this program: <folder of the executable>/liblorvex.so (Lorvex.8bf).
std::string DefaultModulePath();

} // namespace rimelace_cli
