#pragma once
// What font removal checks about a font's file before it changes anything: that it lies in the Fonts
// folder, and that it is not one of the fonts Windows itself ships.
#include <windows.h>

#include <string>

// The machine's Fonts folder, without a closing "\": the Windows folder's "Fonts", which no user
// setting moves (the shell's folder settings are the user's to change). Empty when unknown.
std::u16string MachineFontsFolder();

// The open file lies in the Fonts folder, at any depth, where the file system resolved it: a link or
// junction on the way, or "..", that leads out of the folder answers false. False too when the
// location cannot be read.
bool LiesInFontsFolder(HANDLE file);

// The file at `path`, open as `file` with READ_CONTROL, is one Windows ships: the system protects it,
// or Windows' installer account owns it.
bool IsWindowsFont(HANDLE file, const std::u16string& path);
