#pragma once
// The handlers of the filter selectors 1..5 (private to the shell).

struct PluginGlobals;

void DoParameters(PluginGlobals& globals);
void DoPrepare(PluginGlobals& globals);
void DoStart(PluginGlobals& globals);
void DoContinue(PluginGlobals& globals);
void DoFinish(PluginGlobals& globals);
