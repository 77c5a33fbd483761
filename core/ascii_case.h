#pragma once
// ASCII case folding: 'A'..'Z' to 'a'..'z' and every other unit as it is, never by a locale. Registry
// key words, pattern options and font style words compare this way. Platform-neutral.

namespace glyphpeek {

constexpr char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c; }

} // namespace glyphpeek
