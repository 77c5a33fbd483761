#pragma once
// The private font collection: which families a font file holds and which styles each offers.
// Answered from the file's own tables by rules that match GDI+ on Windows, because Wine's GDI+
// refuses collections and reports wrong counts and styles.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/sfnt_reader.h"

namespace glyphpeek::imaging {

class PrivateFontCollection {
public:
    // Adding font bytes (a file read with ReadFileBytes); a collection that refused them is not loaded().
    static PrivateFontCollection FromMemory(std::span<const std::uint8_t> bytes);

    bool loaded() const { return families_.has_value(); }
    int FamilyCount() const { return families_ ? static_cast<int>(families_->size()) : 0; }
    // Up to `wanted` families, in order of first appearance.
    std::span<const glyphpeek::FontFamilyInfo> Families(int wanted) const;
    static bool IsStyleAvailable(const glyphpeek::FontFamilyInfo& family, glyphpeek::StyleBit style) {
        return (family.styles & style) != 0;
    }

private:
    std::optional<std::vector<glyphpeek::FontFamilyInfo>> families_;
};

} // namespace imaging
