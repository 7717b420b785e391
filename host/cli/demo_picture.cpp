// The sample picture's bytes, included by the assembler from the file named at build time. The
// symbols carry their assembler names explicitly (32-bit Windows prefixes C names with '_').
// ELF objects get a read-only section and hidden symbols; PE objects have no hidden symbols and
// no ".previous", so the bytes go into their read-only data section and the assembler returns to
// the code section, where the compiler expects it at the top of the file.

#include "host/cli/demo_picture.h"

#if defined(__ELF__)
#define RIMELACE_HIDE(name) ".hidden " name "\n"
#define RIMELACE_DATA_SECTION ".section .rodata\n"
#define RIMELACE_BACK ".previous\n"
#else
#define RIMELACE_HIDE(name)
#define RIMELACE_DATA_SECTION ".section .rdata,\"dr\"\n"
#define RIMELACE_BACK ".text\n"
#endif

asm(RIMELACE_DATA_SECTION
    ".balign 16\n"
    ".globl rimelace_demo_picture_begin\n" RIMELACE_HIDE("rimelace_demo_picture_begin")
    "rimelace_demo_picture_begin:\n"
    ".incbin \"" RIMELACE_DEMO_PICTURE "\"\n"
    ".globl rimelace_demo_picture_end\n" RIMELACE_HIDE("rimelace_demo_picture_end")
    "rimelace_demo_picture_end:\n" RIMELACE_BACK);

extern "C" const std::uint8_t rimelace_demo_picture_begin[] asm("rimelace_demo_picture_begin");
extern "C" const std::uint8_t rimelace_demo_picture_end[] asm("rimelace_demo_picture_end");

namespace rimelace_cli {

std::span<const std::uint8_t> DemoPictureBytes() {
    return {rimelace_demo_picture_begin,
            std::size_t(rimelace_demo_picture_end - rimelace_demo_picture_begin)};
}

} // namespace rimelace_cli
