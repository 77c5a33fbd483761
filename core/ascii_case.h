#pragma once
// ASCII case folding: 'A'..'Z' to 'a'..'z' and every other unit as it is, never by a locale. Registry
// key words, switches, file endings, pattern options and font style words compare this way.
#include <algorithm>
#include <string>
#include <string_view>

namespace glyphpeek {

constexpr char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c; }

inline bool EqualsAsciiFolded(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

inline bool EndsWithAsciiFolded(std::u16string_view text, std::u16string_view ending) {
    return text.size() >= ending.size() && EqualsAsciiFolded(text.substr(text.size() - ending.size()), ending);
}

inline std::u16string AsciiLowered(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower) c = AsciiLower(c);
    return lower;
}

} // namespace glyphpeek
