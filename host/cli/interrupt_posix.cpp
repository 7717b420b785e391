// Ctrl-C on POSIX systems (SIGINT): a flag first, then an immediate exit.

#include "host/cli/interrupt.h"

#include <unistd.h>

#include <csignal>
#include <cstring>

namespace rimelace_cli {
namespace {

volatile std::sig_atomic_t interrupts = 0;
constexpr int kSlots = 4;
char pendingTemp[kSlots][4096] = {};
volatile std::sig_atomic_t slotUsed[kSlots] = {};

void OnInterrupt(int) {
    interrupts = interrupts + 1;
    if (interrupts < 2) return;
    for (int i = 0; i < kSlots; ++i)
        if (slotUsed[i]) unlink(pendingTemp[i]);
    static const char message[] = "\nrimelace: interrupted\n";
    const ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(130);
}

} // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() {
    return interrupts != 0;
}

void ClearInterrupted() {
    interrupts = 0;
}

int AddPendingTempFile(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= sizeof pendingTemp[0]) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (slotUsed[i]) continue;
        std::memcpy(pendingTemp[i], path, length + 1);
        slotUsed[i] = 1;
        return i;
    }
    return -1;
}

void RemovePendingTempFile(int slot) {
    if (slot >= 0 && slot < kSlots) slotUsed[slot] = 0;
}

} // namespace rimelace_cli
