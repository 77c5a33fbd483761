#include "bitmap.h"

#include "drawing_context.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <vector>

namespace imaging {

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

HBITMAP ToGdiBitmap(GpBitmap* bitmap) {
    HBITMAP handle = nullptr;
    if (!bitmap || GdipCreateHBITMAPFromBitmap(bitmap, &handle, 0xFFFFFFFF) != Ok) return nullptr;
    return handle;
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
