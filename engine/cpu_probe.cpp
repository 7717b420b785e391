// The processor probe behind _mmx_enabled.
#include "engine/trivane.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

BYTE __mmx_present() {
    BYTE present = 0;
#if defined(__i386__) || defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) present = (edx >> 23) & 1u;
#endif
    _mmx_enabled = present;
    return present;
}
