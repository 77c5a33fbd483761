#include "testsupport/utility_library.h"
#include "winsupport/product_identities.h"
#include "winsupport/module_path.h"
#include "winsupport/scoped_handles.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {
constexpr const wchar_t* kTyporamaKey = glyphpeek::ids::kProductKey;

std::wstring DefineKey(int index) { return std::wstring(kTyporamaKey) + L"\\Define" + std::to_wstring(index); }
} // namespace

std::wstring TestFolder() { return ModuleFolder(nullptr); }

UtilityLibrary::UtilityLibrary(const std::wstring& folder) {
    module_ = LoadLibraryW((folder + L"TRUtility.dll").c_str());
    if (!module_) throw std::runtime_error("TRUtility.dll did not load");
}

UtilityLibrary::~UtilityLibrary() { FreeLibrary(module_); }

FARPROC UtilityLibrary::Bind(const char* name) const {
    FARPROC proc = GetProcAddress(module_, name);
    if (!proc) throw std::runtime_error(std::string("TRUtility.dll does not export ") + name);
    return proc;
}

DefineRegistry::DefineRegistry() { Clear(); }
DefineRegistry::~DefineRegistry() { Clear(); }

void DefineRegistry::Clear() { RegDeleteTreeW(HKEY_CURRENT_USER, kTyporamaKey); }

void DefineRegistry::CreateKey(int index) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, DefineKey(index).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const ScopedRegKey owned(key);
}

void DefineRegistry::SetBytes(int index, const wchar_t* name, const void* data, DWORD size, DWORD type) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, DefineKey(index).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const ScopedRegKey owned(key);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

void DefineRegistry::SetString(int index, const wchar_t* name, const std::wstring& value, DWORD type) {
    SetBytes(index, name, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), type);
}

void DefineRegistry::SetDword(int index, const wchar_t* name, DWORD value) {
    SetBytes(index, name, &value, sizeof(value), REG_DWORD);
}
