#include "font_engine.h"

#include <cwchar>

namespace imaging {

ScopedFont CreateFaceFont(const wchar_t* faceName, int size, bool bold, bool italic) {
    LOGFONTW description = {};
    description.lfHeight = -size;
    description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    description.lfItalic = italic ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_EMBEDDED;
    description.lfQuality = NONANTIALIASED_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    if (faceName) wcsncpy(description.lfFaceName, faceName, LF_FACESIZE - 1);
    return ScopedFont(CreateFontIndirectW(&description));
}

} // namespace imaging
