#include "trutility/module.h"

#include <cwchar>

HINSTANCE UtilityInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&UtilityInstance), &module);
    return module;
}

std::wstring FileBesideUtility(const wchar_t* name) {
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(UtilityInstance(), module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    const wchar_t* slash = wcsrchr(module, L'\\');
    if (!slash) return {};
    std::wstring path(module, static_cast<size_t>(slash + 1 - module));
    path += name;
    return path.size() < MAX_PATH ? path : std::wstring();
}
