// Typorama.dll: the classic Explorer extension's module, its exports and its two classes' factories.
#include <windows.h>

#include "framework/com/class_factory.h"
#include "extension_common/extension_module.h"
#include "extension_common/string_source.h"
#include "Typorama.h"
#include "typorama/typorama_module.h"
#include "typorama/typorama_classes.h"
#include "winsupport/product_identities.h"

using namespace glyphpeek;

namespace {

HMODULE g_module = nullptr;
HMODULE g_language = nullptr;
constexpr const wchar_t* kAppId = ids::kTyporama.appId;

// "Typorama 1.0 タイプ ライブラリ", as the registry shows it.
constexpr wchar_t kTypeLibraryName[] = L"Typorama 1.0 \u30BF\u30A4\u30D7 \u30E9\u30A4\u30D6\u30E9\u30EA";

constexpr com::ClassEntry kClasses[] = {
    {&CLSID_Thumbnail, typorama::CreateThumbnail},
    {&CLSID_ShellMenu, typorama::CreateShellMenu},
};

} // namespace

namespace glyphpeek::typorama {

HMODULE Module() noexcept { return g_module; }

std::wstring LoadText(UINT id) { return extension_common::LoadModuleString(g_module, g_language, id); }

} // namespace glyphpeek::typorama

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    g_module = instance;
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        g_language = extension_common::LoadLanguageLibrary(instance);
    } else if (reason == DLL_PROCESS_DETACH && g_language) {
        // When the process is ending (reserved non-null) the system reclaims everything; freeing a
        // library then, under the loader lock, is what must not be done.
        if (!reserved) FreeLibrary(g_language);
        g_language = nullptr;
    }
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
