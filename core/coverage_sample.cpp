#include "core/coverage_sample.h"

#include <algorithm>

namespace glyphpeek {

namespace {

bool In(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

void AppendUtf16(std::u16string& text, char32_t c) {
    if (c < 0x10000) {
        text.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

} // namespace

bool IsSampleCharacter(char32_t c) noexcept {
    if (In(c, 0xF000, 0xF0FF)) c -= 0xF000;
    if (c > 0x10FFFF || c < 0x21 || In(c, 0x7F, 0xA0) || c == 0xAD) return false;  // controls, spaces
    if (In(c, 0x0300, 0x036F) || In(c, 0x1AB0, 0x1AFF) || In(c, 0x1DC0, 0x1DFF) || In(c, 0x20D0, 0x20FF) ||
        In(c, 0xFE20, 0xFE2F))
        return false;  // combining marks
    if (c == 0x1680 || In(c, 0x2000, 0x200F) || In(c, 0x2028, 0x202F) || In(c, 0x205F, 0x206F) || c == 0x3000 ||
        In(c, 0x0600, 0x0605) || c == 0x061C || c == 0x06DD || c == 0x070F || c == 0x180E || c == 0xFEFF ||
        In(c, 0xFFF9, 0xFFFB))
        return false;  // spaces and format characters
    if (In(c, 0xD800, 0xDFFF) || In(c, 0xFE00, 0xFE0F) || In(c, 0xE0000, 0xE01EF)) return false;
    if (In(c, 0xFDD0, 0xFDEF) || (c & 0xFFFE) == 0xFFFE) return false;  // noncharacters
    return true;
}

bool DrawsSomeCharacter(std::u16string_view sample, std::span<const std::uint16_t> glyphs) noexcept {
    bool visible = false;
    for (std::size_t i = 0; i < sample.size() && i < glyphs.size(); ++i) {
        if (IsSurrogate(sample[i])) return true;
        if (!IsSampleCharacter(sample[i])) continue;
        if (glyphs[i] != kMissingGlyph) return true;
        visible = true;
    }
    return !visible;  // a sample of spaces shows nothing in any face: it stays as it is
}

std::u16string CoverageSample(std::vector<CodeRange> ranges) {
    std::sort(ranges.begin(), ranges.end(), [](const CodeRange& a, const CodeRange& b) { return a.first < b.first; });
    std::u16string sample;
    std::size_t taken = 0;
    char32_t next = 0;  // overlapping ranges give each character once
    for (const CodeRange& range : ranges) {
        const char32_t end = range.first + std::min<std::uint32_t>(range.count, 0x110000);
        for (char32_t c = std::max(range.first, next); c < end && c <= 0x10FFFF && taken < kCoverageSampleChars; ++c) {
            if (!IsSampleCharacter(c)) continue;
            AppendUtf16(sample, c);
            ++taken;
        }
        next = std::max(next, end);
        if (taken == kCoverageSampleChars) break;
    }
    return sample;
}

} // namespace glyphpeek
