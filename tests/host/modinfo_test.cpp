// The module reader against this very test program (ELF here, PE in the Windows builds), whole,
// cut short and damaged: it must never read outside the bytes it was given.
#include "host/modinfo/module_file.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> OwnFile() {
    std::ifstream in(platform::ModulePath(), std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ModuleFileTest, ReadsThisProgramsFormatAndWidth) {
    modinfo::ModuleFile module;
    std::string error;
    ASSERT_TRUE(modinfo::ReadModuleFile(platform::ModulePath(), &module, &error)) << error;
#ifdef _WIN32
    EXPECT_EQ(module.format, "PE");
#else
    EXPECT_EQ(module.format, "ELF");
#endif
    EXPECT_EQ(module.bits, static_cast<int>(sizeof(void*) * 8));
    EXPECT_FALSE(module.machine.empty());
}

TEST(ModuleFileTest, CutOrDamagedFilesAreReadSafely) {
    const std::vector<std::uint8_t> whole = OwnFile();
    ASSERT_GT(whole.size(), 4096u);
    std::string error;
    // Cut short at many lengths, densely where the headers are.
    for (std::size_t length = 0; length < whole.size(); length += length < 1024 ? 7 : whole.size() / 64) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + length);
        modinfo::ModuleFile module;
        bool ok = modinfo::ReadModule(cut, &module, &error);
        if (length < 2) {
            EXPECT_FALSE(ok);
        }
        for (const modinfo::ModuleResource& r : module.resources) EXPECT_LE(r.bytes.size(), length);
    }
    // Damaged headers: bytes of the first kilobyte and of the section tables overwritten.
    std::uint32_t state = 12345;
    std::vector<std::uint8_t> damaged = whole;
    for (int round = 0; round < 300; ++round) {
        std::size_t changed[8];
        for (std::size_t& at : changed) {
            state = state * 214013u + 2531011u;
            at = (state >> 8) % (round % 2 ? damaged.size() : 1024);
            state = state * 214013u + 2531011u;
            damaged[at] = static_cast<std::uint8_t>(state >> 16);
        }
        modinfo::ModuleFile module;
        modinfo::ReadModule(damaged, &module, &error);
        for (const modinfo::ModuleResource& r : module.resources) EXPECT_LE(r.bytes.size(), damaged.size());
        for (std::size_t at : changed) damaged[at] = whole[at];
    }
}

TEST(ModuleFileTest, ForeignBytesAreRefusedWithAReason) {
    modinfo::ModuleFile module;
    std::string error;
    EXPECT_FALSE(modinfo::ReadModule({}, &module, &error));
    EXPECT_FALSE(error.empty());
    std::vector<std::uint8_t> mz(256, 0xFF);
    mz[0] = 'M';
    mz[1] = 'Z';
    EXPECT_FALSE(modinfo::ReadModule(mz, &module, &error));
    EXPECT_NE(error.find("PE"), std::string::npos) << error;
    std::vector<std::uint8_t> elf = {0x7F, 'E', 'L', 'F', 3, 1};
    EXPECT_FALSE(modinfo::ReadModule(elf, &module, &error));
    EXPECT_FALSE(modinfo::ReadModuleFile("no/such/module.so", &module, &error));
    EXPECT_NE(error.find("no/such/module.so"), std::string::npos) << error;
}

}  // namespace
