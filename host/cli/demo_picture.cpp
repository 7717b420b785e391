// The sample picture's bytes, included by the assembler from the file named at build time.

#include "host/cli/demo_picture.h"

asm(".section .rodata\n"
    ".balign 16\n"
    ".globl rimelace_demo_picture_begin\n"
    ".hidden rimelace_demo_picture_begin\n"
    "rimelace_demo_picture_begin:\n"
    ".incbin \"" RIMELACE_DEMO_PICTURE "\"\n"
    ".globl rimelace_demo_picture_end\n"
    ".hidden rimelace_demo_picture_end\n"
    "rimelace_demo_picture_end:\n"
    ".previous\n");

extern "C" const std::uint8_t rimelace_demo_picture_begin[];
extern "C" const std::uint8_t rimelace_demo_picture_end[];

namespace rimelace_cli {

std::span<const std::uint8_t> DemoPictureBytes() {
    return {rimelace_demo_picture_begin,
            std::size_t(rimelace_demo_picture_end - rimelace_demo_picture_begin)};
}

} // namespace rimelace_cli
