#pragma once
// The host's 16-bit result codes as the command line reports them.

#include <cstdint>
#include <string>

namespace rimelace_cli {

// "the run was cancelled" for -128, "not enough memory" for -108, ...; unknown codes give
// "the plug-in reported error N".
std::string ResultMessage(std::int16_t code);

} // namespace rimelace_cli
