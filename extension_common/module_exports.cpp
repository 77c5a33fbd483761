#include "extension_common/module_exports.h"

#include "extension_common/extension_module.h"
#include "extension_common/string_source.h"

using namespace glyphpeek;
using extension_common::kThisModule;

namespace {

HMODULE g_module = nullptr;
HMODULE g_language = nullptr;

} // namespace

namespace glyphpeek::extension_common {

HMODULE ThisModule() noexcept { return g_module; }
HMODULE LanguageLibrary() noexcept { return g_language; }

} // namespace glyphpeek::extension_common

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    g_module = instance;
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        if (kThisModule.languageLibrary) g_language = extension_common::LoadLanguageLibrary(instance);
    } else if (reason == DLL_PROCESS_DETACH && g_language) {
        // When the process is ending (reserved non-null) the system reclaims everything; freeing a
        // library then, under the loader lock, is what must not be done.
        if (!reserved) FreeLibrary(g_language);
        g_language = nullptr;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    return com::GetClassObject(kThisModule.classes, clsid, riid, ppv);
}
STDAPI DllCanUnloadNow() { return com::ModuleCanUnloadNow(); }
STDAPI DllRegisterServer() {
    return extension_common::RegisterModule(g_module, kThisModule.appId, kThisModule.typeLibraryName,
                                            com::RegistrationScope::kAllUsers, kThisModule.classScripts);
}
STDAPI DllUnregisterServer() {
    return extension_common::UnregisterModule(g_module, kThisModule.appId, com::RegistrationScope::kAllUsers,
                                              kThisModule.classScripts);
}
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    return extension_common::InstallModule(g_module, kThisModule.appId, kThisModule.typeLibraryName, install,
                                           commandLine, kThisModule.classScripts);
}
