#include "core/font_facts.h"

#include <array>
#include <optional>

#include "core/name_table.h"
#include "core/sfnt_view.h"

namespace glyphpeek {

namespace {

using namespace sfnt;

enum NameId : std::uint16_t {
    kCopyright = 0,
    kFamily = 1,
    kSubfamily = 2,
    kVersion = 5,
    kManufacturer = 8,
    kDesigner = 9,
    kLicence = 13,
    kLicenceUrl = 14,
    kTypographicFamily = 16,
    kTypographicSubfamily = 17,
    kNameIdCount = 18,
};

// Macintosh Roman, bytes 0x80 to 0xFF.
constexpr char16_t kMacRoman[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7,
    0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4, 0x00F6, 0x00F5,
    0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9,
    0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248,
    0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7,
    0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD,
    0x02DB, 0x02C7,
};

// Lower is better; nullopt for records whose text this reader cannot decode.
std::optional<int> Rank(const NameRecord& record) {
    if (record.platform == kPlatformWindows && (record.encoding == 1 || record.encoding == 10))
        return record.language == 0x0409 ? 0 : 1;
    if (record.platform == kPlatformUnicode) return 2;
    if (record.platform == kPlatformMacintosh && record.encoding == 0) return record.language == 0 ? 3 : 4;
    return std::nullopt;
}

// Enough bytes for kFactUnits units in either encoding.
constexpr std::size_t kDecodedBytes = 2 * kFactUnits;

std::u16string Decode(const NameRecord& record, std::span<const std::uint8_t> bytes) {
    bytes = bytes.first(std::min(bytes.size(), kDecodedBytes));
    if (record.platform != kPlatformMacintosh) return DecodeUtf16BE(bytes);
    std::u16string text;
    text.reserve(bytes.size());
    for (const std::uint8_t b : bytes) text.push_back(b < 0x80 ? char16_t{b} : kMacRoman[b - 0x80]);
    return text;
}

// Text as the pane shows it: up to the first NUL (names padded with NULs); lines joined into
// paragraphs, as licence texts are stored broken at a fixed width, and paragraphs kept apart by one
// empty line; other control characters gone; no blank ends; cut to kFactUnits (`cut`: the text went
// on beyond `raw`).
std::u16string Clean(std::u16string_view raw, bool cut) {
    if (const std::size_t nul = raw.find(u'\0'); nul != std::u16string_view::npos) {
        raw = raw.substr(0, nul);
        cut = false;
    }
    std::u16string text;
    text.reserve(raw.size());
    int breaks = 0;  // line breaks since the last character kept
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char16_t c = raw[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < raw.size() && raw[i + 1] == u'\n') ++i;
            ++breaks;
            continue;
        }
        if (c < 0x20 && c != u'\t') continue;
        if (c == 0x7F) continue;
        if (breaks > 1) text += u"\n\n";
        else if (breaks == 1 && !text.empty() && text.back() != u' ') text.push_back(u' ');
        breaks = 0;
        text.push_back(c == u'\t' ? u' ' : c);
    }
    const std::size_t first = text.find_first_not_of(u" \n");
    if (first == std::u16string::npos) return {};
    text = text.substr(first, text.find_last_not_of(u" \n") - first + 1);
    if (cut || text.size() > kFactUnits) {
        text = std::u16string(CutToField(text, kFactUnits));  // kFactUnits - 1 units, surrogate pairs whole
        text.push_back(u'\u2026');
    }
    return text;
}

void ReadNames(BigEndianReader& in, const TableRecord& table, FontFacts& facts) {
    const NameTableView names(in, table.offset, table.length);
    if (!names.valid()) return;
    std::array<std::optional<NameRecord>, kNameIdCount> chosen;
    std::array<int, kNameIdCount> rank{};
    for (std::uint16_t i = 0; i < names.count(); ++i) {
        const NameRecord record = names.Record(i);
        const std::optional<int> r = Rank(record);
        if (record.nameId >= kNameIdCount || !r) continue;
        if (chosen[record.nameId] && rank[record.nameId] <= *r) continue;
        chosen[record.nameId] = record;
        rank[record.nameId] = *r;
    }
    auto text = [&](NameId id) -> std::u16string {
        if (!chosen[id]) return {};
        const auto bytes = names.Text(*chosen[id]);
        return bytes ? Clean(Decode(*chosen[id], *bytes), bytes->size() > kDecodedBytes) : std::u16string();
    };
    facts.family = text(kTypographicFamily);
    if (facts.family.empty()) facts.family = text(kFamily);
    facts.style = text(kTypographicSubfamily);
    if (facts.style.empty()) facts.style = text(kSubfamily);
    facts.version = text(kVersion);
    facts.designer = text(kDesigner);
    facts.manufacturer = text(kManufacturer);
    facts.copyright = text(kCopyright);
    facts.licence = text(kLicence);
    facts.licenceUrl = text(kLicenceUrl);
}

FontFacts Read(std::span<const std::uint8_t> bytes) {
    FontFacts facts;
    BigEndianReader in(bytes);
    const std::uint32_t signature = in.U32(0);
    if (in.failed()) return facts;
    std::uint64_t base = 0;
    if (signature == Tag('w', 'O', 'F', 'F') || signature == Tag('w', 'O', 'F', '2')) {
        facts.container = signature == Tag('w', 'O', 'F', 'F') ? FontContainer::kWoff : FontContainer::kWoff2;
        return facts;
    }
    if (signature == kCollection) {
        const std::uint32_t fonts = in.U32(kCollectionNumFonts);
        base = in.U32(kCollectionOffsets);
        if (in.failed() || fonts == 0) return facts;
        facts.container = FontContainer::kCollection;
        facts.fonts = fonts;
    } else if (signature == kVersionTrueType || signature == kVersionApple || signature == kVersionCff) {
        facts.container = FontContainer::kSingle;
        facts.fonts = 1;
    } else {
        return facts;
    }
    const SfntView directory(in, base);
    if (!directory.valid()) return FontFacts{};

    const auto has = [&](std::uint32_t tag) { return directory.Find(tag).has_value(); };
    if (has(Tag('C', 'F', 'F', '2')))
        facts.outlines = OutlineFormat::kCff2;
    else if (has(Tag('C', 'F', 'F', ' ')))
        facts.outlines = OutlineFormat::kCff;
    else if (has(Tag('g', 'l', 'y', 'f')))
        facts.outlines = OutlineFormat::kTrueType;
    facts.variable = has(Tag('f', 'v', 'a', 'r'));
    if (const auto maxp = directory.Find(Tag('m', 'a', 'x', 'p')); maxp && maxp->length >= kMaxpNumGlyphs + 2) {
        const std::uint16_t glyphs = in.U16(maxp->offset + kMaxpNumGlyphs);
        if (!in.failed()) facts.glyphs = glyphs;
    }
    if (const auto name = directory.Find(Tag('n', 'a', 'm', 'e'))) ReadNames(in, *name, facts);
    return facts;
}

} // namespace

FontFacts ReadFontFacts(std::span<const std::uint8_t> bytes) noexcept {
    try {
        return Read(bytes);
    } catch (...) {
        return {};
    }
}

} // namespace glyphpeek
