#pragma once
// The creators behind TyporamaVista's class factory, and the module they live in.
#include <windows.h>
#include <unknwn.h>

namespace glyphpeek::typorama_vista {

HMODULE Module() noexcept;
HRESULT CreateThumbnail(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT CreateShellMenu(IUnknown* outer, REFIID riid, void** ppv) noexcept;

} // namespace glyphpeek::typorama_vista
