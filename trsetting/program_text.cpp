#include "trsetting/program_text.h"

#include <windows.h>

namespace glyphpeek::trsetting {

std::wstring ProgramText(unsigned id) {
    // LoadString with no buffer answers a pointer into the resource itself, whatever its length.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

} // namespace glyphpeek::trsetting
