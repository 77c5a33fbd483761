#pragma once
// Module-wide state of Typorama.dll that its classes read.
#include <windows.h>

#include <string>

namespace glyphpeek::typorama {

HMODULE Module() noexcept;
// A string of the module's table, from the language resource library when there is one.
std::wstring LoadText(UINT id);

} // namespace glyphpeek::typorama
