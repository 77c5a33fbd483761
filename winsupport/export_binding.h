#pragma once
#include <windows.h>

// An export bound by name, as the type its caller declares; null when the module lacks it.
// (GetProcAddress answers a generic function pointer; the detour through void(*)() says the cast is meant.)
template <typename Proc>
Proc BindExport(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}
