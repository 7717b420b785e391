#pragma once
// The options `apply` and `demo` share: parameters, selection, actions, host behaviour, module.

#include "host/cli/run_filter.h"

namespace CLI {
class App;
}

namespace rimelace_cli {

// Adds the shared options to `command`, storing into `job`. `maxSpace` receives --max-space
// (0 when not given) because optional values do not bind directly.
void AddFilterOptions(CLI::App& command, FilterJob& job, std::int64_t& maxSpace);

} // namespace rimelace_cli
