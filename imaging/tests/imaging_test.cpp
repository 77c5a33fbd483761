// The imaging services under Wine's real GDI+ and GDI.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/bitmap.h"
#include "imaging/drawing_context.h"
#include "imaging/font_engine.h"
#include "imaging/gdiplus_session.h"

using namespace glyphpeek::imaging;

namespace {

class Imaging : public ::testing::Test {
protected:
    GdiplusSession session;
    void SetUp() override { ASSERT_TRUE(session.ok()); }
};

// All pixels of a bitmap, row by row, as 0xAARRGGBB.
std::vector<ARGB> Pixels(GpBitmap* bitmap) {
    const PixelSize size = ImageSize(reinterpret_cast<GpImage*>(bitmap));
    std::vector<ARGB> pixels(static_cast<size_t>(size.width) * size.height);
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) GdipBitmapGetPixel(bitmap, x, y, &pixels[y * size.width + x]);
    }
    return pixels;
}

TEST(Blend, EndsAreExactAndStepsRound) {
    EXPECT_EQ(BlendArgb(0xFF000000, 0xFFFFFFFF, 0, 10), 0xFF000000u);
    EXPECT_EQ(BlendArgb(0xFF000000, 0xFFFFFFFF, 10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(BlendArgb(0xFF000000, 0xFF0000FF, 1, 2), 0xFF000080u);  // 127.5 rounds up
    EXPECT_EQ(BlendArgb(0xFF0000FF, 0xFF000000, 1, 2), 0xFF00007Fu);  // halves round away from the start
    EXPECT_EQ(BlendArgb(0xFF102030, 0xFF405060, 0, 0), 0xFF102030u);  // one row: the top colour
}

TEST_F(Imaging, VerticalGradientRunsTopToBottomAndEveryColumnIsEqual) {
    ArgbBitmap bitmap(37, 50);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap.size().width, 37);
    EXPECT_EQ(bitmap.size().height, 50);
    auto context = DrawingContext::On(reinterpret_cast<GpImage*>(bitmap.get()));
    ASSERT_TRUE(context);
    context.FillVerticalGradient(0, 0, 37, 50, 0xFFDFDFDF, 0xFF000000);
    const std::vector<ARGB> pixels = Pixels(bitmap.get());
    EXPECT_EQ(pixels.front(), 0xFFDFDFDFu);
    EXPECT_EQ(pixels.back(), 0xFF000000u);
    for (int y = 0; y < 50; ++y) {
        for (int x = 1; x < 37; ++x) {
            ASSERT_EQ(pixels[y * 37 + x], pixels[y * 37]) << "row " << y << " column " << x;
        }
        if (y > 0) {
            EXPECT_LE(pixels[y * 37] & 0xFF, pixels[(y - 1) * 37] & 0xFF) << "row " << y;
        }
    }
}

TEST_F(Imaging, PixelWritesGiveWhatTheContextWouldDraw) {
    ArgbBitmap direct(37, 50), drawn(37, 50);
    ASSERT_TRUE(direct && drawn);
    ASSERT_TRUE(FillVerticalGradientPixels(direct.get(), 0xFFDFDFDF, 0xFF000000));
    DrawingContext::On(reinterpret_cast<GpImage*>(drawn.get())).FillVerticalGradient(0, 0, 37, 50, 0xFFDFDFDF, 0xFF000000);
    EXPECT_EQ(Pixels(direct.get()), Pixels(drawn.get()));
    // A transparent colour is kept as asked (Wine's clear writes 0 for it, where Windows keeps the colour).
    ASSERT_TRUE(FillPixels(direct.get(), 0x00FFFFFF));
    EXPECT_EQ(Pixels(direct.get()), std::vector<ARGB>(37 * 50, 0x00FFFFFF));

    // Another pixel format is left to the drawing context: nothing is written.
    GpBitmap* rgb = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat24bppRGB, nullptr, &rgb), Ok);
    GdipBitmapSetPixel(rgb, 2, 2, 0xFF123456);
    EXPECT_FALSE(FillPixels(rgb, 0xFFFFFFFF));
    EXPECT_FALSE(FillVerticalGradientPixels(rgb, 0xFFFFFFFF, 0xFF000000));
    ARGB kept = 0;
    GdipBitmapGetPixel(rgb, 2, 2, &kept);
    EXPECT_EQ(kept, 0xFF123456u);
    GdipDisposeImage(reinterpret_cast<GpImage*>(rgb));
    EXPECT_FALSE(FillPixels(nullptr, 0));
}

TEST_F(Imaging, LinesClearsAndScaledDrawing) {
    ArgbBitmap target(16, 16), source(64, 64);
    auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target.get()));
    context.Clear(0xFFFFFFFF);
    context.Line(0xFFFF0000, 1.0f, 1, 8, 15, 8);
    std::vector<ARGB> pixels = Pixels(target.get());
    EXPECT_EQ(pixels[8 * 16 + 1], 0xFFFF0000u);
    EXPECT_EQ(pixels[8 * 16 + 14], 0xFFFF0000u);
    EXPECT_EQ(pixels[7 * 16 + 5], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[9 * 16 + 5], 0xFFFFFFFFu);

    auto sourceContext = DrawingContext::On(reinterpret_cast<GpImage*>(source.get()));
    sourceContext.Clear(0xFF0000FF);
    context.SetInterpolation(InterpolationModeHighQualityBicubic);
    context.DrawImage(reinterpret_cast<GpImage*>(source.get()), 0, 0, 16, 16, 0, 0, 64, 64);
    pixels = Pixels(target.get());
    EXPECT_EQ(pixels[8 * 16 + 8], 0xFF0000FFu);
}

TEST_F(Imaging, GdiTextLandsInTheBitmapThroughTheContextsDC) {
    ArgbBitmap bitmap(64, 32);
    auto context = DrawingContext::On(reinterpret_cast<GpImage*>(bitmap.get()));
    context.Clear(0xFFFFFFFF);
    {
        ContextDC dc(context.get());
        ASSERT_TRUE(dc);
        // The prefix has no fonts of its own: register one for this process.
        PrivateFontFile dejavu(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf");
        ASSERT_EQ(dejavu.count(), 1);
        ScopedFont face = CreateFaceFont(L"DejaVu Sans", 20, false, false);
        SelectedObject font(dc.get(), face.get());
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), RGB(0, 0, 0));
        TextOutW(dc.get(), 2, 2, L"WW", 2);
    }
    int ink = 0;
    for (ARGB p : Pixels(bitmap.get())) ink += (p & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(ink, 10);
}

// The handle Explorer gets, drawn in place: composed on white, opaque pixels kept.
TEST_F(Imaging, GdiBitmapIsComposedOnWhite) {
    DibBackedBitmap drawn(4, 4);
    ASSERT_TRUE(drawn);
    GpBitmap* bitmap = drawn.get();
    ASSERT_TRUE(FillPixels(bitmap, 0x00000000));  // fully transparent black
    GdipBitmapSetPixel(bitmap, 1, 1, 0x80FF0000);  // half-transparent red
    GdipBitmapSetPixel(bitmap, 2, 1, 0xFF123456);
    const HBITMAP handle = drawn.Release();
    ASSERT_NE(handle, nullptr);
    BITMAP info = {};
    GetObjectW(handle, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmHeight, 4);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, handle);
    EXPECT_EQ(GetPixel(dc, 3, 3), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 127, 127));
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0x12, 0x34, 0x56));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(handle);
    EXPECT_EQ(DibBackedBitmap(0, 4).Release(), nullptr);
}

TEST_F(Imaging, PngEncoderAndSaving) {
    CLSID png;
    EXPECT_TRUE(FindEncoder(L"image/png", &png));
    EXPECT_FALSE(FindEncoder(L"image/x-none", &png));
    ArgbBitmap bitmap(8, 8);
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"gp", 0, path);
    EXPECT_EQ(SavePng(reinterpret_cast<GpImage*>(bitmap.get()), path), Ok);
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char magic[8] = {};
    DWORD read = 0;
    ReadFile(file, magic, 8, &read, nullptr);
    CloseHandle(file);
    DeleteFileW(path);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
}

TEST(FontEngine, FaceFontsFollowTheirDescription) {
    const wchar_t longName[] = L"A face name that is far longer than thirty-one units";
    ScopedFont font = CreateFaceFont(longName, 40, true, true);
    ASSERT_NE(font.get(), nullptr);
    LOGFONTW back = {};
    GetObjectW(font.get(), sizeof(back), &back);
    EXPECT_EQ(back.lfHeight, -40);
    EXPECT_EQ(back.lfWeight, FW_BOLD);
    EXPECT_TRUE(back.lfItalic);
    EXPECT_EQ(back.lfQuality, NONANTIALIASED_QUALITY);
    EXPECT_EQ(back.lfClipPrecision, CLIP_EMBEDDED);
    EXPECT_EQ(std::wstring(back.lfFaceName), std::wstring(longName, 31));
    EXPECT_EQ(CreateFaceFont(L"Plain", 12, false, false).get() != nullptr, true);
}

TEST(FontEngine, PrivateRegistrationOfMissingFilesAndBytesFails) {
    PrivateFontFile missing(L"C:\\no\\such\\font.ttf");
    EXPECT_EQ(missing.count(), 0);
    // Taking over a registration that another call did not make would remove someone else's.
    PrivateFontFile adopted;
    adopted.Adopt(L"C:\\no\\such\\font.ttf", false);
    EXPECT_EQ(adopted.count(), 0);
    const char notAFont[] = "definitely not a font";
    PrivateMemoryFont memory(notAFont, sizeof(notAFont));
    EXPECT_FALSE(memory);
}

} // namespace
