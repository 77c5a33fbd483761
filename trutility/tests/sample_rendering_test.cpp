// Font reading and sample rendering through the real TRUtility.dll, with real fonts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/drawing_context.h"
#include "imaging/gdiplus_session.h"
#include "testsupport/utility_library.h"
#include "core/font_road.h"
#include "testsupport/scratch_folder.h"
#include "testsupport/synthetic_font.h"
#include "winsupport/scoped_handles.h"

using namespace glyphpeek::imaging;

namespace {

const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const wchar_t kDejaVuBold[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans-Bold.ttf";
const wchar_t kNotoCjk[] = L"Z:\\usr\\share\\fonts\\opentype\\noto\\NotoSansCJK-Regular.ttc";
const wchar_t kDejaVuSerif[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSerif.ttf";
const std::wstring kTestFonts = L"" GLYPHPEEK_TEST_FONTS;
const wchar_t kFreeSans[] = L"Z:\\usr\\share\\fonts\\opentype\\freefont\\FreeSans.otf";
const wchar_t kCantarell[] = L"Z:\\usr\\share\\fonts\\opentype\\cantarell\\Cantarell-Bold.otf";
const wchar_t kStixSizeOne[] = L"Z:\\usr\\share\\fonts\\opentype\\stix\\STIXSizeOneSym-Regular.otf";
const wchar_t kInterVariable[] = L"Z:\\usr\\share\\fonts\\truetype\\inter-vf\\Inter.var.ttf";
// Mathematical sans-serif letters and digits, all beyond the BMP.
const wchar_t kAstralMath[] = L"Z:\\usr\\share\\javascript\\mathjax\\fonts\\HTML-CSS\\STIX-Web\\otf\\STIXMathJax_SansSerif-Regular.otf";

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
    const GpRect all = {0, 0, p.width, p.height};
    BitmapData data{};
    data.Width = p.width;
    data.Height = p.height;
    data.Stride = p.width * 4;
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = p.argb.data();
    if (GdipBitmapLockBits(bitmap.get(), &all, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                           &data) == Ok)
        GdipBitmapUnlockBits(bitmap.get(), &data);
    return p;
}

int Channel(ARGB color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

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

// The rules of the picture at thumbnail sizes: separators in the fore colour, ink only inside the
// cells and in every row, over the gradient, for both layouts.
TEST_F(Rendering, RowsSeparatorsAndInkStayInTheirCells) {
    const size_t cjkFaces = Faces(kNotoCjk).size();
    for (const int size : {96, 256}) {
        // Flat rows would push a wrapped block below its cell: the collection is set on one line.
        for (const bool singleLine : {true, false}) {
            SCOPED_TRACE(testing::Message() << size << (singleLine ? " single line" : " block"));
            const size_t n = singleLine ? cjkFaces : 1;
            ArgbBitmap bitmap(size, size);
            SettingData define = Define(L"Aa", 0x00FFFFFF, 0x00C08040, 0x000000FF);  // red ink over a gradient
            define.FitSingleLine = singleLine ? 1 : 0;
            drawFromFile(bitmap.get(), &define, singleLine ? kNotoCjk : kDejaVu);
            const Pixels pixels = Read(bitmap);
            const int rowHeight = size / static_cast<int>(n), margin = size / 64;
            for (size_t i = 1; i < n; ++i) {
                const int y = static_cast<int>(i) * rowHeight;
                for (int x = margin; x < size - margin; ++x)
                    ASSERT_EQ(pixels.at(x, y), 0xFFFF0000u) << "separator " << i << " x " << x;
                EXPECT_NE(pixels.at(margin - 1, y), 0xFFFF0000u);
            }
            std::vector<int> inkPerRow(n, 0);
            bool fullInk = false;
            for (int y = 0; y < size; ++y) {
                const int row = y / rowHeight;
                const bool separator = row > 0 && y == row * rowHeight && row < static_cast<int>(n);
                const ARGB background = pixels.at(0, y);  // the margin column is never inked
                for (int x = 0; x < size; ++x) {
                    const ARGB p = pixels.at(x, y);
                    if (p == background || separator) continue;
                    const bool inCell = row < static_cast<int>(n) && x >= margin && x < size - margin &&
                                        y >= row * rowHeight + margin && y < row * rowHeight + rowHeight - margin;
                    ASSERT_TRUE(inCell) << "ink outside the cells at " << x << "," << y;
                    // Red laid over the background: red up, green and blue down.
                    ASSERT_GE(Channel(p, 16), Channel(background, 16));
                    ASSERT_LE(Channel(p, 8), Channel(background, 8));
                    ASSERT_LE(Channel(p, 0), Channel(background, 0));
                    fullInk |= p == 0xFFFF0000u;
                    ++inkPerRow[row];
                }
            }
            for (size_t i = 0; i < n; ++i) EXPECT_GT(inkPerRow[i], 5) << "row " << i;
            if (!singleLine) {
                EXPECT_TRUE(fullInk);  // the collection's rows at 96 are too small for it
            }
        }
    }
}

// Text edges are smoothed by the reduction on every platform (Wine's own scaling has no filter).
TEST_F(Rendering, GlyphEdgesHoldIntermediateCoverage) {
    ArgbBitmap bitmap(96, 96);
    SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00FFFFFF, 0);
    define.FitSingleLine = 1;
    drawFromFile(bitmap.get(), &define, kDejaVu);
    int ink = 0, between = 0;
    for (ARGB p : Read(bitmap).argb) {
        ink += p != 0xFFFFFFFFu;
        between += p != 0xFFFFFFFFu && p != 0xFF000000u;
        ASSERT_EQ(Channel(p, 16), Channel(p, 0)) << "grey only";
    }
    EXPECT_GT(ink, 200);
    EXPECT_GT(between * 5, ink) << "edges are graded, not hard";
}

// The largest thumbnails keep text in every row (the canvas factor drops, the picture does not).
TEST_F(Rendering, LargeThumbnailsHaveInkInEveryRow) {
    const size_t n = Faces(kNotoCjk).size();
    ArgbBitmap bitmap(2048, 2048);
    ASSERT_TRUE(bitmap);
    SettingData define = Define(L"Aa", 0x00FFFFFF, 0x00FFFFFF, 0);
    define.FitSingleLine = 1;
    drawFromFile(bitmap.get(), &define, kNotoCjk);
    const Pixels pixels = Read(bitmap);
    const int rowHeight = 2048 / static_cast<int>(n);
    std::vector<int> inkPerRow(n, 0);
    for (int y = 0; y < static_cast<int>(n) * rowHeight; ++y) {
        if (y % rowHeight == 0) continue;  // separators
        for (int x = 0; x < 2048; ++x) inkPerRow[static_cast<size_t>(y / rowHeight)] += pixels.at(x, y) != 0xFFFFFFFFu;
    }
    for (size_t i = 0; i < n; ++i) EXPECT_GT(inkPerRow[i], 2000) << "row " << i;
}

// The settings program's preview and picture output draw through the same rows as a thumbnail: a
// caller's high-quality context gives the thumbnail's picture, a nearest-neighbour one hard edges.
TEST_F(Rendering, CallersContextGivesTheSamePicture) {
    std::vector<FontData> faces = Faces(kDejaVu);
    ASSERT_EQ(faces.size(), 1u);
    ASSERT_EQ(AddFontResourceExW(kDejaVu, FR_PRIVATE, nullptr), 1);
    auto drawNames = library.Get<void (*)(GpBitmap*, SettingData*, std::vector<FontData>*)>("DrawStringFromNames");
    auto drawNamesG =
        library.Get<void (*)(GpGraphics*, GpBitmap*, SettingData*, std::vector<FontData>*)>("DrawStringFromNamesG");
    SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00FFFFFF, 0x00800000);
    ArgbBitmap own(120, 80);
    drawNames(own.get(), &define, &faces);
    const Pixels expected = Read(own);
    for (const InterpolationMode mode : {InterpolationModeHighQuality, InterpolationModeNearestNeighbor}) {
        ArgbBitmap theirs(120, 80);
        FillPixels(theirs.get(), 0xFFFFFFFF);
        {
            auto context = DrawingContext::On(reinterpret_cast<GpImage*>(theirs.get()));
            context.SetInterpolation(mode);
            InterpolationMode before = InterpolationModeDefault, after = InterpolationModeDefault;
            GdipGetInterpolationMode(context.get(), &before);
            drawNamesG(context.get(), theirs.get(), &define, &faces);
            GdipGetInterpolationMode(context.get(), &after);
            EXPECT_EQ(after, before) << "the caller's mode is left as it was";
        }
        const Pixels got = Read(theirs);
        int graded = 0, differ = 0;
        for (size_t i = 0; i < got.argb.size(); ++i) {
            const ARGB p = got.argb[i];
            graded += p != 0xFFFFFFFFu && p != 0xFF000080u;
            for (int shift = 0; shift < 32; shift += 8)
                differ += std::abs(Channel(p, shift) - Channel(expected.argb[i], shift)) > 1;
        }
        if (mode == InterpolationModeHighQuality)
            EXPECT_EQ(differ, 0);
        else
            EXPECT_EQ(graded, 0);
    }
    RemoveFontResourceExW(kDejaVu, FR_PRIVATE, nullptr);
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

int Ink(const ArgbBitmap& bitmap) {
    int ink = 0;
    for (ARGB p : Read(bitmap).argb) ink += p != 0xFFFFFFFFu;
    return ink;
}

// Web fonts and CFF collections are fonts by their content: a WOFF or WOFF2 draws as the font it
// carries, and every face of an OpenType collection is drawn.
TEST_F(Rendering, WebFontsAndCffCollectionsDraw) {
    SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00C0C0C0, 0);
    ArgbBitmap original(64, 64);
    drawFromFile(original.get(), &define, kDejaVu);
    for (const std::wstring web : {kTestFonts + L"DejaVuSans.woff", kTestFonts + L"DejaVuSans.woff2"}) {
        ArgbBitmap drawn(64, 64);
        drawFromFile(drawn.get(), &define, web.c_str());
        EXPECT_EQ(Read(drawn).argb, Read(original).argb);
        EXPECT_EQ(Faces(web.c_str()).size(), 1u);
    }
    const std::wstring collection = kTestFonts + L"NotoSansCJK-Regular.otc";
    const size_t faces = Faces(collection.c_str()).size();
    ASSERT_GT(faces, 1u);
    const int rowHeight = 40;
    ArgbBitmap drawn(160, rowHeight * static_cast<int>(faces));
    SettingData cjk = Define(L"\u6F22\u5B57", 0x00FFFFFF, 0x00FFFFFF, 0);
    drawFromFile(drawn.get(), &cjk, collection.c_str());
    const Pixels pixels = Read(drawn);
    for (size_t row = 0; row < faces; ++row) {
        int ink = 0;
        for (int y = 1; y < rowHeight - 1; ++y)
            for (int x = 0; x < pixels.width; ++x) ink += pixels.at(x, static_cast<int>(row) * rowHeight + y) != 0xFFFFFFFFu;
        EXPECT_GT(ink, 20) << "face " << row;
    }
}

// A file may call itself by any name: it is drawn with its own glyphs, never with those of a font of
// that name the process already knows.
TEST_F(Rendering, AFontNamedLikeAnotherIsDrawnWithItsOwnGlyphs) {
    const PrivateFontFile genuine(kDejaVu);
    ASSERT_GT(genuine.count(), 0);
    const std::vector<uint8_t> serif = FileBytes(kDejaVuSerif);
    const auto impostor = glyphpeek::WithOwnNames(serif, {u"DejaVu Sans", false, false});
    ASSERT_TRUE(impostor);
    SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00FFFFFF, 0);
    ArgbBitmap sans(64, 64), fromImpostor(64, 64), fromSerif(64, 64);
    drawFromFile(sans.get(), &define, kDejaVu);
    drawFromBinary(fromImpostor.get(), &define, impostor->data(), static_cast<uint32_t>(impostor->size()));
    drawFromBinary(fromSerif.get(), &define, serif.data(), static_cast<uint32_t>(serif.size()));
    EXPECT_NE(Read(fromImpostor).argb, Read(sans).argb);
    EXPECT_EQ(Read(fromImpostor).argb, Read(fromSerif).argb);
}

// A CFF font without a character map has crashed the font engine; it is not a font at all: no face,
// nothing drawn, and the font engine never sees it (its face is not found by name afterwards).
TEST_F(Rendering, DamagedFontsNeverReachTheFontEngine) {
    std::vector<uint8_t> bytes = FileBytes(kFreeSans);
    ASSERT_FALSE(bytes.empty());
    const size_t tables = (bytes[4] << 8) | bytes[5];
    for (size_t i = 0; i < tables; ++i)
        if (memcmp(&bytes[12 + 16 * i], "cmap", 4) == 0) bytes[12 + 16 * i] = 'z';
    wchar_t folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"gp", 0, path);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);

    ArgbBitmap bitmap(32, 32);
    DrawingContext::On(reinterpret_cast<GpImage*>(bitmap.get())).Clear(0xFF123456);
    SettingData define = Define(L"Aa", 0x00FFFFFF, 0x00000000, 0);
    EXPECT_TRUE(Faces(path).empty());
    drawFromFile(bitmap.get(), &define, path);
    drawFromBinary(bitmap.get(), &define, bytes.data(), static_cast<uint32_t>(bytes.size()));
    for (ARGB p : Read(bitmap).argb) ASSERT_EQ(p, 0xFF123456u);
    DeleteFileW(path);

    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-20, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"FreeSans");
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    EXPECT_STRNE(face, L"FreeSans");
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
}

// Cantarell's names are Windows names only; STIX's size variants hold no Latin letters.
TEST_F(Rendering, EveryRealFontShowsSomething) {
    const std::vector<FontData> faces = Faces(kCantarell);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_STREQ(faces[0].faceName, L"Cantarell-Bold");
    EXPECT_STREQ(faces[0].displayName, L"Cantarell Bold");
    EXPECT_TRUE(faces[0].bold);
    for (const wchar_t* font : {kCantarell, kStixSizeOne}) {
        ArgbBitmap bitmap(64, 64);
        SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00FFFFFF, 0);
        drawFromFile(bitmap.get(), &define, font);
        EXPECT_GT(Ink(bitmap), 20) << font;
    }
}

// The ink of each shape on a one-row picture, left to right: a shape is a run of columns with ink.
std::vector<int> InkPerShape(const Pixels& pixels) {
    std::vector<int> shapes;
    bool inShape = false;
    for (int x = 0; x < pixels.width; ++x) {
        int ink = 0;
        for (int y = 0; y < pixels.height; ++y) ink += 255 - Channel(pixels.at(x, y), 8);
        if (ink > 0 && !inShape) shapes.push_back(0);
        if (ink > 0) shapes.back() += ink;
        inShape = ink > 0;
    }
    return shapes;
}

// A row of missing-glyph boxes is one shape repeated; a row of letters has shapes of differing ink.
void ExpectShapesOfTheirOwn(const ArgbBitmap& bitmap) {
    const std::vector<int> shapes = InkPerShape(Read(bitmap));
    ASSERT_GE(shapes.size(), 6u);
    const auto [least, most] = std::minmax_element(shapes.begin(), shapes.end());
    EXPECT_GT(*most, *least * 3 / 2);
}

const std::wstring kNoto = L"Z:\\usr\\share\\fonts\\truetype\\noto\\";

// A face holding none of the sample's characters shows a dozen of its own. Script fonts show
// letters of their script, not ASCII punctuation (Kannada, Khmer) nor boxes or nothing (Osage and
// Brahmi, beyond the BMP, which the engine's text calls cannot draw under Wine); a math font whose
// letters all lie beyond the BMP shows them, not nothing.
TEST_F(Rendering, FacesWithoutTheSampleShowTheirOwnLetters) {
    const std::wstring fonts[] = {kNoto + L"NotoSansKannada-Regular.ttf", kNoto + L"NotoSansKhmer-Regular.ttf",
                                  kNoto + L"NotoSansOsage-Regular.ttf", kNoto + L"NotoSansBrahmi-Regular.ttf", kAstralMath};
    for (const std::wstring& font : fonts) {
        SCOPED_TRACE(testing::Message() << font.c_str());
        ArgbBitmap bitmap(640, 64);
        SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00FFFFFF, 0);
        define.FitSingleLine = 1;
        drawFromFile(bitmap.get(), &define, font.c_str());
        ExpectShapesOfTheirOwn(bitmap);
    }
}

// Faces drawn by name (installed ones, as the settings program previews them) are asked through the
// font engine's own tables, and their letters beyond the BMP drawn by glyph.
TEST_F(Rendering, FacesByNameShowTheirOwnLettersToo) {
    const std::wstring osage = kNoto + L"NotoSansOsage-Regular.ttf";
    ASSERT_EQ(AddFontResourceExW(osage.c_str(), FR_PRIVATE, nullptr), 1);
    std::vector<FontData> faces(1);
    wcscpy(faces[0].faceName, L"Noto Sans Osage");
    auto drawNames = library.Get<void (*)(GpBitmap*, SettingData*, std::vector<FontData>*)>("DrawStringFromNames");
    ArgbBitmap bitmap(640, 64);
    SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00FFFFFF, 0);
    define.FitSingleLine = 1;
    drawNames(bitmap.get(), &define, &faces);
    ExpectShapesOfTheirOwn(bitmap);
    RemoveFontResourceExW(osage.c_str(), FR_PRIVATE, nullptr);
}

// The preview pane's lines at a pixel size draw the face's own letters as its rows do.
TEST_F(Rendering, PreviewLinesShowTheirOwnLettersToo) {
    const std::vector<uint8_t> bytes = FileBytes((kNoto + L"NotoSansOsage-Regular.ttf").c_str());
    ASSERT_FALSE(bytes.empty());
    auto drawSamples = library.Get<DrawSamplesFromBinaryProc>("DrawSamplesFromBinary");
    ArgbBitmap bitmap(640, 64);
    FillPixels(bitmap.get(), 0xFFFFFFFF);
    SettingData define = Define(L"Ag", 0x00FFFFFF, 0x00FFFFFF, 0);
    const SampleCell line = {0, 0, 0, 640, 64, 40, 0xFF000000u};
    drawSamples(bitmap.get(), &define, bytes.data(), static_cast<uint32_t>(bytes.size()), &line, 1);
    ExpectShapesOfTheirOwn(bitmap);
}

// Ten faces in rows of 25 pixels: each row's text fits its cell instead of being clipped to a strip.
TEST_F(Rendering, TextIsNeverTallerThanItsCell) {
    const int n = static_cast<int>(Faces(kNotoCjk).size());
    ArgbBitmap bitmap(256, 256);
    SettingData define = Define(L"", 0x00FFFFFF, 0x00FFFFFF, 0);  // the standard define: names in blocks
    drawFromFile(bitmap.get(), &define, kNotoCjk);
    const Pixels pixels = Read(bitmap);
    const int r = 256 / n, my = 256 / 64, h = r - 2 * my;
    for (int i = 0; i < n; ++i) {
        auto inkOn = [&](int y) {
            int ink = 0;
            for (int x = 0; x < 256; ++x) ink += pixels.at(x, y) != 0xFFFFFFFFu;
            return ink;
        };
        const int top = i * r + my;
        int ink = 0;
        for (int y = top; y < top + h; ++y) ink += inkOn(y);
        EXPECT_GT(ink, 20) << "row " << i;
        EXPECT_EQ(inkOn(top), 0) << "row " << i;
        EXPECT_EQ(inkOn(top + h - 1), 0) << "row " << i;
    }
}

// A variable font shows its named instances as rows, Thin to Black: every row has ink, and the
// upright rows grow darker down the weights (the sample is narrower than tall, so every row is set at
// the cell's height whatever the instance's widths).
TEST_F(Rendering, VariableFontsShowEachNamedInstance) {
    const std::vector<FontData> faces = Faces(kInterVariable);
    ASSERT_EQ(faces.size(), 18u);
    EXPECT_STREQ(faces[0].displayName, L"Inter Thin");
    EXPECT_STREQ(faces[17].displayName, L"Inter Black Italic");
    const int n = static_cast<int>(faces.size()), size = 2048, r = size / n;
    ArgbBitmap bitmap(size, size);
    ASSERT_TRUE(bitmap);
    SettingData define = Define(L"Il", 0x00FFFFFF, 0x00FFFFFF, 0);
    define.FitSingleLine = 1;
    drawFromFile(bitmap.get(), &define, kInterVariable);
    const Pixels pixels = Read(bitmap);
    std::vector<long> ink(static_cast<size_t>(n), 0);  // coverage: 255 for a black pixel
    for (int y = 0; y < n * r; ++y) {
        if (y % r == 0) continue;  // separators
        for (int x = 0; x < size; ++x) ink[static_cast<size_t>(y / r)] += 255 - Channel(pixels.at(x, y), 8);
    }
    long lighter = 0;
    for (int i = 0; i < n; ++i) {
        EXPECT_GT(ink[i], 255 * 40) << "row " << i;
        if (wcsstr(faces[i].displayName, L"Italic")) continue;
        EXPECT_GT(ink[i], lighter) << faces[i].displayName;
        lighter = ink[i];
    }

    // An 'fvar' naming no instance: the one face of the file.
    ScratchFolder folder(std::filesystem::temp_directory_path() / "glyphpeek-variable");
    const std::filesystem::path path = folder / "axis-only.ttf";
    {
        glyphpeek::synthetic::Bytes fvar;
        for (std::uint16_t v : {1, 0, 16, 2, 1, 20, 0, 8}) glyphpeek::synthetic::AppendU16(fvar, v);
        glyphpeek::synthetic::AppendU32(fvar, glyphpeek::synthetic::MakeTag("wght"));
        for (std::uint32_t v : {100u << 16, 400u << 16, 900u << 16, 256u}) glyphpeek::synthetic::AppendU32(fvar, v);
        const glyphpeek::synthetic::Bytes font = glyphpeek::synthetic::SoundFont().Table("fvar", fvar).Build();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(font.data()),
                                                    static_cast<std::streamsize>(font.size()));
    }
    const std::vector<FontData> axisOnly = Faces(path.c_str());
    ASSERT_EQ(axisOnly.size(), 1u);
    EXPECT_STREQ(axisOnly[0].displayName, L"Synthetic");
}

} // namespace
