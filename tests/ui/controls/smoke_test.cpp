// One pass over every control: created from the test dialog, driven once with the mouse or the
// keyboard, destroyed. Small enough for the emulated 32-bit run.
#include "toolkit_fixture.h"

#include "ui/controls/set_value_ids.h"

namespace {

using ToolkitSmokeTest = ToolkitDialogTest;

TEST_F(ToolkitSmokeTest, EveryControlTakesOneGesture) {
    // Spin edit: an arrow click and a strip drag.
    SpinEdit& spin = *dialog.length;
    RECT arrows{};
    GetClientRect(spin.upDown, &arrows);
    Click(spin.upDown, arrows.right / 2, arrows.bottom / 4, dialog.window);
    EXPECT_FLOAT_EQ(spin.value, 3.0f);
    const int y = spin.slider->height / 2;
    PostLeftDown(spin.strip, 5, y);
    PostMove(spin.strip, spin.slider->width / 2, y, MK_LBUTTON);
    PostLeftUp(spin.strip, spin.slider->width - 5, y);
    Pump();
    EXPECT_FLOAT_EQ(spin.value, 100.0f);
    EXPECT_EQ(dialog.NotificationsFrom(kLengthItem), 4);

    // Integer spin edit: typing and Tab.
    SetFocus(dialog.iterations->window);
    Pump();
    TypeText(dialog.window, "5.9");
    PressKey(dialog.window, VK_TAB);
    EXPECT_EQ(WindowText(dialog.iterations->edit), "5");  // the dialog truncates the stored 5.9

    // "Set value": a new maximum, applied with OK.
    WhenWindowAppears("Set value", [&](HWND box) {
        SetFocus(GetDlgItem(box, IDC_SET_VALUE_NEW_MAX));
        SendMessageA(GetDlgItem(box, IDC_SET_VALUE_NEW_MAX), EM_SETSEL, 0, -1);
        TypeText(box, "8");
        Click(GetDlgItem(box, IDOK), 5, 5, box);
    });
    RightClick(dialog.iterations->strip, 10, y, dialog.window);
    EXPECT_TRUE(Fired());
    EXPECT_FLOAT_EQ(dialog.iterations->maximum, 8.0f);

    // Dial: a press on the right; sphere: a press in the middle.
    Rotor& dial = *dialog.dial;
    Click(dial.window, dial.width / 2 + 20, dial.height / 2 + 20, dialog.window);
    EXPECT_FLOAT_EQ(dial.totalAngle, 135.0f);
    Rotor& light = *dialog.light;
    Click(light.window, light.width / 2, light.height / 2, dialog.window);
    EXPECT_FLOAT_EQ(light.elevation, 90.0f);

    // Colour swatch: the chooser, cancelled.
    WhenWindowAppears("Color", [&](HWND chooser) { Click(GetDlgItem(chooser, IDCANCEL), 5, 5, chooser); });
    Click(dialog.diffuse->window, 5, 5, dialog.window);
    EXPECT_TRUE(Fired());
    EXPECT_EQ(dialog.NotificationsFrom(kDiffuseItem), 1);

    DestroyWindow(dialog.window);
    EXPECT_EQ(LiveControlRecords(), 0);
}

}  // namespace
