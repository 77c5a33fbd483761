#include "framework/com/type_library.h"

#include <cwchar>
#include <string>

#include "winsupport/export_binding.h"
#include "winsupport/scoped_com.h"
#include "winsupport/scoped_handles.h"

namespace glyphpeek::com {
namespace {

using RegisterForUserProc = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUserProc = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

HRESULT LoadModuleTypeLibrary(HMODULE module, std::wstring& path, ITypeLib** library) {
    path = ModuleFileName(module);
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_HANDLE);
    // REGKIND_NONE: loading must not register anything by itself, in either scope.
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}

HMODULE Oleaut32() { return GetModuleHandleW(L"oleaut32.dll"); }

// Software\Classes\TypeLib\{guid}\major.minor; empty when the guid cannot be written.
std::wstring VersionKeyPath(const TLIBATTR& attr) {
    wchar_t guid[40] = {};
    if (StringFromGUID2(attr.guid, guid, 40) == 0) return {};
    wchar_t path[128];
    _snwprintf(path, 127, L"Software\\Classes\\TypeLib\\%ls\\%x.%x", guid, attr.wMajorVerNum, attr.wMinorVerNum);
    path[127] = L'\0';
    return path;
}

HKEY ClassesBase(RegistrationScope scope) {
    return scope == RegistrationScope::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

HRESULT ModuleLibraryAttributes(HMODULE module, TLIBATTR& copy) {
    std::wstring path;
    ComPtr<ITypeLib> library;
    if (const HRESULT hr = LoadModuleTypeLibrary(module, path, library.put()); FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    if (const HRESULT hr = library->GetLibAttr(&attr); FAILED(hr)) return hr;
    copy = *attr;
    library->ReleaseTLibAttr(attr);
    return S_OK;
}

// Whether TypeLib\{guid}\major.minor is present in the classes of this scope.
bool Registered(const TLIBATTR& attr, RegistrationScope scope) {
    const std::wstring path = VersionKeyPath(attr);
    if (path.empty()) return true;  // cannot tell: keep the failure
    ScopedRegKey key;
    const LONG error = RegOpenKeyExW(ClassesBase(scope), path.c_str(), 0, KEY_READ, key.put());
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

} // namespace

HRESULT RegisterModuleTypeLibrary(HMODULE module, RegistrationScope scope, HMODULE automation) noexcept {
    try {
        std::wstring path;
        ComPtr<ITypeLib> library;
        if (const HRESULT hr = LoadModuleTypeLibrary(module, path, library.put()); FAILED(hr)) return hr;
        if (scope == RegistrationScope::kCurrentUser)
            if (auto forUser = BindExport<RegisterForUserProc>(automation, "RegisterTypeLibForUser"))
                return forUser(library.get(), path.data(), nullptr);
        return RegisterTypeLib(library.get(), path.data(), nullptr);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterModuleTypeLibrary(HMODULE module, RegistrationScope scope, HMODULE automation) noexcept {
    try {
        TLIBATTR copy{};
        if (const HRESULT hr = ModuleLibraryAttributes(module, copy); FAILED(hr)) return hr;

        auto forUser = scope == RegistrationScope::kCurrentUser
                           ? BindExport<UnregisterForUserProc>(automation, "UnRegisterTypeLibForUser")
                           : nullptr;
        auto unregister = forUser ? forUser : &UnRegisterTypeLib;
        const HRESULT hr = unregister(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
        // Unregistering twice is no failure. Asked after the call, since the per-user call of some
        // systems registers in the all-users classes, and where the library went is theirs to know.
        if (FAILED(hr) && !Registered(copy, forUser ? RegistrationScope::kCurrentUser : RegistrationScope::kAllUsers))
            return S_OK;
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT NameRegisteredTypeLibrary(HMODULE module, RegistrationScope scope, const wchar_t* name) noexcept {
    if (!name) return E_POINTER;
    try {
        TLIBATTR attr{};
        if (const HRESULT hr = ModuleLibraryAttributes(module, attr); FAILED(hr)) return hr;
        const std::wstring path = VersionKeyPath(attr);
        if (path.empty()) return E_FAIL;
        LONG error = ERROR_FILE_NOT_FOUND;
        for (const HKEY base : {ClassesBase(scope), HKEY_LOCAL_MACHINE}) {
            ScopedRegKey key;
            error = RegOpenKeyExW(base, path.c_str(), 0, KEY_SET_VALUE, key.put());
            if (error != ERROR_SUCCESS) continue;
            error = RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                                   static_cast<DWORD>((wcslen(name) + 1) * sizeof(wchar_t)));
            break;
        }
        return HRESULT_FROM_WIN32(error);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RegisterModuleTypeLibrary(HMODULE module, RegistrationScope scope) noexcept {
    return RegisterModuleTypeLibrary(module, scope, Oleaut32());
}

HRESULT UnregisterModuleTypeLibrary(HMODULE module, RegistrationScope scope) noexcept {
    return UnregisterModuleTypeLibrary(module, scope, Oleaut32());
}

HRESULT LoadModuleTypeInfo(REFGUID guid, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&LoadModuleTypeInfo), &self))
        return HRESULT_FROM_WIN32(GetLastError());
    try {
        std::wstring path;
        ComPtr<ITypeLib> library;
        if (const HRESULT hr = LoadModuleTypeLibrary(self, path, library.put()); FAILED(hr)) return hr;
        return library->GetTypeInfoOfGuid(guid, info);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace glyphpeek::com
