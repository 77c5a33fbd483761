// TyporamaVista.dll: the Vista/7 Explorer extension's module description and its classes' factories;
// the exports are extension_common/module_exports.cpp. All strings come from the module itself: it has
// no language resource library.
#include <windows.h>

#include "TyporamaVista.h"
#include "extension_common/extension_module.h"
#include "extension_common/module_exports.h"
#include "typorama_vista/vista_classes.h"
#include "winsupport/product_identities.h"

using namespace glyphpeek;

namespace {

constexpr com::ClassEntry kClasses[] = {
    {&CLSID_Thumbnail, typorama_vista::CreateThumbnail},
    {&CLSID_ShellMenu, typorama_vista::CreateShellMenu},
    {&typorama_vista::kClsidPreviewHandler, typorama_vista::CreatePreviewHandler},
};

// Each class's registration script.
constexpr UINT kVistaClassScripts[] = {extension_common::kThumbnailScript, extension_common::kShellMenuScript,
                                      extension_common::kPreviewScript};

} // namespace

namespace glyphpeek::extension_common {

// "TyporamaVista 1.0 タイプ ライブラリ", as the registry shows it.
const ModuleDescription kThisModule{kClasses, ids::kTyporamaVista.appId,
                                    L"TyporamaVista 1.0 \u30BF\u30A4\u30D7 \u30E9\u30A4\u30D6\u30E9\u30EA", false,
                                    kVistaClassScripts};

} // namespace glyphpeek::extension_common

namespace glyphpeek::typorama_vista {
HMODULE Module() noexcept { return extension_common::ThisModule(); }
} // namespace glyphpeek::typorama_vista
