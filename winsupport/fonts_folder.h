#pragma once
// Where Windows keeps its installed fonts: the shell's Fonts folder and the registry list of them.
#include <string>

// Under HKEY_LOCAL_MACHINE: one value per installed font, its display name naming its file.
inline constexpr wchar_t kInstalledFontsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// The Fonts folder without a closing "\"; empty when the shell cannot name it.
std::wstring FontsFolderPath();
