#include "dialog_session.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

struct FindPage {
    int itemId;
    HWND found;
};

BOOL CALLBACK FindPageWith(HWND child, LPARAM lParam) {
    auto* find = reinterpret_cast<FindPage*>(lParam);
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && GetDlgItem(child, find->itemId)) {
        find->found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

standin::Image Photograph() {
    std::ifstream in(std::string(RIMELACE_TEST_DATA_DIR) + "/astronaut_333x257.ppm", std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    standin::Image image = standin::Image::Make(w, h, 3, 8);
    in.read(reinterpret_cast<char*>(image.data.data()), std::streamsize(image.data.size()));
    return image;
}

standin::Image PhotographAt(std::int32_t w, std::int32_t h) {
    const standin::Image photo = Photograph();
    standin::Image image = standin::Image::Make(w, h, 3, 8);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            for (int p = 0; p < 3; ++p)
                image.SetSample(x, y, p,
                                photo.Sample(std::int32_t(std::int64_t(x) * photo.width / w),
                                             std::int32_t(std::int64_t(y) * photo.height / h), p));
    return image;
}

// ---- DialogView ------------------------------------------------------------------------------
HWND DialogView::Page(int index) const {
    FindPage find{index == 0 ? 1037 : 1135, nullptr};
    EnumChildWindows(window, FindPageWith, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

SpinEdit* DialogView::Spin(int index, int id) const {
    return FindControlAs<SpinEdit>(PageItem(index, id), kSpinEditClassName);
}

PreviewContainer* DialogView::Preview() const {
    return FindControlAs<PreviewContainer>(Item(1002), kPreviewContainerClassName);
}

void DialogView::ClickItem(HWND control) const {
    RECT r{};
    GetClientRect(control, &r);
    Click(control, r.right / 2, r.bottom / 2, window);
    Pump();
}

void DialogView::ShowPage(int index) const {
    HWND tab = Item(1060);
    RECT r{};
    SendMessageA(tab, TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&r));
    Click(tab, (r.left + r.right) / 2, (r.top + r.bottom) / 2, window);
    Pump();
}

void DialogView::TypeInto(SpinEdit* spin, const char* text) const {
    SetFocus(spin->edit);
    SendMessageA(spin->edit, EM_SETSEL, 0, -1);
    TypeText(window, text);
}

void DialogView::Choose(HWND combo, int index) const {
    SetFocus(combo);
    Pump();
    Press(VK_F4);
    const int from = int(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    for (int i = from; i < index; ++i) Press(VK_DOWN);
    for (int i = from; i > index; --i) Press(VK_UP);
    Press(VK_RETURN);
    Pump();
}

// ---- DialogSession ---------------------------------------------------------------------------
DialogSession::DialogSession(standin::HostOptions options) : host_([&] {
      options.parametersCall = standin::ParametersCall::EveryRun;
      return options;
  }()) {
    loaded_ = host_.Load(LORVEX_MODULE_PATH, &error_);
}

standin::RunResult DialogSession::Run(standin::Image& image, const std::function<void(DialogView&)>& script,
                                      bool* scriptRan) {
    host_.Options().parametersCall = standin::ParametersCall::EveryRun;
    WhenWindowAppears("Rimelace", [&](HWND window) {
        DialogView view{window};
        view.Pump();
        script(view);
    });
    // As when the user picks the filter from its menu: an empty descriptor, the dialog wanted.
    standin::RunOptions options;
    options.replay = standin::Descriptor{};
    options.playInfo = plugInDialogDisplay;
    standin::RunResult result = host_.Run(image, options);
    if (scriptRan) *scriptRan = Fired();
    return result;
}

standin::RunResult DialogSession::Replay(standin::Image& image, const standin::Descriptor& descriptor) {
    host_.Options().parametersCall = standin::ParametersCall::Never;
    standin::RunOptions options;
    options.replay = descriptor;
    options.playInfo = plugInDialogDontDisplay;
    return host_.Run(image, options);
}

RimelaceParams DialogSession::Record() const {
    RimelaceParams params{};
    const std::vector<std::uint8_t> bytes = host_.ParameterBytes();
    if (bytes.size() >= sizeof params) std::memcpy(&params, bytes.data(), sizeof params);
    return params;
}

double PictureShare(const Capture& capture) {
    if (capture.pixels.empty()) return 0;
    const std::uint32_t face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t faceRgb = (face & 0xFF) << 16 | (face & 0xFF00) | (face >> 16 & 0xFF);
    int picture = 0;
    for (std::uint32_t p : capture.pixels) picture += p != faceRgb && p != 0;
    return double(picture) / double(capture.pixels.size());
}

int DifferingPixels(const Capture& a, const Capture& b) {
    if (a.width != b.width || a.height != b.height) return a.width * a.height + b.width * b.height;
    int count = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) count += a.pixels[i] != b.pixels[i];
    return count;
}
