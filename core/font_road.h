#pragma once
// The one road from a font file's bytes to what the font engine may see. The file is read once into
// memory; web fonts are decoded; for each face a row draws, HarfBuzz cuts out just the glyphs the row
// needs, the cut gets a family name of its own (so it can never stand in for another font, nor
// another font for it), and the OpenType Sanitizer must pass the result. Only those bytes are ever
// registered with the engine, from memory, and removed after drawing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/utf16.h"

namespace glyphpeek {

enum class FontFormat {
    kUnknown,
    kTrueType,    // sfnt version 0x00010000 or 'true'
    kCff,         // 'OTTO'
    kCollection,  // 'ttcf' (TrueType or CFF members: .ttc, .otc)
    kWoff,        // 'wOFF'
    kWoff2,       // 'wOF2'
};

// What the first four bytes say the file is, whatever its name.
FontFormat DetectFontFormat(std::span<const std::uint8_t> bytes) noexcept;

// A font file's bytes as the readers take them: sfnt files and collections as they are; WOFF and
// WOFF2 decoded, by the sanitiser, into the sfnt they carry.
class FontBytes {
public:
    FontBytes(FontBytes&&) = default;  // the held bytes move with their buffer, so the view stays right
    FontBytes& operator=(FontBytes&&) = default;
    FontBytes(const FontBytes&) = delete;
    FontBytes& operator=(const FontBytes&) = delete;

    // nullopt: not a font file, a collection beyond kMaxCollectionMembers (sfnt_view.h), or a web font the
    // sanitiser refused (broken or bomb-sized compressed data).
    static std::optional<FontBytes> From(std::vector<std::uint8_t> file);
    // The same over bytes the caller keeps alive and unchanged while this object is used: an sfnt
    // file is read where it lies, never copied (a collection can be tens of megabytes).
    static std::optional<FontBytes> Over(std::span<const std::uint8_t> file);

    std::span<const std::uint8_t> sfnt() const noexcept { return view_; }
    FontFormat format() const noexcept { return format_; }  // of the file as given
    std::uint32_t members() const noexcept { return members_; }

private:
    FontBytes() = default;
    static std::optional<FontBytes> Read(std::span<const std::uint8_t> file, std::vector<std::uint8_t>* owned);

    std::vector<std::uint8_t> bytes_;       // held here when owned or decoded
    std::span<const std::uint8_t> view_;    // the sfnt bytes, here or the caller's
    FontFormat format_ = FontFormat::kUnknown;
    std::uint32_t members_ = 1;
};

// A family name that no installed or other registered font has: "GP" and 16 hexadecimal digits.
std::u16string UniqueFamilyName();

struct FaceNames {
    std::u16string family;  // name ID 1, 4 (with the style) and, without blanks, 6
    bool bold = false;      // name ID 2: Regular, Bold, Italic or Bold Italic
    bool italic = false;
};

// The font with its 'name' table replaced by one holding only `names` (Windows platform, US English):
// typographic, WWS and every other name the font had are gone, so the engine knows it by these
// alone. nullopt when the bytes are not one sfnt font.
std::optional<std::vector<std::uint8_t>> WithOwnNames(std::span<const std::uint8_t> font, const FaceNames& names);

// One axis of a variable font held at a value, in the axis's own units (wght 100 to 900).
struct AxisPin {
    std::uint32_t tag = 0;
    float value = 0;
};

// A named instance of a variable font ('fvar'): a face of the file in its own right.
struct NamedInstance {
    std::u16string displayName;  // the family and the instance's subfamily name: "Inter Thin"
    std::u16string postScript;   // empty where the font names none
    std::vector<AxisPin> pins;   // every axis of the font at the instance's coordinates
};

// More than any real family names; a font naming more is drawn once, at its default.
inline constexpr std::size_t kMaxNamedInstances = 256;

// The named instances of face `member` in 'fvar' order. Empty when the face has no variations,
// names no instance (or more than kMaxNamedInstances), has a damaged 'fvar', or has outlines the
// subsetter cannot make static (CFF2 today): such a face is one face, drawn at its default.
std::vector<NamedInstance> NamedInstances(std::span<const std::uint8_t> sfnt, std::uint32_t member);

// Face `member` of `sfnt` cut down to `characters` (the space and .notdef are always kept), renamed to
// `names`, and passed by the sanitiser: the bytes the engine may be given. Empty on any refusal.
// A variable face becomes a static font with its axes at `pins` (a named instance; each clamped to
// its axis's range), or at their defaults when `pins` is empty.
std::vector<std::uint8_t> MakeDrawableFace(std::span<const std::uint8_t> sfnt, std::uint32_t member,
                                           std::u32string_view characters, const FaceNames& names,
                                           std::span<const AxisPin> pins = {});

// The sanitiser's verdict on a whole file (every member of a collection, web fonts decoded).
bool SanitiserPasses(std::span<const std::uint8_t> file);


} // namespace glyphpeek
