// libpng, libtiff and libjpeg write every mode and depth their formats hold.

#include "host/cli/image_file_p.h"

namespace rimelace_cli {

std::string WriterCannotHold(FileFormat, const Image&) {
    return "";
}

} // namespace rimelace_cli
