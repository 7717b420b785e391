#pragma once
// One filter run over an image file, as `apply` and `demo` do it: read the image (and the
// selection), gather the parameters into a descriptor (or take a recorded action), load the
// plug-in module into the stand-in host, run it, and write the result under a temporary name
// that is renamed into place only when everything succeeded.

#include <cstdint>
#include <functional>
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
    bool smallestFile = false;  // PNG output: the strongest compression instead of the fast one

    // For front ends that hold the values and the pixels already (the GIMP plug-in):
    std::optional<RimelaceParams> values;       // the parameters as a record, instead of `params`
    std::optional<std::vector<std::uint8_t>> maskBytes; // the selection, one byte per pixel, instead of `selection`
    std::function<void(std::int32_t done, std::int32_t total)> progress; // instead of the progress bar
    std::function<bool()> abort;                // polled with Ctrl-C; true cancels the run
    // The caller merges the result through the selection itself (GIMP's shadow buffer): the
    // stand-in host must not blend by the selection as well.
    bool hostMergesSelection = false;
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
// prints one line on failure, or hands it to *why when given. Returns the exit status; *result
// holds the filtered image on success.
int FilterInMemory(const FilterJob& job, const Image& source, Image* result, std::string* why = nullptr);

// The plug-in module: <folder of the executable>/liblorvex.so (Lorvex.8bf on Windows), or
// <folder>/../lib/rimelace/liblorvex.so when only that one exists (the installed Linux package).
std::string DefaultModulePath();

} // namespace rimelace_cli
