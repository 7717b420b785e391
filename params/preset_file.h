#pragma once
// Preset files (".ipt"): the header line "Sol Rimelace1\n", then one text line per effect field,
// keyed by the field's four-character code written byte-reversed ("pUtA"), in table order.
// The writer and reader work on small byte streams so the plug-in's dialogs, the command line
// and the tests share them; adapters for std::FILE* and memory are below.

#include "params/params.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// The header line, 14 bytes, line feed included.
constexpr std::string_view kPresetHeader = "Sol Rimelace1\n";

// Lines are read into a buffer of this size (1023 characters plus the terminator).
constexpr std::size_t kPresetLineBuffer = 1024;

class PresetInput {
public:
    virtual ~PresetInput() = default;
    // The next byte (0..255), or -1 at the end of the data or on a read error.
    virtual int ReadByte() = 0;
};

class PresetOutput {
public:
    virtual ~PresetOutput() = default;
    // Writes all of the bytes; false on failure.
    virtual bool Write(const char* data, std::size_t size) = 0;
};

class FilePresetInput final : public PresetInput {
public:
    explicit FilePresetInput(std::FILE* file) : file_(file) {}
    int ReadByte() override;
private:
    std::FILE* file_;
};

class FilePresetOutput final : public PresetOutput {
public:
    explicit FilePresetOutput(std::FILE* file) : file_(file) {}
    bool Write(const char* data, std::size_t size) override;
private:
    std::FILE* file_;
};

class MemoryPresetInput final : public PresetInput {
public:
    explicit MemoryPresetInput(std::string_view bytes) : bytes_(bytes) {}
    int ReadByte() override;
private:
    std::string_view bytes_;
    std::size_t next_ = 0;
};

class StringPresetOutput final : public PresetOutput {
public:
    bool Write(const char* data, std::size_t size) override;
    const std::string& Bytes() const { return bytes_; }
private:
    std::string bytes_;
};

// Writes the header line. True on success.
bool WritePresetHeader(PresetOutput& out);

// Reads as many bytes as the header has and compares them byte for byte. The input is left
// after those bytes (or wherever a short read stopped). True when they match.
bool CheckPresetHeader(PresetInput& in);

// Writes the 46 field lines of `params` in table order, one write per line, starting where the
// output stands (the caller writes the header first). True when every write succeeded.
bool WritePreset(const RimelaceParams& params, PresetOutput& out);

// Reads every remaining line and stores the values of the lines with a known key into
// `params`; fields without a line keep their values. Values are stored without range checks.
// A line that is not ended by a line end (the last line of a file without a final line feed)
// is not loaded. A line longer than 1023 characters is read up to its 1023rd character and
// the rest, up to and including its line end, is skipped. Returns 0 (the end of the data, or
// a read error, ends the loop).
int ReadPreset(RimelaceParams& params, PresetInput& in);

// One formatted field line of the current value, exactly as WritePreset writes it.
std::string FormatPresetLine(const RimelaceParams& params, std::size_t tableIndex);
