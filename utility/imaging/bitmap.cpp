#include "bitmap.h"

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
