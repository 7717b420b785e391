// The exit status the command that ran leaves behind.

#include "host/cli/commands.h"

namespace rimelace_cli {

int& ExitStatus() {
    static int status = 0;
    return status;
}

} // namespace rimelace_cli
