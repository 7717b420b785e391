#pragma once
// Driving the preset dialogs on their own: a filter record of the test's own (as the main dialog
// has it while open), preset bytes, and the thumbnail the panel should show. The file dialogs
// themselves: file_dialog_driver.h.

#include "tests/ui/dialog/file_dialog_driver.h"

#include "params/params.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A host's filter record with a parameter record (defaults) in its handle, PreviewMode set as the
// main dialog sets it. Releases the scene and bump image the renders left.
struct TestHost {
    FilterRecord record{};
    std::int16_t result = noErr;
    PluginGlobals globals{&result, &record};

    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;
    RimelaceParams& Params();
};

// A fresh folder under the system's temporary folder, removed with its files at the end.
struct ScratchFolder {
    std::string path;
    ScratchFolder();
    ~ScratchFolder();
    std::string File(const std::string& name) const { return path + "\\" + name; }
    std::vector<std::string> Names() const;  // the files in it, sorted
};

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// The preset file of `params`, as SavePresetDialog writes it.
std::string PresetBytes(const RimelaceParams& params);
// The 46 effect fields of `params` as preset lines (equal when every effect field is equal).
std::string EffectFields(const RimelaceParams& params);

// ---- The thumbnail ----------------------------------------------------------------------------
// The thumbnail the panel should show for a preset file: rendered independently, with a record
// of its own, over the sample picture (no coverage shown black), as 0x00RRGGBB.
std::vector<std::uint32_t> ExpectedThumbnail(const std::string& presetFile, int w, int h);

