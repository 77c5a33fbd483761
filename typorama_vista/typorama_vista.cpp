// TyporamaVista.dll: the Vista/7 Explorer extension's module, its exports and its two classes' factories.
// All strings come from the module itself: it has no language resource library.
#include <windows.h>

#include "framework/com/class_factory.h"
#include "extension_common/extension_module.h"
#include "TyporamaVista.h"
#include "typorama_vista/vista_classes.h"
#include "winsupport/product_identities.h"

using namespace glyphpeek;

namespace {

HMODULE g_module = nullptr;
constexpr const wchar_t* kAppId = ids::kTyporamaVista.appId;

// "TyporamaVista 1.0 タイプ ライブラリ", as the registry shows it.
constexpr wchar_t kTypeLibraryName[] = L"TyporamaVista 1.0 \u30BF\u30A4\u30D7 \u30E9\u30A4\u30D6\u30E9\u30EA";

constexpr com::ClassEntry kClasses[] = {
    {&CLSID_Thumbnail, typorama_vista::CreateThumbnail},
    {&CLSID_ShellMenu, typorama_vista::CreateShellMenu},
};

} // namespace

namespace glyphpeek::typorama_vista {
HMODULE Module() noexcept { return g_module; }
} // namespace glyphpeek::typorama_vista

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    g_module = instance;
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) { return com::GetClassObject(kClasses, clsid, riid, ppv); }
STDAPI DllCanUnloadNow() { return com::ModuleCanUnloadNow(); }
STDAPI DllRegisterServer() {
    return extension_common::RegisterModule(g_module, kAppId, kTypeLibraryName, com::RegistrationScope::kAllUsers);
}
STDAPI DllUnregisterServer() { return extension_common::UnregisterModule(g_module, kAppId, com::RegistrationScope::kAllUsers); }
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    return extension_common::InstallModule(g_module, kAppId, kTypeLibraryName, install, commandLine);
}
