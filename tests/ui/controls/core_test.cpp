// What every control shares: class registration, records, FindControl, notifications, tooltips.
#include "toolkit_fixture.h"

#include "ui/controls/generic_control.h"
#include "ui/controls/preview_container.h"
#include "ui/controls/tooltip.h"

#include <commctrl.h>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

// Record allocation that can be made to fail once, to see a control without its record.
namespace {
bool gFailNextAllocation = false;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (gFailNextAllocation) {
        gFailNextAllocation = false;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}

namespace {

TEST(ControlClasses, ThirteenClassesRegisterInOrderAndGoAgain) {
    const char* expected[] = {"Control CPP",        "Control Button Fire CPP", "Control Glass CPP",
                              "Control Button CPP", "Contaner Anim CPP",       "Contaner CPP",
                              "Rotor CPP",          "Mac Slider CPP",          "Glass Slider CPP",
                              "Preview Contaner CPP", "Contaner Color CPP",    "Spin Edit CPP",
                              "Color Equalizer CPP"};
    const ControlClass* classes = ControlClasses();
    for (int i = 0; i < kControlClassCount; ++i) EXPECT_STREQ(classes[i].name, expected[i]);

    RegisterControlClasses();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(RGB(Toolkit().faceRed, Toolkit().faceGreen, Toolkit().faceBlue), face);
    ASSERT_NE(Toolkit().faceBrush, nullptr);
    for (int i = 0; i < kControlClassCount; ++i) {
        WNDCLASSA wc{};
        ASSERT_TRUE(GetClassInfoA(ToolkitModule(), expected[i], &wc)) << expected[i];
        EXPECT_EQ(wc.style, 0u);
        EXPECT_EQ(wc.cbWndExtra, 4);
        EXPECT_EQ(wc.hbrBackground, Toolkit().faceBrush);
        const bool preview = std::string(expected[i]) == "Preview Contaner CPP";
        EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, preview ? IDC_SIZEALL : IDC_ARROW)) << expected[i];
    }
    UnregisterControlClasses();
    EXPECT_EQ(Toolkit().faceBrush, nullptr);
    for (const char* name : expected) {
        WNDCLASSA wc{};
        EXPECT_FALSE(GetClassInfoA(ToolkitModule(), name, &wc)) << name;
    }
}

// A window of a toolkit class, made directly, with its classes registered around it.
class BareControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControlClasses();
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(parent);
        PumpUntilIdle();
        UnregisterControlClasses();
        EXPECT_EQ(LiveControlRecords(), 0);
    }
    HWND Make(const char* className, void* params = nullptr, int id = 7) {
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE, 10, 10, 120, 60, parent,
                               reinterpret_cast<HMENU>(INT_PTR(id)), ToolkitModule(), params);
    }
    HWND parent = nullptr;
};

TEST_F(BareControlTest, EveryClassMakesItsOwnRecordAndFreesItWithTheWindow) {
    const int before = LiveControlRecords();
    std::vector<HWND> windows;
    for (int i = 0; i < kControlClassCount; ++i) {
        HWND window = Make(ControlClasses()[i].name, nullptr, 100 + i);
        ASSERT_NE(window, nullptr) << ControlClasses()[i].name;
        ControlRecord* record = FindControl(window, ControlClasses()[i].name);
        ASSERT_NE(record, nullptr) << ControlClasses()[i].name;
        EXPECT_EQ(record->window, window);
        EXPECT_EQ(record->id, 100 + i);
        EXPECT_EQ(record->width, 120);
        EXPECT_EQ(record->height, 60);
        EXPECT_EQ(record->hoverHighlight, 1);
        EXPECT_EQ(record->glowSlot, -1);
        windows.push_back(window);
    }
    EXPECT_EQ(LiveControlRecords(), before + kControlClassCount + 1);  // and the spin edit's strip
    for (HWND window : windows) DestroyWindow(window);
    EXPECT_EQ(LiveControlRecords(), before);
}

TEST_F(BareControlTest, RecordGivenAtCreationIsTakenOver) {
    auto* rotor = new Rotor();
    rotor->displayMode = Rotor::kDial;
    HWND window = Make(kRotorClassName, &rotor);
    EXPECT_EQ(FindControl(window, kRotorClassName), rotor);
    EXPECT_EQ(rotor->window, window);
    DestroyWindow(window);  // deletes it
}

TEST_F(BareControlTest, FindControlAnswersOnlyForTheExactClassName) {
    HWND window = Make(kSpinEditClassName);
    EXPECT_NE(FindControl(window, kSpinEditClassName), nullptr);
    EXPECT_EQ(FindControl(window, "Spin Edit"), nullptr);
    EXPECT_EQ(FindControl(window, "spin edit cpp"), nullptr);
    EXPECT_EQ(FindControl(window, kRotorClassName), nullptr);
    EXPECT_EQ(FindControl(parent, kSpinEditClassName), nullptr);
    EXPECT_EQ(FindControl(nullptr, kSpinEditClassName), nullptr);
}

TEST_F(BareControlTest, FailedRecordAllocationLeavesAnInertWindow) {
    const int before = LiveControlRecords();
    gFailNextAllocation = true;
    HWND window = Make(kRotorClassName);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(gFailNextAllocation);
    EXPECT_EQ(FindControl(window, kRotorClassName), nullptr);
    EXPECT_EQ(LiveControlRecords(), before);
    PostLeftDown(window, 5, 5);
    PostMove(window, 9, 9, MK_LBUTTON);
    PostLeftUp(window, 9, 9);
    PostRightDown(window, 5, 5);  // no "Set value" dialog without a record
    InvalidateRect(window, nullptr, TRUE);
    PumpUntilIdle();
    DestroyWindow(window);
    EXPECT_EQ(LiveControlRecords(), before);
}

// Records what a window receives as WM_COMMAND.
std::vector<std::pair<WPARAM, LPARAM>> gCommands;
LRESULT CALLBACK CommandSink(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) gCommands.emplace_back(wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(BareControlTest, NotifyParentSendsTheControlIdWithHighWordZero) {
    SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CommandSink));
    gCommands.clear();
    HWND window = Make(kColorContainerClassName, nullptr, 0x1234);
    NotifyParent(*FindControl(window, kColorContainerClassName), 77);
    ASSERT_EQ(gCommands.size(), 1u);
    EXPECT_EQ(gCommands[0].first, WPARAM(0x1234));
    EXPECT_EQ(gCommands[0].second, 77);
}

TEST_F(BareControlTest, DestroyedHotControlIsForgotten) {
    HWND window = Make(kRotorClassName);
    PostMove(window, 4, 4, 0);
    PumpUntilIdle();
    EXPECT_EQ(Toolkit().hotControl, FindControl(window, kRotorClassName));
    DestroyWindow(window);
    EXPECT_EQ(Toolkit().hotControl, nullptr);
}

// The tooltip windows of this thread.
std::vector<HWND> gTips;
BOOL CALLBACK CollectTip(HWND window, LPARAM) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, TOOLTIPS_CLASSA) == 0) gTips.push_back(window);
    return TRUE;
}
std::vector<HWND> Tips() {
    gTips.clear();
    EnumThreadWindows(GetCurrentThreadId(), CollectTip, 0);
    return gTips;
}

TEST_F(BareControlTest, TooltipIsABalloonCoveringTheControlAndWrappingAtOneHundredPixels) {
    HWND window = Make(kRotorClassName);
    const size_t before = Tips().size();
    AttachTooltip(window, nullptr);
    AttachTooltip(nullptr, "text");
    EXPECT_EQ(Tips().size(), before);
    AttachTooltip(window, "A long help text that is much wider than one hundred pixels", "Title");
    const std::vector<HWND> tips = Tips();
    ASSERT_EQ(tips.size(), before + 1);
    HWND tip = nullptr;
    for (HWND t : tips) {
        TTTOOLINFOA info{};
        info.cbSize = sizeof info;
        if (SendMessageA(t, TTM_ENUMTOOLSA, 0, LPARAM(&info)) && info.hwnd == window) tip = t;
    }
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(GetWindowLongA(tip, GWL_STYLE) & TTS_BALLOON);
    EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 100);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, 0, LPARAM(&info)));
    EXPECT_EQ(info.hwnd, window);
    EXPECT_EQ(info.rect.right, 120);
    EXPECT_EQ(info.rect.bottom, 60);
    EXPECT_TRUE(info.uFlags & TTF_SUBCLASS);
    EXPECT_EQ(GetWindow(tip, GW_OWNER), parent);  // a child's popup belongs to its top-level window
}

using TemplateControlTest = ToolkitDialogTest;

TEST_F(TemplateControlTest, ControlsOfATemplateAllocateTheirRecordsAndTheDialogFreesThem) {
    EXPECT_EQ(LiveControlRecords(), 7);  // two spin edits with their strips, two rotors, a swatch
    DestroyWindow(dialog.window);        // before the classes go
    EXPECT_EQ(LiveControlRecords(), 0);
}

}  // namespace
