#pragma once
// The shell's context-menu interfaces (IShellExtInit, IContextMenu), included so that each extension
// library's own automation interface IShellMenu can be declared after them: the shell headers declare
// an unrelated IShellMenu, which is renamed here and its include guards lifted.
#include <windows.h>
#include <objidl.h>

#define IShellMenu ShellOwnIShellMenu
#define IID_IShellMenu IID_ShellOwnIShellMenu
#include <shobjidl.h>
#undef IShellMenu
#undef IID_IShellMenu
#undef __IShellMenu_FWD_DEFINED__
#undef __IShellMenu_INTERFACE_DEFINED__
