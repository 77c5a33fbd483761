#pragma once
// Reading the test prefix's registry back, for the registrar and server tests.
#include <windows.h>

#include <optional>
#include <string>

namespace registry_probe {

bool KeyExists(HKEY base, const std::wstring& path);
// The data of a REG_SZ value (name empty: the default value); nullopt when absent or of another type.
std::optional<std::wstring> String(HKEY base, const std::wstring& path, const wchar_t* name = L"");
std::optional<DWORD> Dword(HKEY base, const std::wstring& path, const wchar_t* name);
// Sub-keys plus values of a key; -1 when it is missing.
int EntryCount(HKEY base, const std::wstring& path);
void CreateKey(HKEY base, const std::wstring& path);
void SetString(HKEY base, const std::wstring& path, const wchar_t* name, const std::wstring& data);
void DeleteTree(HKEY base, const std::wstring& path);

} // namespace registry_probe
