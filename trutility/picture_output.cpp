// Hands a font over to the settings program's picture output.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

#include "trutility/TRUtility.h"
#include "trutility/module.h"

namespace {

bool StartPictureOutput(const wchar_t* path) {
    const std::wstring program = FileBesideUtility(L"TRSetting.exe");
    if (program.empty()) return false;
    wchar_t arguments[270] = {};
    // A path that does not fit the argument buffer is refused rather than passed cut.
    if (_snwprintf(arguments, 269, L"/Image \"%ls\"", path) < 0) return false;
    const auto result = ShellExecuteW(nullptr, L"open", program.c_str(), arguments, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace

extern "C" bool CreateImage(const wchar_t* path) {
    if (!path) return false;
    try {
        return StartPictureOutput(path);
    } catch (...) {
        return false;
    }
}
