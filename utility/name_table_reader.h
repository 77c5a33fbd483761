#pragma once
// The one face a font file's own name table names: used for files the private font collection
// refuses (CFF OpenType). Reads untrusted bytes; every read is range-checked.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace glyphpeek {

struct NamedFace {
    std::u16string faceName;     // the PostScript name: what the font engine is asked for
    std::u16string displayName;  // the full name, else the PostScript name
    bool italic = false;
    bool bold = false;
};

// Names stored as 8-bit text (every platform but Unicode) are decoded by the caller's code page;
// on Windows that is the system's ANSI code page.
using EightBitDecoder = std::u16string (*)(std::span<const std::uint8_t> bytes);

// Working names keep at most this many units; decoded strings at most 1024.
constexpr size_t kNameUnits = 99;
constexpr size_t kDecodedUnits = 1024;

// nullopt when the bytes are not a font this reader understands: a table tag that is not
// printable (as in a 'ttcf' header), a range outside the bytes, no name table, or no PostScript
// name in encoding 0.
std::optional<NamedFace> ReadNameTable(std::span<const std::uint8_t> bytes, EightBitDecoder decode) noexcept;

} // namespace glyphpeek
