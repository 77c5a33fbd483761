#include "maintenance.h"

#include <windows.h>

#include "resource.h"
#include "shell_integration.h"

namespace glyphpeek::settings {
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

} // namespace

bool RunMaintenance(const StartRequest& request, TextSource text) {
    switch (request.action) {
    case StartAction::kInstall:
        RegisterExtensionLibrary(request.showResult);
        return true;
    case StartAction::kUnregister:
        UnregisterExtensionLibrary(request.showResult);
        return true;
    case StartAction::kUninstall:
        Uninstall(request.showResult, text);
        return true;
    case StartAction::kClearCache:
        ClearThumbnailCache();
        return true;
    case StartAction::kRegisterType:
        if (request.fontType > 0) RegisterFontType(request.fontType);
        return true;
    case StartAction::kImage:
    case StartAction::kSettingsDialog:
        break;
    }
    return false;
}

} // namespace glyphpeek::settings
