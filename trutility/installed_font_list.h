#pragma once
// The registry's lists of installed fonts: the system's under HKEY_LOCAL_MACHINE, and the current
// user's under HKEY_CURRENT_USER, where Windows lists the fonts a user installs without administrator
// rights.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "winsupport/fonts_folder.h"

// The list's key under its root.
inline const wchar_t* InstalledFontsKeyOf(HKEY root) {
    return root == HKEY_CURRENT_USER ? kUserInstalledFontsKey : kInstalledFontsKey;
}

struct InstalledFontValue {
    HKEY root = nullptr;     // HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
    std::wstring valueName;  // the font's name in the list
    std::u16string file;     // the file the value names
};

// Every value of both lists that names `target` (letter case ignored), the system's first. The lists
// are read whole before anything is deleted, so a deletion cannot shift a later value past the walk.
// A value whose data is too long for a path cannot name the target and is passed over.
std::vector<InstalledFontValue> FindInstalledFont(std::u16string_view target, std::u16string_view fontsFolder);
// The same in one list: the system's (HKEY_LOCAL_MACHINE) or the user's (HKEY_CURRENT_USER).
std::vector<InstalledFontValue> FindListedFont(HKEY root, std::u16string_view target, std::u16string_view fontsFolder);

// Whether two file paths name one file: letters folded unit by unit, as the file system compares.
bool SamePathIgnoringCase(std::u16string_view a, std::u16string_view b);
