#pragma once
#include <windows.h>

namespace glyphpeek::test {

// Pixels of a GDI bitmap that are not white: a thumbnail on white shows its text when there are some.
int InkedPixels(HBITMAP bitmap);

} // namespace glyphpeek::test
