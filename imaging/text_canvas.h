#pragma once
// Memory for text in one colour: a 1-bit DIB section owned here, with its own memory device context.
// GDI draws straight into it and the reduction reads it in place; nothing is copied either way, and
// a canvas many times the picture's size costs one bit per pixel instead of 32.
#include <windows.h>

#include "core/coverage_reduction.h"

namespace glyphpeek::imaging {

class TextCanvas {
public:
    // All pixels empty; an empty object (false) when the memory or the context cannot be had.
    TextCanvas(int width, int height);
    ~TextCanvas();
    TextCanvas(const TextCanvas&) = delete;
    TextCanvas& operator=(const TextCanvas&) = delete;

    explicit operator bool() const { return bits_ != nullptr; }
    // Text drawn here in kInk with a transparent background sets pixels; any other colour may not.
    HDC dc() const { return dc_; }
    static constexpr COLORREF kInk = RGB(255, 255, 255);
    // The pixels as GDI left them (pending GDI work is flushed first).
    glyphpeek::CoverageMask mask() const;

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

} // namespace imaging
