#include "imaging/font_engine.h"

#include <algorithm>
#include <cwchar>

namespace glyphpeek::imaging {

std::u16string DecodeAnsiName(std::span<const std::uint8_t> bytes) {
    const int length = static_cast<int>(std::min<size_t>(bytes.size(), 1024));
    if (length == 0) return {};
    std::u16string text(static_cast<size_t>(length), u'\0');
    const int units = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.data()), length,
                                          reinterpret_cast<wchar_t*>(text.data()), length);
    text.resize(units > 0 ? static_cast<size_t>(units) : 0);
    return text;
}

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
