#pragma once
// A test with the toolkit test dialog open: pumped until idle after opening, closed afterwards, and
// then no control record may be left.

#include "toolkit_test_dialog.h"
#include "window_driver.h"

#include "ui/controls/mac_slider.h"

#include <gtest/gtest.h>

class ToolkitDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenToolkitTestDialog(dialog));
        PumpUntilIdle(dialog.window);
        ASSERT_TRUE(dialog.length && dialog.iterations && dialog.dial && dialog.light && dialog.diffuse);
        dialog.notifications.clear();
    }
    void TearDown() override {
        CloseToolkitTestDialog(dialog);
        PumpUntilIdle();
        EXPECT_EQ(LiveControlRecords(), 0);
    }

    void Pump() { PumpUntilIdle(dialog.window); }
    // Gives a control the focus as Tab does, coming from a button, and forgets what the field
    // that had the focus before reported as it lost it.
    void FocusFrom(HWND control) {
        SetFocus(GetDlgItem(dialog.window, IDCANCEL));
        Pump();
        dialog.notifications.clear();
        SetFocus(control);
        Pump();
    }
    // The text of a window as it is now.
    static std::string Text(HWND window) { return WindowText(window); }

    ToolkitTestDialog dialog;
};
