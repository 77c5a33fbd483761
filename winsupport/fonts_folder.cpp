#include "winsupport/fonts_folder.h"

#include <windows.h>
#include <shlobj.h>

std::wstring FontsFolderPath() {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_FONTS, FALSE)) return {};
    folder[MAX_PATH - 1] = L'\0';
    return folder;
}
