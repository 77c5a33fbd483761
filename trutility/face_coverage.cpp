// Which characters a face holds, asked of the font engine for the face selected into a device
// context: the choice itself is glyphpeek::DrawsSomeCharacter and glyphpeek::CoverageSample.
#include "trutility/face_coverage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/coverage_sample.h"

std::u16string OwnSampleWhenNoneMaps(HDC dc, std::u16string_view sample) {
    if (sample.empty()) return {};
    std::vector<WORD> glyphs(sample.size());
    if (GetGlyphIndicesW(dc, reinterpret_cast<const wchar_t*>(sample.data()), static_cast<int>(sample.size()),
                         glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return {};
    static_assert(sizeof(WORD) == sizeof(std::uint16_t));
    if (glyphpeek::DrawsSomeCharacter(sample, std::span<const std::uint16_t>(glyphs.data(), glyphs.size()))) return {};

    const DWORD bytes = GetFontUnicodeRanges(dc, nullptr);
    if (bytes < sizeof(GLYPHSET)) return {};
    std::vector<std::uint8_t> buffer(bytes);
    auto* set = reinterpret_cast<GLYPHSET*>(buffer.data());
    if (GetFontUnicodeRanges(dc, set) == 0) return {};
    // The answer's own counts are not trusted past the buffer it filled.
    const DWORD room = static_cast<DWORD>((bytes - offsetof(GLYPHSET, ranges)) / sizeof(WCRANGE));
    std::vector<glyphpeek::CodeRange> ranges;
    for (DWORD i = 0; i < set->cRanges && i < room; ++i) ranges.push_back({set->ranges[i].wcLow, set->ranges[i].cGlyphs});
    return glyphpeek::CoverageSample(std::move(ranges));
}
