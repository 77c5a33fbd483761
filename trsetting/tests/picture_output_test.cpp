// Pictures of a real font written as PNG under Wine's GDI+ and read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <set>

#include "trutility/TRUtility.h"
#include "imaging/gdiplus_session.h"
#include "trsetting/picture_output.h"
#include "testsupport/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace glyphpeek::trsetting;
using namespace glyphpeek::imaging;

const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";

struct Picture {
    int width = 0, height = 0;
    std::set<ARGB> pixels;
};

Picture Read(const fs::path& path) {
    Picture picture;
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok) return picture;
    UINT width = 0, height = 0;
    GdipGetImageWidth(reinterpret_cast<GpImage*>(bitmap), &width);
    GdipGetImageHeight(reinterpret_cast<GpImage*>(bitmap), &height);
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            ARGB pixel = 0;
            GdipBitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &pixel);
            picture.pixels.insert(pixel);
        }
    GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap));
    return picture;
}

class Pictures : public ::testing::Test {
protected:
    Pictures() {
        // Registered for every character the pictures show, as the dialog does for its text.
        GetFontDataFromFile(kDejaVu, &faces);
        registration = RegisterFontFace(kDejaVu, 0, L"GlyphDejaVu Sans", engineName);
    }
    ~Pictures() override { ReleaseFontFace(registration); }
    PictureRequest Request(const wchar_t* name) {
        PictureRequest request;
        request.faceName = engineName;
        request.shownName = faces.empty() ? L"" : faces.front().faceName;
        request.text = L"Glyph";
        request.size = 40;
        request.target = (folder / name).wstring();
        return request;
    }
    GdiplusSession session;
    std::vector<FontData> faces;
    wchar_t engineName[40] = {};
    void* registration = nullptr;
    const ScratchFolder folder{fs::temp_directory_path() / L"glyphpeek-pictures"};
};

TEST_F(Pictures, BlackTextOnTransparentPixelsAsLargeAsTheText) {
    ASSERT_FALSE(faces.empty());
    PictureRequest request = Request(L"hard.png");
    request.antialias = false;
    ASSERT_EQ(WritePicture(request), Ok);
    const Picture hard = Read(request.target);
    EXPECT_EQ(hard.height, 40);  // the cell height asked for
    EXPECT_GT(hard.width, 40);
    EXPECT_TRUE(hard.pixels.count(0xFF000000u)) << "black text";
    for (ARGB pixel : hard.pixels) EXPECT_TRUE((pixel >> 24) == 0 || pixel == 0xFF000000u) << std::hex << pixel;

    request = Request(L"smooth.png");
    ASSERT_EQ(WritePicture(request), Ok);
    const Picture smooth = Read(request.target);
    EXPECT_EQ(smooth.width, hard.width);
    // (Wine reduces with its bilinear filter in every high-quality mode, which at a quarter of the size
    // samples whole canvas pixels: the smoothing Windows shows cannot be seen here.)
    EXPECT_EQ(smooth.height, 40);
}

TEST_F(Pictures, AnEmptyTextSetsTheFaceNameAndPointsFollowTheScreen) {
    ASSERT_FALSE(faces.empty());
    PictureRequest named = Request(L"named.png");
    named.text = faces.front().faceName;
    PictureRequest empty = Request(L"empty.png");
    empty.text.clear();
    ASSERT_EQ(WritePicture(named), Ok);
    ASSERT_EQ(WritePicture(empty), Ok);
    EXPECT_EQ(Read(empty.target).width, Read(named.target).width);

    EXPECT_EQ(PictureFontHeight(20, true, 96), 27);  // 26.67 rounded
    EXPECT_EQ(PictureFontHeight(20, false, 96), 20);
    EXPECT_EQ(PictureFontHeight(3, false, 96), 5);
    EXPECT_EQ(PictureFontHeight(99999, true, 72), 2000);
    PictureRequest points = Request(L"points.png");
    points.size = 20;
    points.points = true;
    ASSERT_EQ(WritePicture(points), Ok);
    HDC screen = GetDC(nullptr);
    const int expected = MulDiv(20, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    // The engine's cell can come out a pixel short of the height asked for (Wine's rounding).
    EXPECT_NEAR(Read(points.target).height, expected, 1);
}

TEST_F(Pictures, SavesThatCannotBeMadeReportAStatus) {
    PictureRequest request = Request(L"missing-folder\\x.png");
    EXPECT_NE(WritePicture(request), Ok);
    EXPECT_FALSE(fs::exists(request.target));
    EXPECT_EQ(DefaultPictureTarget(L"C:\\Windows\\Fonts\\arial.ttf"), L"C:\\Windows\\Fonts\\arial.png");
    EXPECT_EQ(DefaultPictureTarget(L"D:\\f\\x.y.otf"), L"D:\\f\\x.y.png");
}

} // namespace
