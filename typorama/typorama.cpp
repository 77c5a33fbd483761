// Typorama.dll: the classic Explorer extension's module description and its two classes' factories;
// the exports are extension_common/module_exports.cpp.
#include <windows.h>

#include "Typorama.h"
#include "extension_common/module_exports.h"
#include "extension_common/string_source.h"
#include "typorama/typorama_classes.h"
#include "typorama/typorama_module.h"
#include "winsupport/product_identities.h"

using namespace glyphpeek;

namespace {

constexpr com::ClassEntry kClasses[] = {
    {&CLSID_Thumbnail, typorama::CreateThumbnail},
    {&CLSID_ShellMenu, typorama::CreateShellMenu},
};

} // namespace

namespace glyphpeek::extension_common {

// "Typorama 1.0 タイプ ライブラリ", as the registry shows it.
const ModuleDescription kThisModule{kClasses, ids::kTyporama.appId,
                                    L"Typorama 1.0 \u30BF\u30A4\u30D7 \u30E9\u30A4\u30D6\u30E9\u30EA", true};

} // namespace glyphpeek::extension_common

namespace glyphpeek::typorama {

HMODULE Module() noexcept { return extension_common::ThisModule(); }

std::wstring LoadText(UINT id) {
    return extension_common::LoadModuleString(extension_common::ThisModule(), extension_common::LanguageLibrary(), id);
}

} // namespace glyphpeek::typorama
