#include "preset_dialog_driver.h"

#include "generate/preset_thumbnail.h"
#include "generate/render_state.h"
#include "generate/scene_builder.h"
#include "params/preset_file.h"
#include "platform/platform.h"
#include "plugin/handles.h"
#include "ui/dialog/preset_dialog_ids.h"
#include "ui/dialog/preset_dialogs.h"


#include <algorithm>
#include <cstdio>

// ---- The host ---------------------------------------------------------------------------------
TestHost::TestHost() {
    record.parameters = NewPluginHandle(sizeof(RimelaceParams));
    ResetParams(Params());
    PreviewMode = true;
}

TestHost::~TestHost() {
    if (RimelaceParams* params = LockedParams(globals)) {
        FreeSceneCache(*params);
        platform::FreePages(params->BumpImage);
    }
    DisposePluginHandle(record.parameters);
    PreviewMode = false;
}

RimelaceParams& TestHost::Params() { return *LockedParams(globals); }

// ---- Files ------------------------------------------------------------------------------------
ScratchFolder::ScratchFolder() {
    static int count = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    path = std::string(temp) + "rimelace_presets_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(++count);
    CreateDirectoryA(path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    for (const std::string& name : Names()) {
        SetFileAttributesA(File(name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(File(name).c_str());
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char block[65536];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, n);
    std::fclose(file);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string PresetBytes(const RimelaceParams& params) {
    StringPresetOutput out;
    WritePresetHeader(out);
    WritePreset(params, out);
    return out.Bytes();
}

std::string EffectFields(const RimelaceParams& params) {
    StringPresetOutput out;
    WritePreset(params, out);
    return out.Bytes();
}

// ---- The thumbnail ----------------------------------------------------------------------------
std::vector<std::uint32_t> ExpectedThumbnail(const std::string& presetFile, int w, int h) {
    TestHost host;
    ReadPresetFile(presetFile, host.Params());
    std::vector<std::uint8_t> source(std::size_t(w) * h * 4), result(source.size());
    FillFromSamplePicture(source.data(), w, h);
    RenderThumbnail(host.globals, source.data(), result.data(), w, h);
    std::vector<std::uint32_t> pixels;
    for (std::size_t i = 0; i < result.size(); i += 4)
        pixels.push_back(result[i] ? Rgb(result[i + 1], result[i + 2], result[i + 3]) : 0);
    return pixels;
}

