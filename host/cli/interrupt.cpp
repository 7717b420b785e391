// SIGINT: a flag first, then an immediate exit.

#include "host/cli/interrupt.h"

#include <unistd.h>

#include <csignal>
#include <cstring>

namespace rimelace_cli {
namespace {

volatile std::sig_atomic_t interrupts = 0;
char pendingTemp[4096] = {};
volatile std::sig_atomic_t havePendingTemp = 0;

void OnInterrupt(int) {
    interrupts = interrupts + 1;
    if (interrupts < 2) return;
    if (havePendingTemp) unlink(pendingTemp);
    static const char message[] = "\nrimelace: interrupted\n";
    const ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(130);
}

}  // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() { return interrupts != 0; }

void ClearInterrupted() { interrupts = 0; }

void SetPendingTempFile(const char* path) {
    havePendingTemp = 0;
    if (!path || std::strlen(path) >= sizeof pendingTemp) return;
    std::memcpy(pendingTemp, path, std::strlen(path) + 1);
    havePendingTemp = 1;
}

}  // namespace rimelace_cli
