// TyporamaVista's preview handler as a preview host drives it: created through COM in this process,
// initialised with a stream, given a real window under the test display, SetRect and DoPreview; the
// pane's window is then read back pixel by pixel.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "extension_common/tests/extension_libraries.h"
#include "testsupport/scratch_folder.h"
#include "testsupport/utility_library.h"
#include "winsupport/product_identities.h"

namespace {

const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const wchar_t kNotoCollection[] = L"Z:\\usr\\share\\fonts\\opentype\\noto\\NotoSansCJK-Regular.ttc";
constexpr int kWidth = 420, kHeight = 700;

int Red(DWORD p) { return (p >> 16) & 0xFF; }
int Green(DWORD p) { return (p >> 8) & 0xFF; }
int Blue(DWORD p) { return p & 0xFF; }
// The define's background runs from red to blue: no green in it, whatever the row.
bool BandColour(DWORD p) { return Green(p) < 40 && Red(p) + Blue(p) > 200; }
bool Yellow(DWORD p) { return Red(p) > 150 && Green(p) > 150 && Blue(p) < 110; }

// A window's client area as the screen shows it, 0x00RRGGBB, row by row.
std::vector<std::vector<DWORD>> Capture(HWND window) {
    UpdateWindow(window);
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP picture = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<std::vector<DWORD>> rows;
    if (picture) {
        HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        GdiFlush();
        for (int y = 0; y < height; ++y) {
            const DWORD* row = static_cast<const DWORD*>(bits) + static_cast<size_t>(y) * width;
            rows.emplace_back(row, row + width);
            for (DWORD& p : rows.back()) p &= 0xFFFFFF;
        }
        SelectObject(memory, old);
        DeleteObject(picture);
    }
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return rows;
}

// A row shows a band when its first pixel off the background has the band's colours.
bool BandRow(const std::vector<DWORD>& row, DWORD background) {
    for (const DWORD p : row)
        if (p != background) return BandColour(p);
    return false;
}

class PreviewPane : public ::testing::Test {
protected:
    PreviewPane() {
        // One define for every file: a red-to-blue gradient, yellow text.
        defines.SetString(0, L"SampleText", L"Ag");
        defines.SetDword(0, L"BackColor1", 0x000000FF);
        defines.SetDword(0, L"BackColor2", 0x00FF0000);
        defines.SetDword(0, L"ForeColor", 0x0000FFFF);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PreviewHostStandIn";
        RegisterClassW(&windowClass);
        host = CreateWindowExW(0, L"PreviewHostStandIn", L"host", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~PreviewPane() override {
        for (IPreviewHandler* handler : handlers) {
            handler->Unload();
            handler->Release();
        }
        DestroyWindow(host);
    }

    // A handler initialised with `stream` (the test's reference is kept), shown over the whole host.
    IPreviewHandler* Show(IStream* stream) {
        CLSID clsid{};
        CLSIDFromString(glyphpeek::ids::kTyporamaVista.previewClass, &clsid);
        IUnknown* object = RegisteredExtensions::Create(clsid);
        if (!object) return nullptr;
        IPreviewHandler* handler = nullptr;
        IInitializeWithStream* init = nullptr;
        object->QueryInterface(IID_IPreviewHandler, reinterpret_cast<void**>(&handler));
        object->QueryInterface(IID_IInitializeWithStream, reinterpret_cast<void**>(&init));
        object->Release();
        EXPECT_TRUE(handler && init);
        if (!handler || !init) return nullptr;
        handlers.push_back(handler);
        EXPECT_EQ(init->Initialize(stream, STGM_READ), S_OK);
        init->Release();
        const RECT all = {0, 0, kWidth, kHeight};
        EXPECT_EQ(handler->SetWindow(host, &all), S_OK);
        EXPECT_EQ(handler->SetRect(&all), S_OK);
        EXPECT_EQ(handler->DoPreview(), S_OK);
        return handler;
    }
    IPreviewHandler* ShowFile(const std::wstring& path) {
        IStream* stream = nullptr;
        EXPECT_EQ(SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, 0, FALSE, nullptr, &stream),
                  S_OK);
        if (!stream) return nullptr;
        IPreviewHandler* handler = Show(stream);
        stream->Release();
        return handler;
    }
    HWND Pane() const { return GetWindow(host, GW_CHILD); }

    // The whole content, put together view by view while paging down.
    std::vector<std::vector<DWORD>> Content() {
        std::vector<std::vector<DWORD>> content;
        for (int pages = 0; pages < 200; ++pages) {
            const int at = GetScrollPos(Pane(), SB_VERT);
            const auto view = Capture(Pane());
            if (content.size() < at + view.size()) content.resize(static_cast<size_t>(at) + view.size());
            for (size_t y = 0; y < view.size(); ++y) content[at + y] = view[y];
            SendMessageW(Pane(), WM_VSCROLL, SB_PAGEDOWN, 0);
            if (GetScrollPos(Pane(), SB_VERT) == at) break;
        }
        return content;
    }

    DefineRegistry defines;
    RegisteredExtensions extensions;
    HWND host = nullptr;
    std::vector<IPreviewHandler*> handlers;
    const ScratchFolder folder{std::filesystem::path(TestFolder()) / L"preview"};
};

TEST_F(PreviewPane, EveryFaceOfACollectionGetsABandInTheDefinesColoursAndAWaterfall) {
    ASSERT_TRUE(ShowFile(kNotoCollection));
    ASSERT_TRUE(IsWindow(Pane()));
    const auto content = Content();
    ASSERT_GT(content.size(), static_cast<size_t>(kHeight));  // taller than the pane: it scrolled
    const DWORD background = content[0][0];
    int bands = 0, inkedBands = 0;
    bool waterfallAfterEachBand = true;
    for (size_t y = 0; y < content.size();) {
        if (!BandRow(content[y], background)) {
            ++y;
            continue;
        }
        const size_t top = y;
        int ink = 0;
        for (; y < content.size() && BandRow(content[y], background); ++y)
            for (const DWORD p : content[y]) ink += Yellow(p);
        ++bands;
        inkedBands += ink > 0;
        // The gradient runs from the define's top colour down to its bottom colour.
        const DWORD first = content[top][16], last = content[y - 1][16];
        EXPECT_GT(Red(first), Red(last));
        EXPECT_LT(Blue(first), Blue(last));
        // Below the band the waterfall: the sample in the host's text colour (black here).
        int dark = 0;
        for (size_t w = y; w < std::min(content.size(), y + 200); ++w)
            for (const DWORD p : content[w]) dark += Red(p) + Green(p) + Blue(p) < 200;
        waterfallAfterEachBand = waterfallAfterEachBand && dark > 100;
    }
    EXPECT_EQ(bands, 10);  // Noto Sans CJK and Noto Sans Mono CJK, five regions each
    EXPECT_EQ(inkedBands, bands);
    EXPECT_TRUE(waterfallAfterEachBand);
}

TEST_F(PreviewPane, FollowsTheHostsLookReLaysOutOnSetRectAndScrollsWithTheWheel) {
    IPreviewHandler* handler = ShowFile(kDejaVu);
    ASSERT_TRUE(handler);
    IPreviewHandlerVisuals* visuals = nullptr;
    ASSERT_EQ(handler->QueryInterface(IID_IPreviewHandlerVisuals, reinterpret_cast<void**>(&visuals)), S_OK);
    LOGFONTW font{};
    font.lfHeight = -13;
    wcscpy(font.lfFaceName, L"DejaVu Sans");
    EXPECT_EQ(visuals->SetFont(&font), S_OK);
    EXPECT_EQ(visuals->SetBackgroundColor(RGB(30, 30, 30)), S_OK);
    EXPECT_EQ(visuals->SetTextColor(RGB(230, 230, 230)), S_OK);
    visuals->Release();
    auto view = Capture(Pane());
    ASSERT_FALSE(view.empty());
    EXPECT_EQ(view[0][0], 0x1E1E1Eu);
    int light = 0, bandRight = 0;
    for (const auto& row : view) {
        for (const DWORD p : row) light += Red(p) > 180 && Green(p) > 180 && Blue(p) > 180;
        if (BandRow(row, 0x1E1E1E))
            for (int x = 0; x < static_cast<int>(row.size()); ++x)
                if (BandColour(row[x])) bandRight = std::max(bandRight, x);
    }
    EXPECT_GT(light, 100);  // the host's text colour on its background
    ASSERT_GT(bandRight, 0);

    const RECT narrower = {0, 0, kWidth - 150, kHeight};
    ASSERT_EQ(handler->SetRect(&narrower), S_OK);
    int narrowRight = 0;
    for (const auto& row : Capture(Pane()))
        if (BandRow(row, 0x1E1E1E))
            for (int x = 0; x < static_cast<int>(row.size()); ++x)
                if (BandColour(row[x])) narrowRight = std::max(narrowRight, x);
    EXPECT_EQ(narrowRight, bandRight - 150);

    // One notch towards the user scrolls down, one away comes back to the top.
    SendMessageW(Pane(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_GT(GetScrollPos(Pane(), SB_VERT), 0);
    SendMessageW(Pane(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(GetScrollPos(Pane(), SB_VERT), 0);
}

TEST_F(PreviewPane, TheFileIsNotHeldAndUnloadLetsEverythingGo) {
    // A font and a stub naming it, both deleted while they are shown.
    const std::wstring font = (folder / L"Shown.ttf").wstring(), stub = (folder / L"Shown.ttf.vft").wstring();
    ASSERT_TRUE(CopyFileW(kDejaVu, font.c_str(), FALSE));
    HANDLE file = CreateFileW(stub.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, font.c_str(), static_cast<DWORD>(font.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ShowFile(stub));
    int stubBands = 0;
    for (const auto& row : Capture(Pane())) stubBands += BandRow(row, row[0]);
    EXPECT_GT(stubBands, 0);  // the stub shows the font it names
    ASSERT_TRUE(ShowFile(font));
    EXPECT_TRUE(DeleteFileW(stub.c_str()));
    EXPECT_TRUE(DeleteFileW(font.c_str()));
    for (IPreviewHandler* shown : handlers) shown->Unload();

    // No reference to the stream is kept; Unload takes the window away, and only then is a new
    // stream accepted.
    std::string bytes(4096, 'x');
    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    ASSERT_TRUE(stream);
    IPreviewHandler* handler = Show(stream);
    ASSERT_TRUE(handler);
    stream->AddRef();
    EXPECT_EQ(stream->Release(), 1u);
    const HWND pane = Pane();
    IInitializeWithStream* init = nullptr;
    ASSERT_EQ(handler->QueryInterface(IID_IInitializeWithStream, reinterpret_cast<void**>(&init)), S_OK);
    EXPECT_TRUE(FAILED(init->Initialize(stream, STGM_READ)));
    EXPECT_EQ(handler->Unload(), S_OK);
    EXPECT_FALSE(IsWindow(pane));
    ASSERT_EQ(stream->Seek({}, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(init->Initialize(stream, STGM_READ), S_OK);
    EXPECT_TRUE(FAILED(init->Initialize(nullptr, STGM_READ)));
    init->Release();
    stream->Release();
}

TEST_F(PreviewPane, WhatIsNoFontShowsOneLineSayingSo) {
    std::string dejaVu(600 * 1024, '\0');
    HANDLE file = CreateFileW(kDejaVu, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    ReadFile(file, dejaVu.data(), static_cast<DWORD>(dejaVu.size()), &read, nullptr);
    CloseHandle(file);
    ASSERT_GT(read, 20000u);
    const std::string cases[] = {"Just some text, no font at all.", "", dejaVu.substr(0, read / 2)};
    for (const std::string& bytes : cases) {
        IStream* stream =
            SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
        ASSERT_TRUE(stream);
        ASSERT_TRUE(Show(stream));
        stream->Release();
        const auto view = Capture(Pane());
        ASSERT_FALSE(view.empty());
        int first = -1, last = -1, band = 0;
        for (int y = 0; y < static_cast<int>(view.size()); ++y) {
            bool inked = false;
            for (const DWORD p : view[y]) {
                band += BandColour(p);
                inked = inked || p != view[0][0];
            }
            if (!inked) continue;
            if (first < 0) first = y;
            last = y;
        }
        EXPECT_EQ(band, 0) << bytes.size();
        EXPECT_GE(first, 0) << bytes.size();  // a line is there
        EXPECT_LT(last - first, 30) << bytes.size();  // and only one
        handlers.back()->Unload();
    }
}

} // namespace
