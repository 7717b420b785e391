// "Load" and "Save" of the real module's main dialog, through the stand-in host: the open dialog
// with its thumbnail, the main dialog's controls and preview after a load, Cancel after browsing,
// and the bytes "Save" writes. Screenshots of the open dialog when RIMELACE_DIALOG_SHOTS names a
// folder (docs/preset-open-dialog.png is one).
#include "params/param_table.h"  // before the host's names (-Wshadow)
#include "params/preset_file.h"

#include "dialog_session.h"
#include "file_dialog_driver.h"

#include "ui/dialog/dialog_ids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kOpenTitle = "Open filter params";
const char* const kSaveTitle = "Save filter params";

std::string FileBytes(const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, n);
        std::fclose(file);
    }
    return bytes;
}

// The shipped presets lie beside the module, as beside the test program.
std::string Shipped(const std::string& name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + "RimelaceSaves\\" + name;
}

RimelaceParams PresetValues(const std::string& path) {
    RimelaceParams params{};
    ResetParams(params);
    const std::string bytes = FileBytes(path);
    MemoryPresetInput in(bytes);
    EXPECT_TRUE(CheckPresetHeader(in)) << path;
    ReadPreset(params, in);
    return params;
}

std::string EffectFields(const RimelaceParams& params) {
    StringPresetOutput out;
    WritePreset(params, out);
    return out.Bytes();
}

int Selection(const DialogView& dialog, int id) { return int(SendMessageA(dialog.Item(id), CB_GETCURSEL, 0, 0)); }

void Keep(HWND window, const char* name) {
    if (const char* folder = std::getenv("RIMELACE_DIALOG_SHOTS"))
        SaveBmp(CaptureWindow(window, true), std::string(folder) + "/" + name + ".bmp");
}

class MainDialogPresetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.Loaded()) << session.LoadError();
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "rimelace_main_presets_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    void TearDown() override {
        DeleteFileA((folder + "\\again.ipt").c_str());
        RemoveDirectoryA(folder.c_str());
    }
    standin::RunResult Run(standin::Image& image, const std::function<void(DialogView&)>& script) {
        bool ran = false;
        standin::RunResult result = session.Run(image, script, &ran);
        EXPECT_TRUE(ran) << "the dialog did not appear; result " << result.code << " " << result.error;
        return result;
    }

    DialogSession session;
    standin::Image photo = Photograph();
    std::string folder;
};

TEST_F(MainDialogPresetsTest, LoadShowsThePresetInTheControlsAndPreviewAndSaveWritesItBack) {
    const RimelaceParams feather = PresetValues(Shipped("Frost Feather.ipt"));
    bool opened = false, thumbnail = false;
    int effectBefore = -1, effectAfter = -1, renderAfter = -1, changed = 0;
    float widthShown = 0;
    standin::Image image = photo;
    const standin::RunResult result = Run(image, [&](DialogView& dialog) {
        const Capture before = dialog.PreviewShot();
        effectBefore = Selection(dialog, IDC_EFFECT_KIND);
        WhenWindowAppears(kOpenTitle, [&](HWND box) {
            opened = true;
            ASSERT_TRUE(ClickFile(box, "Frost Feather.ipt"));
            thumbnail = !IsPlaceholder(ThumbnailShown(box));
            Keep(box, "preset-open-dialog");
            ClickOpen(box);
        });
        dialog.ClickItem(dialog.Item(IDC_LOAD));
        dialog.Pump();
        effectAfter = Selection(dialog, IDC_EFFECT_KIND);
        renderAfter = Selection(dialog, IDC_RENDER_MODE);
        if (SpinEdit* width = dialog.Spin(0, FindParamByField("Width")->controlId)) widthShown = width->value;
        changed = DifferingPixels(before, dialog.PreviewShot());

        WhenWindowAppears(kSaveTitle, [&](HWND box) { EnterFileName(box, folder + "\\again"); });
        dialog.ClickItem(dialog.Item(IDC_SAVE));
        dialog.ClickItem(dialog.Item(IDOK));
    });
    EXPECT_EQ(result.code, 0) << result.error;
    EXPECT_TRUE(opened);
    EXPECT_TRUE(thumbnail);
    EXPECT_NE(effectAfter, effectBefore);
    EXPECT_EQ(effectAfter, EffectIndex(feather.EffectKind, feather.PatternKind));
    EXPECT_EQ(renderAfter, feather.RenderMode - 1);
    EXPECT_EQ(widthShown, feather.Width);
    EXPECT_GT(changed, 1000) << "the preview did not change";
    EXPECT_EQ(EffectFields(session.Record()), EffectFields(feather));
    EXPECT_EQ(FileBytes(folder + "\\again.ipt"), FileBytes(Shipped("Frost Feather.ipt")));
}

TEST_F(MainDialogPresetsTest, BrowsingPresetsThenCancelLeavesTheRecordAndPreviewAsTheyWere) {
    std::vector<std::uint8_t> before, after;
    int previewChanged = -1, thumbnails = 0;
    standin::Image image = photo;
    Run(image, [&](DialogView& dialog) {
        const Capture shot = dialog.PreviewShot();
        before = session.RecordBytes();
        WhenWindowAppears(kOpenTitle, [&](HWND box) {
            for (const char* name : {"Golden Filigree.ipt", "Tinsel Frame.ipt", "Icicle Fringe.ipt"})
                if (ClickFile(box, name) && !IsPlaceholder(ThumbnailShown(box))) ++thumbnails;
            ClickCancel(box);
        });
        dialog.ClickItem(dialog.Item(IDC_LOAD));
        dialog.Pump();
        after = session.RecordBytes();
        previewChanged = DifferingPixels(shot, dialog.PreviewShot());
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
    EXPECT_EQ(thumbnails, 3);
    ASSERT_FALSE(before.empty());
    EXPECT_TRUE(before == after) << "the record changed";
    EXPECT_EQ(previewChanged, 0);
}

}  // namespace
