#include "trutility/module.h"
#include "winsupport/module_path.h"

#include <cwchar>

HINSTANCE UtilityInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&UtilityInstance), &module);
    return module;
}

std::wstring FileBesideUtility(const wchar_t* name) { return FileBesideModule(UtilityInstance(), name); }
