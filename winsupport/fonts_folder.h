#pragma once
// Where Windows keeps its installed fonts: the shell's Fonts folder and the registry list of them.
#include <string>

// Under HKEY_LOCAL_MACHINE: one value per installed font, its display name naming its file.
inline constexpr wchar_t kInstalledFontsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
// Under HKEY_CURRENT_USER: the fonts the user installed without administrator rights (Windows 10 1809
// and later), their data full paths, usually under %LOCALAPPDATA%\Microsoft\Windows\Fonts.
inline constexpr wchar_t kUserInstalledFontsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// The Fonts folder without a closing "\"; empty when the shell cannot name it.
std::wstring FontsFolderPath();
