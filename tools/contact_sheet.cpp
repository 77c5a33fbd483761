#include "tools/contact_sheet.h"

using namespace glyphpeek::imaging;

ContactSheet::ContactSheet(int count, int cellWidth, int cellHeight)
    : cellWidth_(cellWidth), cellHeight_(cellHeight),
      sheet_(count * (cellWidth + kGap) + kGap, cellHeight + 2 * kGap),
      context_(DrawingContext::On(reinterpret_cast<GpImage*>(sheet_.get()))) {
    context_.Clear(0xFF808080);
}

void ContactSheet::Place(int index, GpImage* image) {
    const PixelSize size = ImageSize(image);
    context_.DrawImage(image, kGap + index * (cellWidth_ + kGap), kGap, size.width, size.height, 0, 0, size.width,
                       size.height);
}

GpStatus ContactSheet::Save(const wchar_t* path) const {
    return sheet_ ? SavePng(reinterpret_cast<GpImage*>(sheet_.get()), path) : GenericError;
}

ArgbBitmap CopyGdiBitmap(HBITMAP bitmap) {
    GpBitmap* view = nullptr;
    if (!bitmap || GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &view) != Ok) return {};
    const PixelSize size = ImageSize(reinterpret_cast<GpImage*>(view));
    ArgbBitmap copy(size.width, size.height);
    if (copy) {
        auto context = DrawingContext::On(reinterpret_cast<GpImage*>(copy.get()));
        context.DrawImage(reinterpret_cast<GpImage*>(view), 0, 0, size.width, size.height, 0, 0, size.width,
                          size.height);
    }
    GdipDisposeImage(reinterpret_cast<GpImage*>(view));
    return copy;
}
