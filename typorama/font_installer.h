#pragma once
// Installing font files into the system, as Typorama's Install command does.
#include <windows.h>

#include <span>
#include <string>

#include "extension_common/context_menu.h"
#include "extension_common/file_selection.h"

namespace glyphpeek::typorama {

// Reads each selected file once; only a TrueType, OpenType or collection file that the OpenType
// Sanitizer passes whole is installed (one it refuses is reported, IDS_REFUSED), and exactly the bytes
// it checked are written to a new file in the Fonts folder (never over a file there), which is then
// entered in the
// installed-font list under its family names (from the name table for a file the collection reader
// refuses, such as CFF OpenType), adds it to the running system and tells every window. Files that
// cannot be copied, or that hold no font family, leave nothing behind. Each file entered in the list
// is announced in a message box (texts IDS_INSTALLED and IDS_INFORMATION_CAPTION of `text`); a file
// that could not be entered is taken back out of the Fonts folder and reported (IDS_NOT_INSTALLED), as
// is one whose name the list already has (IDS_NAME_TAKEN): that value is never replaced.
void InstallFonts(const extension_common::FileSelection& selection, extension_common::TextSource text);

// The installed-font list's name for a file's families: their names, each as the font engine's
// 32-unit field holds it, joined by " & " and cut to 999 units.
std::wstring InstalledFontName(std::span<const std::u16string> families);

} // namespace glyphpeek::typorama
