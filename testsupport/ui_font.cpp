#include "testsupport/ui_font.h"

#include <windows.h>

#include <string>

#include "winsupport/fonts_folder.h"

namespace {

constexpr wchar_t kSource[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSansMono.ttf";
constexpr wchar_t kFile[] = L"GlyphpeekUi.ttf";
constexpr wchar_t kValue[] = L"Glyphpeek UI (TrueType)";

std::wstring Installed() { return FontsFolderPath() + L"\\" + kFile; }

} // namespace

InstalledUiFont::InstalledUiFont() {
    CopyFileW(kSource, Installed().c_str(), FALSE);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, kValue, REG_SZ, kFile,
                    static_cast<DWORD>((wcslen(kFile) + 1) * sizeof(wchar_t)));
}

InstalledUiFont::~InstalledUiFont() {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, kValue);
    DeleteFileW(Installed().c_str());
}
