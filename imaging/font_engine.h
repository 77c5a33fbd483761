#pragma once
// GDI, the font engine: fonts by description. Their owners, selections and private registrations are
// the Windows support's (ScopedHandles.h).
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "winsupport/scoped_handles.h"

namespace glyphpeek::imaging {

// Name-table text of the 8-bit platforms in the system's ANSI code page (at most 1024 bytes), as the
// font engine reads such names.
std::u16string DecodeAnsiName(std::span<const std::uint8_t> bytes);

// The font of a face by description: character height `size` pixels (asked as -size), weight 700 or
// 400, embedded-font clip precision, non-antialiased. A face name longer than GDI's 31 units is cut.
ScopedFont CreateFaceFont(const wchar_t* faceName, int size, bool bold, bool italic);

} // namespace imaging
