#pragma once
// Windows side of the stub readers, shared by the conversions and the font removal.
#include <windows.h>

#include <string>

// The system Fonts folder, without a trailing backslash; empty when the shell does not know it.
std::u16string FontsFolder();

// Reads the first bytes of a stub file (at most a path buffer's worth) as UTF-16 units; false when
// the file cannot be opened or read.
bool ReadStubUnits(const wchar_t* path, std::u16string& units);

// Length of a caller's path text, never looking past its 260-unit buffer; -1 when it has no
// terminator there.
int PathBufferLength(const wchar_t* path);

// Writes a path into a caller's 260-unit buffer, always terminated.
void WritePathBuffer(wchar_t* out, std::u16string_view path);
