// "Preview Contaner CPP": the picture from either buffer, panning with the left button and its
// end-of-drag notification, the pattern centre from the right button with the linked fields, and
// the parent's navigation / dragging buttons.
#include "window_driver.h"

#include "params/params.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"
#include "ui/controls/preview_container.h"
#include "ui/controls/spin_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Command {
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Command> gCommands;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) != kNavigationButton && LOWORD(wParam) != kDraggingButton)
        gCommands.push_back({wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

constexpr int kPreviewId = 1002;
constexpr int kWidth = 200, kHeight = 150;

class PreviewContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControlClasses();
        WNDCLASSA wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PreviewTestParent";
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        RegisterClassA(&wc);
        parent = CreateWindowExA(0, "PreviewTestParent", "Preview test", WS_POPUP | WS_VISIBLE, 20, 20, 420, 260,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        auto button = [&](int id, int x) {
            return CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_PUSHLIKE, x, 180,
                                   30, 24, parent, reinterpret_cast<HMENU>(INT_PTR(id)), nullptr, nullptr);
        };
        button(kNavigationButton, 10);
        button(kDraggingButton, 50);
        auto spin = [&](int id, int y) {
            CreateWindowExA(0, kSpinEditClassName, "", WS_CHILD | WS_VISIBLE, 230, y, 120, 42, parent,
                            reinterpret_cast<HMENU>(INT_PTR(id)), ToolkitModule(), nullptr);
            SpinEdit* s = ConfigureSpinEdit(parent, id, -1000, 1000, "", "");
            s->SetValue(0);
            return s;
        };
        centreX = spin(1026, 10);
        centreY = spin(1027, 60);
        window = CreateWindowExA(0, kPreviewContainerClassName, "", WS_CHILD | WS_VISIBLE, 10, 10, kWidth, kHeight,
                                 parent, reinterpret_cast<HMENU>(INT_PTR(kPreviewId)), ToolkitModule(), nullptr);
        preview = FindControlAs<PreviewContainer>(window, kPreviewContainerClassName);
        ASSERT_NE(preview, nullptr);

        // A host record over a 400 x 300 image shown at half size: the whole picture fits.
        std::memset(&record, 0, sizeof record);
        record.filterRect = {0, 0, 300, 400};
        record.outRect = {0, 0, 150, 200};
        record.planes = 3;
        record.depth = 8;
        output.assign(std::size_t(200) * 150 * 3, 0);
        record.outData = output.data();
        record.outRowBytes = 200 * 3;
        std::memset(&params, 0, sizeof params);
        globals = {&result, &record};
        preview->owner = &globals;
        preview->params = &params;
        preview->centerX = centreX;
        preview->centerY = centreY;
        preview->mode = 1;
        preview->zoom = 2;
        PumpUntilIdle();
        gCommands.clear();
    }
    void TearDown() override {
        DestroyWindow(parent);
        PumpUntilIdle();
        UnregisterClassA("PreviewTestParent", GetModuleHandleA(nullptr));
        UnregisterControlClasses();
        EXPECT_EQ(LiveControlRecords(), 0);
    }

    // Fills the result buffer with one colour at full coverage and shows it.
    void ShowResult(int w, int h, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        record.outRect = {0, 0, std::int16_t(h), std::int16_t(w)};
        ASSERT_TRUE(preview->AllocateBuffers(w, h));
        for (int i = 0; i < w * h; ++i) {
            std::uint8_t* p = preview->result + 4 * i;
            p[0] = 255, p[1] = red, p[2] = green, p[3] = blue;
        }
        preview->showResult = 1;
        preview->UpdatePicture();
        Repaint(window);
        PumpUntilIdle();
    }
    bool Checked(int id) { return IsDlgButtonChecked(parent, id) == BST_CHECKED; }
    int CommandsWith(WPARAM wParam) {
        int count = 0;
        for (const Command& c : gCommands) count += c.wParam == wParam;
        return count;
    }

    HWND parent = nullptr, window = nullptr;
    PreviewContainer* preview = nullptr;
    SpinEdit *centreX = nullptr, *centreY = nullptr;
    FilterRecord record;
    RimelaceParams params;
    std::int16_t result = 0;
    PluginGlobals globals{};
    std::vector<std::uint8_t> output;
};

TEST_F(PreviewContainerTest, WithoutAPictureTheWindowShowsItsDiagonals) {
    const Capture shot = CaptureWindow(window);
    EXPECT_EQ(shot.At(40, 30), Rgb(0, 0, 0));       // on the diagonal from (0, 0)
    EXPECT_EQ(shot.At(160, 30), Rgb(0, 0, 0));      // on the one from (200, 0)
    EXPECT_EQ(shot.At(100, 75), Rgb(0, 0, 0));      // where they cross
    EXPECT_NE(shot.At(100, 20), Rgb(0, 0, 0));      // between them
}

TEST_F(PreviewContainerTest, ResultBufferIsShownAndASmallerPictureCentred) {
    ShowResult(200, 150, 250, 20, 10);
    EXPECT_EQ(preview->originX, 0);
    EXPECT_EQ(preview->originY, 0);
    Capture shot = CaptureWindow(window);
    EXPECT_EQ(shot.At(3, 3), Rgb(250, 20, 10));
    EXPECT_EQ(shot.At(196, 146), Rgb(250, 20, 10));

    ShowResult(41, 30, 0, 200, 0);  // an odd width keeps every column
    EXPECT_EQ(preview->originX, (200 - 41) / 2);
    EXPECT_EQ(preview->originY, 60);
    shot = CaptureWindow(window);
    EXPECT_EQ(shot.At(79, 60), Rgb(0, 200, 0));
    EXPECT_EQ(shot.At(79 + 40, 89), Rgb(0, 200, 0));
    EXPECT_NE(shot.At(79 + 41, 89), Rgb(0, 200, 0));
    EXPECT_NE(shot.At(78, 60), Rgb(0, 200, 0));
}

TEST_F(PreviewContainerTest, HostOutputIsShownWhenTheResultIsNot) {
    for (std::size_t i = 0; i < output.size(); i += 3) output[i] = 30, output[i + 1] = 60, output[i + 2] = 90;
    preview->showResult = 0;
    preview->UpdatePicture();
    Repaint(window);
    PumpUntilIdle();
    EXPECT_EQ(CaptureWindow(window).At(100, 70), Rgb(30, 60, 90));
}

TEST_F(PreviewContainerTest, NoHostOutputLeavesThePictureAsItWas) {
    ShowResult(200, 150, 250, 20, 10);
    record.outData = nullptr;
    preview->UpdatePicture();
    Repaint(window);
    PumpUntilIdle();
    EXPECT_EQ(CaptureWindow(window).At(100, 70), Rgb(250, 20, 10));
}

TEST_F(PreviewContainerTest, LeftDragMovesThePictureAndLowersTheOffsetOnRelease) {
    ShowResult(200, 150, 250, 20, 10);
    preview->offsetX = 50;
    PostLeftDown(window, 40, 40);
    PostMove(window, 55, 40, MK_LBUTTON);
    PostMove(window, 70, 40, MK_LBUTTON);
    PumpUntilIdle();
    EXPECT_TRUE(Checked(kNavigationButton));
    EXPECT_FALSE(Checked(kDraggingButton));
    EXPECT_EQ(preview->dragX, 30);
    const Capture during = CaptureWindow(window);
    EXPECT_NE(during.At(10, 70), Rgb(250, 20, 10));  // uncovered by the moved picture
    EXPECT_EQ(during.At(40, 70), Rgb(250, 20, 10));
    EXPECT_TRUE(gCommands.empty());

    PostLeftUp(window, 70, 40);
    PumpUntilIdle();
    EXPECT_EQ(preview->offsetX, 20);
    EXPECT_EQ(preview->offsetY, 0);
    EXPECT_EQ(preview->dragX, 0);
    ASSERT_EQ(gCommands.size(), 1u);
    EXPECT_EQ(gCommands[0].wParam, WPARAM(kPreviewId));
    EXPECT_EQ(gCommands[0].lParam, 0);
}

TEST_F(PreviewContainerTest, LeftPressAndReleaseWithoutMovingStillNotifies) {
    PostLeftDown(window, 40, 40);
    PostLeftUp(window, 40, 40);
    PumpUntilIdle();
    EXPECT_EQ(CommandsWith(kPreviewId), 1);
    EXPECT_EQ(preview->offsetX, 0);
}

TEST_F(PreviewContainerTest, RightClickPutsTheCentreUnderThePointer) {
    // 400 x 300 at zoom 2: the whole 200 x 150 picture shows from the window's corner.
    RightClick(window, 100, 75);
    EXPECT_FLOAT_EQ(params.CenterX, 0.0f);
    EXPECT_FLOAT_EQ(params.CenterY, 0.0f);
    EXPECT_TRUE(Checked(kDraggingButton));
    EXPECT_FALSE(Checked(kNavigationButton));
    ASSERT_EQ(CommandsWith(kParamsChangedCommand), 1);
    EXPECT_EQ(gCommands.back().lParam, kPreviewId);

    RightClick(window, 0, 0);
    EXPECT_FLOAT_EQ(params.CenterX, -1000.0f);
    EXPECT_FLOAT_EQ(params.CenterY, 1000.0f);
    EXPECT_FLOAT_EQ(centreX->value, -1000.0f);
    EXPECT_FLOAT_EQ(centreY->value, 1000.0f);
    EXPECT_EQ(WindowText(centreX->edit), "-1000.00");

    RightClick(window, 150, 0);  // three quarters across
    EXPECT_FLOAT_EQ(params.CenterX, 500.0f);
}

TEST_F(PreviewContainerTest, CentreCountsThePanAndThePictureOrigin) {
    preview->offsetX = 100;  // the view starts half-way into the 200-pixel-wide reduced image
    RightClick(window, 0, 75);
    EXPECT_FLOAT_EQ(params.CenterX, 0.0f);
    preview->offsetX = 0;
    preview->originX = 20;
    RightClick(window, 20, 75);
    EXPECT_FLOAT_EQ(params.CenterX, -1000.0f);
    RightClick(window, 5, 75);  // beside the picture: held at the field's range
    EXPECT_FLOAT_EQ(params.CenterX, -1000.0f);
}

TEST_F(PreviewContainerTest, RightDragSendsOneCommandPerMoveAndUpdatesTheFields) {
    PostRightDown(window, 100, 75);
    PostMove(window, 110, 75, MK_RBUTTON);
    PostMove(window, 120, 70, MK_RBUTTON);
    PostMove(window, 130, 60, MK_RBUTTON);
    PostRightUp(window, 130, 60);
    PostMove(window, 140, 60, 0);  // released: no more centres
    PumpUntilIdle();
    EXPECT_EQ(CommandsWith(kParamsChangedCommand), 4);
    EXPECT_FLOAT_EQ(params.CenterX, 300.0f);
    EXPECT_FLOAT_EQ(params.CenterY, 200.0f);
    EXPECT_FLOAT_EQ(centreX->value, 300.0f);
    EXPECT_FLOAT_EQ(centreY->value, 200.0f);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PreviewContainerTest, EmptyFilterRectangleMakesRightPressesDoNothing) {
    record.filterRect = {0, 0, 0, 0};
    params.CenterX = 12;
    RightClick(window, 100, 75);
    EXPECT_FLOAT_EQ(params.CenterX, 12.0f);
    EXPECT_TRUE(gCommands.empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
