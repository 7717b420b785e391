#pragma once
// The host's rectangles as four 16-bit values. When the host offers 32-bit coordinates
// (bigDocumentData present, PluginUsing32BitCoordinates set) the accessors read and write the
// 32-bit rectangles (reads truncated to 16 bits); otherwise the record's 16-bit ones.

#include "plugin/host_interface.h"

// Sets PluginUsing32BitCoordinates when the host offers bigDocumentData (done on every call).
void UseBigDocument(FilterRecord& record);

Rect GetFilterRect(const FilterRecord& record);
Rect GetInRect(const FilterRecord& record);
Rect GetOutRect(const FilterRecord& record);
void SetInRect(FilterRecord& record, const Rect& rect);
void SetOutRect(FilterRecord& record, const Rect& rect);
void SetMaskRect(FilterRecord& record, const Rect& rect);

inline bool RectIsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }
