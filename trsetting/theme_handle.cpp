#include "trsetting/theme_handle.h"

#include "winsupport/export_binding.h"
#include "winsupport/system_libraries.h"

namespace glyphpeek::trsetting {
namespace {

using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);

// The visual-styles library, loaded by the first theme handle and freed by the last one.
struct ThemeLibrary {
    int count = 0;
    HMODULE module = nullptr;
    OpenThemeDataFn open = nullptr;
    CloseThemeDataFn close = nullptr;
    DrawThemeBackgroundFn draw = nullptr;
} g_theme;

} // namespace

CThemeHandle::CThemeHandle() {
    if (g_theme.count++ == 0) {
        g_theme.module = LoadSystemLibrary(L"UxTheme.dll");
        g_theme.open = BindExport<OpenThemeDataFn>(g_theme.module, "OpenThemeData");
        g_theme.close = BindExport<CloseThemeDataFn>(g_theme.module, "CloseThemeData");
        g_theme.draw = BindExport<DrawThemeBackgroundFn>(g_theme.module, "DrawThemeBackground");
    }
}

CThemeHandle::~CThemeHandle() {
    Close();
    if (--g_theme.count == 0 && g_theme.module) {
        ::FreeLibrary(g_theme.module);
        g_theme = {};
    }
}

void CThemeHandle::Close() {
    if (theme_ && g_theme.close) g_theme.close(theme_);
    theme_ = nullptr;
}

bool CThemeHandle::Open(const wchar_t* className) {
    if (!g_theme.module || !g_theme.open) return false;
    Close();
    theme_ = g_theme.open(nullptr, className);
    if (theme_) {
        lstrcpynW(className_, className, 10);
        return true;
    }
    className_[0] = L'\0';
    return false;
}

void CThemeHandle::Reopen() {
    if (!theme_ || !className_[0]) return;
    wchar_t name[10];
    lstrcpynW(name, className_, 10);
    Open(name);
}

bool CThemeHandle::DrawBackground(HDC dc, int part, int state, const RECT& rect) const {
    return theme_ && g_theme.draw && SUCCEEDED(g_theme.draw(theme_, dc, part, state, &rect, nullptr));
}

} // namespace glyphpeek::trsetting
