// The colour swatch and the system colour chooser it opens.
#include "toolkit_fixture.h"

#include <colordlg.h>

namespace {

using ColorContainerTest = ToolkitDialogTest;

TEST_F(ColorContainerTest, CancelledChooserRepaintsTheOldColourAndNotifiesOnce) {
    ColorContainer& swatch = *dialog.diffuse;
    WhenWindowAppears("Color", [&](HWND chooser) {
        EXPECT_TRUE(IsWindowVisible(chooser));
        Click(GetDlgItem(chooser, IDCANCEL), 5, 5, chooser);
    });
    Click(swatch.window, 5, 5, dialog.window);
    ASSERT_TRUE(Fired());
    EXPECT_EQ(swatch.color, RGB(200, 120, 40));
    EXPECT_EQ(dialog.NotificationsFrom(kDiffuseItem), 1);
    const Capture capture = CaptureWindow(swatch.window);
    EXPECT_EQ(capture.At(capture.width / 2, capture.height / 2), Rgb(200, 120, 40));
}

TEST_F(ColorContainerTest, ChosenColourIsTakenShownAndNotified) {
    ColorContainer& swatch = *dialog.diffuse;
    WhenWindowAppears("Color", [&](HWND chooser) {
        SetDlgItemTextA(chooser, COLOR_RED, "10");
        SetDlgItemTextA(chooser, COLOR_GREEN, "20");
        SetDlgItemTextA(chooser, COLOR_BLUE, "250");
        PumpUntilIdle(chooser);
        Click(GetDlgItem(chooser, IDOK), 5, 5, chooser);
    });
    PostRightDown(swatch.window, 5, 5);
    PostRightUp(swatch.window, 5, 5);  // either button opens it
    PumpUntilIdle(dialog.window);
    ASSERT_TRUE(Fired());
    EXPECT_EQ(swatch.color, RGB(10, 20, 250));
    EXPECT_EQ(dialog.NotificationsFrom(kDiffuseItem), 1);
    const Capture capture = CaptureWindow(swatch.window);
    EXPECT_EQ(capture.At(capture.width / 2, capture.height / 2), Rgb(10, 20, 250));
}

TEST_F(ColorContainerTest, WithoutCancelRestoreACancelSendsNothing) {
    ColorContainer& swatch = *dialog.diffuse;
    swatch.cancelRestore = 0;
    WhenWindowAppears("Color", [&](HWND chooser) { Click(GetDlgItem(chooser, IDCANCEL), 5, 5, chooser); });
    Click(swatch.window, 5, 5, dialog.window);
    ASSERT_TRUE(Fired());
    EXPECT_EQ(dialog.NotificationsFrom(kDiffuseItem), 0);
    EXPECT_EQ(swatch.color, RGB(200, 120, 40));
}

}  // namespace
