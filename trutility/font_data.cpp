// Which faces a font file holds, and a face registered for drawing outside the thumbnail road (the
// settings program's picture output): both through the font road, never the file by its path.
#include <algorithm>
#include <cwchar>
#include <memory>

#include "trutility/TRUtility.h"
#include "trutility/font_request.h"
#include "winsupport/wide.h"

void GetFontDataFromFile(const wchar_t* path, std::vector<FontData>* faces) {
    if (!faces) return;
    try {
        faces->clear();
        if (!path) return;
        if (const auto request = glyphpeek::FontRequest::FromFile(path)) *faces = request->faces();
    } catch (...) {
        faces->clear();
    }
}

extern "C" {

void* RegisterFontFace(const wchar_t* path, int index, const wchar_t* text, wchar_t* faceName) {
    if (faceName) faceName[0] = L'\0';
    if (!path || !text || !faceName || index < 0) return nullptr;
    try {
        const auto request = glyphpeek::FontRequest::FromFile(path);
        if (!request) return nullptr;
        auto registered = request->Register(static_cast<size_t>(index), AsU16(text, wcslen(text)));
        if (!registered) return nullptr;
        std::copy(std::begin(registered->face.faceName), std::end(registered->face.faceName), faceName);
        return registered->registration.release();
    } catch (...) {
        return nullptr;
    }
}

void ReleaseFontFace(void* face) { delete static_cast<PrivateMemoryFont*>(face); }

} // extern "C"
