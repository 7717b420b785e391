// The record header, finding records and the value-changed notification.
#include "ui/controls/control.h"

#include <cstring>

namespace {
int gLiveRecords = 0;
}

ControlRecord::ControlRecord() { ++gLiveRecords; }

ControlRecord::~ControlRecord() {
    if (pixels) VirtualFree(pixels, 0, MEM_RELEASE);
    if (bitmap && ownsBitmap) DeleteObject(bitmap);
    // A destroyed control cannot stay hot: the next hover would repaint freed memory.
    if (Toolkit().hotControl == this) Toolkit().hotControl = nullptr;
    --gLiveRecords;
}

int LiveControlRecords() { return gLiveRecords; }

void AttachRecord(HWND window, ControlRecord& record) {
    RECT client{};
    GetClientRect(window, &client);
    record.width = client.right - client.left;
    record.height = client.bottom - client.top;
    record.id = int(GetWindowLongPtrA(window, GWLP_ID));
    record.window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&record));
}

ControlRecord* FindControl(HWND window, const char* className) {
    if (!window || !className) return nullptr;
    char name[65] = {};
    if (!GetClassNameA(window, name, sizeof name)) return nullptr;
    if (std::strcmp(name, className) != 0) return nullptr;
    return reinterpret_cast<ControlRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void NotifyParent(const ControlRecord& record, LPARAM lParam) {
    SendMessageA(GetParent(record.window), WM_COMMAND, MAKEWPARAM(record.id, 0), lParam);
}

void Repaint(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
