#include "extension_module.h"

#include "type_library.h"

#include <cstdlib>
#include <cwchar>
#include <string>

namespace glyphpeek::shellext {

using com::RegistrationScope;
using com::Replacement;

HMODULE LoadUtilityLibrary(HMODULE module) noexcept {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    // A truncated path would name some other folder's file.
    if (length == 0 || length >= MAX_PATH) return nullptr;
    wchar_t drive[MAX_PATH] = {}, folder[MAX_PATH] = {};
    if (_wsplitpath_s(path, drive, MAX_PATH, folder, MAX_PATH, nullptr, 0, nullptr, 0) != 0) return nullptr;
    wchar_t utility[MAX_PATH] = {};
    if (_snwprintf_s(utility, MAX_PATH, _TRUNCATE, L"%s%sTRUtility.dll", drive, folder) < 0) return nullptr;
    return LoadLibraryW(utility);
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

} // namespace glyphpeek::shellext
