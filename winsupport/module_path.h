#pragma once
// Where a module's file lies: the one place that asks Windows for it. Every answer is empty when the
// path cannot be read or would not fit: a cut path names another folder's file.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

// The module's full path (nullptr: the program's own file), at most `limit` units with the terminator.
std::wstring ModulePath(HMODULE module, std::size_t limit = MAX_PATH);

// The folder of the module's file, ending in "\".
std::wstring ModuleFolder(HMODULE module);

// That folder + name, when it fits a path buffer of MAX_PATH units.
std::wstring FileBesideModule(HMODULE module, std::wstring_view name);
