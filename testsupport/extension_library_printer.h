#pragma once
// Parameterised tests over the extension libraries name each case by the library's file.
#include <ostream>

#include "winsupport/product_identities.h"

namespace glyphpeek::ids {

inline void PrintTo(const ExtensionLibrary& library, std::ostream* out) {
    for (const wchar_t* c = library.file; *c; ++c) *out << static_cast<char>(*c);
}

} // namespace glyphpeek::ids
