#pragma once
// The context-menu commands that TRUtility.dll carries out, bound from the extension library's own
// folder for the one command. Each answers false when the library or one of its calls is missing.
#include <windows.h>

#include "extension_common/file_selection.h"

namespace glyphpeek::extension_common {

// Asks once for a backup folder, then removes the fonts behind the selected files with it, all in one
// call; each selection buffer is left holding the font its stub named.
bool UninstallSelection(HMODULE module, FileSelection& selection) noexcept;

// Starts the picture output of the settings program for `path`. `started` receives whether it started.
bool OutputPicture(HMODULE module, const wchar_t* path, bool* started) noexcept;

} // namespace glyphpeek::extension_common
