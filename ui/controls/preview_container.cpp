// "Preview Contaner CPP": record, picture, painting, mouse handlers, window procedure,
// registration.
#include "ui/controls/preview_container.h"

#include "params/params.h"
#include "plugin/plugin_main.h"
#include "plugin/rects.h"
#include "ui/controls/back_buffer.h"
#include "ui/controls/preview_picture.h"
#include "ui/controls/spin_edit.h"

#include <algorithm>
#include <windowsx.h>

namespace {

void FreeBlock(void* block) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

void* AllocBlock(std::size_t bytes) {
    return bytes ? VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
}

FilterRecord* HostRecord(const PreviewContainer& preview) {
    return preview.owner ? preview.owner->filterRecord : nullptr;
}

void Diagonals(HDC dc, int x, int y, int w, int h) {
    MoveToEx(dc, x, y, nullptr);
    LineTo(dc, x + w, y + h);
    MoveToEx(dc, x + w, y, nullptr);
    LineTo(dc, x, y + h);
}

}  // namespace

// ---- Record ----------------------------------------------------------------------------------
PreviewContainer::~PreviewContainer() {
    FreeBlock(result);
    FreeBlock(source);
}

bool PreviewContainer::AllocateBuffers(int pictureWidth, int pictureHeight) {
    FreeBlock(result);
    FreeBlock(source);
    result = source = nullptr;
    if (pictureWidth <= 0 || pictureHeight <= 0) return false;
    const std::size_t bytes = std::size_t(pictureWidth) * std::size_t(pictureHeight) * 4;
    result = static_cast<std::uint8_t*>(AllocBlock(bytes));
    source = static_cast<std::uint8_t*>(AllocBlock(bytes));
    if (result && source) return true;
    FreeBlock(result);
    FreeBlock(source);
    result = source = nullptr;
    return false;
}

// ---- Picture ---------------------------------------------------------------------------------
void PreviewContainer::UpdatePicture() {
    const FilterRecord* record = HostRecord(*this);
    if (!record || !record->outData) return;
    RECT client{};
    GetClientRect(window, &client);
    const int W = client.right, H = client.bottom;
    const VRect out = GetOutRect(*record);
    const int pictureWidth = std::max(out.right - out.left, 0), pictureHeight = std::max(out.bottom - out.top, 0);
    const int visibleWidth = std::min(W, pictureWidth), visibleHeight = std::min(H, pictureHeight);
    originX = std::max((W - pictureWidth) >> 1, 0);
    originY = std::max((H - pictureHeight) >> 1, 0);

    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
    FreeBlock(pixels);
    pixels = nullptr;
    ownsBitmap = 1;
    const std::size_t rowBytes = PictureRowBytes(visibleWidth);
    if (visibleWidth <= 0 || visibleHeight <= 0) return;
    pixels = AllocBlock(rowBytes * std::size_t(visibleHeight));
    if (!pixels) return;
    info = BITMAPINFOHEADER{};
    info.biSize = sizeof info;
    info.biWidth = visibleWidth;
    info.biHeight = visibleHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;

    PictureSource from;
    if (showResult) {
        from = {result, 4 * pictureWidth, true, 4, 8};
    } else {
        from = {static_cast<const std::uint8_t*>(record->outData), record->outRowBytes, false, record->planes,
                record->depth == 0 ? 8 : record->depth};
    }
    FillPicture(from, visibleWidth, visibleHeight, static_cast<std::uint8_t*>(pixels));

    HDC dc = GetDC(window);
    bitmap = CreateDIBitmap(dc, &info, CBM_INIT, pixels, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(window, dc);
}

// ---- Painting ------------------------------------------------------------------------------
void PreviewContainer::Paint() {
    BackBuffer paint(*this);
    const int x = originX + dragX, y = originY + dragY;
    if (!bitmap) {
        Diagonals(paint.dc(), dragX, dragY, width, height);
        return;
    }
    BITMAP size{};
    GetObjectA(bitmap, sizeof size, &size);
    HDC picture = CreateCompatibleDC(paint.dc());
    HGDIOBJ previous = SelectObject(picture, bitmap);
    BitBlt(paint.dc(), x, y, std::min(width, int(size.bmWidth)), std::min(height, int(size.bmHeight)), picture, 0, 0,
           SRCCOPY);
    SelectObject(picture, previous);
    DeleteDC(picture);
}

// ---- Pattern centre ----------------------------------------------------------------------------
void PreviewContainer::SetCentreFrom(int x, int y) {
    x = std::max(x, 0);
    y = std::max(y, 0);
    const FilterRecord* record = HostRecord(*this);
    if (!record || zoom <= 0) return;
    const VRect filter = GetFilterRect(*record);
    const int Wv = int((filter.right - filter.left) / zoom), Hv = int((filter.bottom - filter.top) / zoom);
    if (Wv <= 0 || Hv <= 0) return;
    // -1000 at the left (bottom) edge of the image, +1000 at its right (top) edge; the fields'
    // range holds a click beside the picture.
    float cx = (float(offsetX + x - originX) - Wv / 2.0f) * 2000.0f / float(Wv);
    float cy = (Hv / 2.0f - float(offsetY + y - originY)) * 2000.0f / float(Hv);
    cx = std::clamp(cx, -1000.0f, 1000.0f);
    cy = std::clamp(cy, -1000.0f, 1000.0f);
    if (centerX && centerY) {
        centerX->SetValue(cx);
        centerY->SetValue(cy);
        Repaint(centerX->window);
        Repaint(centerY->window);
    }
    if (params) {
        params->CenterX = cx;
        params->CenterY = cy;
    }
    SendMessageA(GetParent(window), WM_COMMAND, kParamsChangedCommand, id);
}

void PreviewContainer::CheckButtons(bool navigation) {
    HWND parent = GetParent(window);
    CheckDlgButton(parent, kNavigationButton, navigation ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(parent, kDraggingButton, navigation ? BST_UNCHECKED : BST_CHECKED);
}

// ---- Mouse -----------------------------------------------------------------------------------
LRESULT PreviewContainer::OnLeftDown(LPARAM lParam) {
    CheckButtons(true);
    SetCapture(window);
    lastX = mouseX = GET_X_LPARAM(lParam);
    lastY = mouseY = GET_Y_LPARAM(lParam);
    dragX = dragY = 0;
    return 0;
}

LRESULT PreviewContainer::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (wParam & MK_LBUTTON) {
        if (GetCapture() != window) return 0;  // a press that began elsewhere
        mouseX = x;
        mouseY = y;
        dragX += x - lastX;
        dragY += y - lastY;
        lastX = x;
        lastY = y;
        Repaint(window);
    } else if ((wParam & MK_RBUTTON) && GetCapture() == window) {
        SetCentreFrom(x, y);
    }
    return 0;
}

LRESULT PreviewContainer::OnLeftUp() {
    if (GetCapture() != window) return 0;
    ReleaseCapture();
    offsetX -= dragX;
    offsetY -= dragY;
    dragX = dragY = 0;
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return 0;
}

LRESULT PreviewContainer::OnRightDown(LPARAM lParam) {
    CheckButtons(false);
    const FilterRecord* record = HostRecord(*this);
    if (!record) return 0;
    const VRect filter = GetFilterRect(*record);
    if (zoom <= 0 || int((filter.right - filter.left) / zoom) <= 0 || int((filter.bottom - filter.top) / zoom) <= 0)
        return 0;
    SetCentreFrom(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    SetCapture(window);
    return 0;
}

LRESULT PreviewContainer::OnRightUp() {
    if (GetCapture() == window) ReleaseCapture();
    return 0;
}

// ---- Window procedure --------------------------------------------------------------------
LRESULT PreviewContainer::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return Paint(), 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: return OnLeftDown(lParam);
    case WM_MOUSEMOVE: return OnMouseMove(wParam, lParam);
    case WM_LBUTTONUP: return OnLeftUp();
    case WM_RBUTTONDOWN: return OnRightDown(lParam);
    case WM_RBUTTONUP: return OnRightUp();
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// ---- Registration ------------------------------------------------------------------------
ControlClass PreviewContainerClass() {
    return {kPreviewContainerClassName, &ControlWindowProc<PreviewContainer>, IDC_SIZEALL};
}
