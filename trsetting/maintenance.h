#pragma once
// The settings program's maintenance switches: run without a dialog of their own, from an installer or
// an uninstaller's command line.
#include <optional>
#include <string>

#include "trsetting/command_line.h"

namespace glyphpeek::trsetting {

// The program's string `id`.
using TextSource = std::wstring (*)(unsigned id);

// Runs the request when it is one of the maintenance actions (install, unregister, uninstall, clear the
// thumbnail cache, register a font type, and the package's setup, undo and clean-up) and answers the
// program's exit code; nothing, doing nothing, for the requests that open a dialog. The uninstall asks
// whether the stored defines and the stub folder go too; the package's switches ask nothing.
std::optional<int> RunMaintenance(const StartRequest& request, TextSource text);

} // namespace glyphpeek::trsetting
