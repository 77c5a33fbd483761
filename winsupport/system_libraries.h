#pragma once
// System libraries and programs taken from System32 only, never from a searched path. The programs run
// as administrator: a library or program of the same name planted beside them, or in the folder they
// were started from, would otherwise run with those rights.
#include <windows.h>

#include <string>

#include "winsupport/export_binding.h"

// `name` in the system folder (System32); empty when the system cannot name that folder.
inline std::wstring SystemFilePath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring path(folder, length);
    if (path.back() != L'\\') path += L'\\';
    return path + name;
}

// A system library by its full System32 path; null when it cannot be loaded.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    const std::wstring path = SystemFilePath(name);
    return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

// From here on, libraries this process loads by name come from System32 only. SetDefaultDllDirectories
// is in Windows 8 and later, and in Vista and 7 with update KB2533623; 64-bit XP lacks it, so it is
// looked up at run time (kernel32 is loaded in every process: no search). Without it, the working
// folder at least is taken out of the search. Libraries the program imports were loaded before this
// runs: the system's known libraries (always from System32) and ours delivered beside the program;
// GDI+, not a known library, is delay-loaded, so it is first loaded after this.
inline void RestrictLibrarySearch() {
    using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
    const auto restrict =
        BindExport<SetDefaultDllDirectoriesProc>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (!restrict || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}
