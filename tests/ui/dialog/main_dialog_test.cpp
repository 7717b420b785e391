// The main dialog of the real module, opened through the stand-in host on a photograph and driven
// with posted mouse and keyboard input: pages, fields with Enter and Escape, the effect list and
// the enabling, material against geometry changes, Reset, Auto update, OK and Cancel, the tooltips.
#include "params/param_table.h"  // before the host's names (-Wshadow)

#include "dialog_session.h"

#include "plugin/host_interface.h"
#include "ui/dialog/dialog_ids.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.Loaded()) << session.LoadError(); }

    // Runs the dialog over `image`; fails the test when the script never ran.
    standin::RunResult Run(standin::Image& image, const std::function<void(DialogView&)>& script) {
        bool ran = false;
        standin::RunResult result = session.Run(image, script, &ran);
        EXPECT_TRUE(ran) << "the dialog did not appear; result " << result.code << " " << result.error;
        return result;
    }
    // Saves a capture when RIMELACE_DIALOG_SHOTS names a folder (for looking at the dialog).
    static void Keep(HWND window, const char* name) {
        if (const char* folder = std::getenv("RIMELACE_DIALOG_SHOTS"))
            SaveBmp(CaptureWindow(window), std::string(folder) + "/" + name + ".bmp");
    }
    // The first points of the cached scene, read where the module keeps them.
    std::vector<std::uint8_t> ScenePoints() const {
        const RimelaceParams params = session.Record();
        if (!params.ScenePoints || params.ScenePointCount <= 0) return {};
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(params.ScenePoints);
        return std::vector<std::uint8_t>(bytes, bytes + 64);
    }

    DialogSession session;
    standin::Image photo = Photograph();
};

TEST_F(MainDialogTest, OpensOnAPhotographWithPreviewPagesAndCaptionsFromTheTable) {
    standin::Image image = photo;
    const standin::RunResult result = Run(image, [&](DialogView& dialog) {
        EXPECT_EQ(WindowText(dialog.window), "Rimelace");
        ASSERT_NE(dialog.Preview(), nullptr);
        EXPECT_GT(PictureShare(dialog.PreviewShot()), 0.3);
        ASSERT_NE(dialog.Page(0), nullptr);
        EXPECT_TRUE(IsWindowVisible(dialog.Page(0)));
        EXPECT_EQ(dialog.Page(1), nullptr);  // made on first display
        for (const ParamEntry& entry : ParamTable()) {
            if (entry.page != DialogPage::Geometry || entry.rangeKind != RangeKind::Span) continue;
            EXPECT_EQ(WindowText(dialog.PageItem(0, entry.controlId + IDC_LABEL_OFFSET)), entry.label);
            SpinEdit* spin = dialog.Spin(0, entry.controlId);
            ASSERT_NE(spin, nullptr) << entry.field;
            EXPECT_EQ(spin->minimum, float(entry.rangeMin)) << entry.field;
            EXPECT_EQ(spin->maximum, float(entry.rangeMax)) << entry.field;
            EXPECT_STREQ(spin->name, entry.valueName);
            EXPECT_EQ(spin->integerMode, entry.ref.type != FieldType::F32) << entry.field;
            EXPECT_EQ(spin->value, float(entry.defaultValue)) << entry.field;
        }
        EXPECT_EQ(WindowText(dialog.Item(IDC_AUTO_UPDATE)), "Auto update");
        EXPECT_EQ(SendMessageA(dialog.Item(IDC_EFFECT_KIND), CB_GETCURSEL, 0, 0), 5);  // "Floral 3"
        EXPECT_EQ(SendMessageA(dialog.Item(IDC_RENDER_MODE), CB_GETCURSEL, 0, 0), 4);  // "Phong"
        Keep(dialog.window, "geometry");

        dialog.ShowPage(1);
        ASSERT_NE(dialog.Page(1), nullptr);
        EXPECT_TRUE(IsWindowVisible(dialog.Page(1)));
        EXPECT_FALSE(IsWindowVisible(dialog.Page(0)));
        EXPECT_EQ(WindowText(dialog.PageItem(1, 1056)), "Use glass");
        EXPECT_EQ(WindowText(dialog.PageItem(1, 2241 + IDC_LABEL_OFFSET)), "Optic.coefficient");
        Keep(dialog.window, "material");
        dialog.ShowPage(0);
        EXPECT_TRUE(IsWindowVisible(dialog.Page(0)));
        dialog.ClickItem(dialog.Item(IDOK));
        EXPECT_FALSE(dialog.Open());
    });
    EXPECT_EQ(result.code, noErr) << result.error;
    EXPECT_NE(image.data, photo.data);  // filtered
}

// The tooltip windows of this thread by the control each one covers, with their texts (as far as a
// tooltip gives them back: Wine's TTM_GETTEXTA stops at 79 characters).
std::string Clip(const char* text) { return std::string(text).substr(0, 79); }
BOOL CALLBACK CollectTooltip(HWND tip, LPARAM found) {
    char name[32] = {};
    GetClassNameA(tip, name, sizeof name);
    if (std::strcmp(name, TOOLTIPS_CLASSA) != 0) return TRUE;
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    if (!SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool))) return TRUE;
    char text[INFOTIPSIZE] = {};
    tool.lpszText = text;
    SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    (*reinterpret_cast<std::map<HWND, std::vector<std::string>>*>(found))[tool.hwnd].push_back(Clip(text));
    return TRUE;
}
std::map<HWND, std::vector<std::string>> Tooltips() {
    std::map<HWND, std::vector<std::string>> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectTooltip, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The tooltip each control of a page should have: a spin edit's on its field, arrows and strip.
void ExpectPageTooltips(const DialogView& dialog, int index, std::map<HWND, std::vector<std::string>>& expected) {
    const DialogPage kind = index == 0 ? DialogPage::Geometry : DialogPage::Material;
    for (const ParamEntry& entry : ParamTable()) {
        if (entry.page != kind || entry.controlId == 0 || !entry.tooltip[0]) continue;
        if (entry.rangeKind == RangeKind::Span) {
            SpinEdit* spin = dialog.Spin(index, entry.controlId);
            ASSERT_NE(spin, nullptr) << entry.field;
            for (HWND part : {spin->edit, spin->upDown, spin->strip}) expected[part] = {Clip(entry.tooltip)};
        } else if (!expected.count(dialog.PageItem(index, entry.controlId))) {  // a light's second angle
            expected[dialog.PageItem(index, entry.controlId)] = {Clip(entry.tooltip)};
        }
    }
}

TEST_F(MainDialogTest, EveryControlHasItsOneTooltipOnceTheDialogIsOnScreen) {
    standin::Image image = photo;
    Run(image, [&](DialogView& dialog) {
        // The script runs after the first preview has been painted and the dialog has been idle.
        EXPECT_GT(PictureShare(dialog.PreviewShot()), 0.3);
        std::map<HWND, std::vector<std::string>> expected = {
            {dialog.Item(IDOK), {"Apply effect"}},
            {dialog.Item(IDCANCEL), {"Don't apply effect"}},
            {dialog.Item(IDC_ZOOM_IN), {"Increase preview window"}},
            {dialog.Item(IDC_ZOOM_OUT), {"Decrease preview window"}},
            {dialog.Item(IDC_NAVIGATION),
             {Clip("Enables the navigation on source image in the preview window (Use left button of mouse)")}},
            {dialog.Item(IDC_DRAGGING), {"Enables the dragging of patterns (Use right button of mouse)"}},
            {dialog.Item(IDC_UPDATE), {"Redraw scene"}},
            {dialog.Item(IDC_SAVE), {"Save current parameters"}},
            {dialog.Item(IDC_HELP_BUTTON), {"Show product documentation"}},
            {dialog.Item(IDC_ABOUT), {"About this plug-in"}},
            {dialog.Item(IDC_WEB_LINK), {"Go to our site and get lattest version"}},
            {dialog.Item(IDC_RENDER_MODE), {"The mode of visualisation"}},
            {dialog.Item(IDC_EFFECT_KIND), {"The Rimelace effect kind"}},
            {dialog.Item(IDC_ALPHA_CUT), {"Cutting the scene by alpha-channel"}},
        };
        ExpectPageTooltips(dialog, 0, expected);
        EXPECT_EQ(Tooltips(), expected);

        // The Material page, made after that, comes with its own at once.
        dialog.ShowPage(1);
        ExpectPageTooltips(dialog, 1, expected);
        EXPECT_EQ(Tooltips(), expected);
    });
}

TEST_F(MainDialogTest, EnterInAFieldCommitsAndMovesOnWithoutClosing) {
    standin::Image image = photo;
    const standin::RunResult result = Run(image, [&](DialogView& dialog) {
        SpinEdit* width = dialog.Spin(0, 1033);
        dialog.TypeInto(width, "80");
        dialog.Press(VK_RETURN);
        EXPECT_TRUE(dialog.Open());
        EXPECT_NE(GetFocus(), width->edit);
        EXPECT_FLOAT_EQ(width->value, 80.0f);
        EXPECT_FLOAT_EQ(session.Record().Width, 80.0f);
        // Enter with the focus on a button is OK.
        SetFocus(dialog.Item(IDC_UPDATE));
        dialog.Press(VK_RETURN);
        EXPECT_FALSE(dialog.Open());
    });
    EXPECT_EQ(result.code, noErr) << result.error;
    EXPECT_FLOAT_EQ(session.Record().Width, 80.0f);
}

TEST_F(MainDialogTest, EscapeInAFieldRestoresItAndTheDialogStaysOpen) {
    standin::Image image = photo;
    const standin::RunResult result = Run(image, [&](DialogView& dialog) {
        SpinEdit* width = dialog.Spin(0, 1033);
        dialog.TypeInto(width, "99");
        EXPECT_EQ(WindowText(width->edit), "99");
        dialog.Press(VK_ESCAPE);
        EXPECT_TRUE(dialog.Open());
        EXPECT_EQ(WindowText(width->edit), "60.00");
        dialog.Press(VK_TAB);
        EXPECT_FLOAT_EQ(width->value, 60.0f);
        EXPECT_FLOAT_EQ(session.Record().Width, 60.0f);
        dialog.ClickItem(dialog.Item(IDOK));
    });
    EXPECT_EQ(result.code, noErr) << result.error;
}

TEST_F(MainDialogTest, TypedGarbageIsClampedIntoTheFieldsRange) {
    standin::Image image = photo;
    Run(image, [&](DialogView& dialog) {
        dialog.TypeInto(dialog.Spin(0, 1033), "abc");  // reads as 0: Width's minimum is 1
        dialog.Press(VK_TAB);
        dialog.TypeInto(dialog.Spin(0, 1045), "1e9");  // Scale: at most 150
        dialog.Press(VK_TAB);
        dialog.TypeInto(dialog.Spin(0, 1034), "4.9");  // Max iterations: an integer
        dialog.Press(VK_TAB);
        const RimelaceParams record = session.Record();
        EXPECT_FLOAT_EQ(record.Width, 1.0f);
        EXPECT_FLOAT_EQ(record.Scale, 150.0f);
        EXPECT_EQ(record.MaxIterations, 4);
        EXPECT_EQ(WindowText(dialog.Spin(0, 1034)->edit), "4");
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
}

TEST_F(MainDialogTest, ChoosingSingle3EnablesTheTurnsAndDisablesThePath) {
    standin::Image image = photo;
    Run(image, [&](DialogView& dialog) {
        EXPECT_FALSE(dialog.Enabled(dialog.PageItem(0, 1047)));  // "Turn add" off for "Floral 3"
        dialog.Choose(dialog.Item(IDC_EFFECT_KIND), 8);
        EXPECT_EQ(SendMessageA(dialog.Item(IDC_EFFECT_KIND), CB_GETCURSEL, 0, 0), 8);
        const RimelaceParams record = session.Record();
        EXPECT_EQ(record.EffectKind, 3);
        EXPECT_EQ(record.PatternKind, 3);
        for (int off : {1028, 1030, 1032, 1034, 1031, 1041})
            EXPECT_FALSE(dialog.Enabled(dialog.PageItem(0, off))) << off;
        EXPECT_FALSE(dialog.Enabled(dialog.PageItem(0, 1028 + IDC_LABEL_OFFSET)));
        for (int on : {1047, 1040, 1046, 9025, 1033, 1037, 1035, 1045, 1026, 1027})
            EXPECT_TRUE(dialog.Enabled(dialog.PageItem(0, on))) << on;
        dialog.Choose(dialog.Item(IDC_EFFECT_KIND), 0);  // "Geometric 1": the path is back
        EXPECT_TRUE(dialog.Enabled(dialog.PageItem(0, 1028)));
        EXPECT_FALSE(dialog.Enabled(dialog.PageItem(0, 9025)));
        EXPECT_EQ(session.Record().EffectKind, 1);
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
}

TEST_F(MainDialogTest, MaterialChangesRedrawTheCachedSceneAndGeometryChangesRegrowIt) {
    standin::Image image = photo;
    Run(image, [&](DialogView& dialog) {
        const std::vector<std::uint8_t> grown = ScenePoints();
        ASSERT_FALSE(grown.empty());
        const int triangles = session.Record().SceneTriangleCount;
        const Capture before = dialog.PreviewShot();

        dialog.ShowPage(1);
        dialog.TypeInto(dialog.Spin(1, 1138), "150");  // "Self illumination"
        dialog.Press(VK_TAB);
        EXPECT_FLOAT_EQ(session.Record().SelfIllumination, 150.0f);
        EXPECT_EQ(session.Record().SceneTriangleCount, triangles);
        EXPECT_EQ(ScenePoints(), grown);
        EXPECT_GT(DifferingPixels(before, dialog.PreviewShot()), 100);

        dialog.ShowPage(0);
        dialog.TypeInto(dialog.Spin(0, 1045), "60");  // "Scale"
        dialog.Press(VK_TAB);
        EXPECT_NE(ScenePoints(), grown);
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
}

TEST_F(MainDialogTest, AutoUpdateOffHoldsThePreviewUntilUpdate) {
    standin::Image image = photo;
    Run(image, [&](DialogView& dialog) {
        dialog.ClickItem(dialog.Item(IDC_AUTO_UPDATE));
        EXPECT_EQ(session.Record().AutoUpdate, 0);
        const Capture before = dialog.PreviewShot();
        dialog.TypeInto(dialog.Spin(0, 1031), "7");  // "Random seed"
        dialog.Press(VK_TAB);
        EXPECT_EQ(session.Record().RandomSeed, 7);
        EXPECT_EQ(DifferingPixels(before, dialog.PreviewShot()), 0);
        dialog.ClickItem(dialog.Item(IDC_UPDATE));
        EXPECT_GT(DifferingPixels(before, dialog.PreviewShot()), 100);
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
}

TEST_F(MainDialogTest, ResetPutsTheDefaultsIntoEveryField) {
    standin::Image image = photo;
    Run(image, [&](DialogView& dialog) {
        dialog.TypeInto(dialog.Spin(0, 1033), "80");
        dialog.Press(VK_TAB);
        dialog.Choose(dialog.Item(IDC_RENDER_MODE), 1);
        dialog.ShowPage(1);
        dialog.ClickItem(dialog.PageItem(1, 1056));  // "Use glass" off
        EXPECT_EQ(session.Record().UseGlass, 0);
        dialog.ClickItem(dialog.Item(IDC_RESET));
        const RimelaceParams record = session.Record();
        EXPECT_FLOAT_EQ(record.Width, 60.0f);
        EXPECT_EQ(record.RenderMode, 5);
        EXPECT_EQ(record.UseGlass, 1);
        EXPECT_FLOAT_EQ(dialog.Spin(0, 1033)->value, 60.0f);
        EXPECT_EQ(WindowText(dialog.Spin(0, 1033)->edit), "60.00");
        EXPECT_EQ(IsDlgButtonChecked(dialog.Page(1), 1056), BST_CHECKED);
        EXPECT_EQ(SendMessageA(dialog.Item(IDC_RENDER_MODE), CB_GETCURSEL, 0, 0), 4);
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
}

TEST_F(MainDialogTest, OkAppliesExactlyWhatTheDialogShows) {
    standin::Image image = photo;
    const standin::RunResult result = Run(image, [&](DialogView& dialog) {
        dialog.TypeInto(dialog.Spin(0, 1033), "80");
        dialog.Press(VK_TAB);
        dialog.Choose(dialog.Item(IDC_EFFECT_KIND), 8);
        dialog.TypeInto(dialog.Spin(0, 1040), "20");  // "N triangles 2"
        dialog.Press(VK_TAB);
        RECT client{};
        GetClientRect(dialog.Item(IDC_PREVIEW), &client);
        const PreviewContainer* preview = dialog.Preview();
        RightClick(dialog.Item(IDC_PREVIEW), preview->originX + 100, preview->originY + 80, dialog.window);
        dialog.ShowPage(1);
        dialog.TypeInto(dialog.Spin(1, 1138), "40");
        dialog.Press(VK_TAB);
        dialog.ClickItem(dialog.Item(IDOK));
    });
    ASSERT_EQ(result.code, noErr) << result.error;
    const RimelaceParams record = session.Record();
    EXPECT_FLOAT_EQ(record.Width, 80.0f);
    EXPECT_EQ(record.MaxTriangles1, 20);
    EXPECT_EQ(record.EffectKind, 3);
    EXPECT_FLOAT_EQ(record.SelfIllumination, 40.0f);
    EXPECT_NE(record.CenterX, 0.0f);
    ASSERT_TRUE(result.recorded.has_value());

    // A host replaying the recorded values without the dialog gets the very same bytes.
    DialogSession replay;
    ASSERT_TRUE(replay.Loaded());
    standin::Image again = photo;
    const standin::RunResult replayed = replay.Replay(again, *result.recorded);
    ASSERT_EQ(replayed.code, noErr) << replayed.error;
    EXPECT_EQ(again.data, image.data);
}

TEST_F(MainDialogTest, CancelAfterEditsLeavesTheRecordAndTheImageAsTheyWere) {
    standin::Image image = photo;
    ASSERT_EQ(Run(image, [&](DialogView& dialog) { dialog.ClickItem(dialog.Item(IDOK)); }).code, noErr);
    const std::vector<std::uint8_t> before = session.RecordBytes();
    ASSERT_EQ(before.size(), sizeof(RimelaceParams));

    standin::Image second = photo;
    const standin::RunResult result = Run(second, [&](DialogView& dialog) {
        dialog.TypeInto(dialog.Spin(0, 1033), "80");
        dialog.Press(VK_TAB);
        dialog.Choose(dialog.Item(IDC_EFFECT_KIND), 2);
        RightClick(dialog.Item(IDC_PREVIEW), 30, 30, dialog.window);
        dialog.ShowPage(1);
        dialog.ClickItem(dialog.PageItem(1, 1056));
        dialog.ClickItem(dialog.Item(IDC_AUTO_UPDATE));
        EXPECT_NE(session.RecordBytes(), before);
        SetFocus(dialog.Item(IDOK));
        dialog.Press(VK_ESCAPE);  // away from any field Escape is Cancel
        EXPECT_FALSE(dialog.Open());
    });
    EXPECT_EQ(result.code, userCanceledErr);
    EXPECT_EQ(second.data, photo.data);
    std::vector<std::uint8_t> after = session.RecordBytes();
    ASSERT_EQ(after.size(), before.size());
    // Only the shell's own flag differs: after every dialog it marks the scene stale.
    const std::size_t dirty = offsetof(RimelaceParams, SceneDirty);
    EXPECT_EQ(after[dirty], 1);
    after[dirty] = before[dirty];
    EXPECT_EQ(after, before);
}

TEST_F(MainDialogTest, AboutBoxFromTheButtonAndFromTheHostsAboutCall) {
    standin::Image image = photo;
    Run(image, [&](DialogView& dialog) {
        bool about = false;
        WhenWindowAppears("About Rimelace", [&](HWND box) {
            about = true;
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_ABOUT_TITLE)), "Rimelace");
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_ABOUT_VERSION)).rfind("Version ", 0), 0u);
            EXPECT_FALSE(WindowText(GetDlgItem(box, IDC_ABOUT_TEXT)).empty());
            Keep(box, "about");
            PressKey(box, VK_RETURN);
        });
        dialog.ClickItem(dialog.Item(IDC_ABOUT));
        EXPECT_TRUE(about);
        EXPECT_TRUE(dialog.Open());
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });

    bool shown = false;
    WhenWindowAppears("About Rimelace", [&](HWND box) {
        shown = true;
        PressKey(box, VK_RETURN);
    });
    EXPECT_EQ(session.Host().About().code, noErr);
    EXPECT_TRUE(shown);
}

}  // namespace
