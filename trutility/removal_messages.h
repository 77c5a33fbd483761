#pragma once
// What font removal tells the user: the library's own texts, a font that stayed installed with the
// reason, and the one question asked before administrator rights are requested.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "trutility/installed_font_list.h"

// The library's string `id`; empty when it is missing.
std::wstring LoadText(UINT id);

// `pattern` with "%1", "%2", ... standing for the arguments. Replaced here rather than formatted, so a
// font's name is never read as a format.
std::wstring Fill(const std::wstring& pattern, std::initializer_list<std::wstring> arguments);

// Why a font stayed installed: a reason text (string id) and, for most, the system's error.
struct RemovalFailure {
    UINT reason = 0;
    DWORD error = ERROR_SUCCESS;
};

// The font as the user knows it: its name in the installed-font list.
std::wstring FontName(const std::vector<InstalledFontValue>& found);

// Names the fonts that stayed installed and the reason in a message box: one font alone, or several
// that stayed for one reason together.
void Report(const std::vector<std::wstring>& fonts, const RemovalFailure& failure);
inline void Report(const std::wstring& font, const RemovalFailure& failure) { Report(std::vector{font}, failure); }

// One font to be removed with administrator rights: its name and its file.
struct NamedFont {
    std::wstring name;
    std::wstring file;
};

// Asks once, before administrator rights are requested, whether the fonts named (with their files)
// are to be uninstalled; true on Yes.
bool ConfirmElevatedRemoval(const std::vector<NamedFont>& fonts);
