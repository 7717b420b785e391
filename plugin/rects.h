#pragma once
// The host's rectangles as four 32-bit values. When the host offers 32-bit coordinates
// (bigDocumentData present and PluginUsing32BitCoordinates set) the accessors read and write the
// 32-bit rectangles, so images of 32768 pixels or more on a side work; otherwise the record's
// 16-bit rectangles, widened when read.

#include "plugin/host_interface.h"

namespace rects_detail {
inline bool Big(const FilterRecord& record) {
    return record.bigDocumentData && record.bigDocumentData->PluginUsing32BitCoordinates != 0;
}
inline VRect Widen(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }
// Only rectangles inside a 16-bit filter rectangle are written to a 16-bit host.
inline Rect Narrow(const VRect& r) {
    return {std::int16_t(r.top), std::int16_t(r.left), std::int16_t(r.bottom), std::int16_t(r.right)};
}
}  // namespace rects_detail

// Asks for 32-bit coordinates when the host offers them (the shell does this on every call).
inline void UseBigDocument(FilterRecord& record) {
    if (record.bigDocumentData) record.bigDocumentData->PluginUsing32BitCoordinates = 1;
}

inline VRect GetFilterRect(const FilterRecord& record) {
    return rects_detail::Big(record) ? record.bigDocumentData->filterRect32 : rects_detail::Widen(record.filterRect);
}
inline VRect GetInRect(const FilterRecord& record) {
    return rects_detail::Big(record) ? record.bigDocumentData->inRect32 : rects_detail::Widen(record.inRect);
}
inline VRect GetOutRect(const FilterRecord& record) {
    return rects_detail::Big(record) ? record.bigDocumentData->outRect32 : rects_detail::Widen(record.outRect);
}
inline VRect GetMaskRect(const FilterRecord& record) {
    return rects_detail::Big(record) ? record.bigDocumentData->maskRect32 : rects_detail::Widen(record.maskRect);
}
inline void SetInRect(FilterRecord& record, const VRect& rect) {
    if (rects_detail::Big(record))
        record.bigDocumentData->inRect32 = rect;
    else
        record.inRect = rects_detail::Narrow(rect);
}
inline void SetOutRect(FilterRecord& record, const VRect& rect) {
    if (rects_detail::Big(record))
        record.bigDocumentData->outRect32 = rect;
    else
        record.outRect = rects_detail::Narrow(rect);
}
inline void SetMaskRect(FilterRecord& record, const VRect& rect) {
    if (rects_detail::Big(record))
        record.bigDocumentData->maskRect32 = rect;
    else
        record.maskRect = rects_detail::Narrow(rect);
}

inline bool RectIsEmpty(const VRect& r) { return r.right <= r.left || r.bottom <= r.top; }
inline bool RectContains(const VRect& outer, const VRect& inner) {
    return inner.top >= outer.top && inner.left >= outer.left && inner.bottom <= outer.bottom &&
           inner.right <= outer.right;
}
inline bool SameRect(const VRect& a, const VRect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}
