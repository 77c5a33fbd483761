#pragma once
// The settings program's picture output: one face's sample set in black on transparent pixels, as
// large as the text, written as PNG.
#include <windows.h>

#include <string>

#include "imaging/gdiplus_api.h"

namespace glyphpeek::trsetting {

struct PictureRequest {
    std::wstring faceName;   // as the font engine knows it (registered already, see RegisterFontFace)
    std::wstring shownName;  // the face's own name, set when the text is empty (empty: faceName)
    std::wstring text;
    int size = 20;          // clamped to 5..2000
    bool points = false;    // size in points at the screen's resolution, else in pixels
    bool antialias = true;  // smooth reduction of the supersampled text, else hard edges
    std::wstring target;    // the PNG file
};

// Sets and saves the picture; the imaging library's status (Ok on success). GDI+ must be started.
imaging::GpStatus WritePicture(const PictureRequest& request);

// The cell height in pixels a request's size gives on a screen of `pixelsPerInch`.
int PictureFontHeight(int size, bool points, int pixelsPerInch);

// The target proposed for a font file: beside it, under its name, with ".png".
std::wstring DefaultPictureTarget(const std::wstring& fontPath);

} // namespace glyphpeek::trsetting
