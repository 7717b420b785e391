#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

TEST(PagesTest, AllocatedPagesAreZeroFilledAndWritable) {
    for (std::size_t bytes : {std::size_t{1}, std::size_t{4095}, std::size_t{4096}, std::size_t{1} << 20}) {
        auto* block = static_cast<std::uint8_t*>(platform::AllocPages(bytes));
        ASSERT_NE(block, nullptr) << bytes;
        for (std::size_t i = 0; i < bytes; i += 511) EXPECT_EQ(block[i], 0) << i;
        EXPECT_EQ(block[bytes - 1], 0);
        std::memset(block, 0xAB, bytes);
        platform::FreePages(block);
    }
}

TEST(PagesTest, ZeroSizeAndNullAreHarmless) {
    EXPECT_EQ(platform::AllocPages(0), nullptr);
    platform::FreePages(nullptr);
}

TEST(GlobalMemoryTest, ResizeKeepsContentsAndZeroesTheGrowth) {
    platform::GlobalBlock block = platform::GlobalNew(8);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(platform::GlobalSize(block), 8u);
    auto* data = static_cast<std::uint8_t*>(platform::GlobalLockBlock(block));
    ASSERT_NE(data, nullptr);
    std::memset(data, 7, 8);
    platform::GlobalUnlockBlock(block);

    block = platform::GlobalResize(block, 64);
    ASSERT_NE(block, nullptr);
    EXPECT_GE(platform::GlobalSize(block), 64u);
    data = static_cast<std::uint8_t*>(platform::GlobalLockBlock(block));
    EXPECT_EQ(data[7], 7);
    EXPECT_EQ(data[8], 0);
    EXPECT_EQ(data[63], 0);
    platform::GlobalUnlockBlock(block);
    platform::GlobalFree(block);
    EXPECT_EQ(platform::GlobalSize(nullptr), 0u);
}

TEST(ModuleTest, ModulePathNamesAnExistingFile) {
    const char* path = platform::ModulePath();
    ASSERT_NE(path, nullptr);
    EXPECT_GT(std::strlen(path), 0u);
}

TEST(MessageTest, InstalledHandlerReceivesTheMessage) {
    static std::string seen;
    platform::SetMessageHandler([](const char* text, const char* caption) { seen = std::string(caption) + "|" + text; });
    platform::MessageBoxOk(nullptr, "dont support this image mode", "Sory");
    platform::SetMessageHandler(nullptr);
    EXPECT_EQ(seen, "Sory|dont support this image mode");
}

}  // namespace
