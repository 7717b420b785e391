// Bad input for the preset dialogs: no preset folder, a folder that cannot be written, a file that
// vanishes after it was chosen, an empty file, files of 10 MB, a name of 1,000 characters. None
// crashes, none shows a message of ours, and nothing changes that the user did not confirm.
#include "preset_dialog_driver.h"

#include "platform/platform.h"
#include "ui/dialog/preset_dialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

namespace {

const char* const kOpenTitle = "Open filter params";
const char* const kSaveTitle = "Save filter params";

class PresetBadInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.Params().Width = 42;
        before = host.Params();
    }
    void TearDown() override { StopWatchingOwnedWindows(); }
    bool Unchanged() { return std::memcmp(&before, &host.Params(), sizeof before) == 0; }

    TestHost host;
    ScratchFolder scratch;
    RimelaceParams before{};
};

// In a copy of this program beside which there is no "RimelaceSaves", the dialogs open all the
// same (in the current folder), and saving and loading work through typed paths.
TEST_F(PresetBadInputTest, WithoutAPresetFolderTheDialogsStillOpenSaveAndLoad) {
    if (GetFileAttributesA(PresetFolder().c_str()) != INVALID_FILE_ATTRIBUTES) {
        const std::string copy = scratch.File("preset_dialogs_test.exe");
        ASSERT_TRUE(CopyFileA(platform::ModulePath(), copy.c_str(), FALSE));
        char trivane[MAX_PATH] = {};
        GetModuleFileNameA(GetModuleHandleA("Trivane.dll"), trivane, sizeof trivane);
        ASSERT_TRUE(CopyFileA(trivane, scratch.File("Trivane.dll").c_str(), FALSE)) << trivane;
        std::string command = "\"" + copy + "\" --gtest_filter=" +
                              ::testing::UnitTest::GetInstance()->current_test_suite()->name() + "." +
                              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   scratch.path.c_str(), &startup, &process));
        WaitForSingleObject(process.hProcess, 120000);
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_EQ(code, 0u) << "the copy without a preset folder failed";
        return;
    }
    // The copy: no folder beside it.
    std::string shownFolder;
    WhenWindowAppears(kSaveTitle, [&](HWND box) { EnterFileName(box, scratch.File("made")); });
    EXPECT_TRUE(SavePresetDialog(nullptr, host.globals));
    EXPECT_EQ(ReadFileBytes(scratch.File("made.ipt")), PresetBytes(host.Params()));
    host.Params().Width = 7;
    WhenWindowAppears(kOpenTitle, [&](HWND box) { EnterFileName(box, scratch.File("made.ipt")); });
    EXPECT_TRUE(LoadPresetDialog(nullptr, host.globals));
    EXPECT_EQ(host.Params().Width, 42.0f);
    EXPECT_EQ(GetFileAttributesA(PresetFolder().c_str()), INVALID_FILE_ATTRIBUTES);  // not created
}

// A folder that cannot be written (made so by readonly_folder.sh, which runs this test alone), with
// a preset in it: saving there writes nothing, leaves no temporary file, keeps the preset whole.
TEST_F(PresetBadInputTest, AFolderThatCannotBeWrittenGetsNothingAndKeepsItsPreset) {
    const char* folder = std::getenv("RIMELACE_READONLY_FOLDER");
    if (!folder) GTEST_SKIP() << "runs through tests/ui/dialog/readonly_folder.sh";
    const std::string keep = std::string(folder) + "\\keep.ipt";
    const std::string old = ReadFileBytes(keep);
    ASSERT_FALSE(old.empty());
    for (const char* name : {"keep", "new"}) {
        WhenWindowAppears(kSaveTitle, [&](HWND box) {
            WhenOwnedWindowAppears(box, [](HWND message) { PostMessageA(message, WM_COMMAND, IDOK, 0); });
            EnterFileName(box, std::string(folder) + "\\" + name);
            if (IsWindow(box)) ClickCancel(box);
        });
        EXPECT_FALSE(SavePresetDialog(nullptr, host.globals)) << name;
        // The writer itself, whether or not the system's dialog let the name through.
        EXPECT_FALSE(WritePresetFile(std::string(folder) + "\\" + name + ".ipt", host.Params())) << name;
    }
    EXPECT_EQ(ReadFileBytes(keep), old);
    for (const char* left : {"\\keep.ipt.saving", "\\new.ipt", "\\new.ipt.saving"})
        EXPECT_EQ(GetFileAttributesA((std::string(folder) + left).c_str()), INVALID_FILE_ATTRIBUTES) << left;
    EXPECT_TRUE(Unchanged());
}

TEST_F(PresetBadInputTest, AFileThatVanishesAfterItWasChosenChangesNothing) {
    RimelaceParams other = host.Params();
    other.Width = 5;
    ASSERT_TRUE(WriteFileBytes(scratch.File("gone.ipt"), PresetBytes(other)));
    bool thumbnail = false;
    WhenWindowAppears(kOpenTitle, [&](HWND box) {
        EnterFileName(box, scratch.path);
        ASSERT_TRUE(ClickFile(box, "gone.ipt"));
        thumbnail = !IsPlaceholder(ThumbnailShown(box));
        DeleteFileA(scratch.File("gone.ipt").c_str());
        // The system's dialog says the file is not there; a person presses OK, then Cancel.
        WhenOwnedWindowAppears(box, [](HWND message) { PostMessageA(message, WM_COMMAND, IDOK, 0); });
        ClickOpen(box);
        if (IsWindow(box)) ClickCancel(box);
    });
    EXPECT_FALSE(LoadPresetDialog(nullptr, host.globals));
    EXPECT_TRUE(thumbnail);
    EXPECT_TRUE(Unchanged());
    // Gone between the dialog and the reading: the reader finds nothing and changes nothing.
    EXPECT_FALSE(ReadPresetFile(scratch.File("gone.ipt"), host.Params()));
    EXPECT_TRUE(Unchanged());
}

TEST_F(PresetBadInputTest, EmptyAndTenMegabyteFilesAreReadOrRefusedWhole) {
    RimelaceParams big = host.Params();
    big.Width = 140;
    std::string bigBytes = PresetBytes(big);
    const std::string comment = ";" + std::string(98, '*') + "\n";
    while (bigBytes.size() < 10u << 20) bigBytes += comment;
    bigBytes += "htdW 99.500000 \n";  // the last line wins
    ASSERT_TRUE(WriteFileBytes(scratch.File("big.ipt"), bigBytes));
    std::string noise(10u << 20, '\0');
    std::mt19937 random(3);
    for (char& c : noise) c = char(random());
    ASSERT_TRUE(WriteFileBytes(scratch.File("noise.ipt"), noise));
    ASSERT_TRUE(WriteFileBytes(scratch.File("empty.ipt"), ""));

    bool emptyPlaceholder = false, noisePlaceholder = false, bigThumbnail = false;
    auto choose = [&](const char* name, bool* placeholder) {
        WhenWindowAppears(kOpenTitle, [&, name, placeholder](HWND box) {
            EnterFileName(box, scratch.path);
            ASSERT_TRUE(ClickFile(box, name));
            *placeholder = IsPlaceholder(ThumbnailShown(box));
            ClickOpen(box);
        });
        return LoadPresetDialog(nullptr, host.globals);
    };
    EXPECT_FALSE(choose("empty.ipt", &emptyPlaceholder));
    EXPECT_TRUE(Unchanged());
    EXPECT_FALSE(choose("noise.ipt", &noisePlaceholder));
    EXPECT_TRUE(Unchanged());
    const DWORD start = GetTickCount();
    bool bigPlaceholder = true;
    EXPECT_TRUE(choose("big.ipt", &bigPlaceholder));
    bigThumbnail = !bigPlaceholder;
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_TRUE(emptyPlaceholder);
    EXPECT_TRUE(noisePlaceholder);
    EXPECT_TRUE(bigThumbnail);
    EXPECT_EQ(host.Params().Width, 99.5f);
}

TEST_F(PresetBadInputTest, ANameOfAThousandCharactersWritesAndReadsNothing) {
    const std::string name(1000, 'n');
    // Typed whole, and typed bare in the folder so that only the joined path is too long.
    const std::string bare(MAX_PATH - scratch.path.size() + 8, 'b');
    for (const std::string& typed : {scratch.File(name), bare}) {
        WhenWindowAppears(kSaveTitle, [&](HWND box) {
            WhenOwnedWindowAppears(box, [](HWND message) { PostMessageA(message, WM_COMMAND, IDOK, 0); });
            EnterFileName(box, scratch.path);
            EnterFileName(box, typed);
            if (IsWindow(box)) ClickCancel(box);
        });
        EXPECT_FALSE(SavePresetDialog(nullptr, host.globals)) << typed.size();
        EXPECT_TRUE(scratch.Names().empty());
    }
    WhenWindowAppears(kOpenTitle, [&](HWND box) {
        WhenOwnedWindowAppears(box, [](HWND message) { PostMessageA(message, WM_COMMAND, IDOK, 0); });
        EnterFileName(box, scratch.File(name));
        if (IsWindow(box)) ClickCancel(box);
    });
    EXPECT_FALSE(LoadPresetDialog(nullptr, host.globals));
    EXPECT_TRUE(Unchanged());
    // The reader and writer themselves, with a path far beyond what the system takes.
    EXPECT_FALSE(WritePresetFile(scratch.File(name) + ".ipt", host.Params()));
    EXPECT_FALSE(ReadPresetFile(scratch.File(name) + ".ipt", host.Params()));
    EXPECT_TRUE(scratch.Names().empty());
    EXPECT_TRUE(Unchanged());
}

}  // namespace
