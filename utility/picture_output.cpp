// Hands a font over to the settings program's picture output.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

#include "TRUtility.h"
#include "module.h"

extern "C" bool CreateImage(const wchar_t* path) {
    if (!path) return false;
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(UtilityInstance(), module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    wchar_t* slash = wcsrchr(module, L'\\');
    if (!slash) return false;
    slash[1] = L'\0';
    wchar_t program[MAX_PATH] = {};
    if (_snwprintf(program, MAX_PATH - 1, L"%lsTRSetting.exe", module) < 0) return false;
    wchar_t arguments[270] = {};
    // A path that does not fit the argument buffer is refused rather than passed cut.
    if (_snwprintf(arguments, 269, L"/Image \"%ls\"", path) < 0) return false;
    const auto result = ShellExecuteW(nullptr, L"open", program, arguments, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
