// Options shared by apply and demo.

#include "host/cli/filter_options.h"

#include <CLI/CLI.hpp>

#include "host/cli/system.h"

namespace rimelace_cli {

void AddFilterOptions(CLI::App& command, FilterJob& job, std::int64_t& maxSpace) {
    // A single-valued option given twice takes the last value, so scripts can override defaults.
    command.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    command.add_option("--preset", job.params.preset,
                       "Start from this preset instead of the defaults: a .ipt file, or the name of a shipped preset "
                       "(\"Frost Feather\"; `rimelace gallery --presets` shows them all)");
    command.add_option("--effect", job.params.effect,
                       "Effect list entry, e.g. \"Single 4\" (sets EffectKind and PatternKind)");
    command
        .add_option("--set", job.params.sets,
                    "Set one parameter field: Field=Value (e.g. Width=80); repeatable")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);
    command.add_option("--selection", job.selection,
                       "Selection image of the input's size. Each pixel's brightest colour sample (scaled by its "
                       "transparency) says how strongly it is selected: white fully, black not at all, greys "
                       "in between. The result is blended into the input by it, so unselected pixels stay as "
                       "they were");
    command.add_option("--replay", job.replay,
                       "Replay a recorded action file (JSON) instead of --preset/--effect/--set");
    command.add_option("--record", job.record,
                       "Write the parameters the plug-in recorded to this action file (JSON)");
    command.add_option("--host", job.host, "Host behaviour: photoshop, premiere or no-advance-state")
        ->check(CLI::IsMember({"photoshop", "premiere", "no-advance-state"}));
    command.add_option(
        "--max-space", maxSpace,
        "Memory in bytes the host offers the plug-in at prepare (default: enough for one strip)");
    command.add_flag("--dialog", job.dialog,
                     "Open the plug-in's dialog on the given values first, as a host's menu pick does, and apply "
                     "what it returns (the Windows module has a dialog; elsewhere the values are applied as given)");
    command.add_flag("--quiet,-q", job.quiet, "No progress bar");
    command.add_flag("--smallest", job.smallestFile,
                     "PNG output: the smallest file, at many times the writing time (default: fast compression)");
    command.add_option("--module", job.module,
                       std::string("Plug-in module to load (default: ") + sys::kModuleFileName + " beside this program)");
}

} // namespace rimelace_cli
