#pragma once
// A window as the screen shows it, saved as PNG (GDI+ must be started). The window is copied from its
// own device context, frame and children included, into a DIB section: PrintWindow is no use under
// Wine, whose WM_PRINT leaves the children out.
#include <windows.h>

bool SaveWindowPng(HWND window, const wchar_t* path);
