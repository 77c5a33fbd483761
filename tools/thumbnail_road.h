#pragma once
// Explorer's two roads to a thumbnail, through COM activation of the registered classes only, so
// what is exercised is what Explorer would load: the classic image extractor (file path, size
// request, extraction on a second thread) and the Vista/7 provider (a stream on the file, a square).
#include <windows.h>
#include <thumbcache.h>

namespace thumbnail_road {

enum class Generation { kClassic, kVista };

extern const CLSID kClassicClsid;  // Typorama.Thumbnail
extern const CLSID kVistaClsid;    // TyporamaVista.Thumbnail

struct Answer {
    // The first step that failed ("CoCreateInstance", "Load", "GetLocation", "Extract",
    // "SHCreateStreamOnFileEx", "Initialize", "GetThumbnail"), null when a bitmap came back.
    const char* failedStep = nullptr;
    HRESULT result = E_FAIL;               // that step's result; the drawing call's on success
    HRESULT location = S_OK;               // classic: GetLocation's answer to IEIFLAG_ASYNC
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;   // Vista: the alpha type reported
    HBITMAP bitmap = nullptr;              // the caller owns it, as Explorer does
};

// The thumbnail of `path`: classic at size.cx × size.cy, Vista at cx = size.cx. COM must be
// initialised (apartment-threaded) on the calling thread.
Answer Request(Generation generation, const wchar_t* path, SIZE size);

// Width and height of a GDI bitmap; 0 × 0 when it is not one.
SIZE BitmapSize(HBITMAP bitmap);

} // namespace thumbnail_road
