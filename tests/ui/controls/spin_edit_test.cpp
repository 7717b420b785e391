// The spin edit driven with the mouse and the keyboard: arrows, typing, the strip, Escape and
// Enter, the integer mode and a disabled field.
#include "toolkit_fixture.h"

#include "ui/controls/slider_math.h"

#include <commctrl.h>

namespace {

using SpinEditTest = ToolkitDialogTest;

// Client rectangle of a child window, for clicks.
RECT ClientOf(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

TEST_F(SpinEditTest, ConfigurationReachesTheFieldTheArrowsAndTheStrip) {
    SpinEdit& spin = *dialog.length;
    EXPECT_STREQ(spin.name, "Lenght of triangles");
    EXPECT_FLOAT_EQ(spin.recommendedMinimum, -100);
    EXPECT_FLOAT_EQ(spin.recommendedMaximum, 100);
    EXPECT_EQ(Text(spin.edit), "2.75");
    EXPECT_EQ(Text(dialog.iterations->edit), "4");
    int low = 0, high = 0;
    SendMessageA(spin.upDown, UDM_GETRANGE32, WPARAM(&low), LPARAM(&high));
    EXPECT_EQ(low, -100);
    EXPECT_EQ(high, 100);
    EXPECT_EQ(short(LOWORD(SendMessageA(spin.upDown, UDM_GETPOS, 0, 0))), 2);
    ASSERT_NE(spin.slider, nullptr);
    EXPECT_FLOAT_EQ(spin.slider->value, 2.75f);
    EXPECT_FLOAT_EQ(spin.slider->minimum, -100);
    EXPECT_EQ(spin.slider->forwardRightClick, 1);
    EXPECT_EQ(FindControl(spin.strip, kMacSliderClassName), spin.slider);
    EXPECT_EQ(FindControl(spin.strip, kSpinEditClassName), nullptr);
    RECT strip{};
    GetWindowRect(spin.strip, &strip);
    EXPECT_EQ(strip.right - strip.left, spin.width);  // the full width, under the field
}

TEST_F(SpinEditTest, ArrowClickGoesToTheNextWholeNumberWithOneNotification) {
    SpinEdit& spin = *dialog.length;
    const RECT arrows = ClientOf(spin.upDown);
    Click(spin.upDown, arrows.right / 2, arrows.bottom / 4, dialog.window);  // upper half: up
    EXPECT_FLOAT_EQ(spin.value, 3.0f);
    EXPECT_EQ(Text(spin.edit), "3.00");
    EXPECT_EQ(dialog.NotificationsFrom(kLengthItem), 1);
    Click(spin.upDown, arrows.right / 2, arrows.bottom * 3 / 4, dialog.window);
    EXPECT_FLOAT_EQ(spin.value, 2.0f);
    EXPECT_EQ(Text(spin.edit), "2.00");
    EXPECT_EQ(dialog.NotificationsFrom(kLengthItem), 2);
    EXPECT_FLOAT_EQ(spin.slider->value, 2.0f);
}

TEST_F(SpinEditTest, TypedTextIsParsedAndClampedWhenTheFieldLosesFocus) {
    SpinEdit& spin = *dialog.length;
    spin.SetRange(10, 150);
    FocusFrom(spin.window);  // the field takes the focus, all selected
    ASSERT_EQ(GetFocus(), spin.edit);
    TypeText(dialog.window, "abc");
    EXPECT_EQ(dialog.notifications.size(), 0u);
    PressKey(dialog.window, VK_TAB);
    EXPECT_NE(GetFocus(), spin.edit);
    EXPECT_FLOAT_EQ(spin.value, 10.0f);
    EXPECT_EQ(Text(spin.edit), "10.00");
    ASSERT_EQ(dialog.NotificationsFrom(kLengthItem), 1);
    EXPECT_EQ(dialog.notifications[0].lParam, LPARAM(spin.edit));

    FocusFrom(spin.window);
    TypeText(dialog.window, "  500.5xyz");
    PressKey(dialog.window, VK_TAB);
    EXPECT_FLOAT_EQ(spin.value, 150.0f);
    EXPECT_EQ(Text(spin.edit), "150.00");
}

TEST_F(SpinEditTest, TabMovesThroughTheFieldsInOrder) {
    FocusFrom(dialog.length->window);
    EXPECT_EQ(GetFocus(), dialog.length->edit);
    PressKey(dialog.window, VK_TAB);
    EXPECT_EQ(GetFocus(), dialog.iterations->edit);
    DWORD selection = DWORD(SendMessageA(dialog.iterations->edit, EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(selection), 0);
    EXPECT_EQ(HIWORD(selection), 1);  // "4", all selected
    PressKey(dialog.window, VK_TAB);
    EXPECT_EQ(GetFocus(), dialog.dial->edit);
}

TEST_F(SpinEditTest, EscapeInTheFieldRestoresItsTextAndKeepsTheDialogOpen) {
    SpinEdit& spin = *dialog.length;
    FocusFrom(spin.window);
    TypeText(dialog.window, "55");
    EXPECT_EQ(Text(spin.edit), "55");
    PressKey(dialog.window, VK_ESCAPE);
    EXPECT_EQ(Text(spin.edit), "2.75");
    EXPECT_FLOAT_EQ(spin.value, 2.75f);
    EXPECT_TRUE(IsWindow(dialog.window));
    EXPECT_EQ(dialog.closedWith, 0);

    // With the focus on a button, Escape closes the dialog.
    SetFocus(GetDlgItem(dialog.window, IDOK));
    Pump();
    PressKey(dialog.window, VK_ESCAPE);
    EXPECT_EQ(dialog.closedWith, IDCANCEL);
    EXPECT_FALSE(IsWindow(dialog.window));
}

TEST_F(SpinEditTest, EnterInTheFieldCommitsAndMovesOnWithoutClosing) {
    SpinEdit& spin = *dialog.length;
    FocusFrom(spin.window);
    TypeText(dialog.window, "-12.5");
    PressKey(dialog.window, VK_RETURN);
    EXPECT_FLOAT_EQ(spin.value, -12.5f);
    EXPECT_EQ(dialog.NotificationsFrom(kLengthItem), 1);
    EXPECT_EQ(GetFocus(), dialog.iterations->edit);
    EXPECT_TRUE(IsWindow(dialog.window));
    EXPECT_EQ(dialog.closedWith, 0);
}

TEST_F(SpinEditTest, StripDragNotifiesOnEveryMoveAndTwiceAtRelease) {
    SpinEdit& spin = *dialog.length;
    MacSlider& strip = *spin.slider;
    const int w = strip.width, y = strip.height / 2;
    PostLeftDown(spin.strip, 5, y);
    Pump();
    EXPECT_FLOAT_EQ(spin.slider->value, -100.0f);
    EXPECT_EQ(dialog.notifications.size(), 0u);
    EXPECT_EQ(GetCapture(), spin.strip);
    const int xs[] = {20, 40, w / 2};
    for (int x : xs) PostMove(spin.strip, x, y, MK_LBUTTON);
    Pump();
    EXPECT_EQ(dialog.NotificationsFrom(kLengthItem), 3);
    PostLeftUp(spin.strip, w - 5, y);
    Pump();
    EXPECT_EQ(dialog.NotificationsFrom(kLengthItem), 5);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FLOAT_EQ(spin.value, 100.0f);
    EXPECT_EQ(Text(spin.edit), "100.00");
    EXPECT_EQ(GetFocus(), spin.edit);

    // A drag far outside the strip stays at the bound.
    PostLeftDown(spin.strip, w / 2, y);
    PostMove(spin.strip, -400, y, MK_LBUTTON);
    Pump();
    EXPECT_FLOAT_EQ(spin.value, -100.0f);
    PostLeftUp(spin.strip, -400, y);
    Pump();
}

TEST_F(SpinEditTest, MovesWithOtherButtonsHeldAreIgnored) {
    SpinEdit& spin = *dialog.length;
    const int y = spin.slider->height / 2;
    PostMove(spin.strip, 40, y, MK_LBUTTON | MK_SHIFT);
    PostMove(spin.strip, 40, y, 0);
    Pump();
    EXPECT_EQ(dialog.notifications.size(), 0u);
    EXPECT_FLOAT_EQ(spin.value, 2.75f);
}

TEST_F(SpinEditTest, IntegerModeStripShowsAndStoresTheTruncatedValue) {
    SpinEdit& spin = *dialog.iterations;  // 2 ... 6
    const int y = spin.slider->height / 2;
    // The first pixel whose value lies at a fraction above 4.3.
    int x = 5;
    while (SliderValueAt(x, spin.slider->width, 2, 6) < 4.3f) ++x;
    ASSERT_LT(SliderValueAt(x, spin.slider->width, 2, 6), 5.0f);
    PostLeftDown(spin.strip, x, y);
    PostMove(spin.strip, x, y, MK_LBUTTON);
    Pump();
    EXPECT_FLOAT_EQ(spin.value, 4.0f);
    EXPECT_EQ(Text(spin.edit), "4");
    EXPECT_FLOAT_EQ(spin.slider->value, 4.0f);  // the thumb snaps to the whole number
    PostLeftUp(spin.strip, x, y);
    Pump();
    EXPECT_FLOAT_EQ(spin.value, 4.0f);
    EXPECT_EQ(dialog.NotificationsFrom(kIterationsItem), 3);
}

TEST_F(SpinEditTest, DisabledSpinEditDisablesItsParts) {
    SpinEdit& spin = *dialog.length;
    EnableWindow(spin.window, FALSE);
    Pump();
    EXPECT_FALSE(IsWindowEnabled(spin.edit));
    EXPECT_FALSE(IsWindowEnabled(spin.upDown));
    EXPECT_FALSE(IsWindowEnabled(spin.strip));
    EnableWindow(spin.window, TRUE);
    Pump();
    EXPECT_TRUE(IsWindowEnabled(spin.edit));
    EXPECT_TRUE(IsWindowEnabled(spin.strip));
}

}  // namespace
