#pragma once
// The real plug-in's main dialog opened as a host opens it: the stand-in host loads Lorvex.8bf and
// runs the filter with the dialog requested; a script then drives the dialog from a timer inside
// its modal loop, with posted mouse and keyboard input (window_driver.h), and ends it.

#include "../controls/window_driver.h"

#include "host/standin/standin.h"
#include "params/params.h"
#include "ui/controls/preview_container.h"
#include "ui/controls/rotor.h"
#include "ui/controls/spin_edit.h"

#include <functional>
#include <string>

// The photograph the dialog tests open (333 x 257, 8-bit RGB).
standin::Image Photograph();
// The photograph stretched (nearest pixel) to w x h.
standin::Image PhotographAt(std::int32_t w, std::int32_t h);

// What a script sees of the open dialog.
struct DialogView {
    HWND window = nullptr;

    HWND Item(int id) const { return GetDlgItem(window, id); }
    // Page 0 ("Geometry") or 1 ("Material"), once it has been shown.
    HWND Page(int index) const;
    HWND PageItem(int index, int id) const { return GetDlgItem(Page(index), id); }
    SpinEdit* Spin(int index, int id) const;
    PreviewContainer* Preview() const;
    bool Enabled(HWND control) const { return IsWindowEnabled(control) != FALSE; }
    bool Open() const { return IsWindow(window) && IsWindowVisible(window); }

    void Pump() const { PumpUntilIdle(window, 60); }
    // A left click in the middle of a control, as the mouse gives it.
    void ClickItem(HWND control) const;
    // Clicks the tab of page `index`.
    void ShowPage(int index) const;
    // Gives the field of a spin edit the focus with its text selected, types `text` over it.
    void TypeInto(SpinEdit* spin, const char* text) const;
    void Press(WPARAM key) const { PressKey(window, key); }
    // Chooses entry `index` of a drop-down list with the keyboard (open it, move, Enter).
    void Choose(HWND combo, int index) const;
    // The preview's picture as the window shows it.
    Capture PreviewShot() const { return CaptureWindow(Item(1002)); }
};

// One host with the module loaded; every Run asks for the dialog.
class DialogSession {
public:
    explicit DialogSession(standin::HostOptions options = {});
    bool Loaded() const { return loaded_; }
    const std::string& LoadError() const { return error_; }

    // Runs the filter over `image`; `script` runs once the dialog is up (a dialog left open is
    // cancelled). `*scriptRan` tells whether it ran.
    standin::RunResult Run(standin::Image& image, const std::function<void(DialogView&)>& script,
                           bool* scriptRan = nullptr);
    // A run without the dialog, replaying a recorded descriptor as a host's action does.
    standin::RunResult Replay(standin::Image& image, const standin::Descriptor& descriptor);

    // The parameter record as the host holds it now (also while the dialog is open).
    RimelaceParams Record() const;
    std::vector<std::uint8_t> RecordBytes() const { return host_.ParameterBytes(); }
    standin::Host& Host() { return host_; }

private:
    standin::Host host_;
    bool loaded_ = false;
    std::string error_;
};

// The share of pixels of a capture that are neither the face colour nor black, i.e. picture.
double PictureShare(const Capture& capture);
// The number of pixels at which two captures differ.
int DifferingPixels(const Capture& a, const Capture& b);
