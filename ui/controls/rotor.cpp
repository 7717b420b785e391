// "Rotor CPP": record, painting, mouse and edit handlers, window procedure, registration.
#include "ui/controls/rotor.h"

#include "ui/controls/back_buffer.h"
#include "ui/controls/dialog_keys.h"
#include "ui/controls/hot_tracking.h"
#include "ui/controls/pixel_canvas.h"
#include "ui/controls/rotor_math.h"
#include "ui/controls/set_value_dialog.h"
#include "ui/controls/value_text.h"

#include <algorithm>
#include <windowsx.h>

namespace {
constexpr int kEditId = 1;
// The dial's circles are blended toward this fixed paper colour.
constexpr std::uint32_t kDialPaper = CanvasColor(236, 233, 216);
}  // namespace

// ---- Record ----------------------------------------------------------------------------------
void Rotor::SetValue(float newAngle, float newElevation) {
    totalAngle = newAngle;
    elevation = newElevation;
    Repaint(window);
    ShowAngle();
}

void Rotor::ShowAngle() {
    if (edit) SetWindowTextA(edit, FormatControlValue(totalAngle, false).c_str());
}

void Rotor::CreateEdit(int editWidth) {
    if (edit) return;
    edit = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                           (width - editWidth) / 2, (height - 22) / 2, editWidth, 22, window,
                           reinterpret_cast<HMENU>(kEditId), ToolkitModule(), nullptr);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(window)), 0);
    EnableWindow(edit, IsWindowEnabled(window));
    ShowAngle();
}

// ---- Painting ------------------------------------------------------------------------------
void Rotor::PaintDial(HDC dc) {
    const bool enabled = IsWindowEnabled(window);
    const std::uint32_t ink = enabled ? CanvasColor(0, 0, 0) : CanvasColor(160, 160, 160);
    const int cx = width / 2, cy = height / 2, radius = width / 2 - 2;
    const RotorPoint pointer = DialPointer(totalAngle, cx, cy, radius);
    PixelCanvas canvas{static_cast<std::uint32_t*>(pixels), width, height};
    if (canvas.pixels) {
        canvas.Fill(Toolkit().faceRed, Toolkit().faceGreen, Toolkit().faceBlue);
        canvas.Circle(cx, cy, radius, ink, kDialPaper);
        canvas.Circle(pointer.x, pointer.y, 5, ink, kDialPaper);
        DrawPixels(dc, 0, 0, width, height, canvas.pixels);
    }
    HPEN pen = CreatePen(PS_SOLID, 1, RGB((ink >> 16) & 0xFF, (ink >> 8) & 0xFF, ink & 0xFF));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, pointer.x - 5, pointer.y, nullptr);
    LineTo(dc, pointer.x + 5, pointer.y);
    MoveToEx(dc, pointer.x, pointer.y - 5, nullptr);
    LineTo(dc, pointer.x, pointer.y + 5);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void Rotor::PaintSphere(HDC dc) {
    PixelCanvas canvas{static_cast<std::uint32_t*>(pixels), width, height};
    if (!canvas.pixels) return;
    const ToolkitShared& shared = Toolkit();
    canvas.Fill(shared.faceRed, shared.faceGreen, shared.faceBlue);
    const bool enabled = IsWindowEnabled(window);
    const int cx = width / 2, cy = height / 2, radius = std::min(width / 2, height / 2);
    const SphereLight light = SphereLightFrom(totalAngle, elevation);
    for (int y = -radius; y <= radius; ++y) {
        for (int x = -radius; x <= radius; ++x) {
            if (x * x + y * y > radius * radius) continue;
            const SpherePixel shade = ShadeSpherePixel(x, y, radius, light);
            if (shade.blend <= 0.0) continue;
            double grey = shade.intensity;
            if (!enabled) grey = (grey + shared.faceRed) / 2;
            auto mix = [&](BYTE face) {
                return BYTE(std::min(255.0, shade.blend * grey + (1.0 - shade.blend) * face));
            };
            canvas.Set(cx + x, cy + y, mix(shared.faceRed), mix(shared.faceGreen), mix(shared.faceBlue));
        }
    }
    DrawPixels(dc, 0, 0, width, height, canvas.pixels);
}

void Rotor::Paint() {
    BackBuffer paint(*this);
    if (displayMode == kDial)
        PaintDial(paint.dc());
    else
        PaintSphere(paint.dc());
}

// ---- Mouse -----------------------------------------------------------------------------------
float Rotor::AngleAt(int x, int y, float previous) const {
    const int dx = x - width / 2, dy = y - height / 2;
    return displayMode == kDial ? DialAngle(dx, dy, previous) : SphereAngle(dx, dy, previous);
}

LRESULT Rotor::OnButtonDown(LPARAM lParam) {
    SetCapture(window);
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    elevation = PressElevation(x - width / 2, y - height / 2, width);
    angle = AngleAt(x, y, angle);
    pressAngle = angle;
    totalAngle = turns * 360.0f + angle;
    ShowAngle();
    Repaint(window);
    return 0;
}

LRESULT Rotor::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    TrackHot(*this);
    if (!(wParam & MK_LBUTTON)) return 0;
    const int x = std::clamp(int(GET_X_LPARAM(lParam)), 0, width);
    const int y = std::clamp(int(GET_Y_LPARAM(lParam)), 0, height);
    previousAngle = angle;
    previousX = pointerX, previousY = pointerY;
    pointerX = x, pointerY = y;
    elevation = DragElevation(x - width / 2, y - height / 2, width);
    angle = AngleAt(x, y, angle);
    turns = CountTurns(turns, previousAngle, angle);
    totalAngle = turns * 360.0f + angle;
    Repaint(window);
    ShowAngle();
    return 0;
}

LRESULT Rotor::OnButtonUp() {
    ReleaseCapture();
    NotifyParent(*this);
    Repaint(window);
    return 0;
}

LRESULT Rotor::OnRightButtonDown() {
    RunSetValueDialog(*this);
    return 0;
}

// ---- Edit box and focus ------------------------------------------------------------------
LRESULT Rotor::OnCommand(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != kEditId || !edit) return 0;
    const WORD code = HIWORD(wParam);
    if (code == kRevertEdit) {
        SetValue(totalAngle, 0.0f);
    } else if (code == EN_KILLFOCUS || code == EN_MAXTEXT) {
        char text[16] = {};
        GetWindowTextA(edit, text, sizeof text);
        SetValue(ParseControlNumber(text), 0.0f);
        NotifyParent(*this);
    }
    return 0;
}

LRESULT Rotor::OnEnable(WPARAM wParam) {
    if (edit) EnableWindow(edit, BOOL(wParam));
    Repaint(window);
    return 0;
}

LRESULT Rotor::OnSetFocus() {
    if (edit) {
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
    }
    return 0;
}

LRESULT Rotor::OnCreate() {
    pointerX = previousX = width / 2;
    pointerY = previousY = height / 2;
    if (width > 0 && height > 0)
        pixels = VirtualAlloc(nullptr, std::size_t(width) * height * 4, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    return 0;
}

// ---- Window procedure --------------------------------------------------------------------
LRESULT Rotor::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate();
    case WM_PAINT: return Paint(), 0;
    case WM_LBUTTONDOWN: return OnButtonDown(lParam);
    case WM_MOUSEMOVE: return OnMouseMove(wParam, lParam);
    case WM_LBUTTONUP: return OnButtonUp();
    case WM_RBUTTONDOWN: return OnRightButtonDown();
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_ENABLE: return OnEnable(wParam);
    case WM_SETFOCUS: return OnSetFocus();
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// ---- Registration ------------------------------------------------------------------------
ControlClass RotorClass() { return {kRotorClassName, &ControlWindowProc<Rotor>, IDC_ARROW}; }
