// The "Set value" dialog, opened with a right click as a person opens it and filled in with the
// keyboard: the checks of its fields, Enter, Escape, OK and Cancel.
#include "toolkit_fixture.h"

#include "ui/controls/set_value_ids.h"

namespace {

using SetValueDialogTest = ToolkitDialogTest;

HWND Item(HWND box, int id) { return GetDlgItem(box, id); }

// Opens the dialog of a spin edit with a right click on its strip, with the focus on a button so
// that the field's own commit does not notify.
void OpenFromStrip(ToolkitTestDialog& dialog, SpinEdit& spin) {
    SetFocus(GetDlgItem(dialog.window, IDCANCEL));
    PumpUntilIdle(dialog.window);
    dialog.notifications.clear();
    RightClick(spin.strip, 10, spin.slider->height / 2, dialog.window);
}

TEST_F(SetValueDialogTest, ShowsTheSpinEditsNameValueTypeAndRange) {
    WhenWindowAppears("Set value", [&](HWND box) {
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NAME)), "Lenght of triangles");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_CURRENT)), "2.75");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW)), "2.75");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_CURRENT2)), "Not used");
        EXPECT_FALSE(IsWindowEnabled(Item(box, IDC_SET_VALUE_NEW2)));
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_TYPE)), "Float slider");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_RANGE)), "-100.00 ... 100.00");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW_MIN)), "-100.00");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW_MAX)), "100.00");
        EXPECT_EQ(GetFocus(), Item(box, IDC_SET_VALUE_NEW));
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialog.window);  // owned through the spin edit
        Click(Item(box, IDCANCEL), 5, 5, box);
    });
    OpenFromStrip(dialog, *dialog.length);
    EXPECT_TRUE(Fired());
    EXPECT_EQ(dialog.notifications.size(), 0u);
    EXPECT_FLOAT_EQ(dialog.length->value, 2.75f);
}

TEST_F(SetValueDialogTest, EnterWalksTheFieldsAndOkAppliesEverythingWithOnePostedNotification) {
    bool queued = false;
    size_t notificationsBeforeReturn = 99;
    WhenWindowAppears("Set value", [&](HWND box) {
        TypeText(box, "250");  // the field starts all selected
        PressKey(box, VK_RETURN);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW)), "100.00");  // pulled to the pending maximum
        EXPECT_EQ(GetFocus(), Item(box, IDC_SET_VALUE_NEW_MIN));  // the disabled field is skipped
        TypeText(box, "100");
        PressKey(box, VK_RETURN);  // equal to the maximum: refused, old minimum back
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW_MIN)), "-100.00");
        EXPECT_EQ(GetFocus(), Item(box, IDC_SET_VALUE_NEW_MAX));
        TypeText(box, "120");
        PressKey(box, VK_RETURN);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW_MAX)), "120");
        EXPECT_EQ(GetFocus(), Item(box, IDOK));
        EXPECT_TRUE(IsWindowVisible(box));
        SendMessageA(box, WM_COMMAND, IDOK, 0);  // Enter on the OK button
        MSG msg;
        queued = PeekMessageA(&msg, dialog.window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) &&
                 LOWORD(msg.wParam) == kLengthItem;
        notificationsBeforeReturn = dialog.notifications.size();
    });
    OpenFromStrip(dialog, *dialog.length);
    ASSERT_TRUE(Fired());
    EXPECT_TRUE(queued);
    EXPECT_EQ(notificationsBeforeReturn, 0u);
    EXPECT_EQ(dialog.NotificationsFrom(kLengthItem), 1);
    const SpinEdit& spin = *dialog.length;
    EXPECT_FLOAT_EQ(spin.value, 100.0f);
    EXPECT_FLOAT_EQ(spin.minimum, -100.0f);
    EXPECT_FLOAT_EQ(spin.maximum, 120.0f);
    EXPECT_FLOAT_EQ(spin.slider->maximum, 120.0f);
    EXPECT_FLOAT_EQ(spin.recommendedMaximum, 100.0f);  // the configured range stays
    EXPECT_EQ(Text(spin.edit), "100.00");
}

TEST_F(SetValueDialogTest, CancelChangesNothingAndSendsNothing) {
    WhenWindowAppears("Set value", [&](HWND box) {
        TypeText(box, "42");
        PressKey(box, VK_RETURN);
        TypeText(box, "-50");
        Click(Item(box, IDCANCEL), 5, 5, box);
    });
    OpenFromStrip(dialog, *dialog.length);
    ASSERT_TRUE(Fired());
    PumpUntilIdle(dialog.window);
    EXPECT_EQ(dialog.notifications.size(), 0u);
    EXPECT_FLOAT_EQ(dialog.length->value, 2.75f);
    EXPECT_FLOAT_EQ(dialog.length->minimum, -100.0f);
}

TEST_F(SetValueDialogTest, EscapeInAFieldRestoresThePendingNumberAndKeepsTheDialog) {
    bool stillOpen = false;
    WhenWindowAppears("Set value", [&](HWND box) {
        TypeText(box, "7.5");
        PressKey(box, VK_RETURN);  // pending value 7.5, focus on the minimum
        TypeText(box, "33");
        PressKey(box, VK_ESCAPE);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW_MIN)), "-100.00");
        stillOpen = IsWindowVisible(box);
        SendMessageA(Item(box, IDC_SET_VALUE_NEW), EM_SETSEL, 0, -1);
        SetFocus(Item(box, IDC_SET_VALUE_NEW));
        PumpUntilIdle(box);
        TypeText(box, "9");
        PressKey(box, VK_ESCAPE);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW)), "7.50");
        SetFocus(Item(box, IDCANCEL));
        PumpUntilIdle(box);
        PressKey(box, VK_ESCAPE);  // now it closes
        EXPECT_FALSE(IsWindowVisible(box));
    });
    OpenFromStrip(dialog, *dialog.length);
    ASSERT_TRUE(Fired());
    EXPECT_TRUE(stillOpen);
    EXPECT_FLOAT_EQ(dialog.length->value, 2.75f);
}

TEST_F(SetValueDialogTest, IntegerSpinEditShowsIntegersAndTruncatesItsRange) {
    WhenWindowAppears("Set value", [&](HWND box) {
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_TYPE)), "Integer slider");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_RANGE)), "2 ... 6");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW)), "4");
        TypeText(box, "5.8");
        PressKey(box, VK_RETURN);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW)), "5");
        TypeText(box, "6");  // minimum equal to the maximum: refused
        PressKey(box, VK_RETURN);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW_MIN)), "2");
        TypeText(box, "9.9");
        PressKey(box, VK_RETURN);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW_MAX)), "9");
        Click(Item(box, IDOK), 5, 5, box);
    });
    OpenFromStrip(dialog, *dialog.iterations);
    ASSERT_TRUE(Fired());
    const SpinEdit& spin = *dialog.iterations;
    EXPECT_FLOAT_EQ(spin.value, 5.0f);
    EXPECT_FLOAT_EQ(spin.minimum, 2.0f);
    EXPECT_FLOAT_EQ(spin.maximum, 9.0f);
    EXPECT_EQ(Text(spin.edit), "5");
    EXPECT_EQ(dialog.NotificationsFrom(kIterationsItem), 1);
}

TEST_F(SetValueDialogTest, SphereRotorTakesAngleAndElevationAsTyped) {
    WhenWindowAppears("Set value", [&](HWND box) {
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NAME)), "Position of light");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_TYPE)), "Light position");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_RANGE)), "Not limit");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_CURRENT)), "45.00");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_CURRENT2)), "60.00");
        EXPECT_TRUE(IsWindowEnabled(Item(box, IDC_SET_VALUE_NEW2)));
        EXPECT_FALSE(IsWindowEnabled(Item(box, IDC_SET_VALUE_NEW_MIN)));
        EXPECT_FALSE(IsWindowEnabled(Item(box, IDC_SET_VALUE_NEW_MAX)));
        TypeText(box, "500");
        PressKey(box, VK_RETURN);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW)), "500");  // no range applies
        TypeText(box, "abc");
        PressKey(box, VK_RETURN);
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_NEW2)), "0.00");
        Click(Item(box, IDOK), 5, 5, box);
    });
    SetFocus(GetDlgItem(dialog.window, IDCANCEL));
    Pump();
    RightClick(dialog.light->window, 10, 10, dialog.window);
    ASSERT_TRUE(Fired());
    EXPECT_FLOAT_EQ(dialog.light->totalAngle, 500.0f);
    EXPECT_FLOAT_EQ(dialog.light->elevation, 0.0f);
    EXPECT_EQ(dialog.NotificationsFrom(kLightItem), 1);
}

TEST_F(SetValueDialogTest, DialRotorTakesOneAngle) {
    WhenWindowAppears("Set value", [&](HWND box) {
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_TYPE)), "Float angle");
        EXPECT_EQ(Text(Item(box, IDC_SET_VALUE_CURRENT2)), "Not used");
        EXPECT_FALSE(IsWindowEnabled(Item(box, IDC_SET_VALUE_NEW2)));
        TypeText(box, "-400.25");
        Click(Item(box, IDOK), 5, 5, box);
    });
    SetFocus(GetDlgItem(dialog.window, IDCANCEL));
    Pump();
    RightClick(dialog.dial->window, 5, 5, dialog.window);
    ASSERT_TRUE(Fired());
    EXPECT_FLOAT_EQ(dialog.dial->totalAngle, -400.25f);
    EXPECT_EQ(Text(dialog.dial->edit), "-400.25");
    EXPECT_EQ(dialog.NotificationsFrom(kDialItem), 1);
}

}  // namespace
