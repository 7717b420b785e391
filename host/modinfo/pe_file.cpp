// Windows PE modules (PE32 and PE32+): the resource directory, walked by hand (type, then name,
// then the first language), and the names in the export directory.
#include "host/modinfo/byte_reader.h"
#include "host/modinfo/module_file.h"

namespace modinfo {

namespace {

struct SectionMap {
    std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

class PeImage {
public:
    explicit PeImage(const std::vector<std::uint8_t>& file) : file_(file) {}

    std::vector<SectionMap> sections;

    // File offset of a relative virtual address, or -1 when no section holds it.
    std::int64_t Offset(std::uint32_t rva, std::uint32_t size = 1) const {
        for (const SectionMap& s : sections) {
            const std::uint32_t span = s.rawSize;
            if (rva >= s.virtualAddress && rva - s.virtualAddress < span && size <= span - (rva - s.virtualAddress)) {
                std::uint64_t offset = std::uint64_t(s.rawOffset) + (rva - s.virtualAddress);
                if (offset + size <= file_.size()) return static_cast<std::int64_t>(offset);
            }
        }
        return -1;
    }

    std::string CString(std::uint32_t rva) const {
        std::int64_t at = Offset(rva);
        std::string text;
        if (at < 0) return text;
        for (std::size_t i = static_cast<std::size_t>(at); i < file_.size() && file_[i] != 0 && text.size() < 4096; ++i)
            text += static_cast<char>(file_[i]);
        return text;
    }

private:
    const std::vector<std::uint8_t>& file_;
};

std::string MachineName(std::uint16_t machine) {
    switch (machine) {
        case 0x14C: return "i386";
        case 0x8664: return "x86_64";
        case 0xAA64: return "aarch64";
        default: return "machine " + std::to_string(machine);
    }
}

struct DirectoryEntry {
    bool named;
    std::string name;
    std::uint32_t id;
    bool subdirectory;
    std::uint32_t offset;  // from the start of the resource directory
};

// The entries of one resource directory table. `base` is the file offset of the resource
// directory; `offset` is the table's offset within it.
bool ReadTable(const std::vector<std::uint8_t>& file, std::size_t base, std::size_t limit, std::uint32_t offset,
               std::vector<DirectoryEntry>* entries) {
    ByteReader r(std::span<const std::uint8_t>(file).first(limit), base + offset);
    r.Skip(12);
    const std::uint32_t count = std::uint32_t(r.U16()) + r.U16();
    if (!r.Ok() || count > r.Remaining() / 8) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        DirectoryEntry e{};
        const std::uint32_t name = r.U32();
        const std::uint32_t data = r.U32();
        e.named = (name & 0x80000000u) != 0;
        e.id = name & 0xFFFF;
        e.subdirectory = (data & 0x80000000u) != 0;
        e.offset = data & 0x7FFFFFFFu;
        if (e.named) {
            ByteReader s(std::span<const std::uint8_t>(file).first(limit), base + (name & 0x7FFFFFFFu));
            const std::uint16_t length = s.U16();
            for (std::uint16_t c = 0; c < length; ++c) {
                const std::uint16_t unit = s.U16();
                e.name += unit < 128 ? static_cast<char>(unit) : '?';
            }
            if (!s.Ok()) return false;
        }
        entries->push_back(e);
    }
    return r.Ok();
}

bool ReadResources(const std::vector<std::uint8_t>& file, const PeImage& image, std::uint32_t rva,
                   std::uint32_t size, ModuleFile* module, std::string* error) {
    const std::int64_t at = image.Offset(rva, size);
    if (at < 0) {
        *error = "resource directory outside the file";
        return false;
    }
    const std::size_t base = static_cast<std::size_t>(at);
    const std::size_t limit = base + size;
    std::vector<DirectoryEntry> types;
    if (!ReadTable(file, base, limit, 0, &types)) {
        *error = "damaged resource directory";
        return false;
    }
    for (const DirectoryEntry& type : types) {
        std::vector<DirectoryEntry> names;
        if (!type.subdirectory || !ReadTable(file, base, limit, type.offset, &names)) continue;
        for (const DirectoryEntry& name : names) {
            std::vector<DirectoryEntry> languages;
            if (!name.subdirectory || !ReadTable(file, base, limit, name.offset, &languages) || languages.empty())
                continue;
            const DirectoryEntry& language = languages.front();
            if (language.subdirectory) continue;
            ByteReader d(std::span<const std::uint8_t>(file).first(limit), base + language.offset);
            const std::uint32_t dataRva = d.U32();
            const std::uint32_t dataSize = d.U32();
            const std::int64_t dataAt = image.Offset(dataRva, dataSize);
            if (!d.Ok() || dataAt < 0) continue;
            ModuleResource resource;
            if (type.named)
                resource.typeName = type.name;
            else
                resource.numericType = static_cast<int>(type.id);
            resource.id = name.named ? -1 : static_cast<int>(name.id);
            resource.bytes.assign(file.begin() + dataAt, file.begin() + dataAt + dataSize);
            module->resources.push_back(std::move(resource));
        }
    }
    return true;
}

void ReadExports(const std::vector<std::uint8_t>& file, const PeImage& image, std::uint32_t rva,
                 ModuleFile* module) {
    const std::int64_t at = image.Offset(rva, 40);
    if (at < 0) return;
    ByteReader r(file, static_cast<std::size_t>(at) + 24);
    const std::uint32_t nameCount = r.U32();
    r.Skip(4);  // address of functions
    const std::uint32_t namesRva = r.U32();
    if (!r.Ok() || nameCount > 65536) return;
    const std::int64_t names = image.Offset(namesRva, nameCount * 4);
    if (names < 0) return;
    ByteReader n(file, static_cast<std::size_t>(names));
    for (std::uint32_t i = 0; i < nameCount; ++i) module->exports.push_back(image.CString(n.U32()));
}

}  // namespace

bool ReadPe(const std::vector<std::uint8_t>& file, ModuleFile* module, std::string* error) {
    ByteReader r(file, 0x3C);
    const std::uint32_t peAt = r.U32();
    r.Seek(peAt);
    if (!r.Ok() || r.Chars(4) != std::string("PE\0\0", 4)) {
        *error = "no PE signature";
        return false;
    }
    const std::uint16_t machine = r.U16();
    const std::uint16_t sectionCount = r.U16();
    r.Skip(12);
    const std::uint16_t optionalSize = r.U16();
    r.Skip(2);
    const std::size_t optionalAt = r.Offset();
    const std::uint16_t magic = r.U16();
    if (!r.Ok() || (magic != 0x10B && magic != 0x20B)) {
        *error = "unknown PE optional header";
        return false;
    }
    const bool wide = magic == 0x20B;
    module->format = "PE";
    module->machine = MachineName(machine);
    module->bits = wide ? 64 : 32;

    r.Seek(optionalAt + (wide ? 108 : 92));
    const std::uint32_t directoryCount = r.U32();
    std::uint32_t exportRva = 0, resourceRva = 0, resourceSize = 0;
    if (directoryCount > 0) {
        exportRva = r.U32();
        r.Skip(4);
    }
    if (directoryCount > 2) {
        r.Skip(8);  // imports
        resourceRva = r.U32();
        resourceSize = r.U32();
    }

    PeImage image(file);
    r.Seek(optionalAt + optionalSize);
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        r.Skip(8);
        SectionMap s{};
        s.virtualSize = r.U32();
        s.virtualAddress = r.U32();
        s.rawSize = r.U32();
        s.rawOffset = r.U32();
        r.Skip(16);
        image.sections.push_back(s);
    }
    if (!r.Ok()) {
        *error = "truncated PE headers";
        return false;
    }
    if (resourceRva != 0 && !ReadResources(file, image, resourceRva, resourceSize, module, error)) return false;
    if (exportRva != 0) ReadExports(file, image, exportRva, module);
    return true;
}

}  // namespace modinfo
