#pragma once
// The drawing road both thumbnail classes share: TRUtility.dll bound from beside the extension library
// for one picture, a stub resolved to the font it names, the define chosen by the font's file name,
// the picture drawn into a new bitmap of the asked size and handed over as a GDI bitmap.
#include <windows.h>

namespace glyphpeek::extension_common {

// What a thumbnail is drawn from: a font file or stub by path, or the bytes of one read from a stream.
struct ThumbnailSource {
    const wchar_t* path = nullptr;        // a font file or stub; null when drawn from `content`
    const wchar_t* content = nullptr;     // a stream's bytes, followed by a NUL unit
    ULONG contentBytes = 0;
    const wchar_t* contentName = nullptr; // the stream's name, by which a font that is no stub is defined
};

// Draws the thumbnail of `source` at `size` into `*thumbnail` (null on entry and on every failure).
// E_FAIL when GDI+ or TRUtility.dll's calls are missing; E_INVALIDARG when the source cannot be drawn
// (an unreadable stub, no define, a size without pixels, no bitmap).
HRESULT RenderThumbnail(HMODULE extension, const ThumbnailSource& source, SIZE size, HBITMAP* thumbnail);

} // namespace glyphpeek::extension_common
