// The Explorer stand-in end to end: the libraries registered with regsvr32 as an installer does, the
// thumbnails asked for through COM activation by thumbnail_probe.exe in a process of its own, and
// the PNGs it writes read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <string>

#include "imaging/bitmap.h"
#include "winsupport/fonts_folder.h"
#include "imaging/gdiplus_session.h"
#include "testsupport/test_process.h"
#include "testsupport/utility_library.h"
#include "testsupport/scratch_folder.h"
#include "winsupport/scoped_handles.h"

namespace {

using namespace glyphpeek::imaging;

const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const wchar_t* const kLibraries[] = {L"Typorama.dll", L"TyporamaVista.dll"};


// A PNG read back: its size and pixels (0xRRGGBB, alpha dropped).
class Png {
public:
    explicit Png(const std::wstring& path) { GdipCreateBitmapFromFile(path.c_str(), &bitmap_); }
    ~Png() {
        if (bitmap_) GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap_));
    }
    bool ok() const { return bitmap_ != nullptr; }
    PixelSize size() const { return ImageSize(reinterpret_cast<GpImage*>(bitmap_)); }
    DWORD Pixel(int x, int y) const {
        ARGB color = 0;
        GdipBitmapGetPixel(bitmap_, x, y, &color);
        return color & 0xFFFFFF;
    }
    // Pixels that differ from the corner: the sample text was drawn when there are some.
    int Inked() const {
        const PixelSize s = size();
        const DWORD background = Pixel(0, 0);
        int inked = 0;
        for (int y = 0; y < s.height; y += 2)
            for (int x = 0; x < s.width; x += 2) inked += Pixel(x, y) != background;
        return inked;
    }

private:
    GpBitmap* bitmap_ = nullptr;
};

// Colours as defines store them (0x00BBGGRR) and as PNG pixels read back (0xRRGGBB).
constexpr DWORD kRedDefine = 0x000000FF, kRed = 0xFF0000;
constexpr DWORD kGreenDefine = 0x0000FF00, kGreen = 0x00FF00;
constexpr DWORD kBlueDefine = 0x00FF0000, kBlue = 0x0000FF;
constexpr DWORD kWhite = 0xFFFFFF;

class ThumbnailProbe : public ::testing::Test {
protected:
    ThumbnailProbe() {
        for (const wchar_t* library : kLibraries)
            EXPECT_EQ(Execute(L"regsvr32.exe /s " + Quoted(TestFolder() + library)).exitCode, 0u) << library;
    }
    ~ThumbnailProbe() override {
        for (const wchar_t* library : kLibraries) Execute(L"regsvr32.exe /s /u " + Quoted(TestFolder() + library));
    }
    // thumbnail_probe.exe with the arguments, writing into the test's folder.
    Finished Probe(const std::wstring& generation, const std::wstring& size, std::initializer_list<std::wstring> files) {
        std::wstring command = Quoted(TestFolder() + L"thumbnail_probe.exe") + L" " + generation + L" " + size + L" " +
                               Quoted(folder.wstring());
        for (const std::wstring& file : files) command += L" " + Quoted(file);
        Finished run = Execute(command);
        return run;
    }
    std::wstring Output(const wchar_t* name) const { return (folder / (std::wstring(name) + L".png")).wstring(); }
    std::wstring Write(const wchar_t* name, const std::wstring& text) {
        const std::wstring path = (folder / name).wstring();
        const ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), &written, nullptr);
        return path;
    }
    // DejaVuSans.ttf drawn at the size asked for with its own (red) define; the same font under another
    // name with the standard define.
    void ExpectOwnDefineAndStandardDefine(int width, int height) {
        const Png own(Output(L"DejaVuSans.ttf")), other(Output(L"Renamed.ttf"));
        ASSERT_TRUE(own.ok() && other.ok());
        EXPECT_EQ(own.size().width, width);
        EXPECT_EQ(own.size().height, height);
        EXPECT_EQ(own.Pixel(0, 0), kRed);
        EXPECT_GT(own.Inked(), 0);
        EXPECT_EQ(other.Pixel(0, 0), kWhite);
    }
    void SolidDefine(int index, const wchar_t* condition, DWORD color) {
        registry.SetString(index, L"DefineName", condition);
        registry.SetString(index, L"Condition", condition);
        registry.SetDword(index, L"BackColor1", color);
        registry.SetDword(index, L"BackColor2", color);
        registry.SetDword(index, L"ForeColor", 0);
    }

    GdiplusSession gdiplus;
    DefineRegistry registry;
    const ScratchFolder folder{std::filesystem::path(TestFolder()) / L"probe-output"};
};


TEST_F(ThumbnailProbe, AFontFileIsDrawnWithTheDefineOfItsOwnNameAtTheRequestedSize) {
    SolidDefine(0, L"^DejaVuSans\\.ttf$", kRedDefine);
    const std::wstring renamed = (folder / L"Renamed.ttf").wstring();
    ASSERT_TRUE(CopyFileW(kDejaVu, renamed.c_str(), FALSE));

    const Finished classic = Probe(L"classic", L"120x80", {kDejaVu, renamed});
    EXPECT_EQ(classic.exitCode, 0u) << classic.output;
    EXPECT_NE(classic.output.find("DejaVuSans.ttf: GetLocation 0x8000000A Extract 0x00000000 120 x 80"),
              std::string::npos) << classic.output;
    {
        ExpectOwnDefineAndStandardDefine(120, 80);
    }

    const Finished vista = Probe(L"vista", L"256", {kDejaVu, renamed});
    EXPECT_EQ(vista.exitCode, 0u) << vista.output;
    EXPECT_NE(vista.output.find("DejaVuSans.ttf: GetThumbnail 0x00000000 alpha RGB 256 x 256"), std::string::npos)
        << vista.output;
    ExpectOwnDefineAndStandardDefine(256, 256);
}

// A stub of the Fonts-folder form ("-:" and the font's file name), as the virtual font manager writes.
class FontsFolderStub : public ThumbnailProbe {
protected:
    FontsFolderStub() {
        font = FontsFolderPath() + L"\\GlyphpeekProbe.ttf";
        EXPECT_TRUE(CopyFileW(kDejaVu, font.c_str(), FALSE));
    }
    ~FontsFolderStub() override { DeleteFileW(font.c_str()); }
    std::wstring font;
};

TEST_F(FontsFolderStub, IsDrawnFromThatFontWithTheDefineOfTheFontsNameThroughBothClasses) {
    // The stub's own name matches the first define; the font's name only the second.
    SolidDefine(0, L"\\.vft$", kGreenDefine);
    SolidDefine(1, L"^GlyphpeekProbe\\.ttf$", kBlueDefine);
    const std::wstring stub = Write(L"GlyphpeekProbe.ttf.vft", L"-:GlyphpeekProbe.ttf");
    for (const wchar_t* generation : {L"classic", L"vista"}) {
        const Finished run = Probe(generation, L"96", {stub});
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        const Png png(Output(L"GlyphpeekProbe.ttf.vft"));
        ASSERT_TRUE(png.ok()) << run.output;
        EXPECT_EQ(png.Pixel(0, 0), kBlue) << run.output;
        EXPECT_GT(png.Inked(), 0) << run.output;  // the font was found in the Fonts folder
    }
    // Without the font in the Fonts folder there are no faces to read: the bitmap stays untouched and
    // comes back composed onto white, still as a thumbnail.
    ASSERT_TRUE(DeleteFileW(font.c_str()));
    for (const wchar_t* generation : {L"classic", L"vista"}) {
        const Finished run = Probe(generation, L"96", {stub});
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        const Png png(Output(L"GlyphpeekProbe.ttf.vft"));
        ASSERT_TRUE(png.ok()) << run.output;
        EXPECT_EQ(png.Pixel(0, 0), kWhite);
        EXPECT_EQ(png.Inked(), 0);
    }
}

TEST_F(ThumbnailProbe, FailuresAreReportedWithTheHandlersAnswerAndANonZeroExit) {
    const std::wstring missingStub = (folder / L"missing.vft").wstring();
    const Finished classic = Probe(L"classic", L"64", {kDejaVu, missingStub});
    EXPECT_EQ(classic.exitCode, 1u);
    EXPECT_NE(classic.output.find("missing.vft: GetLocation 0x8000000A Extract 0x80070057, no thumbnail"),
              std::string::npos) << classic.output;
    EXPECT_TRUE(std::filesystem::exists(Output(L"DejaVuSans.ttf")));  // the other file still got its thumbnail
    const Finished vista = Probe(L"vista", L"64", {missingStub});
    EXPECT_EQ(vista.exitCode, 1u);
    EXPECT_NE(vista.output.find("missing.vft: SHCreateStreamOnFileEx 0x"), std::string::npos) << vista.output;
    // Sizes the probe cannot pass on as meant are refused before any handler is asked.
    for (const wchar_t* size : {L"0x80", L"-5", L"120x", L"12y8", L"70000"})
        EXPECT_EQ(Probe(L"classic", size, {kDejaVu}).exitCode, 2u) << size;
    EXPECT_EQ(Probe(L"vista", L"120x80", {kDejaVu}).exitCode, 2u);  // the provider's thumbnails are square
    EXPECT_EQ(Probe(L"sideways", L"64", {kDejaVu}).exitCode, 2u);
}

} // namespace
