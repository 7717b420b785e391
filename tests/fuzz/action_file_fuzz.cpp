// The action-file reader of the command line under any text. Besides the sanitizers' findings it
// checks that it either refuses with an ActionFileError or gives an action that formats and parses
// back to the same action.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/cli/action_file.h"

using rimelace_cli::Action;
using rimelace_cli::ActionFileError;
using rimelace_cli::DescriptorItem;
using rimelace_cli::FormatAction;
using rimelace_cli::ParseAction;

namespace {

bool Same(const DescriptorItem& a, const DescriptorItem& b) {
    return a.key == b.key && a.type == b.type && a.unit == b.unit && a.boolean == b.boolean &&
           a.integer == b.integer && (a.number == b.number || (a.number != a.number && b.number != b.number));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Action action;
    try {
        action = ParseAction(text, "fuzz.json");
    } catch (const ActionFileError&) {
        return 0;
    }
    Action again;
    try {
        again = ParseAction(FormatAction(action), "again.json");
    } catch (const ActionFileError&) {
        std::abort();  // what the reader accepted, the writer must write readably
    }
    if (again.playInfo != action.playInfo || again.descriptor.size() != action.descriptor.size()) std::abort();
    for (std::size_t i = 0; i < action.descriptor.size(); ++i)
        if (!Same(action.descriptor[i], again.descriptor[i])) std::abort();
    return 0;
}
