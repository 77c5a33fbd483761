#pragma once
// The settings program's maintenance switches: run without a dialog of their own, from an installer or
// an uninstaller's command line.
#include <string>

#include "command_line.h"

namespace glyphpeek::settings {

// The program's string `id`.
using TextSource = std::wstring (*)(unsigned id);

// Runs the request when it is one of the maintenance actions (install, unregister, uninstall, clear the
// thumbnail cache, register a font type) and answers true; false, doing nothing, for the requests that
// open a dialog. The uninstall asks whether the stored defines and the stub folder go too.
bool RunMaintenance(const StartRequest& request, TextSource text);

} // namespace glyphpeek::settings
