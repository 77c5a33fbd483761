#include "imaging/bitmap.h"

#include "imaging/drawing_context.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cwchar>
#include <vector>

namespace glyphpeek::imaging {

PixelSize ImageSize(GpImage* image) {
    UINT width = 0, height = 0;
    if (!image || GdipGetImageWidth(image, &width) != Ok || GdipGetImageHeight(image, &height) != Ok) return {};
    return {static_cast<int>(width), static_cast<int>(height)};
}

ArgbBitmap::ArgbBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return;
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) == Ok) bitmap_ = bitmap;
}

ArgbBitmap& ArgbBitmap::operator=(ArgbBitmap&& o) noexcept {
    if (this != &o) {
        if (bitmap_) GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap_));
        bitmap_ = std::exchange(o.bitmap_, nullptr);
    }
    return *this;
}

ArgbBitmap::~ArgbBitmap() {
    if (bitmap_) GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap_));
}

namespace {

// Runs `fill(row, y, width)` on each row of the bitmap's pixels, locked for writing only.
template <typename Fill>
bool WritePixels(GpBitmap* bitmap, Fill fill) {
    PixelFormat format = 0;
    if (!bitmap || GdipGetImagePixelFormat(reinterpret_cast<GpImage*>(bitmap), &format) != Ok ||
        format != PixelFormat32bppARGB)
        return false;
    const PixelSize size = ImageSize(reinterpret_cast<GpImage*>(bitmap));
    if (size.width <= 0 || size.height <= 0) return false;
    const GpRect all = {0, 0, size.width, size.height};
    BitmapData data{};
    if (GdipBitmapLockBits(bitmap, &all, ImageLockModeWrite, PixelFormat32bppARGB, &data) != Ok) return false;
    auto* bytes = static_cast<BYTE*>(data.Scan0);
    for (int y = 0; y < size.height; ++y) fill(reinterpret_cast<ARGB*>(bytes + static_cast<ptrdiff_t>(y) * data.Stride), y, size.width);
    return GdipBitmapUnlockBits(bitmap, &data) == Ok;
}

} // namespace

bool FillPixels(GpBitmap* bitmap, ARGB color) {
    return WritePixels(bitmap, [color](ARGB* row, int, int width) { std::fill(row, row + width, color); });
}

bool FillVerticalGradientPixels(GpBitmap* bitmap, ARGB top, ARGB bottom) {
    const int height = ImageSize(reinterpret_cast<GpImage*>(bitmap)).height;
    return WritePixels(bitmap, [=](ARGB* row, int y, int width) {
        std::fill(row, row + width, BlendArgb(top, bottom, y, height - 1));
    });
}

namespace {

// A top-down 32-bit DIB section; its pixels in *bits.
HBITMAP CreateDib(int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as GDI+ rows come
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (handle && !*bits) {
        DeleteObject(handle);
        handle = nullptr;
    }
    return handle;
}

// Only pixels not already opaque need composing: a thumbnail's background is.
void ComposeOnWhite(ARGB* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (pixels[i] >> 24 != 0xFF) pixels[i] = OverWhite(pixels[i]);
    }
}

} // namespace

DibBackedBitmap::DibBackedBitmap(int width, int height) {
    if (width <= 0 || height <= 0 || width > INT_MAX / static_cast<int>(sizeof(ARGB))) return;
    void* bits = nullptr;
    dib_ = CreateDib(width, height, &bits);
    if (!dib_) return;
    pixels_ = static_cast<ARGB*>(bits);
    count_ = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::fill(pixels_, pixels_ + count_, 0xFFFFFFFFu);
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, width * static_cast<INT>(sizeof(ARGB)), PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(pixels_), &bitmap) == Ok)
        bitmap_ = bitmap;
}

DibBackedBitmap::~DibBackedBitmap() {
    if (bitmap_) GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap_));
    if (dib_) DeleteObject(dib_);
}

HBITMAP DibBackedBitmap::Release() {
    if (!bitmap_) return nullptr;
    // GDI+ lets go of the pixels before GDI gets them.
    GdipDisposeImage(reinterpret_cast<GpImage*>(std::exchange(bitmap_, nullptr)));
    ComposeOnWhite(pixels_, count_);
    return std::exchange(dib_, nullptr);
}

ARGB OverWhite(ARGB color) {
    const ARGB alpha = color >> 24;
    ARGB out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const ARGB c = (color >> shift) & 0xFF;
        out |= ((c * alpha + 255 * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

bool FindEncoder(const wchar_t* mimeType, CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (GdipGetImageEncodersSize(&count, &bytes) != Ok || count == 0 || bytes < count * sizeof(ImageCodecInfo))
        return false;
    // The codec records carry their strings behind them in the same block.
    std::vector<ImageCodecInfo> block((bytes + sizeof(ImageCodecInfo) - 1) / sizeof(ImageCodecInfo));
    if (GdipGetImageEncoders(count, bytes, block.data()) != Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (block[i].MimeType && wcscmp(block[i].MimeType, mimeType) == 0) {
            *clsid = block[i].Clsid;
            return true;
        }
    }
    return false;
}

GpStatus SavePng(GpImage* image, const wchar_t* path) {
    CLSID png;
    if (!FindEncoder(L"image/png", &png)) return UnknownImageFormat;
    return GdipSaveImageToFile(image, path, &png, nullptr);
}

} // namespace imaging
