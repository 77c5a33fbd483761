#pragma once
// Where an extension library takes its user-interface strings from.
#include <windows.h>

#include <string>

namespace glyphpeek::extension_common {

// The language resource library of `module`: <name><language><extension> in the module's folder, the
// language being the three-letter abbreviation of the user's default locale (TyporamaENU.dll).
// Loaded as a resource-only image (its code never runs); null when there is none.
HMODULE LoadLanguageLibrary(HMODULE module) noexcept;

// String `id` of `language` when it is not null (empty when it lacks the string), else of `module`.
std::wstring LoadModuleString(HMODULE module, HMODULE language, UINT id);

} // namespace glyphpeek::extension_common
