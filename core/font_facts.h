#pragma once
// What the preview pane tells about a font file besides its pictures: the names its 'name' table
// gives and a few facts of its other tables, read from untrusted bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace glyphpeek {

enum class FontContainer { kNone, kSingle, kCollection, kWoff, kWoff2 };
enum class OutlineFormat { kUnknown, kTrueType, kCff, kCff2 };

struct FontFacts {
    FontContainer container = FontContainer::kNone;
    std::uint32_t fonts = 0;  // in a collection; 1 for a single font
    OutlineFormat outlines = OutlineFormat::kUnknown;
    bool variable = false;    // it has design axes ('fvar')
    std::uint32_t glyphs = 0; // 0 when the font does not say
    // Typographic family and style when the font names them, else the legacy ones.
    std::u16string family, style, version, designer, manufacturer, copyright, licence, licenceUrl;
};

// Each text is cut to this many units, an ellipsis marking the cut: licence texts run to pages.
inline constexpr std::size_t kFactUnits = 600;

// The facts of the first font of the bytes (a collection's first member). Texts are English
// Windows names where there are some, else other Windows, Unicode or Macintosh Roman ones; control
// characters are dropped, line breaks kept as '\n'. WOFF and WOFF2 files are told by their
// signature alone (their tables are compressed). container kNone: no font this reader knows.
FontFacts ReadFontFacts(std::span<const std::uint8_t> bytes) noexcept;

} // namespace glyphpeek
