#pragma once
// The creators behind Typorama's class factory.
#include <windows.h>
#include <unknwn.h>

namespace glyphpeek::typorama {

HRESULT CreateThumbnail(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT CreateShellMenu(IUnknown* outer, REFIID riid, void** ppv) noexcept;

} // namespace glyphpeek::typorama
