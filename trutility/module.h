#pragma once
#include <windows.h>

#include <string>

// The instance of TRUtility.dll itself, for its own string table and folder.
HINSTANCE UtilityInstance();

// The full path of a file of that name in TRUtility.dll's own folder (where the settings program is
// delivered); empty when it does not fit a path.
std::wstring FileBesideUtility(const wchar_t* name);
