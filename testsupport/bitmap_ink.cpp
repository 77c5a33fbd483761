#include "testsupport/bitmap_ink.h"
#include "winsupport/scoped_handles.h"

#include <vector>

namespace glyphpeek::test {

int InkedPixels(HBITMAP bitmap) {
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return 0;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;  // top-down
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    const WindowDC screen(nullptr);
    GetDIBits(screen.get(), bitmap, 0, info.bmHeight, pixels.data(), &header, DIB_RGB_COLORS);
    int inked = 0;
    for (DWORD pixel : pixels) inked += (pixel & 0xFFFFFF) != 0xFFFFFF;
    return inked;
}

} // namespace glyphpeek::test
