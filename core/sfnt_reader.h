#pragma once
// Reading sfnt font files (TrueType, OpenType, TrueType collections) from untrusted bytes, and the
// faces and families a private font collection sees in them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/sfnt_view.h"

namespace glyphpeek {

// One face as a private font collection loads it.
struct SfntFace {
    std::u16string family;  // name ID 1, Windows platform
    std::uint32_t member = 0;  // its index in a collection; 0 for a single font
    bool bold = false;
    bool italic = false;
};

// Style availability bits of a family.
enum StyleBit : std::uint8_t {
    kStyleRegular = 1,
    kStyleItalic = 2,
    kStyleBold = 4,
    kStyleBoldItalic = 8,
};

struct FontFamilyInfo {
    std::u16string name;
    std::uint8_t styles = 0;  // StyleBit set: a style is available when some member has it
    // The first member of the collection with each style (regular, italic, bold, bold italic), in
    // StyleBit order; kNoMember where none has it.
    std::uint32_t memberOfStyle[4] = {kNoMember, kNoMember, kNoMember, kNoMember};
    static constexpr std::uint32_t kNoMember = 0xFFFFFFFFu;
};

// The faces a private font collection loads from a file: a TrueType-outline sfnt (version
// 0x00010000 or 'true' with a 'glyf' table) or every member of a 'ttcf' collection. CFF-outline
// files ('OTTO'), damaged files, files that blow the work budget and files with no named face
// give nullopt: not a font for the collection. Members without a Windows family name are left out.
std::optional<std::vector<SfntFace>> ReadSfntFaces(std::span<const std::uint8_t> bytes) noexcept;

// The families of those faces, grouped by name in order of first appearance.
std::optional<std::vector<FontFamilyInfo>> ReadFontCollection(std::span<const std::uint8_t> bytes) noexcept;

// The style probe: the first available of regular, italic, bold, bold italic decides the flags
// a face is drawn with; none available leaves both clear.
struct StyleFlags {
    bool italic = false;
    bool bold = false;
};
StyleFlags ProbeStyle(std::uint8_t styles) noexcept;

// The member that draws a family with the probed style: the first member that has it.
std::uint32_t MemberForStyle(const FontFamilyInfo& family) noexcept;

} // namespace glyphpeek
