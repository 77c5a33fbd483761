#pragma once
// The exports every extension library has (DllMain, DllGetClassObject, DllCanUnloadNow,
// DllRegisterServer, DllUnregisterServer, DllInstall), written once in module_exports.cpp, which each
// library compiles in. A library says what it is in kThisModule.
#include <windows.h>

#include <span>

#include "extension_common/extension_module.h"
#include "framework/com/class_factory.h"

namespace glyphpeek::extension_common {

struct ModuleDescription {
    std::span<const com::ClassEntry> classes;  // the factory table
    const wchar_t* appId;                      // with braces
    const wchar_t* typeLibraryName;            // the type library's help string, as the registry shows it
    bool languageLibrary;                      // strings may come from a language resource library
    std::span<const UINT> classScripts = kClassScripts;  // each class's registration script
};

// Defined by each library.
extern const ModuleDescription kThisModule;

// The library's own module handle, and its language resource library (null when there is none).
HMODULE ThisModule() noexcept;
HMODULE LanguageLibrary() noexcept;

} // namespace glyphpeek::extension_common
