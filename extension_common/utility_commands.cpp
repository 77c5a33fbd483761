#include "extension_common/utility_commands.h"

#include "winsupport/export_binding.h"
#include "winsupport/scoped_handles.h"
#include "trutility/TRUtility.h"
#include "extension_common/extension_module.h"

namespace glyphpeek::extension_common {

bool UninstallSelection(HMODULE module, FileSelection& selection) noexcept {
    const ScopedModule utility(LoadUtilityLibrary(module));
    const auto getBackupFolder = BindExport<GetBuckupFolderProc>(utility.get(), "GetBuckupFolder");
    const auto uninstall = BindExport<UninstallFromVFontProc>(utility.get(), "UninstallFromVFont");
    if (!getBackupFolder || !uninstall) return false;
    wchar_t backup[MAX_PATH] = {};
    getBackupFolder(backup);
    backup[MAX_PATH - 1] = L'\0';
    for (size_t i = 0; i < selection.size(); ++i) uninstall(backup, selection.path(i));
    return true;
}

bool OutputPicture(HMODULE module, const wchar_t* path, bool* started) noexcept {
    *started = false;
    const ScopedModule utility(LoadUtilityLibrary(module));
    const auto createImage = BindExport<CreateImageProc>(utility.get(), "CreateImage");
    if (!createImage) return false;
    *started = createImage(path);
    return true;
}

} // namespace glyphpeek::extension_common
