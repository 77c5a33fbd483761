#pragma once
// What a row draws when its face holds none of the sample's characters (a math, symbol or script
// font asked for a Latin name): a dozen characters of the face's own. Where the face has letters of
// a script, letters of its main script; otherwise its own visible characters, beyond the BMP too.
// The face's character map is read by HarfBuzz (any cmap format), on the face's original bytes.
#include <hb.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/non_copyable.h"

namespace glyphpeek {

inline constexpr std::size_t kOwnSampleChars = 12;

// A character that shows something drawn alone: not a control, space, format character, mark,
// surrogate, noncharacter or unassigned code point. In the symbol area U+F000-U+F0FF, where symbol
// fonts keep their 8-bit characters, the 8-bit character decides.
bool IsVisibleCharacter(char32_t c) noexcept;

// The character map of one face.
class FaceCharacters : NonCopyable {
public:
    // Takes its own reference to the face.
    explicit FaceCharacters(hb_face_t* face) noexcept;
    // Member `index` of the font file in `bytes`, which must outlive this object. Bytes that are not
    // a font give a face that maps nothing.
    FaceCharacters(std::span<const std::uint8_t> bytes, unsigned index) noexcept;
    ~FaceCharacters();

    // The face's glyph for c: 0 when it maps none, or maps it to .notdef or to a glyph it lacks.
    std::uint32_t Glyph(char32_t c) const noexcept;
    // Whether the glyph has an outline or picture (a glyph without draws nothing).
    bool Inked(std::uint32_t glyph) const noexcept;
    // Calls visit(c, glyph) for each character mapped to a real glyph, in code-point order, until it
    // answers false. False, without a call, when the map would cost more to list than any real
    // font's does.
    bool ForEachMapped(const std::function<bool(char32_t c, std::uint32_t glyph)>& visit) const;

    hb_face_t* face() const noexcept { return face_; }

private:
    hb_face_t* face_;
    hb_font_t* font_;
    unsigned glyphCount_;
    mutable int outlines_ = -1;  // not yet known
};

// Whether the face maps some visible character of the sample (UTF-16, pairs decoded). A sample with
// no visible character shows nothing in any face, so it counts as drawn: there is nothing to replace.
bool MapsSomeVisibleCharacter(const FaceCharacters& face, std::u16string_view sample) noexcept;

struct OwnSample {
    enum class Kind { kNothing, kLetters, kOther };
    std::u16string text;                  // UTF-16; at most kOwnSampleChars characters
    Kind kind = Kind::kNothing;           // kLetters: letters of `script` only
    hb_script_t script = HB_SCRIPT_INVALID;  // the main script: most mapped letters, Common and Inherited left out
};

// The face's own sample: the first characters in code-point order, each mapped to an inked glyph.
// With letters of some script: letters of the main script only (other letters, digits and
// punctuation never). Without: letters of no script first (mathematical alphanumerics), then symbols
// and private-use characters, numbers, punctuation.
OwnSample OwnScriptSample(const FaceCharacters& face);

} // namespace glyphpeek
