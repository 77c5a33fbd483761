// CShellMenu of Typorama: the classic Explorer's context menu for font files and stubs. Font files
// get Install, stubs Uninstall; both get Output as picture.
#include "extension_common/context_menu.h"  // first: it declares the shell's interfaces before Typorama's IShellMenu

#include "Typorama.h"
#include "typorama/font_installer.h"
#include "typorama/resource.h"
#include "typorama/typorama_classes.h"
#include "typorama/typorama_module.h"
#include "extension_common/utility_commands.h"

namespace glyphpeek::typorama {
namespace {

using extension_common::MenuCommand;
using extension_common::MenuItem;

constexpr MenuItem kFontItems[] = {
    {MenuCommand::kInstall, IDS_MENU_INSTALL, IDS_HELP_INSTALL},
    {MenuCommand::kOutputPicture, IDS_MENU_OUTPUT_PICTURE, IDS_HELP_OUTPUT_PICTURE},
};
constexpr MenuItem kStubItems[] = {
    {MenuCommand::kUninstall, IDS_MENU_UNINSTALL, IDS_HELP_UNINSTALL},
    {MenuCommand::kOutputPicture, IDS_MENU_OUTPUT_PICTURE, IDS_HELP_OUTPUT_PICTURE},
};

class CShellMenu final : public extension_common::ShellMenuObject<CShellMenu, IShellMenu, IID_IShellMenu> {
public:
    static std::span<const MenuItem> Items(bool allStubs) {
        if (allStubs) return kStubItems;
        return kFontItems;
    }
    static std::wstring Text(UINT id) { return LoadText(id); }

    // The classic menu has no way to report a failure to the user: every command answers S_OK, and one
    // whose TRUtility.dll calls are missing does nothing.
    HRESULT Run(MenuCommand command) {
        switch (command) {
        case MenuCommand::kInstall:
            InstallFonts(selection_, &Text);
            break;
        case MenuCommand::kUninstall:
            extension_common::UninstallSelection(Module(), selection_);
            break;
        case MenuCommand::kOutputPicture: {
            bool started = false;
            extension_common::OutputPicture(Module(), selection_.path(0), &started);
            break;
        }
        case MenuCommand::kUpdateThumbnail:
            return E_INVALIDARG;
        }
        return S_OK;
    }
};

} // namespace

HRESULT CreateShellMenu(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return com::CreateComObject<CShellMenu>(outer, riid, ppv);
}

} // namespace glyphpeek::typorama
