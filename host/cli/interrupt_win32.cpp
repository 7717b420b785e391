// Ctrl-C (and Ctrl-Break) in a Windows console: a flag first, then an immediate exit. The
// console calls the handler on a thread of its own.

#include "host/cli/interrupt.h"

#include <windows.h>

#include <cstring>

namespace rimelace_cli {
namespace {

volatile LONG interrupts = 0;
constexpr int kSlots = 4;
char pendingTemp[kSlots][4096] = {};
volatile LONG slotUsed[kSlots] = {};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (InterlockedIncrement(&interrupts) < 2) return TRUE;
    for (int i = 0; i < kSlots; ++i)
        if (slotUsed[i]) DeleteFileA(pendingTemp[i]);
    static const char message[] = "\nrimelace: interrupted\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, sizeof message - 1, &written, nullptr);
    TerminateProcess(GetCurrentProcess(), 130);
    return TRUE;
}

} // namespace

void InstallInterruptHandler() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool Interrupted() {
    return interrupts != 0;
}

void ClearInterrupted() {
    InterlockedExchange(&interrupts, 0);
}

int AddPendingTempFile(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= sizeof pendingTemp[0]) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (slotUsed[i]) continue;
        std::memcpy(pendingTemp[i], path, length + 1);
        InterlockedExchange(&slotUsed[i], 1);
        return i;
    }
    return -1;
}

void RemovePendingTempFile(int slot) {
    if (slot >= 0 && slot < kSlots) InterlockedExchange(&slotUsed[slot], 0);
}

} // namespace rimelace_cli
