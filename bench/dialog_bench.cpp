// The main dialog's speed on a 4000 x 3000 photograph, through the stand-in host and the real
// module (a Windows program; run it under Wine beside Lorvex.8bf):
//   open     from the host's call until the preview window has painted its first picture (in
//            three parts: the host's selectors and the filter's start until the dialog's
//            WM_INITDIALOG, that message, and from there until the preview has painted);
//   tooltips when the last of the dialog's tooltip windows had been made, and how many there are
//            (the main dialog's and the Geometry page's);
//   effect   choosing an entry of "Effect kind:" (a new scene) until the preview has repainted;
//   geometry a committed "Width" field (the scene grown again) until the preview has repainted;
//   material a committed "Self illumination" field (the cached scene drawn again) until repainted.
// Each edit goes in as the field's own commit (the text set, then the field's kill-focus), so the
// whole path runs: the page reads the record, the dialog renders, the picture is rebuilt and
// painted (RedrawWindow with RDW_UPDATENOW paints before returning).
// Usage: dialog_bench.exe [REPETITIONS [WIDTH HEIGHT]]   (default 3, 4000 x 3000; prints min and
// median milliseconds)
#include "../tests/ui/dialog/dialog_session.h"

#include "ui/dialog/dialog_ids.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The moment the preview window has first painted: its first WM_PAINT is taken from the queue
// by the dialog's loop, and the loop's next message comes after that paint is done (one thread).
Clock::time_point gFirstPaint;
bool gPainted = false, gPainting = false;
HHOOK gHook = nullptr;
LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && !gPainted) {
        if (gPainting) {
            gFirstPaint = Clock::now();
            gPainted = true;
        } else if (message->message == WM_PAINT) {
            char name[64] = {};
            GetClassNameA(message->hwnd, name, sizeof name);
            gPainting = std::string(name) == kPreviewContainerClassName;
        }
    }
    return CallNextHookEx(gHook, code, wParam, lParam);
}

// When the main dialog's WM_INITDIALOG (the pages, the host's sampled view and the first render)
// begins and ends.
Clock::time_point gInitStart, gInitEnd;
HHOOK gBefore = nullptr, gAfter = nullptr;
bool IsMainDialog(HWND window) {
    char caption[32] = {};
    GetWindowTextA(window, caption, sizeof caption);
    return std::string(caption) == "Rimelace";
}
LRESULT CALLBACK BeforeMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG && IsMainDialog(message->hwnd))
        gInitStart = Clock::now();
    return CallNextHookEx(gBefore, code, wParam, lParam);
}
LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG && IsMainDialog(message->hwnd))
        gInitEnd = Clock::now();
    // The dialog may paint its preview straight away (UpdateWindow) rather than from the queue.
    if (code == HC_ACTION && message->message == WM_PAINT && !gPainted) {
        char name[64] = {};
        GetClassNameA(message->hwnd, name, sizeof name);
        if (std::string(name) == kPreviewContainerClassName) {
            gFirstPaint = Clock::now();
            gPainted = true;
        }
    }
    return CallNextHookEx(gAfter, code, wParam, lParam);
}

// The tooltip windows made so far and when the last one was made.
Clock::time_point gLastTip;
int gTips = 0;
HHOOK gCreations = nullptr;
LRESULT CALLBACK OnCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        char name[64] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (std::string(name) == TOOLTIPS_CLASSA) {
            ++gTips;
            gLastTip = Clock::now();
        }
    }
    return CallNextHookEx(gCreations, code, wParam, lParam);
}

// One field commit, as the field losing the focus makes it.
double Commit(const DialogView& dialog, int page, int id, const char* text) {
    SpinEdit* spin = dialog.Spin(page, id);
    if (!spin) return -1;
    SetWindowTextA(spin->edit, text);
    const Clock::time_point start = Clock::now();
    SendMessageA(spin->window, WM_COMMAND, MAKEWPARAM(1, EN_KILLFOCUS), reinterpret_cast<LPARAM>(spin->edit));
    return Ms(start, Clock::now());
}

double ChooseEffect(const DialogView& dialog, int index) {
    HWND list = dialog.Item(IDC_EFFECT_KIND);
    SendMessageA(list, CB_SETCURSEL, WPARAM(index), 0);
    const Clock::time_point start = Clock::now();
    SendMessageA(dialog.window, WM_COMMAND, MAKEWPARAM(IDC_EFFECT_KIND, CBN_SELENDOK), reinterpret_cast<LPARAM>(list));
    return Ms(start, Clock::now());
}

struct Series {
    std::vector<double> values;
    void Add(double v) {
        if (v >= 0) values.push_back(v);
    }
    double Min() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
    double Median() const {
        if (values.empty()) return 0;
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

void Report(const char* what, const Series& s) {
    std::printf("%-28s min %7.1f ms   median %7.1f ms   (%zu runs)\n", what, s.Min(), s.Median(), s.values.size());
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    DialogSession session;
    if (!session.Loaded()) {
        std::fprintf(stderr, "dialog_bench: %s\n", session.LoadError().c_str());
        return 1;
    }
    const int width = argc > 3 ? std::max(1, std::atoi(argv[2])) : 4000;
    const int height = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3000;
    const standin::Image photo = PhotographAt(width, height);
    constexpr const char* kEffects[] = {"Geometric 1", "Geometric 2", "Geometric 3", "Floral 1", "Floral 2",
                                        "Floral 3",    "Single 1",    "Single 2",    "Single 3", "Single 4"};
    Series open, beforeInit, init, shown, tips;
    int tipCount = 0;
    std::vector<Series> effect(10), geometry(10), material(10);
    gHook = SetWindowsHookExA(WH_GETMESSAGE, OnGetMessage, nullptr, GetCurrentThreadId());
    gBefore = SetWindowsHookExA(WH_CALLWNDPROC, BeforeMessage, nullptr, GetCurrentThreadId());
    gAfter = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
    gCreations = SetWindowsHookExA(WH_CBT, OnCreation, nullptr, GetCurrentThreadId());
    for (int rep = 0; rep < repetitions; ++rep) {
        standin::Image image = photo;
        gPainted = gPainting = false;
        gTips = 0;
        const Clock::time_point start = Clock::now();
        session.Run(image, [&](DialogView& dialog) {
            if (gPainted) {
                open.Add(Ms(start, gFirstPaint));
                beforeInit.Add(Ms(start, gInitStart));
                init.Add(Ms(gInitStart, gInitEnd));
                shown.Add(Ms(gInitEnd, gFirstPaint));
            }
            // The script runs once the dialog has been idle a while: its tooltips are there.
            if (gTips > 0) tips.Add(Ms(start, gLastTip));
            tipCount = gTips;
            dialog.ShowPage(1);  // both pages made before the first measurement
            dialog.ShowPage(0);
            const std::string widthText = WindowText(dialog.Spin(0, 1033)->edit);
            const std::string light = WindowText(dialog.Spin(1, 1138)->edit);
            for (int e = 0; e < 10; ++e) {
                // Each edit starts from the defaults and puts them back afterwards (untimed).
                effect[e].Add(ChooseEffect(dialog, e));
                geometry[e].Add(Commit(dialog, 0, 1033, "75"));  // "Width"
                Commit(dialog, 0, 1033, widthText.c_str());
                material[e].Add(Commit(dialog, 1, 1138, "75"));  // "Self illumination"
                Commit(dialog, 1, 1138, light.c_str());
            }
        });  // the dialog left open is cancelled
    }
    for (HHOOK hook : {gHook, gBefore, gAfter, gCreations}) UnhookWindowsHookEx(hook);

    std::printf("%d x %d photograph, default parameters, %d repetitions\n", width, height, repetitions);
    Report("open (first preview painted)", open);
    Report("  host and start", beforeInit);
    Report("  dialog start, first render", init);
    Report("  shown and painted", shown);
    Report("tooltips attached", tips);
    std::printf("  %d tooltip windows\n", tipCount);
    for (int e = 0; e < 10; ++e) {
        std::printf("%s\n", kEffects[e]);
        Report("  choose the effect", effect[e]);
        Report("  geometry edit (Width)", geometry[e]);
        Report("  material edit (Self illum.)", material[e]);
    }
    return 0;
}
