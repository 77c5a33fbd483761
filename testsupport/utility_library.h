#pragma once
// Test access to the real TRUtility.dll: loaded from the test's own folder and bound by name, as the
// Explorer extensions do; plus helpers for the define keys of the test prefix's registry.
#include <windows.h>

#include <cstdint>
#include <string>

#include "winsupport/export_binding.h"
#include "trutility/TRUtility.h"

#include "core/non_copyable.h"

// The folder of the running test executable, with a trailing backslash.
std::wstring TestFolder();

class UtilityLibrary : glyphpeek::NonCopyable {
public:
    // TRUtility.dll of `folder` (with its trailing backslash): the test's own, or the test build of the
    // library in the "seams\" folder beside it.
    explicit UtilityLibrary(const std::wstring& folder = TestFolder());
    ~UtilityLibrary();

    HMODULE module() const { return module_; }
    FARPROC Bind(const char* name) const;
    template <typename Proc>
    Proc Get(const char* name) const {
        Bind(name);  // throws when missing
        return BindExport<Proc>(module_, name);
    }

private:
    HMODULE module_ = nullptr;
};

// HKCU "SOFTWARE\Ormsby Software\Typorama": removed on construction and destruction, so each test
// starts and leaves with no defines.
class DefineRegistry {
public:
    DefineRegistry();
    ~DefineRegistry();
    void Clear();
    void SetString(int index, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ);
    void SetBytes(int index, const wchar_t* name, const void* data, DWORD size, DWORD type);
    void SetDword(int index, const wchar_t* name, DWORD value);
    void CreateKey(int index);
};
