#pragma once
// What every toolkit control shares: the record header, the window procedure skeleton, finding a
// control's record from its window, and the value-changed notification.

#include "ui/controls/toolkit.h"

#include <new>

// The header every state record begins with. A record belongs to its window: it is made at
// WM_CREATE (or handed over through the creation parameters) and destroyed at WM_NCDESTROY.
struct ControlRecord {
    void* pixels = nullptr;       // owned pixel buffer (VirtualAlloc); released with the record
    HWND window = nullptr;        // the control
    int id = 0;                   // GWL_ID at creation: the WM_COMMAND identifier of notifications
    int width = 0, height = 0;    // client size at creation (not updated afterwards)
    HBITMAP bitmap = nullptr;     // deleted with the record when ownsBitmap is non-zero
    int ownsBitmap = 0;
    BYTE hot = 0;                 // 1 while this is the hot control
    BYTE hoverHighlight = 1;      // 0: never becomes hot
    int glowSlot = -1;            // -1: becoming hot or not only repaints

    ControlRecord();
    ~ControlRecord();
    ControlRecord(const ControlRecord&) = delete;
    ControlRecord& operator=(const ControlRecord&) = delete;
};

// Records alive now, of every class. 0 after every control window is destroyed.
int LiveControlRecords();

// The record behind a window when the window's class name is exactly `className`, else nullptr.
ControlRecord* FindControl(HWND window, const char* className);
template <class Record>
Record* FindControlAs(HWND window, const char* className) {
    return static_cast<Record*>(FindControl(window, className));
}

// The toolkit's value-changed notification: WM_COMMAND to the parent, wParam = the control id
// (high word 0), the given lParam. The parent reads the new value from the record.
void NotifyParent(const ControlRecord& record, LPARAM lParam = 0);

// Repaints a window at once (invalidate and update), so a change shows before any notification.
void Repaint(HWND window);

// Ties a new record to its window (header fields and GWLP_USERDATA).
void AttachRecord(HWND window, ControlRecord& record);

// The window procedure skeleton. `Record` derives from ControlRecord, is default-constructible and
// has `LRESULT Handle(UINT, WPARAM, LPARAM)`, which sees every message but WM_NCDESTROY (WM_CREATE
// included) and passes what it does not handle to DefWindowProcA.
//
// Creation parameters: a window created with lpParam pointing at a `Record*` takes that record
// over (it must come from `new`); otherwise the record is allocated here. Without a record (the
// allocation failed) the window stays inert: every message goes to DefWindowProcA.
template <class Record>
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* record = reinterpret_cast<Record*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        Record* given = create->lpCreateParams ? *static_cast<Record* const*>(create->lpCreateParams) : nullptr;
        record = given ? given : new (std::nothrow) Record();
        if (!record) return 0;
        AttachRecord(window, *record);
    } else if (message == WM_NCDESTROY) {
        if (record) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            delete record;
        }
        DefWindowProcA(window, message, wParam, lParam);
        return 0;
    }
    if (!record) return DefWindowProcA(window, message, wParam, lParam);
    return record->Handle(message, wParam, lParam);
}
