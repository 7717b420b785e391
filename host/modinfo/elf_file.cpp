// ELF shared objects (32- and 64-bit, little-endian): the resource sections and the exported
// functions of the dynamic symbol table.
#include "host/modinfo/byte_reader.h"
#include "host/modinfo/module_file.h"
#include "resources/plugin_resources.h"

#include <charconv>
#include <cstring>

namespace modinfo {

namespace {

struct Section {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
    std::uint64_t entrySize = 0;
};

constexpr std::uint32_t kNoBits = 8;
constexpr std::uint32_t kDynSym = 11;

std::string MachineName(std::uint16_t machine) {
    switch (machine) {
        case 3: return "i386";
        case 62: return "x86_64";
        case 183: return "aarch64";
        default: return "machine " + std::to_string(machine);
    }
}

// A NUL-terminated string at `offset` within the string table section.
std::string StringAt(const std::vector<std::uint8_t>& file, const Section& table, std::uint64_t offset) {
    if (table.type == kNoBits || offset >= table.size || table.offset > file.size() ||
        table.size > file.size() - table.offset)
        return {};
    std::string text;
    for (std::uint64_t i = table.offset + offset; i < table.offset + table.size && file[i] != 0; ++i)
        text += static_cast<char>(file[i]);
    return text;
}

std::span<const std::uint8_t> SectionBytes(const std::vector<std::uint8_t>& file, const Section& section) {
    if (section.type == kNoBits || section.offset > file.size() || section.size > file.size() - section.offset)
        return {};
    return std::span<const std::uint8_t>(file).subspan(section.offset, section.size);
}

// ".lorvex_res.PIPL.16000" -> type "PIPL", id 16000; ".lorvex_res.2.999" -> numeric type 2.
bool ResourceFromSectionName(const std::string& name, ModuleResource* resource) {
    const std::size_t prefix = std::strlen(kElfResourceSectionPrefix);
    if (name.compare(0, prefix, kElfResourceSectionPrefix) != 0) return false;
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < prefix) return false;
    std::string type = name.substr(prefix, dot - prefix);
    const char* idText = name.c_str() + dot + 1;
    auto [end, error] = std::from_chars(idText, name.c_str() + name.size(), resource->id);
    if (error != std::errc() || end != name.c_str() + name.size() || type.empty()) return false;
    int numeric = 0;
    auto [typeEnd, typeError] = std::from_chars(type.data(), type.data() + type.size(), numeric);
    if (typeError == std::errc() && typeEnd == type.data() + type.size())
        resource->numericType = numeric;
    else
        resource->typeName = type;
    return true;
}

}  // namespace

bool ReadElf(const std::vector<std::uint8_t>& file, ModuleFile* module, std::string* error) {
    ByteReader header(file);
    header.Skip(4);
    const std::uint8_t elfClass = header.U8();
    const std::uint8_t encoding = header.U8();
    if (!header.Ok() || (elfClass != 1 && elfClass != 2) || encoding != 1) {
        *error = "unsupported ELF class or byte order";
        return false;
    }
    const bool wide = elfClass == 2;
    module->format = "ELF";
    module->bits = wide ? 64 : 32;
    header.Seek(18);
    module->machine = MachineName(header.U16());
    header.Seek(wide ? 40 : 32);
    const std::uint64_t sectionOffset = wide ? header.U64() : header.U32();
    header.Seek(wide ? 58 : 46);
    const std::uint16_t entrySize = header.U16();
    const std::uint16_t count = header.U16();
    const std::uint16_t namesIndex = header.U16();
    if (!header.Ok()) {
        *error = "truncated ELF header";
        return false;
    }

    std::vector<Section> sections(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        ByteReader r(file, sectionOffset + std::uint64_t(i) * entrySize);
        Section& s = sections[i];
        s.name = r.U32();
        s.type = r.U32();
        if (wide) {
            r.Skip(16);  // flags, address
            s.offset = r.U64();
            s.size = r.U64();
            s.link = r.U32();
            r.Skip(12);  // info, alignment
            s.entrySize = r.U64();
        } else {
            r.Skip(8);
            s.offset = r.U32();
            s.size = r.U32();
            s.link = r.U32();
            r.Skip(8);
            s.entrySize = r.U32();
        }
        if (!r.Ok() || sectionOffset > file.size()) {
            *error = "truncated ELF section table";
            return false;
        }
    }
    if (count == 0 || namesIndex >= count) return true;  // no section names: nothing to find

    for (const Section& s : sections) {
        ModuleResource resource;
        if (!ResourceFromSectionName(StringAt(file, sections[namesIndex], s.name), &resource)) continue;
        std::span<const std::uint8_t> bytes = SectionBytes(file, s);
        resource.bytes.assign(bytes.begin(), bytes.end());
        module->resources.push_back(std::move(resource));
    }

    for (const Section& s : sections) {
        if (s.type != kDynSym || s.link >= count) continue;
        const std::size_t symbolSize = wide ? 24 : 16;
        std::span<const std::uint8_t> table = SectionBytes(file, s);
        for (std::size_t at = symbolSize; at + symbolSize <= table.size(); at += symbolSize) {
            ByteReader r(table, at);
            const std::uint32_t name = r.U32();
            std::uint8_t info, other;
            std::uint16_t sectionIndex;
            if (wide) {
                info = r.U8();
                other = r.U8();
                sectionIndex = r.U16();
            } else {
                r.Skip(8);
                info = r.U8();
                other = r.U8();
                sectionIndex = r.U16();
            }
            const bool function = (info & 0xF) == 2;
            const bool global = (info >> 4) == 1 || (info >> 4) == 2;
            const bool visible = (other & 3) == 0;
            if (function && global && visible && sectionIndex != 0)
                module->exports.push_back(StringAt(file, sections[s.link], name));
        }
    }
    return true;
}

}  // namespace modinfo
