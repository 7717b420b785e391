// The toolkit's window-free arithmetic: texts, slider strip, rotor geometry, sphere shading,
// "Set value" field checks and the anti-aliased circle.
#include "ui/controls/pixel_canvas.h"
#include "ui/controls/rotor_math.h"
#include "ui/controls/set_value_rules.h"
#include "ui/controls/slider_math.h"
#include "ui/controls/value_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <vector>

namespace {

TEST(ValueText, FloatsShowTwoDecimalsAndIntegersTruncateTowardZero) {
    EXPECT_EQ(FormatControlValue(2.75f, false), "2.75");
    EXPECT_EQ(FormatControlValue(-100.0f, false), "-100.00");
    EXPECT_EQ(FormatControlValue(3.9f, true), "3");
    EXPECT_EQ(FormatControlValue(-3.9f, true), "-3");
    EXPECT_EQ(FormatControlValue(-0.4f, true), "0");
    EXPECT_EQ(FormatControlValue(1e20f, true), "100000002004087734272");
}

TEST(ValueText, ParsingTakesTheLeadingDecimalNumberAndReadsTheRestAsZero) {
    EXPECT_FLOAT_EQ(ParseControlNumber("  12.5abc"), 12.5f);
    EXPECT_FLOAT_EQ(ParseControlNumber("-.5"), -0.5f);
    EXPECT_FLOAT_EQ(ParseControlNumber("+7"), 7.0f);
    EXPECT_FLOAT_EQ(ParseControlNumber("1e3x"), 1000.0f);
    EXPECT_FLOAT_EQ(ParseControlNumber("4e"), 4.0f);
    EXPECT_FLOAT_EQ(ParseControlNumber("3,5"), 3.0f);
    for (const char* text : {"abc", "", "-", ".", "inf", "nan", "x12", "0x10"})
        EXPECT_EQ(ParseControlNumber(text), 0.0f) << text;
    EXPECT_EQ(ParseControlNumber(nullptr), 0.0f);
    EXPECT_EQ(ParseControlNumber("1e999"), FLT_MAX);
    EXPECT_EQ(ParseControlNumber("-1e999"), -FLT_MAX);
}

TEST(ValueText, TruncationToIntStaysInsideTheIntRange) {
    EXPECT_EQ(TruncateToInt(2.75f), 2);
    EXPECT_EQ(TruncateToInt(-2.75f), -2);
    EXPECT_EQ(TruncateToInt(1e20f), INT_MAX);
    EXPECT_EQ(TruncateToInt(-1e20f), INT_MIN);
    EXPECT_EQ(TruncateToInt(NAN), 0);
    EXPECT_FALSE(std::signbit(TruncateValue(-0.5f)));
}

TEST(SliderMath, PositionsAndValuesMapOverTheTrack) {
    // 110 pixels: a track of 100 from x = 5, one unit per pixel over 0..100.
    EXPECT_FLOAT_EQ(SliderValueAt(5, 110, 0, 100), 0.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(55, 110, 0, 100), 50.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(105, 110, 0, 100), 100.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(55, 110, -100, 100), 0.0f);
    EXPECT_EQ(SliderPositionOf(50, 110, 0, 100), 55);
    EXPECT_EQ(SliderPositionOf(2.6f, 110, 0, 100), 8);  // 7.6 + 0.5 truncated
    for (int x = 5; x <= 105; x += 7) EXPECT_EQ(SliderPositionOf(SliderValueAt(x, 110, 10, 150), 110, 10, 150), x);
}

TEST(SliderMath, PointerBeyondTheEndsIsHeldAtTheBounds) {
    EXPECT_FLOAT_EQ(SliderValueAt(-20, 110, 10, 150), 10.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(-32768, 110, 10, 150), 10.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(500, 110, 10, 150), 150.0f);
}

TEST(SliderMath, EmptyRangeOrTrackGivesTheMinimumAndColumnFive) {
    EXPECT_FLOAT_EQ(SliderValueAt(80, 110, 7, 7), 7.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(80, 110, 9, 3), 9.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(80, 8, 0, 100), 0.0f);
    EXPECT_EQ(SliderPositionOf(5, 110, 7, 7), 5);
    EXPECT_EQ(SliderPositionOf(50, 10, 0, 100), 5);
}

TEST(RotorMath, DialAnglesGrowClockwiseFromTheTop) {
    EXPECT_FLOAT_EQ(DialAngle(0, -10, 77), 0.0f);
    EXPECT_FLOAT_EQ(DialAngle(0, 10, 77), 180.0f);
    EXPECT_FLOAT_EQ(DialAngle(10, -10, 77), 45.0f);
    EXPECT_FLOAT_EQ(DialAngle(10, 10, 77), 135.0f);
    EXPECT_FLOAT_EQ(DialAngle(-10, 10, 77), 225.0f);
    EXPECT_FLOAT_EQ(DialAngle(-10, -10, 77), 315.0f);
    EXPECT_FLOAT_EQ(DialAngle(25, 0, 77), 77.0f);  // level with the centre: unchanged
    for (int dx = -20; dx <= 20; dx += 3)
        for (int dy = -20; dy <= 20; dy += 5) {
            const float a = DialAngle(dx, dy, 0);
            EXPECT_GE(a, 0.0f);
            EXPECT_LT(a, 360.0f);
        }
}

TEST(RotorMath, SphereAnglesGrowCounterClockwiseFromTheRight) {
    EXPECT_FLOAT_EQ(SphereAngle(0, -10, 5), 90.0f);
    EXPECT_FLOAT_EQ(SphereAngle(0, 10, 5), -90.0f);
    EXPECT_FLOAT_EQ(SphereAngle(10, -10, 5), 45.0f);
    EXPECT_FLOAT_EQ(SphereAngle(-10, -10, 5), 135.0f);
    EXPECT_FLOAT_EQ(SphereAngle(-10, 10, 5), -135.0f);
    EXPECT_FLOAT_EQ(SphereAngle(10, 10, 5), -45.0f);
    EXPECT_FLOAT_EQ(SphereAngle(-3, 0, 5), 5.0f);
}

TEST(RotorMath, ElevationIsNinetyAtTheCentreAndZeroOnTheRim) {
    EXPECT_FLOAT_EQ(PressElevation(0, 0, 100), 90.0f);
    EXPECT_NEAR(PressElevation(48, 0, 100), 0.0f, 1e-4);   // rim: W / 2 - 2
    EXPECT_NEAR(PressElevation(80, 60, 100), 0.0f, 1e-4);  // outside the circle
    EXPECT_NEAR(PressElevation(24, 0, 100), 60.0f, 1e-4);
    EXPECT_FLOAT_EQ(DragElevation(0, 0, 100), 90.0f);
    EXPECT_NEAR(DragElevation(0, 50, 100), 0.0f, 1e-4);
    EXPECT_NEAR(DragElevation(70, 70, 100), 0.0f, 1e-4);
    EXPECT_FLOAT_EQ(PressElevation(0, 0, 2), 90.0f);  // no radius to speak of
    EXPECT_NEAR(PressElevation(1, 0, 2), 0.0f, 1e-4);
}

// Walks the dial's pointer around the centre and counts turns as the control does.
struct DialWalk {
    float turns = 0, angle = 0;
    float Step(int dx, int dy) {
        const float previous = angle;
        angle = DialAngle(dx, dy, angle);
        turns = CountTurns(turns, previous, angle);
        return turns * 360 + angle;
    }
};

TEST(RotorMath, TwoClockwiseTurnsFromTheTopEndNearSevenHundredTwenty) {
    DialWalk walk;
    float total = walk.Step(0, -40);
    for (int step = 1; step <= 96; ++step) {  // 7.5 degrees a step
        const double t = step * 7.5 * kRotorPi / 180.0;
        total = walk.Step(int(std::lround(std::sin(t) * 40)), int(std::lround(-std::cos(t) * 40)));
    }
    EXPECT_NEAR(total, 720.0f, 1.0f);
    for (int step = 95; step >= -4; --step) {  // back, past the top
        const double t = step * 7.5 * kRotorPi / 180.0;
        total = walk.Step(int(std::lround(std::sin(t) * 40)), int(std::lround(-std::cos(t) * 40)));
    }
    EXPECT_LT(total, 0.0f);
    EXPECT_NEAR(total, -30.0f, 1.5f);
}

TEST(RotorMath, TurnsChangeOnlyAcrossTheTop) {
    EXPECT_EQ(CountTurns(0, 350, 10), 1);
    EXPECT_EQ(CountTurns(1, 10, 350), 0);
    EXPECT_EQ(CountTurns(0, 170, 190), 0);
    EXPECT_EQ(CountTurns(0, 95, 305), 0);
}

TEST(RotorMath, DialPointerStartsAtTheTopAndTurnsClockwise) {
    const RotorPoint top = DialPointer(0, 50, 50, 40);
    EXPECT_EQ(top.x, 50);
    EXPECT_EQ(top.y, 10);
    const RotorPoint right = DialPointer(90, 50, 50, 40);
    EXPECT_EQ(right.x, 89);  // 89.99..., truncated
    EXPECT_EQ(right.y, 50);
    const RotorPoint bottom = DialPointer(540, 50, 50, 40);
    EXPECT_EQ(bottom.y, 89);
}

// The middle of the brightest pixels of a sphere of radius 30 under a light (the highlight is
// a plateau of full intensity).
RotorPoint Highlight(float angle, float elevation) {
    const SphereLight light = SphereLightFrom(angle, elevation);
    int brightest = -1;
    long sumX = 0, sumY = 0, count = 0;
    for (int y = -30; y <= 30; ++y)
        for (int x = -30; x <= 30; ++x) {
            const SpherePixel p = ShadeSpherePixel(x, y, 30, light);
            if (p.blend <= 0) continue;
            if (p.intensity > brightest) brightest = p.intensity, sumX = sumY = count = 0;
            if (p.intensity == brightest) sumX += x, sumY += y, ++count;
        }
    return {int(std::lround(double(sumX) / count)), int(std::lround(double(sumY) / count))};
}

TEST(RotorMath, SphereHighlightFollowsTheLight) {
    const RotorPoint centre = Highlight(0, 90);
    EXPECT_LE(std::abs(centre.x) + std::abs(centre.y), 1);
    const RotorPoint up = Highlight(90, 30);
    EXPECT_LT(up.y, -10);
    EXPECT_LE(std::abs(up.x), 1);
    const RotorPoint right = Highlight(0, 30);
    EXPECT_GT(right.x, 10);
    const RotorPoint downLeft = Highlight(-135, 30);
    EXPECT_LT(downLeft.x, -5);
    EXPECT_GT(downLeft.y, 5);
}

TEST(RotorMath, SpherePixelsShadeFromFiftyToFullAndFadeAtTheRim) {
    const SphereLight front = SphereLightFrom(0, 90);
    EXPECT_EQ(ShadeSpherePixel(0, 0, 30, front).intensity, 255);
    EXPECT_DOUBLE_EQ(ShadeSpherePixel(0, 0, 30, front).blend, 1.0);
    EXPECT_DOUBLE_EQ(ShadeSpherePixel(30, 0, 30, front).blend, 0.0);  // on the rim: not drawn
    EXPECT_DOUBLE_EQ(ShadeSpherePixel(31, 0, 30, front).blend, 0.0);
    const SpherePixel nearRim = ShadeSpherePixel(29, 0, 30, front);
    EXPECT_GT(nearRim.blend, 0.0);
    EXPECT_LT(nearRim.blend, 1.0);
    const SphereLight side = SphereLightFrom(0, 0);  // from the right: the left half is dark
    EXPECT_EQ(ShadeSpherePixel(-20, 0, 30, side).intensity, 0);
    EXPECT_GE(ShadeSpherePixel(20, 0, 30, side).intensity, 50);
}

TEST(SetValueRules, NewValueIsPulledIntoThePendingRangeWithoutBeep) {
    FieldCheck c = CheckNewValue(250, 10, 150, false);
    EXPECT_FLOAT_EQ(c.value, 150);
    EXPECT_TRUE(c.writeBack);
    EXPECT_FALSE(c.beep);
    c = CheckNewValue(-5, 10, 150, false);
    EXPECT_FLOAT_EQ(c.value, 10);
    EXPECT_TRUE(c.writeBack);
    c = CheckNewValue(42.5f, 10, 150, false);
    EXPECT_FLOAT_EQ(c.value, 42.5f);
    EXPECT_FALSE(c.writeBack);
    c = CheckNewValue(0, -10, 10, false);  // "abc" reads as 0 and shows "0.00"
    EXPECT_TRUE(c.writeBack);
    c = CheckNewValue(4.75f, 2, 6, true);
    EXPECT_FLOAT_EQ(c.value, 4);
    EXPECT_TRUE(c.writeBack);
}

TEST(SetValueRules, InvertedRangeBeepsAndRestoresThePreviousBound) {
    FieldCheck c = CheckNewMinimum(100, 10, 100, false);  // equal to the maximum
    EXPECT_TRUE(c.beep);
    EXPECT_TRUE(c.writeBack);
    EXPECT_FLOAT_EQ(c.value, 10);
    c = CheckNewMaximum(10, 100, 10, false);
    EXPECT_TRUE(c.beep);
    EXPECT_FLOAT_EQ(c.value, 100);
    c = CheckNewMinimum(-3.5f, 0, -3, true);  // truncates onto the maximum
    EXPECT_TRUE(c.beep);
    c = CheckNewMinimum(20, 10, 100, false);
    EXPECT_FALSE(c.beep);
    EXPECT_FALSE(c.writeBack);
    EXPECT_FLOAT_EQ(c.value, 20);
    c = CheckNewMaximum(7.9f, 10, 2, true);
    EXPECT_FALSE(c.beep);
    EXPECT_FLOAT_EQ(c.value, 7);
    EXPECT_TRUE(c.writeBack);
    c = CheckNewMinimum(0, 10, 100, false);
    EXPECT_TRUE(c.writeBack);
    EXPECT_FALSE(c.beep);
}

TEST(PixelCanvas, CircleDarkensTheRingAndLeavesTheInside) {
    std::vector<std::uint32_t> pixels(41 * 41);
    PixelCanvas canvas{pixels.data(), 41, 41};
    canvas.Fill(240, 240, 240);
    canvas.Circle(20, 20, 15, CanvasColor(0, 0, 0), CanvasColor(236, 233, 216));
    EXPECT_EQ(pixels[20 * 41 + 35], CanvasColor(0, 0, 0));  // exactly on the circle
    EXPECT_EQ(pixels[20 * 41 + 20], CanvasColor(240, 240, 240));
    EXPECT_EQ(pixels[0], CanvasColor(240, 240, 240));
    // Symmetric about the centre.
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x) EXPECT_EQ(pixels[y * 41 + x], pixels[(40 - y) * 41 + (40 - x)]);
    canvas.Circle(0, 0, 5, 0, 0);  // partly outside: clipped, no crash
}

}  // namespace
