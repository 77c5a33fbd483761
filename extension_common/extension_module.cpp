#include "extension_common/extension_module.h"

#include "winsupport/path_parts.h"
#include "framework/com/type_library.h"
#include "winsupport/module_path.h"

#include <string>

namespace glyphpeek::extension_common {

using com::RegistrationScope;
using com::Replacement;

HMODULE LoadUtilityLibrary(HMODULE module) noexcept {
    std::wstring utility;
    try {
        utility = FileBesideModule(module, L"TRUtility.dll");
    } catch (...) {
        return nullptr;
    }
    return utility.empty() ? nullptr : LoadLibraryW(utility.c_str());
}

const wchar_t* LookupName(const wchar_t* path) noexcept {
    const wchar_t* name = path;
    for (const wchar_t* c = path; *c; ++c)
        if (*c == L'\\' || *c == L'/' || *c == L':') name = c + 1;
    return name;
}

HRESULT RegisterModule(HMODULE module, const wchar_t* appId, const wchar_t* typeLibraryName,
                       RegistrationScope scope, std::span<const UINT> classScripts) noexcept {
    try {
        const std::wstring path = com::ModuleFileName(module);
        if (path.empty()) return E_FAIL;
        const Replacement replacements[] = {{L"MODULE", path}, {L"APPID", appId}};
        HRESULT hr = com::ApplyScriptResource(module, kAppIdScript, scope, replacements);
        for (const UINT script : classScripts)
            if (SUCCEEDED(hr)) hr = com::ApplyScriptResource(module, script, scope, replacements);
        if (SUCCEEDED(hr)) hr = com::RegisterModuleTypeLibrary(module, scope);
        if (SUCCEEDED(hr)) hr = com::NameRegisteredTypeLibrary(module, scope, typeLibraryName);
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterModule(HMODULE module, const wchar_t* appId, RegistrationScope scope,
                         std::span<const UINT> classScripts) noexcept {
    try {
        const std::wstring path = com::ModuleFileName(module);
        if (path.empty()) return E_FAIL;
        const Replacement replacements[] = {{L"MODULE", path}, {L"APPID", appId}};
        HRESULT first = S_OK;
        auto step = [&first](HRESULT hr) {
            if (FAILED(hr) && SUCCEEDED(first)) first = hr;
        };
        for (const UINT script : classScripts) step(com::RemoveScriptResource(module, script, scope, replacements));
        step(com::UnregisterModuleTypeLibrary(module, scope));
        step(com::RemoveScriptResource(module, kAppIdScript, scope, replacements));
        return first;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT InstallModule(HMODULE module, const wchar_t* appId, const wchar_t* typeLibraryName, BOOL install,
                      PCWSTR commandLine, std::span<const UINT> classScripts) noexcept {
    const RegistrationScope scope = commandLine && _wcsnicmp(commandLine, L"user", 5) == 0
                                        ? RegistrationScope::kCurrentUser
                                        : RegistrationScope::kAllUsers;
    if (!install) return UnregisterModule(module, appId, scope, classScripts);
    const HRESULT hr = RegisterModule(module, appId, typeLibraryName, scope, classScripts);
    if (FAILED(hr)) UnregisterModule(module, appId, scope, classScripts);
    return hr;
}

} // namespace glyphpeek::extension_common
