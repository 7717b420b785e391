// Stand-in for the scripting layer until plugin/scripting.cpp exists in this tree: descriptors
// are reported unavailable, so nothing is read or written. Built only while scripting.cpp is
// absent (see plugin/CMakeLists.txt); delete this folder once it has landed.
#include "plugin/scripting.h"

bool DescriptorsAvailable(const PluginGlobals&) { return false; }
std::int16_t ReadScriptParams(PluginGlobals&) { return 0; }
std::int16_t WriteScriptParams(PluginGlobals&) { return 0; }
