#pragma once
// The tools load TRUtility.dll from their own folder and bind its exports by name, as the Explorer
// extensions do, so they exercise the deliverable itself.
#include <windows.h>

#include <string>

#include "winsupport/scoped_handles.h"
#include "winsupport/module_path.h"

inline ScopedModule LoadUtilityBesideExecutable() {
    return ScopedModule(LoadLibraryW(FileBesideModule(nullptr, L"TRUtility.dll").c_str()));
}
