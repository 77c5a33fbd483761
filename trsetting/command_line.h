#pragma once
// What the settings program is asked to do by the text after its name. Switches count only at the very
// start of the text, in any letter case; the first that matches is the only action. Platform-neutral.
#include <string>
#include <string_view>
#include <vector>

namespace glyphpeek::trsetting {

enum class StartAction {
    kInstall,         // "/install": register the extension library
    kUnregister,      // "/unregist": unregister it
    kUninstall,       // "/uninstall": remove the handlers, perhaps the stored settings, unregister
    kClearCache,      // "/clrcache": clear Explorer's thumbnail cache
    kRegisterType,    // "/regist": attach the handlers to the font type named by the last three characters
    kImage,           // "/image <path>": picture output for one font file
    // The package's switches: silent, waiting for the registration tool, with an exit code.
    kSetup,           // "/setup": register the extension library and attach .vft
    kUndoSetup,       // "/undosetup": take back what "/setup" wrote, when an installation rolls back
    kCleanup,         // "/cleanup": remove every registration and the stub folder; the defines stay
    kRemoveFont,      // "/removefont "<font file>"...": remove installed system fonts with administrator rights
    kSettingsDialog,  // anything else: the main settings dialog
};

struct StartRequest {
    StartAction action = StartAction::kSettingsDialog;
    // "/result" anywhere: the registration tool reports its result instead of running silently.
    bool showResult = false;
    // For kRegisterType: 1 (.ttf), 2 (.ttc) or 3 (.otf); -1 when the text names none, and nothing is done.
    int fontType = -1;
    // For kImage: the path as given, letter case kept, without leading blanks and surrounding quotes.
    std::u16string imagePath;
    // For kRemoveFont: the font files whose fonts go, each only a name to look up in the machine's
    // installed-font list. Arguments are separated by blanks; a quoted one runs to the next quote.
    std::vector<std::u16string> removalFiles;
};

StartRequest ParseCommandTail(std::u16string_view tail);

} // namespace glyphpeek::trsetting
