#include "imaging/text_canvas.h"

namespace glyphpeek::imaging {

TextCanvas::TextCanvas(int width, int height) {
    if (width <= 0 || height <= 0) return;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info = {};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down, as the mask is read
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 2;
    info.colors[1] = {255, 255, 255, 0};  // index 0 empty (black), 1 ink (white)
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_ || !bits) return;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return;
    previous_ = SelectObject(dc_, bitmap_);
    if (!previous_ || previous_ == HGDI_ERROR) return;
    SetTextColor(dc_, kInk);
    SetBkMode(dc_, TRANSPARENT);
    bits_ = bits;  // a new DIB section's memory is zeroed: nothing drawn yet
    width_ = width;
    height_ = height;
}

TextCanvas::~TextCanvas() {
    if (dc_) {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
}

glyphpeek::CoverageMask TextCanvas::mask() const {
    if (!bits_) return {};
    GdiFlush();
    // DIB rows are padded to whole 32-bit words.
    const std::ptrdiff_t stride = ((static_cast<std::ptrdiff_t>(width_) + 31) / 32) * 4;
    return {static_cast<const std::uint8_t*>(bits_), stride, width_, height_};
}

} // namespace imaging
