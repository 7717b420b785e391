#pragma once
// The plug-in's entry and the state of the call in progress.
//
// The host calls PluginMain once per selector (about, parameters, prepare, start, continue,
// finish) on one thread. Between calls the plug-in keeps two things in host memory: the
// parameter record in FilterRecord.parameters and PluginGlobals in the `data` slot.

#include <cstdint>

struct FilterRecord;
struct SPBasicSuite;
struct RimelaceParams;

// The per-call state block, kept in a handle in the host's `data` slot and locked for the
// duration of every call but the about selector.
struct PluginGlobals {
    std::int16_t* result;        // the host's result code for this call; every step writes it
    FilterRecord* filterRecord;  // the host's record for this call
};

// The parameter record of the current call (FilterRecord.parameters), locked until the call
// returns to the host; nullptr when the host holds no parameters yet or the lock fails.
RimelaceParams* LockedParams(const PluginGlobals& globals);

// Module state of the call in progress (null outside a call to PluginMain, and for the filter
// record during the about selector).
FilterRecord* CurrentFilterRecord();
SPBasicSuite* CurrentBasicSuite();

// Makes sure FilterRecord.parameters holds a parameter record: creates it with the defaults and
// the host identification when it is missing. Writes memFullErr when it cannot be created.
void ValidateParameters(PluginGlobals& globals);

// Runs one selector for the host. Never lets an exception out: anything thrown becomes a result
// code. PluginMain itself (plugin_entry.cpp) only forwards here.
void DispatchSelector(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result);
