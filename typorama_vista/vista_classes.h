#pragma once
// The creators behind TyporamaVista's class factory, and the module they live in.
#include <windows.h>
#include <unknwn.h>

namespace glyphpeek::typorama_vista {

HMODULE Module() noexcept;
HRESULT CreateThumbnail(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT CreateShellMenu(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT CreatePreviewHandler(IUnknown* outer, REFIID riid, void** ppv) noexcept;

// The preview handler's class. It has no automation interface, so the type library does not list it.
inline constexpr CLSID kClsidPreviewHandler = {
    0x440EC63A, 0xE34E, 0x4EFA, {0xA5, 0xB7, 0x32, 0x89, 0xD7, 0x12, 0x8F, 0x57}};

} // namespace glyphpeek::typorama_vista
