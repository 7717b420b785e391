// The sample picture's bytes, included by the assembler from the file named at build time. The
// symbols carry their assembler names explicitly (32-bit Windows prefixes C names with '_'), and
// are hidden where the object format knows hidden symbols.

#include "host/cli/demo_picture.h"

#if defined(__ELF__)
#define RIMELACE_HIDE(name) ".hidden " name "\n"
#else
#define RIMELACE_HIDE(name)
#endif

asm(".section .rodata\n"
    ".balign 16\n"
    ".globl rimelace_demo_picture_begin\n" RIMELACE_HIDE("rimelace_demo_picture_begin")
    "rimelace_demo_picture_begin:\n"
    ".incbin \"" RIMELACE_DEMO_PICTURE "\"\n"
    ".globl rimelace_demo_picture_end\n" RIMELACE_HIDE("rimelace_demo_picture_end")
    "rimelace_demo_picture_end:\n"
    ".previous\n");

extern "C" const std::uint8_t rimelace_demo_picture_begin[] asm("rimelace_demo_picture_begin");
extern "C" const std::uint8_t rimelace_demo_picture_end[] asm("rimelace_demo_picture_end");

namespace rimelace_cli {

std::span<const std::uint8_t> DemoPictureBytes() {
    return {rimelace_demo_picture_begin,
            std::size_t(rimelace_demo_picture_end - rimelace_demo_picture_begin)};
}

} // namespace rimelace_cli
