// The test platform: every Windows test runs under Wine with a real display driver, so dialogs,
// message boxes and window drawing can be tested.
#include <windows.h>

#include <gtest/gtest.h>

TEST(WinePlatform, WindowsCanBeCreatedOnTheDisplay) {
    HWND window = CreateWindowExW(0, L"STATIC", L"Glyphpeek display check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                  200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr) << "CreateWindowExW failed with " << GetLastError();
    EXPECT_NE(GetModuleHandleW(L"winex11.drv"), nullptr) << "Wine runs without the X11 driver";
    RECT rect = {};
    EXPECT_TRUE(GetClientRect(window, &rect));
    EXPECT_GT(rect.right, 0);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(WinePlatform, NoHostFontsAreVisible) {
    // The prefix sees only fonts a test registers itself: DejaVu is on the host but must not be here.
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    wcscpy(query.lfFaceName, L"DejaVu Sans");
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &query, [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    EXPECT_FALSE(found);
}
