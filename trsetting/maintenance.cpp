#include "trsetting/maintenance.h"

#include <windows.h>

#include "trsetting/resource.h"
#include "trsetting/shell_integration.h"

namespace glyphpeek::trsetting {
namespace {

void Uninstall(bool showResult, TextSource text) {
    for (int type = 0; type < kFontTypeCount; ++type) UnregisterFontType(type);
    if (MessageBoxW(nullptr, text(IDS_ALSO_DELETE_DEFINES).c_str(), text(IDS_CONFIRM_CAPTION).c_str(),
                    MB_YESNO | MB_ICONQUESTION) == IDYES) {
        DeleteStoredSettings();
        DeleteStubFolder();
    }
    UnregisterExtensionLibrary(showResult);
}

// What the package's removal takes away: everything the product registered, whichever font types the
// user attached, and the stub folder beside the programs. The defines are the user's and stay.
void Cleanup() {
    for (int type = 0; type < kFontTypeCount; ++type) UnregisterFontType(type);
    DeleteStubFolder();
    UnregisterExtensionLibrary(false);
    RemoveLeftoverClassKeys();
}

// What "/setup" wrote, when the installation that ran it rolls back.
void UndoSetup() {
    for (int type = 0; type < kFontTypeCount; ++type)
        if (IsAlwaysServed(type)) UnregisterFontType(type);
    UnregisterExtensionLibrary(false);
    RemoveLeftoverClassKeys();
}

} // namespace

std::optional<int> RunMaintenance(const StartRequest& request, TextSource text) {
    switch (request.action) {
    case StartAction::kInstall:
        RegisterExtensionLibrary(request.showResult);
        return 0;
    case StartAction::kUnregister:
        UnregisterExtensionLibrary(request.showResult);
        return 0;
    case StartAction::kUninstall:
        Uninstall(request.showResult, text);
        return 0;
    case StartAction::kClearCache:
        ClearThumbnailCache();
        return 0;
    case StartAction::kRegisterType:
        if (request.fontType > 0) RegisterFontType(request.fontType);
        return 0;
    case StartAction::kSetup:
        return RegisterExtensionLibraryAndWait();
    case StartAction::kUndoSetup:
        UndoSetup();
        return 0;
    case StartAction::kCleanup:
        Cleanup();
        return 0;
    case StartAction::kImage:
    case StartAction::kRemoveFont:  // done by TRUtility.dll, which the program runs
    case StartAction::kSettingsDialog:
        break;
    }
    return std::nullopt;
}

} // namespace glyphpeek::trsetting
