// CShellMenu of TyporamaVista: the Vista/7 Explorer's context menu for font files and stubs. Stubs
// get Uninstall; every selection gets Update thumbnail and Output as picture.
#include "extension_common/context_menu.h"  // first: it declares the shell's interfaces before TyporamaVista's IShellMenu

#include "TyporamaVista.h"
#include "typorama_vista/resource.h"
#include "extension_common/string_source.h"
#include "extension_common/utility_commands.h"
#include "typorama_vista/vista_classes.h"
#include "winsupport/scoped_handles.h"

namespace glyphpeek::typorama_vista {
namespace {

using extension_common::MenuCommand;
using extension_common::MenuItem;

constexpr MenuItem kFontItems[] = {
    {MenuCommand::kUpdateThumbnail, IDS_MENU_UPDATE_THUMBNAIL, IDS_HELP_UPDATE_THUMBNAIL},
    {MenuCommand::kOutputPicture, IDS_MENU_OUTPUT_PICTURE, IDS_HELP_OUTPUT_PICTURE},
};
constexpr MenuItem kStubItems[] = {
    {MenuCommand::kUninstall, IDS_MENU_UNINSTALL, IDS_HELP_UNINSTALL},
    {MenuCommand::kUpdateThumbnail, IDS_MENU_UPDATE_THUMBNAIL, IDS_HELP_UPDATE_THUMBNAIL},
    {MenuCommand::kOutputPicture, IDS_MENU_OUTPUT_PICTURE, IDS_HELP_OUTPUT_PICTURE},
};

// A new last-write time makes Explorer take its cached thumbnail of the file for out of date and ask
// for a new one. The content and the other times stay; a file that cannot be opened for writing is
// passed over.
void TouchLastWriteTime(const wchar_t* path) {
    const ScopedFile file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return;
    SYSTEMTIME now{};
    GetSystemTime(&now);
    FILETIME written{};
    if (SystemTimeToFileTime(&now, &written)) SetFileTime(file.get(), nullptr, nullptr, &written);
}

class CShellMenu final : public extension_common::ShellMenuObject<CShellMenu, IShellMenu, IID_IShellMenu> {
public:
    static std::span<const MenuItem> Items(bool allStubs) {
        if (allStubs) return kStubItems;
        return kFontItems;
    }
    static std::wstring Text(UINT id) { return extension_common::LoadModuleString(Module(), nullptr, id); }

    // A command whose TRUtility.dll calls are missing answers E_FAIL.
    HRESULT Run(MenuCommand command) {
        switch (command) {
        case MenuCommand::kUpdateThumbnail:
            for (size_t i = 0; i < selection_.size(); ++i) TouchLastWriteTime(selection_.path(i));
            return S_OK;
        case MenuCommand::kUninstall:
            return extension_common::UninstallSelection(Module(), selection_) ? S_OK : E_FAIL;
        case MenuCommand::kOutputPicture: {
            bool started = false;
            if (!extension_common::OutputPicture(Module(), selection_.path(0), &started)) return E_FAIL;
            return started ? S_OK : E_INVALIDARG;
        }
        case MenuCommand::kInstall:
            break;
        }
        return E_INVALIDARG;
    }
};

} // namespace

HRESULT CreateShellMenu(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return com::CreateComObject<CShellMenu>(outer, riid, ppv);
}

} // namespace glyphpeek::typorama_vista
