#pragma once
// The fallback face reader for font files the private font collection refuses (CFF OpenType and
// the like): one face named from the file's own 'name' table.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace glyphpeek {

// Field widths, terminator included.
inline constexpr std::size_t kFaceNameUnits = 40;     // FontData::faceName
inline constexpr std::size_t kDisplayNameUnits = 100;  // FontData::displayName
inline constexpr std::size_t kFontDescriptionFaceUnits = 32;  // face name of a font description

// The longest prefix of text that fits a terminated field of fieldUnits units, never ending
// between the two halves of a surrogate pair.
std::u16string_view CutToField(std::u16string_view text, std::size_t fieldUnits) noexcept;

// Converts name bytes of the 8-bit platforms with the system's ANSI code page; the Windows layer
// supplies MultiByteToWideChar(CP_ACP). Never called with NUL bytes.
using AnsiDecoder = std::function<std::u16string(std::span<const std::uint8_t>)>;

struct NameTableFace {
    std::u16string faceName;     // PostScript name, cut to kFaceNameUnits
    std::u16string displayName;  // full name, cut to kDisplayNameUnits
    std::u16string familyName;   // family name (the full name when there is none), cut to kDisplayNameUnits
    bool italic = false;
    bool bold = false;
};

// Reads one face from the name table of an sfnt font: named by its Roman (encoding 0) PostScript
// name and its native or Roman full name, or, in a font without a Roman PostScript name, by its
// Windows Unicode (3, 1 or 10) PostScript, full and subfamily names. nullopt means not a font: a
// 'ttcf' collection header, a table tag before 'name' with a byte outside 0x20-0x7F, no name
// table, neither kind of PostScript name, an offset or length outside the bytes, or a name table
// too large to be real.
std::optional<NameTableFace> ReadNameTableFace(std::span<const std::uint8_t> bytes, const AnsiDecoder& ansi) noexcept;

} // namespace glyphpeek
