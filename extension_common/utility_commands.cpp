#include "extension_common/utility_commands.h"

#include <vector>

#include "winsupport/export_binding.h"
#include "winsupport/scoped_handles.h"
#include "trutility/TRUtility.h"
#include "extension_common/extension_module.h"

namespace glyphpeek::extension_common {

bool UninstallSelection(HMODULE module, FileSelection& selection) noexcept {
    const ScopedModule utility(LoadUtilityLibrary(module));
    const auto getBackupFolder = BindExport<GetBuckupFolderProc>(utility.get(), "GetBuckupFolder");
    const auto uninstall = BindExport<UninstallFromVFontsProc>(utility.get(), "UninstallFromVFonts");
    if (!getBackupFolder || !uninstall) return false;
    wchar_t backup[MAX_PATH] = {};
    getBackupFolder(backup);
    backup[MAX_PATH - 1] = L'\0';
    // The whole selection in one call: one question and one consent for the fonts that need
    // administrator rights, however many are selected.
    try {
        std::vector<wchar_t*> paths;
        for (size_t i = 0; i < selection.size(); ++i) paths.push_back(selection.path(i));
        uninstall(backup, paths.data(), static_cast<uint32_t>(paths.size()));
    } catch (...) {
        return false;  // no memory for the list: nothing was removed
    }
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
