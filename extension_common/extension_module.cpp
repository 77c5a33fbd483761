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
                       RegistrationScope scope) noexcept {
    try {
        const std::wstring path = com::ModuleFileName(module);
        if (path.empty()) return E_FAIL;
        const Replacement replacements[] = {{L"MODULE", path}, {L"APPID", appId}};
        HRESULT hr = com::ApplyScriptResource(module, kAppIdScript, scope, replacements);
        if (SUCCEEDED(hr)) hr = com::ApplyScriptResource(module, kThumbnailScript, scope, replacements);
        if (SUCCEEDED(hr)) hr = com::ApplyScriptResource(module, kShellMenuScript, scope, replacements);
        if (SUCCEEDED(hr)) hr = com::RegisterModuleTypeLibrary(module, scope);
        if (SUCCEEDED(hr)) hr = com::NameRegisteredTypeLibrary(module, scope, typeLibraryName);
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterModule(HMODULE module, const wchar_t* appId, RegistrationScope scope) noexcept {
    try {
        const std::wstring path = com::ModuleFileName(module);
        if (path.empty()) return E_FAIL;
        const Replacement replacements[] = {{L"MODULE", path}, {L"APPID", appId}};
        const HRESULT steps[] = {
            com::RemoveScriptResource(module, kThumbnailScript, scope, replacements),
            com::RemoveScriptResource(module, kShellMenuScript, scope, replacements),
            com::UnregisterModuleTypeLibrary(module, scope),
            com::RemoveScriptResource(module, kAppIdScript, scope, replacements),
        };
        for (const HRESULT hr : steps)
            if (FAILED(hr)) return hr;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT InstallModule(HMODULE module, const wchar_t* appId, const wchar_t* typeLibraryName, BOOL install,
                      PCWSTR commandLine) noexcept {
    const RegistrationScope scope = commandLine && _wcsnicmp(commandLine, L"user", 5) == 0
                                        ? RegistrationScope::kCurrentUser
                                        : RegistrationScope::kAllUsers;
    if (!install) return UnregisterModule(module, appId, scope);
    const HRESULT hr = RegisterModule(module, appId, typeLibraryName, scope);
    if (FAILED(hr)) UnregisterModule(module, appId, scope);
    return hr;
}

} // namespace glyphpeek::extension_common
