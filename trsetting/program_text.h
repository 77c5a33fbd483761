#pragma once
// The settings program's own strings (its string table).
#include <string>

namespace glyphpeek::trsetting {

std::wstring ProgramText(unsigned id);

} // namespace glyphpeek::trsetting
