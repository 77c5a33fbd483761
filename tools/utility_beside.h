#pragma once
// The tools load TRUtility.dll from their own folder and bind its exports by name, as the Explorer
// extensions do, so they exercise the deliverable itself.
#include <windows.h>

#include <string>

#include "winsupport/scoped_handles.h"

inline ScopedModule LoadUtilityBesideExecutable() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.find_last_of(L'\\') + 1);
    return ScopedModule(LoadLibraryW((path + L"TRUtility.dll").c_str()));
}
