#pragma once
// The check every font file and stream passes before the font engine or the imaging library sees
// it. Font engines have crashed, and left their locks held, on damaged tables; Explorer loads us
// into its own process, so bytes that fail here are not a font at all.
#include <cstdint>
#include <span>

namespace glyphpeek {

struct FontVerdict {
    bool sound = false;
    // Why the bytes were refused ("cmap: no Unicode or symbol subtable"), for tools; nullptr when sound.
    const char* reason = nullptr;
    explicit operator bool() const noexcept { return sound; }
};

// Checks a TrueType, OpenType (CFF) or collection file: header and table directory inside the
// bytes; cmap (with a Unicode or symbol subtable), head, hhea, hmtx, maxp and name present and
// sound; OS/2 and post sound when present; loca ascending inside glyf; the CFF header and its
// top-level INDEXes inside the table; counts consistent; every collection member sound; and a
// bound on the work a hostile file can cause.
FontVerdict SanitiseFont(std::span<const std::uint8_t> bytes) noexcept;

} // namespace glyphpeek
