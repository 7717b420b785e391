// Host identification from the executable's version resource (VS_VERSIONINFO).
#include "plugin/host_id.h"

#include "platform/platform.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

// ---- Reading the resource's blocks --------------------------------------------------------
// Every block: WORD length, WORD value length, WORD type (1 = text), a zero-terminated UTF-16
// key, padding to 4 bytes, the value, padding to 4 bytes, then the child blocks.
struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    std::uint16_t Word(std::size_t at) const {
        return at + 2 <= size ? std::uint16_t(data[at] | (data[at + 1] << 8)) : 0;
    }
    std::uint32_t Dword(std::size_t at) const { return Word(at) | (std::uint32_t(Word(at + 2)) << 16); }
};

constexpr std::size_t Align4(std::size_t at) { return (at + 3) & ~std::size_t(3); }

struct Block {
    std::size_t start = 0, end = 0;        // [start, end) within the resource
    std::string key;                        // ASCII view of the key
    std::size_t value = 0, valueBytes = 0;  // the value's position and size in bytes
    bool text = false;
    std::size_t children = 0;               // first child block
};

// UTF-16 text at `at` (up to a terminator or `end`), narrowed to ASCII.
std::string Narrow(const Bytes& bytes, std::size_t at, std::size_t end, std::size_t* after = nullptr) {
    std::string text;
    while (at + 2 <= end) {
        std::uint16_t c = bytes.Word(at);
        at += 2;
        if (c == 0) break;
        text += c < 128 ? char(c) : '?';
    }
    if (after) *after = at;
    return text;
}

std::optional<Block> ReadBlock(const Bytes& bytes, std::size_t start, std::size_t limit) {
    if (start + 6 > limit) return std::nullopt;
    std::uint16_t length = bytes.Word(start);
    if (length < 6 || start + length > limit) return std::nullopt;
    Block block;
    block.start = start;
    block.end = start + length;
    std::uint16_t valueLength = bytes.Word(start + 2);
    block.text = bytes.Word(start + 4) == 1;
    std::size_t afterKey = 0;
    block.key = Narrow(bytes, start + 6, block.end, &afterKey);
    block.value = Align4(afterKey);
    block.valueBytes = block.text ? std::size_t(valueLength) * 2 : valueLength;
    if (block.value + block.valueBytes > block.end) block.valueBytes = block.value < block.end ? block.end - block.value : 0;
    block.children = Align4(block.value + block.valueBytes);
    return block;
}

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::optional<Block> Child(const Bytes& bytes, const Block& parent, std::string_view key) {
    std::size_t at = parent.children;
    while (at < parent.end) {
        std::optional<Block> child = ReadBlock(bytes, at, parent.end);
        if (!child) return std::nullopt;
        if (SameKey(child->key, key)) return child;
        at = Align4(child->end);
    }
    return std::nullopt;
}

std::string TextValue(const Bytes& bytes, const Block& block) {
    return Narrow(bytes, block.value, block.value + block.valueBytes);
}

// ---- Raw search (when the string table cannot be found) -----------------------------------
std::optional<std::string> SearchString(const Bytes& bytes, std::string_view key) {
    std::string pattern;
    for (char c : key) {
        pattern += c;
        pattern += '\0';
    }
    pattern += std::string(2, '\0');
    std::string_view all(reinterpret_cast<const char*>(bytes.data), bytes.size);
    for (std::size_t at = all.find(pattern); at != std::string_view::npos; at = all.find(pattern, at + 1)) {
        if (at % 2 != 0) continue;
        std::size_t value = Align4(at + pattern.size());
        while (value + 2 <= bytes.size && bytes.Word(value) == 0) value += 2;  // padding
        std::string text = Narrow(bytes, value, bytes.size);
        if (!text.empty()) return text;
    }
    return std::nullopt;
}

// ---- Names, signatures and the groups they accept --------------------------------------------
struct NamedHost {
    const char* internalName;
    const char* signature;
};
constexpr NamedHost kHosts[] = {
    {"CorelDrw", "Cdrw"}, {"PhotoPnt", "Mprn"}, {"DeBabelizer Pro", "BABL"}, {"Adobe After Effects", "FXTC"},
    {"Adobe Illustrator", "ART5"}, {"PM5", "ALD5"}, {"PM6", "ALD6"}, {"PM65", "AD65"},
    {"PhotoDeluxe", "PHUT"}, {"Photoshp", "8BIM"}, {"Adobe Premiere", "PrMr"},
};

// Groups of accepted signatures; a signature accepts itself and those after it in its group.
constexpr const char* kGroups[] = {"Cdrw", "Mprn", "BABL", "FXTC", "ART3 ARTZ ARTY ART5", "ALD5 ALD6 AD65",
                                   "PHUT", "8BIM", "PrMr"};

OSType CodeOf(std::string_view four) {
    char code[5] = {four[0], four[1], four[2], four[3], 0};
    return FourCC(code);
}

void ParseVersion(const std::string& text, HostIdentity& identity) {
    std::uint32_t parts[3] = {0, 0, 0};
    std::size_t part = 0, at = 0;
    while (part < 3 && at < text.size()) {
        while (at < text.size() && text[at] == ' ') ++at;
        std::uint32_t value = 0;
        bool digits = false;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + std::uint32_t(text[at++] - '0');
            digits = true;
        }
        if (!digits) break;
        parts[part++] = value;
        while (at < text.size() && text[at] == ' ') ++at;
        if (at >= text.size() || text[at] != '.') break;
        ++at;
    }
    identity.major = parts[0];
    identity.minor = parts[1];
    identity.fix = parts[2];
}

}  // namespace

HostIdentity IdentifyHost(const std::uint8_t* versionInfo, std::size_t size) {
    HostIdentity identity;
    if (!versionInfo || size < 6) return identity;
    const Bytes bytes{versionInfo, size};
    std::optional<Block> root = ReadBlock(bytes, 0, size);
    if (!root) return identity;

    // Platform code from the fixed part's file OS value.
    if (root->valueBytes >= 52 && bytes.Dword(root->value) == 0xFEEF04BDu) {
        std::uint32_t fileOS = bytes.Dword(root->value + 32);
        identity.platformCode = fileOS == 0x40000u ? 10 : fileOS == 1u ? 11 : 12;
    }

    // The string table of the first translation.
    std::uint32_t translation = 0x04090000u;
    if (std::optional<Block> vars = Child(bytes, *root, "VarFileInfo"))
        if (std::optional<Block> list = Child(bytes, *vars, "Translation"); list && list->valueBytes >= 4)
            translation = (std::uint32_t(bytes.Word(list->value)) << 16) | bytes.Word(list->value + 2);
    char tableKey[9];
    static const char kHex[] = "0123456789abcdef";
    for (int i = 0; i < 8; ++i) tableKey[i] = kHex[(translation >> (28 - 4 * i)) & 0xF];
    tableKey[8] = 0;

    std::optional<std::string> internalName, fileVersion;
    if (std::optional<Block> strings = Child(bytes, *root, "StringFileInfo"))
        if (std::optional<Block> table = Child(bytes, *strings, tableKey)) {
            if (std::optional<Block> s = Child(bytes, *table, "InternalName")) internalName = TextValue(bytes, *s);
            if (std::optional<Block> s = Child(bytes, *table, "FileVersion")) fileVersion = TextValue(bytes, *s);
        }
    if (!internalName) internalName = SearchString(bytes, "InternalName");
    if (!fileVersion) fileVersion = SearchString(bytes, "FileVersion");
    if (!internalName) return identity;

    for (const NamedHost& host : kHosts)
        if (*internalName == host.internalName) {
            identity.identified = true;
            identity.signature = CodeOf(host.signature);
        }
    if (identity.identified && fileVersion) ParseVersion(*fileVersion, identity);
    return identity;
}

std::uint32_t VersionWordFor(const HostIdentity& identity, OSType signature) {
    if (!identity.identified || identity.platformCode == 0) return 0;
    bool accepted = false;
    for (const char* group : kGroups) {
        std::string_view rest(group);
        bool inside = false;  // past the asked signature within this group
        for (std::size_t at = 0; at + 4 <= rest.size(); at += 5) {
            OSType code = CodeOf(rest.substr(at, 4));
            if (code == signature) inside = true;
            if (inside && code == identity.signature) accepted = true;
        }
    }
    if (!accepted) return 0;
    return (identity.major << 24) | (identity.minor << 20) | (identity.fix << 16) | identity.platformCode;
}

std::uint32_t HostVersionWord(OSType signature) {
    static const HostIdentity identity = [] {
        std::size_t size = 0;
        const std::uint8_t* info = platform::HostVersionInfo(&size);
        return IdentifyHost(info, size);
    }();
    return VersionWordFor(identity, signature);
}
