#include "params/preset_file.h"

#include "params/param_table.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kMaxNumberChars = 64;

bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '-' || c == 'e' || c == 'E';
}

// The key as the file stores it: the little-endian bytes of its 32-bit value ("pUtA").
void AppendFileKey(std::string& line, std::uint32_t key) {
    for (int shift = 0; shift < 32; shift += 8) line += static_cast<char>((key >> shift) & 0xFF);
}

std::uint32_t KeyFromFileBytes(const char* bytes) {
    std::uint32_t key = 0;
    for (int i = 3; i >= 0; --i) key = (key << 8) | static_cast<std::uint8_t>(bytes[i]);
    return key;
}

// Decimal integer: an optional minus sign, then digits, up to the first other character;
// saturated to the 32-bit range. An empty text gives 0.
std::int32_t ParseInteger(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

// Decimal floating-point number up to the first character that does not fit (a comma ends it).
// An empty or unreadable text gives 0; a magnitude beyond the double range saturates (then
// NarrowToFloat saturates to the f32 range), one below it gives 0.
double ParseFloat(std::string_view text) {
    double value = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        std::string_view number(text.data(), static_cast<std::size_t>(end - text.data()));
        std::size_t e = number.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
        double magnitude = tiny ? 0.0 : std::numeric_limits<double>::max();
        return !number.empty() && number[0] == '-' ? -magnitude : magnitude;
    }
    if (error != std::errc()) return 0.0;
    return value;
}

void ParseLine(RimelaceParams& params, std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    if (line.size() - i < 4 || line[i] == ';') return;
    const ParamEntry* entry = FindParamByKey(KeyFromFileBytes(line.data() + i));
    if (!entry) return;
    i += 4;
    while (i < line.size() && line[i] == ' ') ++i;
    std::size_t start = i;
    while (i < line.size() && i - start < kMaxNumberChars && IsNumberChar(line[i])) ++i;
    std::string_view number = line.substr(start, i - start);
    switch (entry->presetKind) {
        case PresetKind::Byte: SetInteger(params, *entry, ParseInteger(number) & 0xFF); break;
        case PresetKind::Integer: SetInteger(params, *entry, ParseInteger(number)); break;
        case PresetKind::Float: SetFloat(params, *entry, ParseFloat(number)); break;
    }
}

}  // namespace

int FilePresetInput::ReadByte() {
    int c = std::fgetc(file_);
    return c == EOF ? -1 : c;
}

bool FilePresetOutput::Write(const char* data, std::size_t size) {
    return std::fwrite(data, 1, size, file_) == size;
}

int MemoryPresetInput::ReadByte() {
    if (next_ >= bytes_.size()) return -1;
    return static_cast<std::uint8_t>(bytes_[next_++]);
}

bool StringPresetOutput::Write(const char* data, std::size_t size) {
    bytes_.append(data, size);
    return true;
}

bool WritePresetHeader(PresetOutput& out) { return out.Write(kPresetHeader.data(), kPresetHeader.size()); }

bool CheckPresetHeader(PresetInput& in) {
    bool same = true;
    for (char expected : kPresetHeader) {
        int c = in.ReadByte();
        if (c < 0) return false;
        if (static_cast<char>(c) != expected) same = false;
    }
    return same;
}

std::string FormatPresetLine(const RimelaceParams& params, std::size_t tableIndex) {
    const ParamEntry& entry = ParamTable()[tableIndex];
    std::string line;
    AppendFileKey(line, entry.key);
    line += ' ';
    char number[512];
    switch (entry.presetKind) {
        case PresetKind::Byte:
        case PresetKind::Integer: {
            std::int32_t value = GetInteger(params, entry);
            if (entry.presetKind == PresetKind::Byte) value &= 0xFF;
            line += std::to_string(value);
            break;
        }
        case PresetKind::Float: {
            auto result = std::to_chars(number, number + sizeof number, GetFloat(params, entry),
                                        std::chars_format::fixed, 6);
            line.append(number, result.ptr);
            break;
        }
    }
    line += ' ';
    if (entry.presetComment[0] != '\0') {
        line += "\t\t\t\t";
        line += entry.presetComment;
    }
    if (entry.presetKind != PresetKind::Integer) line += ' ';
    line += '\n';
    return line;
}

bool WritePreset(const RimelaceParams& params, PresetOutput& out) {
    bool ok = true;
    for (std::size_t i = 0; i < ParamTable().size(); ++i) {
        std::string line = FormatPresetLine(params, i);
        if (!out.Write(line.data(), line.size())) ok = false;
    }
    return ok;
}

int ReadPreset(RimelaceParams& params, PresetInput& in) {
    char line[kPresetLineBuffer];
    for (;;) {
        std::size_t length = 0;
        for (;;) {
            int c = in.ReadByte();
            if (c < 0) return 0;  // end of data or read error: an unfinished line is dropped
            if (c == '\t') c = ' ';
            if (length < kPresetLineBuffer - 1) line[length++] = static_cast<char>(c);
            if (static_cast<signed char>(c) <= 13) break;  // line end, control byte or byte >= 128
        }
        line[length] = '\0';
        ParseLine(params, std::string_view(line, std::strlen(line)));
    }
}
