// The preset dialogs driven as a person drives them, through the system's real file dialogs:
// names typed into "File name", files clicked in the list, "Show Preview", Open and Cancel.
#include "preset_dialog_driver.h"

#include "generate/render_state.h"
#include "platform/platform.h"
#include "ui/dialog/preset_dialogs.h"
#include "ui/dialog/preview.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstring>

namespace {

const char* const kOpenTitle = "Open filter params";
const char* const kSaveTitle = "Save filter params";

// The values of tests/ui/dialog/data/saved.ipt, which `rimelace preset write saved.ipt
// --set Width=80 --set RenderMode=3 --set Diffuse=0x3CB4E6 --set CenterX=-125.5 --set EffectKind=3
// --set PatternKind=2` wrote (tests/host checks that it still writes exactly these bytes).
void SetSavedValues(RimelaceParams& p) {
    p.Width = 80;
    p.RenderMode = 3;
    p.Diffuse = 0x3CB4E6;
    p.CenterX = -125.5f;
    p.EffectKind = 3;
    p.PatternKind = 2;
}

std::string Shipped(const std::string& name) { return PresetFolder() + "\\" + name; }

class PresetDialogsTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(PresetPreviewShown()) << "a test left \"Show Preview\" off"; }
    TestHost host;
    ScratchFolder scratch;
};

// ---- Save ---------------------------------------------------------------------------------------
TEST_F(PresetDialogsTest, SaveCompletesTheNameAsTypedAndWritesTheCommandLinesBytes) {
    SetSavedValues(host.Params());
    const std::string expected = ReadFileBytes(RIMELACE_DIALOG_TEST_DATA "/saved.ipt");
    ASSERT_FALSE(expected.empty());
    struct Case {
        const char* typed;
        const char* written;
    };
    for (const Case& c : {Case{"frost", "frost.ipt"}, Case{"notes.txt", "notes.txt"}, Case{"look.ab", "look.ab.ipt"}}) {
        WhenWindowAppears(kSaveTitle, [&](HWND box) { EnterFileName(box, scratch.File(c.typed)); });
        EXPECT_TRUE(SavePresetDialog(nullptr, host.globals)) << c.typed;
        EXPECT_TRUE(Fired());
        EXPECT_EQ(ReadFileBytes(scratch.File(c.written)), expected) << c.typed;
    }
    EXPECT_EQ(scratch.Names(), (std::vector<std::string>{"frost.ipt", "look.ab.ipt", "notes.txt"}));
}

TEST_F(PresetDialogsTest, SaveReplacesAFileWithoutAskingAndCancelWritesNothing) {
    ASSERT_TRUE(WriteFileBytes(scratch.File("old.ipt"), "an older look\n"));
    host.Params().Width = 12.5f;
    WhenWindowAppears(kSaveTitle, [&](HWND box) { EnterFileName(box, scratch.File("old")); });
    EXPECT_TRUE(SavePresetDialog(nullptr, host.globals));
    EXPECT_EQ(ReadFileBytes(scratch.File("old.ipt")), PresetBytes(host.Params()));

    WhenWindowAppears(kSaveTitle, [&](HWND box) {
        SetFocus(FileNameField(box));
        TypeText(box, "never");
        ClickCancel(box);
    });
    EXPECT_FALSE(SavePresetDialog(nullptr, host.globals));
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"old.ipt"});
}

// ---- Load ---------------------------------------------------------------------------------------
TEST_F(PresetDialogsTest, ClickingAPresetShowsItsThumbnailAndOpenLoadsIt) {
    std::vector<std::uint32_t> shown, expected;
    bool checked = false;
    WhenWindowAppears(kOpenTitle, [&](HWND box) {
        checked = ShowPreviewChecked(box);
        ASSERT_TRUE(ClickFile(box, "Frost Feather.ipt"));
        const Capture capture = ThumbnailShown(box);
        shown = capture.pixels;
        expected = ExpectedThumbnail(Shipped("Frost Feather.ipt"), capture.width, capture.height);
        ClickOpen(box);
    });
    const RimelaceParams before = host.Params();
    EXPECT_TRUE(LoadPresetDialog(nullptr, host.globals));
    EXPECT_TRUE(Fired());
    EXPECT_TRUE(checked);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown, expected);
    EXPECT_NE(EffectFields(host.Params()), EffectFields(before));
    EXPECT_EQ(PresetBytes(host.Params()), ReadFileBytes(Shipped("Frost Feather.ipt")));
    EXPECT_EQ(host.Params().SceneDirty, 1);
}

TEST_F(PresetDialogsTest, BrowsingThreePresetsThenCancelLeavesEveryByteAsItWas) {
    PreviewZoom = 4.0f;
    PreviewFit = 4.0f;
    host.Params().Width = 42;
    host.Params().SceneDirty = 0;
    const RimelaceParams before = host.Params();
    std::vector<std::vector<std::uint32_t>> thumbnails;
    WhenWindowAppears(kOpenTitle, [&](HWND box) {
        for (const char* name : {"Golden Filigree.ipt", "Frosted Pane.ipt", "Prism Plume.ipt"}) {
            EXPECT_TRUE(ClickFile(box, name)) << name;
            thumbnails.push_back(ThumbnailShown(box).pixels);
            EXPECT_EQ(PreviewZoom, 1.0f);
        }
        ClickCancel(box);
    });
    EXPECT_FALSE(LoadPresetDialog(nullptr, host.globals));
    ASSERT_EQ(thumbnails.size(), 3u);
    EXPECT_NE(thumbnails[0], thumbnails[1]);
    EXPECT_NE(thumbnails[1], thumbnails[2]);
    EXPECT_EQ(std::memcmp(&before, &host.Params(), sizeof before), 0);
    EXPECT_EQ(PreviewZoom, 4.0f);
    EXPECT_EQ(PreviewFit, 4.0f);
    PreviewZoom = 1.0f;
    PreviewFit = 0.0f;
}

TEST_F(PresetDialogsTest, AFileThatIsNotAPresetShowsThePlaceholderAndOpenChangesNothing) {
    RimelaceParams good = host.Params();
    good.Width = 140;
    good.MaskKind = 6;
    ASSERT_TRUE(WriteFileBytes(scratch.File("good.ipt"), PresetBytes(good)));
    ASSERT_TRUE(WriteFileBytes(scratch.File("bad.ipt"), "Sol Rimelace2\n" + EffectFields(good)));
    const RimelaceParams before = host.Params();
    bool thumbnail = false, placeholder = false;
    WhenWindowAppears(kOpenTitle, [&](HWND box) {
        EnterFileName(box, scratch.path);  // into the folder
        ASSERT_TRUE(ClickFile(box, "good.ipt"));
        thumbnail = !IsPlaceholder(ThumbnailShown(box));
        ASSERT_TRUE(ClickFile(box, "bad.ipt"));
        placeholder = IsPlaceholder(ThumbnailShown(box));
        ClickOpen(box);
    });
    EXPECT_FALSE(LoadPresetDialog(nullptr, host.globals));
    EXPECT_TRUE(thumbnail);
    EXPECT_TRUE(placeholder);
    EXPECT_EQ(std::memcmp(&before, &host.Params(), sizeof before), 0);
}

TEST_F(PresetDialogsTest, ShowPreviewClearedStaysClearedAtTheNextOpening) {
    bool placeholder = false, wasChecked = false, stillCleared = false, placeholderAgain = false, thumbnail = false;
    WhenWindowAppears(kOpenTitle, [&](HWND box) {
        wasChecked = ShowPreviewChecked(box);
        ClickShowPreview(box);
        ASSERT_TRUE(ClickFile(box, "Hoarfrost Frame.ipt"));
        placeholder = IsPlaceholder(ThumbnailShown(box));
        ClickCancel(box);
    });
    EXPECT_FALSE(LoadPresetDialog(nullptr, host.globals));
    EXPECT_FALSE(PresetPreviewShown());
    WhenWindowAppears(kOpenTitle, [&](HWND box) {
        stillCleared = !ShowPreviewChecked(box);
        ASSERT_TRUE(ClickFile(box, "Icicle Fringe.ipt"));
        placeholderAgain = IsPlaceholder(ThumbnailShown(box));
        ClickShowPreview(box);  // on again: the selected file shows at once
        thumbnail = !IsPlaceholder(ThumbnailShown(box));
        ClickCancel(box);
    });
    EXPECT_FALSE(LoadPresetDialog(nullptr, host.globals));
    EXPECT_TRUE(wasChecked);
    EXPECT_TRUE(placeholder);
    EXPECT_TRUE(stillCleared);
    EXPECT_TRUE(placeholderAgain);
    EXPECT_TRUE(thumbnail);
}

TEST_F(PresetDialogsTest, TheHostsCurrentFolderIsTheSameAfterEitherDialog) {
    char before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof before, before);
    WhenWindowAppears(kSaveTitle, [&](HWND box) { EnterFileName(box, scratch.File("here")); });
    EXPECT_TRUE(SavePresetDialog(nullptr, host.globals));
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(after, before);
    WhenWindowAppears(kOpenTitle, [&](HWND box) {
        EnterFileName(box, scratch.path);
        ClickFile(box, "here.ipt");
        ClickOpen(box);
    });
    EXPECT_TRUE(LoadPresetDialog(nullptr, host.globals));
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(after, before);
}

// ---- The file type ------------------------------------------------------------------------------
std::string DefaultValue(const std::string& key) {
    char value[2048] = {};
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return "(none)";
    return value;
}

// registry_readback.sh runs this alone and reads the keys back with the system's own reg tool.
TEST(PresetFileType, RegistersTheExtensionAndTheModulesIconEveryTime) {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kPresetTypeName) + "\\DefaultIcon").c_str());
    RegisterPresetFileType(kPresetExtension, kPresetTypeName);
    EXPECT_EQ(DefaultValue(".ipt"), "BrightmoorRimelacePSD_Saves");
    EXPECT_EQ(DefaultValue("BrightmoorRimelacePSD_Saves\\DefaultIcon"), std::string(platform::ModulePath()) + ",0");
    // The icon it names is the module's first: a frost crystal.
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), platform::ModulePath(), 0);
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
}

}  // namespace
