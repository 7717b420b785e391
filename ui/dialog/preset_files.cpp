// Preset files through the system's file calls: the header check and the reader on an open file,
// the writer into a temporary file renamed into place, the name completion, the preset folder.
#include "ui/dialog/preset_dialogs.h"

#include "params/params.h"
#include "params/preset_file.h"
#include "platform/platform.h"

#include <cstring>

namespace {

// Reads the file in blocks; the reader takes one byte at a time.
class HandleInput final : public PresetInput {
public:
    explicit HandleInput(HANDLE file) : file_(file) {}
    int ReadByte() override {
        if (next_ == size_) {
            DWORD got = 0;
            if (!ReadFile(file_, block_, sizeof block_, &got, nullptr) || got == 0) return -1;
            next_ = 0;
            size_ = got;
        }
        return block_[next_++];
    }

private:
    HANDLE file_;
    unsigned char block_[4096];
    DWORD next_ = 0, size_ = 0;
};

class HandleOutput final : public PresetOutput {
public:
    explicit HandleOutput(HANDLE file) : file_(file) {}
    bool Write(const char* data, std::size_t size) override {
        DWORD written = 0;
        return WriteFile(file_, data, DWORD(size), &written, nullptr) && written == size;
    }

private:
    HANDLE file_;
};

}  // namespace

std::string CompletePresetName(const std::string& path) {
    if (path.size() > 3 && path[path.size() - 4] != '.') return path + ".ipt";
    return path;
}

std::string PresetFolder() {
    const std::string module = platform::ModulePath();
    const std::size_t slash = module.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : module.substr(0, slash + 1)) + "RimelaceSaves";
}

bool ReadPresetFile(const std::string& path, RimelaceParams& params) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    HandleInput in(file);
    const bool preset = CheckPresetHeader(in);
    if (preset) ReadPreset(params, in);
    CloseHandle(file);
    return preset;
}

bool WritePresetFile(const std::string& path, const RimelaceParams& params) {
    const std::string temporary = path + ".saving";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    HandleOutput out(file);
    const bool written = WritePresetHeader(out) && WritePreset(params, out);
    const bool closed = CloseHandle(file) != 0;
    if (written && closed && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(temporary.c_str());
    return false;
}
