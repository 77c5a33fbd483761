// Font reading and sample rendering through the real TRUtility.dll, with real fonts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bitmap.h"
#include "drawing_context.h"
#include "gdiplus_session.h"
#include "utility_library.h"

using namespace imaging;

namespace {

const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const wchar_t kDejaVuBold[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans-Bold.ttf";
const wchar_t kNotoCjk[] = L"Z:\\usr\\share\\fonts\\opentype\\noto\\NotoSansCJK-Regular.ttc";
const wchar_t kFreeSans[] = L"Z:\\usr\\share\\fonts\\opentype\\freefont\\FreeSans.otf";

using GetFontDataProc = void (*)(const wchar_t*, std::vector<FontData>*);

class Rendering : public ::testing::Test {
protected:
    GdiplusSession session;
    UtilityLibrary library;
    GetFontDataProc getFontData = library.Get<GetFontDataProc>("_Z19GetFontDataFromFilePKwPSt6vectorI8FontDataSaIS2_EE");
    DrawStringFromFileProc drawFromFile = library.Get<DrawStringFromFileProc>("DrawStringFromFile");
    DrawStringFromBinaryProc drawFromBinary = library.Get<DrawStringFromBinaryProc>("DrawStringFromBinary");

    void SetUp() override { ASSERT_TRUE(session.ok()); }

    std::vector<FontData> Faces(const wchar_t* path) {
        std::vector<FontData> faces(3);  // stale content must go
        getFontData(path, &faces);
        RemoveFontResourceExW(path, FR_PRIVATE, nullptr);
        return faces;
    }
};

SettingData Define(const wchar_t* sample, uint32_t back1, uint32_t back2, uint32_t fore) {
    SettingData define = {};
    wcscpy(define.SampleText, sample);
    define.BackColor1 = back1;
    define.BackColor2 = back2;
    define.ForeColor = fore;
    return define;
}

struct Pixels {
    int width = 0, height = 0;
    std::vector<ARGB> argb;
    ARGB at(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

Pixels Read(const ArgbBitmap& bitmap) {
    Pixels p;
    p.width = bitmap.size().width;
    p.height = bitmap.size().height;
    p.argb.resize(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) GdipBitmapGetPixel(bitmap.get(), x, y, &p.argb[y * p.width + x]);
    }
    return p;
}

std::vector<uint8_t> FileBytes(const wchar_t* path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

TEST_F(Rendering, FacesOfTrueTypeFilesAndCollections) {
    std::vector<FontData> faces = Faces(kDejaVu);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_STREQ(faces[0].faceName, L"DejaVu Sans");
    EXPECT_STREQ(faces[0].displayName, faces[0].faceName);
    EXPECT_FALSE(faces[0].bold);
    EXPECT_FALSE(faces[0].italic);

    faces = Faces(kDejaVuBold);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_STREQ(faces[0].faceName, L"DejaVu Sans");
    EXPECT_TRUE(faces[0].bold);

    faces = Faces(kNotoCjk);
    ASSERT_GE(faces.size(), 4u);
    EXPECT_STREQ(faces[0].faceName, L"Noto Sans CJK JP");
    EXPECT_STREQ(faces[1].faceName, L"Noto Sans CJK KR");
    for (const FontData& face : faces) EXPECT_EQ(std::wstring(face.faceName).rfind(L"Noto Sans", 0), 0u);

    EXPECT_TRUE(Faces(L"C:\\no\\such\\font.ttf").empty());

    // CFF OpenType: the collection refuses it, the name table names one face. The font engine
    // holds the file open while it is registered; reading it must still work.
    faces = Faces(kFreeSans);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_STREQ(faces[0].faceName, L"FreeSans");
    EXPECT_STREQ(faces[0].displayName, L"FreeSans");
}

TEST_F(Rendering, OpenTypeFontsAreDrawn) {
    ArgbBitmap bitmap(64, 64);
    SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00FFFFFF, 0);
    drawFromFile(bitmap.get(), &define, kFreeSans);
    int ink = 0;
    for (ARGB p : Read(bitmap).argb) ink += p != 0xFFFFFFFFu;
    EXPECT_GT(ink, 20);
}

TEST_F(Rendering, RowsSeparatorsAndInkStayInTheirCells) {
    const size_t n = Faces(kNotoCjk).size();
    ArgbBitmap bitmap(96, 96);
    SettingData define = Define(L"Aa", 0x00FFFFFF, 0x00FFFFFF, 0x000000FF);  // red ink on white
    define.FitSingleLine = 1;  // rows this flat would push a wrapped block below its cell
    drawFromFile(bitmap.get(), &define, kNotoCjk);
    const Pixels pixels = Read(bitmap);
    const int rowHeight = 96 / static_cast<int>(n);
    for (size_t i = 1; i < n; ++i) {
        const int y = static_cast<int>(i) * rowHeight;
        for (int x = 1; x < 95; ++x) ASSERT_EQ(pixels.at(x, y), 0xFFFF0000u) << "separator " << i << " x " << x;
        EXPECT_EQ(pixels.at(0, y), 0xFFFFFFFFu);
    }
    std::vector<int> inkPerRow(n, 0);
    for (int y = 0; y < 96; ++y) {
        const int row = y / rowHeight;
        const bool separator = row > 0 && y == row * rowHeight && row < static_cast<int>(n);
        for (int x = 0; x < 96; ++x) {
            if (pixels.at(x, y) == 0xFFFFFFFFu || separator) continue;
            // margins are 96 / 64 = 1
            const bool inCell = row < static_cast<int>(n) && x >= 1 && x < 95 && y >= row * rowHeight + 1 &&
                                y < row * rowHeight + rowHeight - 1;
            ASSERT_TRUE(inCell) << "ink outside the cells at " << x << "," << y;
            ++inkPerRow[row];
        }
    }
    for (size_t i = 0; i < n; ++i) EXPECT_GT(inkPerRow[i], 5) << "row " << i;
}

TEST_F(Rendering, Backgrounds) {
    ArgbBitmap bitmap(64, 64);
    SettingData define = Define(L" ", kColorNotSet, 0x00FFFFFF, 0);
    drawFromFile(bitmap.get(), &define, kDejaVu);
    Pixels pixels = Read(bitmap);
    for (ARGB p : pixels.argb) ASSERT_EQ(p, 0xFFFFFFFFu);  // white with its own tint: cleared white

    define = Define(L" ", kColorNotSet, 0x00000000, 0);
    drawFromFile(bitmap.get(), &define, kDejaVu);
    pixels = Read(bitmap);
    EXPECT_EQ(pixels.at(0, 0), 0xFFDFDFDFu);
    EXPECT_EQ(pixels.at(63, 63), 0xFF000000u);
    for (int y = 0; y < 64; ++y) {
        for (int x = 1; x < 64; ++x) ASSERT_EQ(pixels.at(x, y), pixels.at(0, y)) << x << "," << y;
    }

    define = Define(L" ", 0x000000FF, 0x00FF0000, 0);  // red on top, blue at the bottom
    drawFromFile(bitmap.get(), &define, kDejaVu);
    pixels = Read(bitmap);
    EXPECT_EQ(pixels.at(10, 0), 0xFFFF0000u);
    EXPECT_EQ(pixels.at(10, 63), 0xFF0000FFu);
}

TEST_F(Rendering, SampleTextIsLeftAsFound) {
    ArgbBitmap bitmap(48, 48);
    SettingData define = Define(L"", 0x00FFFFFF, 0x00FFFFFF, 0);
    drawFromFile(bitmap.get(), &define, kDejaVu);
    for (wchar_t unit : define.SampleText) ASSERT_EQ(unit, L'\0');
    int ink = 0;
    for (ARGB p : Read(bitmap).argb) ink += p != 0xFFFFFFFFu;
    EXPECT_GT(ink, 10);  // the face's own name was drawn

    define = Define(L"Sample", 0x00FFFFFF, 0x00FFFFFF, 0);
    define.FitSingleLine = 1;
    drawFromFile(bitmap.get(), &define, kDejaVu);
    EXPECT_STREQ(define.SampleText, L"Sample");
}

TEST_F(Rendering, UnreadableFontsLeaveTheBitmapUntouched) {
    ArgbBitmap bitmap(32, 32);
    auto context = DrawingContext::On(reinterpret_cast<GpImage*>(bitmap.get()));
    context.Clear(0xFF123456);
    SettingData define = Define(L"Aa", 0x00FFFFFF, 0x00000000, 0);
    const char notAFont[] = "OTTO this is not a font at all, just some bytes";
    drawFromBinary(bitmap.get(), &define, notAFont, sizeof(notAFont));
    drawFromFile(bitmap.get(), &define, L"C:\\no\\such\\font.ttf");
    for (ARGB p : Read(bitmap).argb) ASSERT_EQ(p, 0xFF123456u);
}

TEST_F(Rendering, BinaryFontsDrawLikeFiles) {
    const std::vector<uint8_t> bytes = FileBytes(kDejaVu);
    ASSERT_FALSE(bytes.empty());
    ArgbBitmap fromFile(64, 64), fromBytes(64, 64);
    SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00C0C0C0, 0);
    drawFromFile(fromFile.get(), &define, kDejaVu);
    drawFromBinary(fromBytes.get(), &define, bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(Read(fromFile).argb, Read(fromBytes).argb);
}

} // namespace
