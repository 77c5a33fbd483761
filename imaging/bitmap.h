#pragma once
#include <utility>

#include "imaging/gdiplus_api.h"

namespace glyphpeek::imaging {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Size of any GDI+ image; 0 × 0 when the query fails.
PixelSize ImageSize(GpImage* image);

// An owned 32-bit ARGB bitmap (0xAARRGGBB pixels).
class ArgbBitmap {
public:
    ArgbBitmap() = default;
    ArgbBitmap(int width, int height);  // empty when creation fails
    ArgbBitmap(ArgbBitmap&& o) noexcept : bitmap_(std::exchange(o.bitmap_, nullptr)) {}
    ArgbBitmap& operator=(ArgbBitmap&& o) noexcept;
    ArgbBitmap(const ArgbBitmap&) = delete;
    ArgbBitmap& operator=(const ArgbBitmap&) = delete;
    ~ArgbBitmap();

    GpBitmap* get() const { return bitmap_; }
    explicit operator bool() const { return bitmap_ != nullptr; }
    PixelSize size() const { return ImageSize(reinterpret_cast<GpImage*>(bitmap_)); }

private:
    GpBitmap* bitmap_ = nullptr;
};

// Every pixel of a 32-bit ARGB bitmap written directly: a solid colour, or a vertical gradient with the
// first colour exactly on the top row and the second on the bottom row. Much faster than a drawing
// context's clear or row fills, which GDI+ does pixel by pixel in software under Wine. False (nothing
// written) for other pixel formats or when the bits cannot be reached; the caller then draws instead.
bool FillPixels(GpBitmap* bitmap, ARGB color);
bool FillVerticalGradientPixels(GpBitmap* bitmap, ARGB top, ARGB bottom);

// One straight-alpha pixel composed on opaque white.
ARGB OverWhite(ARGB color);

// A 32-bit ARGB bitmap drawn straight into the pixels of a GDI DIB section, so that the picture is
// already the GDI bitmap Explorer gets: no conversion and no second copy of a large thumbnail. It
// starts opaque white.
class DibBackedBitmap {
public:
    DibBackedBitmap(int width, int height);  // empty when creation fails
    ~DibBackedBitmap();
    DibBackedBitmap(const DibBackedBitmap&) = delete;
    DibBackedBitmap& operator=(const DibBackedBitmap&) = delete;

    GpBitmap* get() const { return bitmap_; }
    explicit operator bool() const { return bitmap_ != nullptr; }
    // Ends drawing and hands the DIB section over, each pixel composed on opaque white; null when empty.
    HBITMAP Release();

private:
    HBITMAP dib_ = nullptr;
    ARGB* pixels_ = nullptr;
    size_t count_ = 0;
    GpBitmap* bitmap_ = nullptr;
};

// The CLSID of the installed encoder for a MIME type such as "image/png".
bool FindEncoder(const wchar_t* mimeType, CLSID* clsid);

// Saves the image as PNG; the GDI+ status (Ok on success).
GpStatus SavePng(GpImage* image, const wchar_t* path);

} // namespace imaging
