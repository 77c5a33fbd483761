#pragma once
// UTF-16 and code points, the one way both are converted: pairs joined and split, an unpaired
// surrogate left out (it names no character).
#include <string>
#include <string_view>

namespace glyphpeek {

inline std::u32string CodePoints(std::u16string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit < 0xD800 || unit > 0xDFFF) {
            out.push_back(unit);
        }
    }
    return out;
}

// Appends one code point below U+110000 that is no surrogate.
inline void AppendUtf16(std::u16string& text, char32_t c) {
    if (c < 0x10000) {
        text.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

} // namespace glyphpeek
