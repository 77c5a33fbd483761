#include "tools/window_capture.h"

#include "imaging/bitmap.h"

bool SaveWindowPng(HWND window, const wchar_t* path) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC windowDc = GetWindowDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP picture = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (picture) {
        HGDIOBJ old = SelectObject(memoryDc, picture);
        BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        SelectObject(memoryDc, old);
        Gdiplus::GpBitmap* image = nullptr;
        if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(picture, nullptr, &image) == Gdiplus::Ok) {
            saved = glyphpeek::imaging::SavePng(reinterpret_cast<Gdiplus::GpImage*>(image), path) == Gdiplus::Ok;
            Gdiplus::DllExports::GdipDisposeImage(reinterpret_cast<Gdiplus::GpImage*>(image));
        }
        DeleteObject(picture);
    }
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return saved;
}
