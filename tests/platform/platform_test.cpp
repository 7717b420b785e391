#include "platform/platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

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

#ifdef _WIN32
// Whether a message box shows an icon: a visible static control of the icon kind holding one.
BOOL CALLBACK FindShownIcon(HWND child, LPARAM found) {
    char name[16] = {};
    GetClassNameA(child, name, sizeof name);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
        SendMessageA(child, STM_GETICON, 0, 0) != 0)
        *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

// The real box (under Wine, on the test display): another thread finds it by its caption, looks
// for the icon and presses OK.
TEST(MessageTest, AWarningShowsTheWarningIcon) {
    for (platform::MessageIcon icon : {platform::MessageIcon::Warning, platform::MessageIcon::None}) {
        std::atomic<int> seen{-1};  // -1: no box found, else whether it showed an icon
        std::thread closer([&seen] {
            for (int tries = 0; tries < 1200; ++tries) {  // up to two minutes under an emulator
                // The box is looked at once it shows (its controls are set up before that).
                HWND box = FindWindowA("#32770", "Rimelace icon test");
                if (box && IsWindowVisible(box)) {
                    Sleep(200);
                    bool found = false;
                    EnumChildWindows(box, FindShownIcon, reinterpret_cast<LPARAM>(&found));
                    seen = found ? 1 : 0;
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    return;
                }
                Sleep(100);
            }
        });
        platform::MessageBoxOk(nullptr, "dont support this image mode", "Rimelace icon test", icon);
        closer.join();
        EXPECT_EQ(seen, icon == platform::MessageIcon::Warning ? 1 : 0);
    }
}
#else
TEST(MessageTest, AWarningSaysSoWhereThereAreNoWindows) {
    testing::internal::CaptureStderr();
    platform::MessageBoxOk(nullptr, "dont support this image mode", "Sory", platform::MessageIcon::Warning);
    platform::MessageBoxOk(nullptr, "plain", "Note");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "warning: Sory: dont support this image mode\nNote: plain\n");
}
#endif

}  // namespace
