#pragma once
// The host's rectangles as four 16-bit values. When the host offers 32-bit coordinates
// (bigDocumentData present and PluginUsing32BitCoordinates set) the accessors read and write the
// 32-bit rectangles, reads truncated to 16 bits; otherwise the record's 16-bit rectangles.

#include "plugin/host_interface.h"

namespace rects_detail {
inline bool Big(const FilterRecord& record) {
    return record.bigDocumentData && record.bigDocumentData->PluginUsing32BitCoordinates != 0;
}
inline Rect From32(const VRect& r) {
    return {std::int16_t(r.top), std::int16_t(r.left), std::int16_t(r.bottom), std::int16_t(r.right)};
}
inline VRect To32(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }
}  // namespace rects_detail

// Asks for 32-bit coordinates when the host offers them (the shell does this on every call).
inline void UseBigDocument(FilterRecord& record) {
    if (record.bigDocumentData) record.bigDocumentData->PluginUsing32BitCoordinates = 1;
}

inline Rect GetFilterRect(const FilterRecord& record) {
    return rects_detail::Big(record) ? rects_detail::From32(record.bigDocumentData->filterRect32) : record.filterRect;
}
inline Rect GetInRect(const FilterRecord& record) {
    return rects_detail::Big(record) ? rects_detail::From32(record.bigDocumentData->inRect32) : record.inRect;
}
inline Rect GetOutRect(const FilterRecord& record) {
    return rects_detail::Big(record) ? rects_detail::From32(record.bigDocumentData->outRect32) : record.outRect;
}
inline void SetInRect(FilterRecord& record, const Rect& rect) {
    if (rects_detail::Big(record))
        record.bigDocumentData->inRect32 = rects_detail::To32(rect);
    else
        record.inRect = rect;
}
inline void SetOutRect(FilterRecord& record, const Rect& rect) {
    if (rects_detail::Big(record))
        record.bigDocumentData->outRect32 = rects_detail::To32(rect);
    else
        record.outRect = rect;
}
inline void SetMaskRect(FilterRecord& record, const Rect& rect) {
    if (rects_detail::Big(record))
        record.bigDocumentData->maskRect32 = rects_detail::To32(rect);
    else
        record.maskRect = rect;
}

inline bool RectIsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }
