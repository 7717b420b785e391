// The module exports PluginMain (and on Windows the dialog procedure DissolveProc) and nothing
// else, read from the module file itself (the ELF dynamic symbol table, or the PE export directory
// of Lorvex.8bf).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

template <typename T>
T At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

std::string StringAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::string text;
    while (offset < bytes.size() && bytes[offset]) text += char(bytes[offset++]);
    return text;
}

// Defined global symbols of a 64-bit ELF shared object's dynamic symbol table.
std::vector<std::string> ElfExports(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::string> names;
    const auto sectionTable = At<std::uint64_t>(bytes, 0x28);
    const auto entrySize = At<std::uint16_t>(bytes, 0x3A);
    const auto sections = At<std::uint16_t>(bytes, 0x3C);
    for (std::uint16_t i = 0; i < sections; ++i) {
        const std::size_t header = sectionTable + std::size_t(i) * entrySize;
        if (At<std::uint32_t>(bytes, header + 4) != 11) continue;  // SHT_DYNSYM
        const auto offset = At<std::uint64_t>(bytes, header + 0x18);
        const auto size = At<std::uint64_t>(bytes, header + 0x20);
        const auto link = At<std::uint32_t>(bytes, header + 0x28);
        const auto strings = At<std::uint64_t>(bytes, sectionTable + std::size_t(link) * entrySize + 0x18);
        for (std::uint64_t symbol = offset + 24; symbol + 24 <= offset + size; symbol += 24) {
            const auto info = At<std::uint8_t>(bytes, symbol + 4);
            const auto sectionIndex = At<std::uint16_t>(bytes, symbol + 6);
            const int binding = info >> 4;
            if (sectionIndex == 0 || (binding != 1 && binding != 2)) continue;
            names.push_back(StringAt(bytes, strings + At<std::uint32_t>(bytes, symbol)));
        }
    }
    return names;
}

// Names in a PE file's export directory.
std::vector<std::string> PeExports(const std::vector<std::uint8_t>& bytes, std::uint16_t* machine) {
    std::vector<std::string> names;
    const auto pe = At<std::uint32_t>(bytes, 0x3C);
    if (At<std::uint32_t>(bytes, pe) != 0x00004550) return names;  // "PE\0\0"
    *machine = At<std::uint16_t>(bytes, pe + 4);
    const auto sectionCount = At<std::uint16_t>(bytes, pe + 6);
    const auto optionalSize = At<std::uint16_t>(bytes, pe + 20);
    const std::size_t optional = pe + 24;
    const bool plus = At<std::uint16_t>(bytes, optional) == 0x20B;
    const auto exportRva = At<std::uint32_t>(bytes, optional + (plus ? 112 : 96));
    const std::size_t sectionTable = optional + optionalSize;
    auto fileOffset = [&](std::uint32_t rva) -> std::size_t {
        for (std::uint16_t i = 0; i < sectionCount; ++i) {
            const std::size_t s = sectionTable + std::size_t(i) * 40;
            const auto virtualSize = At<std::uint32_t>(bytes, s + 8);
            const auto virtualAddress = At<std::uint32_t>(bytes, s + 12);
            if (rva >= virtualAddress && rva < virtualAddress + virtualSize)
                return rva - virtualAddress + At<std::uint32_t>(bytes, s + 20);
        }
        return bytes.size();
    };
    if (exportRva == 0) return names;
    const std::size_t directory = fileOffset(exportRva);
    const auto count = At<std::uint32_t>(bytes, directory + 24);
    const std::size_t nameTable = fileOffset(At<std::uint32_t>(bytes, directory + 32));
    for (std::uint32_t i = 0; i < count; ++i)
        names.push_back(StringAt(bytes, fileOffset(At<std::uint32_t>(bytes, nameTable + 4 * std::size_t(i)))));
    return names;
}

TEST(ExportsTest, TheModuleExportsPluginMainAndOnWindowsTheDialogProcedure) {
    const std::vector<std::uint8_t> bytes = ReadFile(LORVEX_MODULE_PATH);
    ASSERT_GT(bytes.size(), 64u) << LORVEX_MODULE_PATH;
    std::vector<std::string> names;
    if (bytes[0] == 'M' && bytes[1] == 'Z') {
        std::uint16_t machine = 0;
        names = PeExports(bytes, &machine);
        EXPECT_EQ(machine, sizeof(void*) == 8 ? 0x8664 : 0x14C) << "the module is built for this process";
    } else {
        ASSERT_EQ(std::memcmp(bytes.data(), "\x7f" "ELF", 4), 0);
        names = ElfExports(bytes);
    }
#if defined(_WIN32)
    EXPECT_EQ(names, (std::vector<std::string>{"DissolveProc", "PluginMain"}));  // plain names, sorted
#else
    EXPECT_EQ(names, std::vector<std::string>{"PluginMain"});
#endif
}

}  // namespace
