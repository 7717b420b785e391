#pragma once
// Internals of the stand-in host shared by its source files.

#include "host/standin/standin.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace standin {

// ---- Loading a module (standin_posix.cpp / standin_win32.cpp) ---------------------------------
struct LoadedModule {
    void* native = nullptr;  // HMODULE or dlopen handle
    PluginMainProc entry = nullptr;
};
bool LoadPluginModule(const std::string& path, LoadedModule* module, std::string* error);
void UnloadPluginModule(LoadedModule* module);

// ---- Handles (standin_suites.cpp) --------------------------------------------------------------
// A handle is the address of a block whose first word is the data pointer.
struct HostHandle {
    char* data;
    std::int32_t size;
    std::int32_t locks;
};
Handle NewHostHandle(std::int32_t size);
void DisposeHostHandle(Handle handle);
bool IsLiveHostHandle(Handle handle);
void DisposeAllHostHandles();  // when the host goes away
// sizesAnswerZero: getSizeProc answers 0 and setSizeProc does nothing (a host's quirk).
HandleProcs MakeHandleProcs(std::int16_t version, std::int16_t count, bool sizesAnswerZero = false);
SPBasicSuite MakeBasicSuite();

// ---- Descriptors (standin_descriptors.cpp) ---------------------------------------------------
Handle DescriptorToHandle(const Descriptor& descriptor);
bool DescriptorFromHandle(Handle handle, Descriptor* descriptor);
ReadDescriptorProcs MakeReadDescriptorProcs();
WriteDescriptorProcs MakeWriteDescriptorProcs();

// ---- Pixels (standin_pixels.cpp) ---------------------------------------------------------------
// Serves the rectangles the plug-in requested and copies its output back.
class PixelService {
public:
    PixelService(const Image& source, Image& output) : source_(source), output_(output) {}
    // Copies the previous out buffer back, then delivers the requested in/out/mask buffers.
    OSErr Serve(FilterRecord& record, RunTrace& trace, std::string* error);
    // Copies the current out buffer back (after the last call).
    void Commit();
    // True while any requested rectangle is non-empty.
    static bool AnyRequest(const FilterRecord& record);
    // True while any requested rectangle's right edge is not 0.
    static bool AnyRightEdge(const FilterRecord& record);
    // Serve one plane per request; wider requests fail with errPlugInHostInsufficient.
    void SetSinglePlane(bool single) { singlePlane_ = single; }

private:
    struct Region {
        std::int32_t top = 0, left = 0, bottom = 0, right = 0;
        int loPlane = 0, hiPlane = -1;
    };
    const Image& source_;
    Image& output_;
    std::vector<std::uint8_t> in_, out_, mask_;
    Region outRegion_;
    std::int32_t outRowBytes_ = 0;
    bool singlePlane_ = false;
};

}  // namespace standin
