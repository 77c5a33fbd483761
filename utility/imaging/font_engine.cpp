#include "font_engine.h"

#include <cwchar>

namespace imaging {

ScopedFont& ScopedFont::operator=(ScopedFont&& o) noexcept {
    if (this != &o) {
        if (font_) DeleteObject(font_);
        font_ = std::exchange(o.font_, nullptr);
    }
    return *this;
}

ScopedFont::~ScopedFont() {
    if (font_) DeleteObject(font_);
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

PrivateFontFile::PrivateFontFile(const wchar_t* path) : path_(path) {
    if (path_) count_ = AddFontResourceExW(path_, FR_PRIVATE, nullptr);
}

PrivateFontFile::~PrivateFontFile() {
    if (count_ > 0) RemoveFontResourceExW(path_, FR_PRIVATE, nullptr);
}

PrivateMemoryFont::PrivateMemoryFont(const void* bytes, DWORD size) {
    DWORD added = 0;
    if (bytes && size) handle_ = AddFontMemResourceEx(const_cast<void*>(bytes), size, nullptr, &added);
}

PrivateMemoryFont::~PrivateMemoryFont() {
    if (handle_) RemoveFontMemResourceEx(handle_);
}

} // namespace imaging
