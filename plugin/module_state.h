#pragma once
// Module-level state of the call in progress (private to the shell).

#include "plugin/host_interface.h"

#include <cstdint>

// Set by the entry at the start of a call and cleared at its end.
void BeginCall(void* record, bool isAbout, std::intptr_t* data, std::int16_t* result);
void EndCall();

std::intptr_t* CurrentDataSlot();

// Called when a handle is disposed: a parameter record locked through it is forgotten, so that
// nothing unlocks or reads the handle afterwards.
void ForgetDisposedHandle(Handle handle);

// Writes a failure code to the result of the call in progress (ignored outside a call).
void RecordResult(OSErr code);
