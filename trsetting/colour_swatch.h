#pragma once
// The painting the colour button and its pop-up share: swatches filled and framed in a colour value.
#include <windows.h>

#include <cstdint>

#include "winsupport/scoped_handles.h"

namespace glyphpeek::trsetting {

// The colour a swatch shows for a colour value (its top byte is no part of the colour).
inline COLORREF Swatch(uint32_t colour) { return static_cast<COLORREF>(colour & 0x00FFFFFF); }

inline void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    const ScopedBrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, brush.get());
}

inline void Frame(HDC dc, const RECT& rect, COLORREF colour) {
    const ScopedBrush brush(::CreateSolidBrush(colour));
    ::FrameRect(dc, &rect, brush.get());
}

inline RECT Inset(RECT rect, int d) {
    ::InflateRect(&rect, -d, -d);
    return rect;
}

} // namespace glyphpeek::trsetting
