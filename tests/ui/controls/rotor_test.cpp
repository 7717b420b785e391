// The rotor driven with the mouse: dial angles, turns, the light sphere, its edit box, hot
// tracking and painting.
#include "toolkit_fixture.h"

#include "ui/controls/rotor_math.h"
#include "ui/controls/value_text.h"

#include <cmath>

namespace {

using RotorTest = ToolkitDialogTest;

// Presses and releases at an offset from the rotor's centre.
void PressAt(ToolkitTestDialog& dialog, Rotor& rotor, int dx, int dy) {
    const int x = rotor.width / 2 + dx, y = rotor.height / 2 + dy;
    PostLeftDown(rotor.window, x, y);
    PostLeftUp(rotor.window, x, y);
    PumpUntilIdle(dialog.window);
}

TEST_F(RotorTest, DialPressesGiveTheCompassAngles) {
    Rotor& dial = *dialog.dial;
    const struct {
        int dx, dy;
        float angle;
    } presses[] = {{0, -20, 0}, {20, -20, 45}, {20, 20, 135}, {0, 20, 180}, {-20, 20, 225}, {-20, -20, 315}};
    for (const auto& press : presses) {
        PressAt(dialog, dial, press.dx, press.dy);
        EXPECT_FLOAT_EQ(dial.totalAngle, press.angle) << press.dx << "," << press.dy;
    }
    EXPECT_EQ(Text(dial.edit), "315.00");
    EXPECT_EQ(dialog.NotificationsFrom(kDialItem), 6);  // one per release
    PressAt(dialog, dial, 25, 0);  // level with the centre: unchanged
    EXPECT_FLOAT_EQ(dial.totalAngle, 315.0f);
}

TEST_F(RotorTest, PressMovesThePointerButOnlyTheReleaseNotifies) {
    Rotor& dial = *dialog.dial;
    PostLeftDown(dial.window, dial.width / 2 + 20, dial.height / 2 + 20);
    Pump();
    EXPECT_FLOAT_EQ(dial.totalAngle, 135.0f);
    EXPECT_EQ(dialog.notifications.size(), 0u);
    EXPECT_EQ(GetCapture(), dial.window);
    PostLeftUp(dial.window, dial.width / 2 + 20, dial.height / 2 + 20);
    Pump();
    EXPECT_EQ(dialog.NotificationsFrom(kDialItem), 1);
    EXPECT_EQ(GetCapture(), nullptr);
}

// Drags around the centre from `fromDegrees` to `toDegrees` (dial convention) in 10-degree steps.
void DragAround(Rotor& rotor, HWND dialog, double fromDegrees, double toDegrees) {
    const int cx = rotor.width / 2, cy = rotor.height / 2, r = rotor.width / 3;
    auto at = [&](double degrees) {
        const double t = degrees * 3.14159265358979 / 180.0;
        return MAKELPARAM(short(cx + std::lround(std::sin(t) * r)), short(cy - std::lround(std::cos(t) * r)));
    };
    PostMessageA(rotor.window, WM_LBUTTONDOWN, MK_LBUTTON, at(fromDegrees));
    const double step = toDegrees > fromDegrees ? 10 : -10;
    for (double d = fromDegrees + step; step > 0 ? d <= toDegrees : d >= toDegrees; d += step)
        PostMessageA(rotor.window, WM_MOUSEMOVE, MK_LBUTTON, at(d));
    PostMessageA(rotor.window, WM_LBUTTONUP, 0, at(toDegrees));
    PumpUntilIdle(dialog);
}

TEST_F(RotorTest, TwoClockwiseTurnsEndNearSevenHundredTwentyAndBackwardsGoesNegative) {
    Rotor& dial = *dialog.dial;
    DragAround(dial, dialog.window, 0, 720);
    EXPECT_NEAR(dial.totalAngle, 720.0f, 2.0f);
    EXPECT_FLOAT_EQ(dial.turns, 2.0f);
    EXPECT_EQ(dialog.NotificationsFrom(kDialItem), 1);
    EXPECT_EQ(Text(dial.edit), FormatControlValue(dial.totalAngle, false));
    DragAround(dial, dialog.window, 0, -760);
    EXPECT_LT(dial.totalAngle, 0.0f);
    EXPECT_NEAR(dial.totalAngle, -40.0f, 2.0f);
}

TEST_F(RotorTest, DragOutsideTheControlIsPulledBackToItsEdge) {
    Rotor& dial = *dialog.dial;
    PostLeftDown(dial.window, dial.width / 2, 2);
    PostMove(dial.window, -300, -300, MK_LBUTTON);  // up-left corner of the client area
    Pump();
    EXPECT_EQ(dial.pointerX, 0);
    EXPECT_EQ(dial.pointerY, 0);
    EXPECT_NEAR(dial.angle, DialAngle(-dial.width / 2, -dial.height / 2, 0), 1e-4);
    PostMove(dial.window, 5000, 5000, MK_LBUTTON);
    Pump();
    EXPECT_EQ(dial.pointerX, dial.width);
    EXPECT_EQ(dial.pointerY, dial.height);
    PostLeftUp(dial.window, 5000, 5000);
    Pump();
}

TEST_F(RotorTest, SphereAnglesAndElevationFollowThePress) {
    Rotor& light = *dialog.light;
    PressAt(dialog, light, 0, 0);
    EXPECT_FLOAT_EQ(light.elevation, 90.0f);
    PressAt(dialog, light, 0, -10);
    EXPECT_FLOAT_EQ(light.totalAngle, 90.0f);
    PressAt(dialog, light, 0, 10);
    EXPECT_FLOAT_EQ(light.totalAngle, -90.0f);
    PressAt(dialog, light, -10, -10);
    EXPECT_FLOAT_EQ(light.totalAngle, 135.0f);
    PressAt(dialog, light, -10, 10);
    EXPECT_FLOAT_EQ(light.totalAngle, -135.0f);
    PressAt(dialog, light, 10, 10);
    EXPECT_FLOAT_EQ(light.totalAngle, -45.0f);
    PressAt(dialog, light, light.width / 2 - 2, 0);  // on the rim, level with the centre
    EXPECT_NEAR(light.elevation, 0.0f, 1e-3);
    EXPECT_FLOAT_EQ(light.totalAngle, -45.0f);
    EXPECT_FLOAT_EQ(light.turns, 0.0f);
}

// The middle of the brightest pixels of a capture (the highlight is a plateau of full white).
POINT Brightest(const Capture& capture) {
    unsigned brightest = 0;
    long sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x) {
            const std::uint32_t p = capture.At(x, y);
            const unsigned grey = (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF);
            if (grey > brightest) brightest = grey, sumX = sumY = count = 0;
            if (grey == brightest) sumX += x, sumY += y, ++count;
        }
    if (count == 0) return {-1, -1};
    return {LONG(std::lround(double(sumX) / count)), LONG(std::lround(double(sumY) / count))};
}

TEST_F(RotorTest, SphereHighlightIsInTheMiddleForAFrontLightAndMovesUpWithAngleNinety) {
    Rotor& light = *dialog.light;
    PressAt(dialog, light, 0, 0);
    POINT highlight = Brightest(CaptureWindow(light.window));
    EXPECT_LE(std::abs(highlight.x - light.width / 2), 2);
    EXPECT_LE(std::abs(highlight.y - light.height / 2), 2);
    light.SetValue(90, 30);
    Pump();
    highlight = Brightest(CaptureWindow(light.window));
    EXPECT_LT(highlight.y, light.height / 2 - 5);
    EXPECT_LE(std::abs(highlight.x - light.width / 2), 2);
    const Capture capture = CaptureWindow(light.window);
    const ToolkitShared& face = Toolkit();
    EXPECT_EQ(capture.At(0, 0), Rgb(face.faceRed, face.faceGreen, face.faceBlue));  // outside the sphere
}

TEST_F(RotorTest, DialIsDrawnWithItsPointerAndGreyWhenDisabled) {
    Rotor& dial = *dialog.dial;
    dial.SetValue(90, 0);  // pointer at the right
    Pump();
    const RotorPoint pointer = DialPointer(90, dial.width / 2, dial.height / 2, dial.width / 2 - 2);
    Capture capture = CaptureWindow(dial.window);
    EXPECT_EQ(capture.At(pointer.x - 3, pointer.y), Rgb(0, 0, 0));  // the cross
    const int radius = dial.width / 2 - 2;
    ASSERT_LE(radius, dial.height / 2);  // the test dialog's rotors are square
    EXPECT_EQ(capture.At(dial.width / 2, dial.height / 2 - radius), Rgb(0, 0, 0));  // top of the circle
    EnableWindow(dial.window, FALSE);
    Pump();
    EXPECT_FALSE(IsWindowEnabled(dial.edit));
    capture = CaptureWindow(dial.window);
    RECT box{};  // the edit box, in the rotor's client coordinates
    GetWindowRect(dial.edit, &box);
    MapWindowPoints(nullptr, dial.window, reinterpret_cast<POINT*>(&box), 2);
    int black = 0;
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x) {
            const bool inEdit = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            black += !inEdit && capture.At(x, y) == 0;
        }
    EXPECT_EQ(black, 0);
}

TEST_F(RotorTest, EditBoxCommitsATypedAngleAndEscapeRestoresIt) {
    Rotor& dial = *dialog.dial;
    FocusFrom(dial.window);  // passes the focus on to the edit box
    ASSERT_EQ(GetFocus(), dial.edit);
    TypeText(dialog.window, "123.5");
    PressKey(dialog.window, VK_TAB);
    EXPECT_FLOAT_EQ(dial.totalAngle, 123.5f);
    EXPECT_EQ(Text(dial.edit), "123.50");
    EXPECT_EQ(dialog.NotificationsFrom(kDialItem), 1);
    SetFocus(dial.edit);
    Pump();
    TypeText(dialog.window, "77");
    PressKey(dialog.window, VK_ESCAPE);
    EXPECT_EQ(Text(dial.edit), "123.50");
    EXPECT_TRUE(IsWindow(dialog.window));
}

TEST_F(RotorTest, HoverMovesTheHotStateBetweenToolkitControlsOnly) {
    Rotor& dial = *dialog.dial;
    Rotor& light = *dialog.light;
    PostMove(dial.window, 3, 3, 0);
    Pump();
    EXPECT_EQ(dial.hot, 1);
    EXPECT_EQ(Toolkit().hotControl, &dial);
    PostMove(light.window, 3, 3, 0);
    Pump();
    EXPECT_EQ(dial.hot, 0);
    EXPECT_EQ(light.hot, 1);
    PostMove(GetDlgItem(dialog.window, IDOK), 3, 3, 0);  // a standard control
    Pump();
    EXPECT_EQ(light.hot, 1);
    EXPECT_EQ(Toolkit().hotControl, &light);
    light.hoverHighlight = 0;
    PostMove(dial.window, 3, 3, 0);
    PostMove(light.window, 3, 3, 0);
    Pump();
    EXPECT_EQ(light.hot, 0);
    EXPECT_EQ(Toolkit().hotControl, &light);
}

}  // namespace
