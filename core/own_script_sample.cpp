#include "core/own_script_sample.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/harfbuzz_owners.h"
#include "core/sfnt_view.h"
#include "core/utf16.h"

namespace glyphpeek {

namespace {

// HarfBuzz lists a character map by walking every code point of a format 4 segment and every range
// of a format 12 group, overlapping ones included: a hostile map of a few kilobytes could ask for
// billions of steps. A real map lists each character once (all of Unicode at most); we refuse one
// that lists more than twice that, or whose records take longer to add up than any real font's.
constexpr std::uint64_t kMaxListedCharacters = 2 * 0x110000;
constexpr std::uint64_t kCmapRecordBudget = 1u << 22;
// Glyphs looked at for ink per sample: a face whose mapped glyphs are mostly empty stops there.
constexpr int kMaxInkChecks = 4096;

hb_unicode_funcs_t* Unicode() { return hb_unicode_funcs_get_default(); }

bool IsLetter(hb_unicode_general_category_t category) {
    switch (category) {
        case HB_UNICODE_GENERAL_CATEGORY_UPPERCASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_LOWERCASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_TITLECASE_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_MODIFIER_LETTER:
        case HB_UNICODE_GENERAL_CATEGORY_OTHER_LETTER: return true;
        default: return false;
    }
}

// Of the characters a face without letters of a script shows: lower ranks first.
int FallbackRank(char32_t c) {
    constexpr char32_t kDottedCircle = 0x25CC;  // the base fonts carry to show marks on: not their own
    if (c == kDottedCircle) return 3;
    const hb_unicode_general_category_t category = hb_unicode_general_category(Unicode(), c);
    switch (category) {
        case HB_UNICODE_GENERAL_CATEGORY_MATH_SYMBOL:
        case HB_UNICODE_GENERAL_CATEGORY_CURRENCY_SYMBOL:
        case HB_UNICODE_GENERAL_CATEGORY_MODIFIER_SYMBOL:
        case HB_UNICODE_GENERAL_CATEGORY_OTHER_SYMBOL:
        case HB_UNICODE_GENERAL_CATEGORY_PRIVATE_USE: return 1;  // icon fonts live there
        case HB_UNICODE_GENERAL_CATEGORY_DECIMAL_NUMBER:
        case HB_UNICODE_GENERAL_CATEGORY_LETTER_NUMBER:
        case HB_UNICODE_GENERAL_CATEGORY_OTHER_NUMBER: return 2;
        default: return IsLetter(category) ? 0 : 3;
    }
}
constexpr int kFallbackRanks = 4;

bool HasScript(hb_script_t script) {
    return script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED && script != HB_SCRIPT_UNKNOWN &&
           script != HB_SCRIPT_INVALID;
}

// What HarfBuzz would walk to list the subtable at `offset`, in characters, up to the limit.
std::uint64_t ListingCost(BigEndianReader& in, std::uint64_t offset, unsigned glyphCount, WorkBudget& budget) {
    std::uint64_t cost = 0;
    const std::uint16_t format = in.Fits(offset, 2) ? in.U16(offset) : 0;
    if (format == 4 && in.Fits(offset, 14)) {
        const std::uint64_t segments = in.U16(offset + 6) / 2;
        const std::uint64_t ends = offset + 14, starts = ends + 2 * segments + 2;
        for (std::uint64_t k = 0; k < segments && in.Fits(starts + 2 * k, 2); ++k) {
            if (!budget.Spend(1)) return kMaxListedCharacters + 1;
            const std::uint16_t start = in.U16(starts + 2 * k), end = in.U16(ends + 2 * k);
            if (end >= start) cost += end - start + 1u;
            if (cost > kMaxListedCharacters) break;
        }
    } else if ((format == 12 || format == 13) && in.Fits(offset, 16)) {
        const std::uint64_t groups = in.U32(offset + 12);
        for (std::uint64_t k = 0; k < groups && in.Fits(offset + 16 + 12 * k, 12); ++k) {
            if (!budget.Spend(1)) return kMaxListedCharacters + 1;
            const std::uint64_t group = offset + 16 + 12 * k;
            const std::uint64_t start = in.U32(group), end = std::min<std::uint32_t>(in.U32(group + 4), 0x10FFFF);
            if (end >= start) cost += 1 + std::min<std::uint64_t>(end - start + 1, glyphCount);
            if (cost > kMaxListedCharacters) break;
        }
    }
    return cost;  // formats 0, 6 and 10 list at most what their bytes hold
}

// Whether every subtable of the cmap (whichever HarfBuzz picks) lists at a bounded cost.
bool ListingIsBounded(hb_face_t* face, unsigned glyphCount) {
    const HbBlob blob(hb_face_reference_table(face, HB_TAG('c', 'm', 'a', 'p')));
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob.get(), &length);
    BigEndianReader in(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data), length));
    WorkBudget budget(kCmapRecordBudget);
    bool bounded = true;
    const std::uint16_t count = in.Fits(0, 4) ? in.U16(2) : 0;
    for (std::uint32_t i = 0; bounded && i < count && in.Fits(4 + 8u * i, 8); ++i)
        bounded = budget.Spend(1) && ListingCost(in, in.U32(4 + 8u * i + 4), glyphCount, budget) <= kMaxListedCharacters;
    return bounded;
}

bool HasTable(hb_face_t* face, hb_tag_t tag) {
    return hb_blob_get_length(HbBlob(hb_face_reference_table(face, tag)).get()) > 0;
}

// Collects characters whose glyphs have ink, at most kOwnSampleChars into each list, looking at no
// more than kMaxInkChecks glyphs in all.
class Picker {
public:
    explicit Picker(const FaceCharacters& face) : face_(face) {}
    // False once no more glyphs may be looked at.
    bool Offer(std::vector<char32_t>& into, char32_t c, std::uint32_t glyph) {
        if (into.size() < kOwnSampleChars && inkChecks_ < kMaxInkChecks) {
            ++inkChecks_;
            if (face_.Inked(glyph)) into.push_back(c);
        }
        return inkChecks_ < kMaxInkChecks;
    }

private:
    const FaceCharacters& face_;
    int inkChecks_ = 0;
};

std::u16string Utf16(const std::vector<char32_t>& characters) {
    std::u16string text;
    for (char32_t c : characters) AppendUtf16(text, c);
    return text;
}

} // namespace

bool IsVisibleCharacter(char32_t c) noexcept {
    if (c >= 0xF000 && c <= 0xF0FF) c -= 0xF000;
    if (c > 0x10FFFF) return false;
    switch (hb_unicode_general_category(Unicode(), c)) {
        case HB_UNICODE_GENERAL_CATEGORY_CONTROL:
        case HB_UNICODE_GENERAL_CATEGORY_FORMAT:
        case HB_UNICODE_GENERAL_CATEGORY_UNASSIGNED:  // noncharacters too
        case HB_UNICODE_GENERAL_CATEGORY_SURROGATE:
        case HB_UNICODE_GENERAL_CATEGORY_SPACE_SEPARATOR:
        case HB_UNICODE_GENERAL_CATEGORY_LINE_SEPARATOR:
        case HB_UNICODE_GENERAL_CATEGORY_PARAGRAPH_SEPARATOR:
        case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK: return false;
        default: return true;
    }
}

FaceCharacters::FaceCharacters(hb_face_t* face) noexcept
    : face_(hb_face_reference(face)), font_(hb_font_create(face_)), glyphCount_(hb_face_get_glyph_count(face_)) {}

FaceCharacters::FaceCharacters(std::span<const std::uint8_t> bytes, unsigned index) noexcept
    : FaceCharacters(FaceOver(bytes, index).get()) {}

FaceCharacters::~FaceCharacters() {
    hb_font_destroy(font_);
    hb_face_destroy(face_);
}

std::uint32_t FaceCharacters::Glyph(char32_t c) const noexcept {
    hb_codepoint_t glyph = 0;
    if (!hb_font_get_nominal_glyph(font_, c, &glyph) || glyph >= glyphCount_) return 0;
    return glyph;
}

bool FaceCharacters::Inked(std::uint32_t glyph) const noexcept {
    // Without outlines or pictures HarfBuzz cannot tell an empty glyph (bitmap-only faces). Asked
    // late: a face over the font engine's tables would fetch whole outline tables to answer.
    if (outlines_ < 0)
        outlines_ = HasTable(face_, HB_TAG('g', 'l', 'y', 'f')) || HasTable(face_, HB_TAG('C', 'F', 'F', ' ')) ||
                    HasTable(face_, HB_TAG('C', 'F', 'F', '2')) || HasTable(face_, HB_TAG('C', 'B', 'D', 'T')) ||
                    HasTable(face_, HB_TAG('s', 'b', 'i', 'x'));
    if (!outlines_) return glyph != 0 && glyph < glyphCount_;
    hb_glyph_extents_t extents = {};
    return hb_font_get_glyph_extents(font_, glyph, &extents) && extents.width != 0 && extents.height != 0;
}

bool FaceCharacters::ForEachMapped(const std::function<bool(char32_t, std::uint32_t)>& visit) const {
    if (!ListingIsBounded(face_, glyphCount_)) return false;
    const HbSet set(hb_set_create());
    hb_face_collect_unicodes(face_, set.get());
    hb_codepoint_t first = HB_SET_VALUE_INVALID, last = HB_SET_VALUE_INVALID;
    bool more = true;
    while (more && hb_set_next_range(set.get(), &first, &last))
        for (hb_codepoint_t c = first; more && c <= last && c <= 0x10FFFF; ++c)
            if (const std::uint32_t glyph = Glyph(c)) more = visit(static_cast<char32_t>(c), glyph);
    return true;
}

bool MapsSomeVisibleCharacter(const FaceCharacters& face, std::u16string_view sample) noexcept {
    bool visible = false;
    for (const char32_t c : CodePoints(sample)) {
        if (!IsVisibleCharacter(c)) continue;
        if (face.Glyph(c) != 0) return true;
        visible = true;
    }
    return !visible;
}

OwnSample OwnScriptSample(const FaceCharacters& face) {
    OwnSample sample;
    // Letters per script, in the order the scripts are first met: a tie goes to the earlier one.
    std::vector<std::pair<hb_script_t, std::size_t>> letters;
    const bool listed = face.ForEachMapped([&](char32_t c, std::uint32_t) {
        if (!IsLetter(hb_unicode_general_category(Unicode(), c))) return true;
        const hb_script_t script = hb_unicode_script(Unicode(), c);
        if (!HasScript(script)) return true;
        auto it = std::find_if(letters.begin(), letters.end(), [&](const auto& l) { return l.first == script; });
        if (it == letters.end()) letters.emplace_back(script, 1);
        else ++it->second;
        return true;
    });
    if (!listed) return sample;
    const auto main = std::max_element(letters.begin(), letters.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    if (main != letters.end()) {
        sample.script = main->first;
        // Modifier letters (length marks, repetition signs) only when the script has too few others.
        std::vector<char32_t> plain, modifiers;
        Picker picker(face);
        face.ForEachMapped([&](char32_t c, std::uint32_t glyph) {
            const hb_unicode_general_category_t category = hb_unicode_general_category(Unicode(), c);
            if (!IsLetter(category) || hb_unicode_script(Unicode(), c) != sample.script) return true;
            const bool more = picker.Offer(
                category == HB_UNICODE_GENERAL_CATEGORY_MODIFIER_LETTER ? modifiers : plain, c, glyph);
            return more && plain.size() < kOwnSampleChars;
        });
        plain.insert(plain.end(), modifiers.begin(), modifiers.end());
        plain.resize(std::min(plain.size(), kOwnSampleChars));
        if (!plain.empty()) {
            sample.text = Utf16(plain);
            sample.kind = OwnSample::Kind::kLetters;
            return sample;
        }
    }
    std::array<std::vector<char32_t>, kFallbackRanks> ranks;
    Picker picker(face);
    face.ForEachMapped([&](char32_t c, std::uint32_t glyph) {
        if (!IsVisibleCharacter(c)) return true;
        const bool more = picker.Offer(ranks[FallbackRank(c)], c, glyph);
        return more && ranks[0].size() < kOwnSampleChars;
    });
    std::vector<char32_t> chosen;
    for (const auto& rank : ranks) chosen.insert(chosen.end(), rank.begin(), rank.end());
    chosen.resize(std::min(chosen.size(), kOwnSampleChars));
    sample.text = Utf16(chosen);
    sample.kind = chosen.empty() ? OwnSample::Kind::kNothing : OwnSample::Kind::kOther;
    return sample;
}

} // namespace glyphpeek
