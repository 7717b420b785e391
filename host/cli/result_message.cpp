// Host result codes to messages.

#include "host/cli/result_message.h"

namespace rimelace_cli {

std::string ResultMessage(std::int16_t code) {
    switch (code) {
    case 0:
        return "no error";
    case -128:
        return "the run was cancelled";
    case -108:
        return "not enough memory (host result -108)";
    case -109:
        return "the plug-in used a missing memory handle (host result -109)";
    case -111:
        return "the plug-in resized a missing memory handle (host result -111)";
    case -50:
        return "a host call was given a bad argument (host result -50)";
    case -30100:
        return "the plug-in rejected its parameters (host result -30100)";
    case -30101:
        return "the plug-in cannot filter this image mode (host result -30101)";
    case -1715:
        return "a parameter the plug-in needs is missing (host result -1715)";
    case -30900:
        return "the host lacks something the plug-in needs (host result -30900)";
    case -30905:
        return "the plug-in does not support this host version (host result -30905)";
    case -19:
    case -20:
    case -23:
    case -34:
    case -36:
    case -39:
    case -43:
        return "a file operation failed (host result " + std::to_string(code) + ")";
    default:
        return "the plug-in reported error " + std::to_string(code);
    }
}

} // namespace rimelace_cli
