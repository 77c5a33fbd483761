#pragma once
// What a row draws when its face holds none of the sample's characters (a math, symbol or script
// font asked for a Latin name): a short sample of characters the face does hold.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glyphpeek {

// A run of code points a face maps to glyphs.
struct CodeRange {
    char32_t first = 0;
    std::uint32_t count = 0;
};

inline constexpr std::size_t kCoverageSampleChars = 12;
// The font engine's answer for a character the face has no glyph for.
inline constexpr std::uint16_t kMissingGlyph = 0xFFFF;

// A character that shows something drawn alone: not a control, space, format character,
// combining mark, variation selector, surrogate or noncharacter. In the symbol area U+F000-U+F0FF,
// where symbol fonts keep their 8-bit characters, the 8-bit character decides.
bool IsSampleCharacter(char32_t c) noexcept;

// Whether the face draws some visible character of the sample: glyphs holds the face's glyph index
// of each UTF-16 unit (kMissingGlyph for none). A surrogate pair, which a per-unit look-up cannot
// judge, counts as drawn, and so does a sample without visible characters (spaces only).
bool DrawsSomeCharacter(std::u16string_view sample, std::span<const std::uint16_t> glyphs) noexcept;

// The first kCoverageSampleChars sample characters of the ranges in code-point order, as UTF-16.
std::u16string CoverageSample(std::vector<CodeRange> ranges);

} // namespace glyphpeek
