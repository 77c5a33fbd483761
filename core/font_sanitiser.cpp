#include "core/font_sanitiser.h"

#include <optional>
#include <unordered_set>
#include <vector>

#include "core/sfnt_view.h"

namespace glyphpeek {

namespace {

using namespace sfnt;

// Entries visited per file (directory and name records, cmap groups, loca entries, INDEX
// offsets): the largest real file here (a CJK collection of ten faces) needs about 330 000; a
// hostile file, a collection of a million members pointing at one face say, is stopped after a
// few tens of milliseconds.
constexpr std::uint64_t kWorkUnits = std::uint64_t{1} << 22;

enum class SubtableKind { kMapping, kOther, kBroken };

// A table already found sound under the same parameters: collection members share tables.
struct CheckedTable {
    std::uint32_t tag;
    std::uint64_t offset, length, a, b;
    bool operator==(const CheckedTable&) const = default;
};

struct CheckedTableHash {
    std::size_t operator()(const CheckedTable& t) const noexcept {
        std::uint64_t h = t.tag;
        for (std::uint64_t v : {t.offset, t.length, t.a, t.b}) h = (h ^ v) * 0x100000001B3ull;
        return static_cast<std::size_t>(h);
    }
};

class Sanitiser {
public:
    explicit Sanitiser(std::span<const std::uint8_t> bytes) : in_(bytes), budget_(kWorkUnits) {}

    FontVerdict Run() {
        const bool sound = File() && !in_.failed();
        if (sound) return {true, nullptr};
        return {false, reason_ ? reason_ : "read outside the file"};
    }

private:
    bool Fail(const char* why) {
        if (!reason_) reason_ = why;
        return false;
    }
    bool Spend(std::uint64_t units) { return budget_.Spend(units) || Fail("work bound exceeded"); }

    // True when the table was checked before; otherwise remembers it, to be checked now.
    bool Seen(const CheckedTable& table) { return !checked_.insert(table).second; }

    bool File() {
        if (!in_.Fits(0, 4)) return Fail("header: shorter than a version tag");
        if (in_.U32(0) != kCollection) return Face(0);
        if (!in_.Fits(0, kCollectionOffsets)) return Fail("collection: header outside the file");
        const std::uint16_t major = in_.U16(4);
        if (major != 1 && major != 2) return Fail("collection: unknown version");
        const std::uint32_t numFonts = in_.U32(kCollectionNumFonts);
        if (numFonts == 0) return Fail("collection: no members");
        if (numFonts > kMaxCollectionMembers) return Fail("collection: more members than any real one");
        if (!in_.Fits(kCollectionOffsets, std::uint64_t{4} * numFonts))
            return Fail("collection: member offsets outside the file");
        if (!Spend(numFonts)) return false;
        for (std::uint32_t i = 0; i < numFonts; ++i)
            if (!Face(in_.U32(kCollectionOffsets + std::uint64_t{4} * i))) return false;
        return true;
    }

    bool Face(std::uint64_t base) {
        const std::uint32_t version = in_.Fits(base, 4) ? in_.U32(base) : 0;
        if (version != kVersionTrueType && version != kVersionApple && version != kVersionCff)
            return Fail("header: not a TrueType or OpenType version");
        const SfntView directory(in_, base);
        if (!directory.valid()) return Fail("directory: outside the file");
        if (!Spend(1u + directory.tableCount())) return false;

        std::optional<TableRecord> cmap, head, hhea, hmtx, maxp, name, os2, post, glyf, loca, cff, cff2;
        for (std::uint16_t i = 0; i < directory.tableCount(); ++i) {
            const TableRecord record = directory.Record(i);
            if (!in_.Fits(record.offset, record.length)) return Fail("directory: table outside the file");
            std::optional<TableRecord>* slot = nullptr;
            switch (record.tag) {
            case Tag('c', 'm', 'a', 'p'): slot = &cmap; break;
            case Tag('h', 'e', 'a', 'd'): slot = &head; break;
            case Tag('h', 'h', 'e', 'a'): slot = &hhea; break;
            case Tag('h', 'm', 't', 'x'): slot = &hmtx; break;
            case Tag('m', 'a', 'x', 'p'): slot = &maxp; break;
            case Tag('n', 'a', 'm', 'e'): slot = &name; break;
            case Tag('O', 'S', '/', '2'): slot = &os2; break;
            case Tag('p', 'o', 's', 't'): slot = &post; break;
            case Tag('g', 'l', 'y', 'f'): slot = &glyf; break;
            case Tag('l', 'o', 'c', 'a'): slot = &loca; break;
            case Tag('C', 'F', 'F', ' '): slot = &cff; break;
            case Tag('C', 'F', 'F', '2'): slot = &cff2; break;
            default: break;
            }
            if (slot && !*slot) *slot = record;
        }
        if (!cmap) return Fail("cmap: missing");
        if (!head) return Fail("head: missing");
        if (!hhea) return Fail("hhea: missing");
        if (!hmtx) return Fail("hmtx: missing");
        if (!maxp) return Fail("maxp: missing");
        if (!name) return Fail("name: missing");
        if (glyf && !loca) return Fail("loca: missing beside glyf");
        if (version == kVersionCff && !cff && !cff2) return Fail("CFF: missing in a CFF font");

        std::uint16_t numGlyphs = 0, locFormat = 0, hMetrics = 0;
        if (!Maxp(*maxp, numGlyphs) || !Head(*head, glyf.has_value(), locFormat) || !Hhea(*hhea, hMetrics) ||
            !Hmtx(*hmtx, numGlyphs, hMetrics) || !Name(*name) || !Cmap(*cmap))
            return false;
        if (os2 && !Os2(*os2)) return false;
        if (post && !Post(*post)) return false;
        if (glyf && !Loca(*loca, *glyf, numGlyphs, locFormat)) return false;
        if (cff && !Cff(*cff)) return false;
        if (cff2 && !Cff2(*cff2)) return false;
        return true;
    }

    bool Maxp(const TableRecord& t, std::uint16_t& numGlyphs) {
        if (t.length < 6) return Fail("maxp: too short");
        const std::uint32_t version = in_.U32(t.offset);
        if (version != 0x00005000 && version != 0x00010000) return Fail("maxp: unknown version");
        if (version == 0x00010000 && t.length < 32) return Fail("maxp: too short for version 1");
        numGlyphs = in_.U16(t.offset + kMaxpNumGlyphs);
        return numGlyphs > 0 || Fail("maxp: no glyphs");
    }

    bool Head(const TableRecord& t, bool hasGlyf, std::uint16_t& locFormat) {
        if (t.length < kHeadSize) return Fail("head: too short");
        if (in_.U16(t.offset + kHeadUnitsPerEm) == 0) return Fail("head: zero units per em");
        locFormat = in_.U16(t.offset + kHeadIndexToLocFormat);
        return !hasGlyf || locFormat <= 1 || Fail("head: unknown loca format");
    }

    bool Hhea(const TableRecord& t, std::uint16_t& hMetrics) {
        if (t.length < kHheaSize) return Fail("hhea: too short");
        hMetrics = in_.U16(t.offset + kHheaNumberOfHMetrics);
        return hMetrics > 0 || Fail("hhea: no horizontal metrics");
    }

    bool Hmtx(const TableRecord& t, std::uint16_t numGlyphs, std::uint16_t hMetrics) {
        std::uint64_t need = std::uint64_t{4} * hMetrics;
        if (numGlyphs > hMetrics) need += std::uint64_t{2} * (numGlyphs - hMetrics);
        return t.length >= need || Fail("hmtx: shorter than numGlyphs and numberOfHMetrics need");
    }

    bool Name(const TableRecord& t) {
        if (Seen({t.tag, t.offset, t.length, 0, 0})) return true;
        const NameTableView names(in_, t.offset, t.length);
        if (!names.valid()) return Fail("name: records outside the table");
        const std::uint16_t format = in_.U16(t.offset);
        if (format > 1) return Fail("name: unknown format");
        if (in_.U16(t.offset + kNameStorage) > t.length) return Fail("name: storage outside the table");
        if (!Spend(names.count())) return false;
        for (std::uint16_t i = 0; i < names.count(); ++i)
            if (!names.Text(names.Record(i))) return Fail("name: string outside the table");
        if (format == 1) {
            const std::uint64_t tags = kNameRecords + kNameRecordSize * names.count();
            if (tags + 2 > t.length) return Fail("name: language tags outside the table");
            if (tags + 2 + std::uint64_t{4} * in_.U16(t.offset + tags) > t.length)
                return Fail("name: language tags outside the table");
        }
        return true;
    }

    bool Cmap(const TableRecord& t) {
        if (Seen({t.tag, t.offset, t.length, 0, 0})) return true;
        if (t.length < 4) return Fail("cmap: too short");
        const std::uint16_t count = in_.U16(t.offset + 2);
        if (4 + std::uint64_t{8} * count > t.length) return Fail("cmap: records outside the table");
        if (!Spend(count)) return false;
        bool mapping = false;
        for (std::uint16_t i = 0; i < count; ++i) {
            const std::uint64_t record = t.offset + 4 + std::uint64_t{8} * i;
            const std::uint16_t platform = in_.U16(record), encoding = in_.U16(record + 2);
            const bool unicode = platform == kPlatformUnicode ||
                                 (platform == kPlatformWindows && (encoding == 1 || encoding == 10));
            const bool symbol = platform == kPlatformWindows && encoding == 0;
            if (!unicode && !symbol) continue;
            const std::uint64_t at = in_.U32(record + 4);
            if (at > t.length) return Fail("cmap: subtable outside the table");
            const SubtableKind kind = Subtable(t.offset + at, t.length - at);
            if (kind == SubtableKind::kBroken) return false;
            if (kind == SubtableKind::kMapping) mapping = true;
        }
        return mapping || Fail("cmap: no Unicode or symbol subtable");
    }

    // A character-map subtable at p with `room` bytes of the cmap table after it. Lengths are
    // checked against the table, not the subtable's own length field, which large format 4
    // subtables overflow.
    SubtableKind Subtable(std::uint64_t p, std::uint64_t room) {
        const auto broken = [this](const char* why) {
            Fail(why);
            return SubtableKind::kBroken;
        };
        if (room < 2) return broken("cmap: subtable outside the table");
        switch (in_.U16(p)) {
        case 0:
            return room >= 262 ? SubtableKind::kMapping : broken("cmap: format 0 outside the table");
        case 2:
            return room >= 518 ? SubtableKind::kMapping : broken("cmap: format 2 outside the table");
        case 4: return Format4(p, room) ? SubtableKind::kMapping : SubtableKind::kBroken;
        case 6: {
            if (room < 10) return broken("cmap: format 6 outside the table");
            const std::uint64_t count = in_.U16(p + 8);
            return 10 + 2 * count <= room ? SubtableKind::kMapping : broken("cmap: format 6 outside the table");
        }
        case 8: {
            if (room < 8208) return broken("cmap: format 8 outside the table");
            const std::uint64_t groups = in_.U32(p + 8204);
            if (!Spend(groups)) return SubtableKind::kBroken;
            return 8208 + 12 * groups <= room ? SubtableKind::kMapping : broken("cmap: format 8 outside the table");
        }
        case 10: {
            if (room < 20) return broken("cmap: format 10 outside the table");
            const std::uint64_t count = in_.U32(p + 16);
            return 20 + 2 * count <= room ? SubtableKind::kMapping : broken("cmap: format 10 outside the table");
        }
        case 12:
        case 13: {
            if (room < 16) return broken("cmap: format 12 outside the table");
            const std::uint64_t groups = in_.U32(p + 12);
            if (16 + 12 * groups > room) return broken("cmap: format 12 groups outside the table");
            return Spend(groups) ? SubtableKind::kMapping : SubtableKind::kBroken;
        }
        case 14: {
            if (room < 10) return broken("cmap: format 14 outside the table");
            const std::uint64_t records = in_.U32(p + 6);
            return 10 + 11 * records <= room ? SubtableKind::kOther : broken("cmap: format 14 outside the table");
        }
        default:
            return SubtableKind::kOther;  // not a map the engines use
        }
    }

    // Segment arrays inside the table, and every glyph-index range a segment reaches through
    // idRangeOffset as well.
    bool Format4(std::uint64_t p, std::uint64_t room) {
        if (room < 14) return Fail("cmap: format 4 outside the table");
        const std::uint16_t segX2 = in_.U16(p + 6);
        if (segX2 == 0 || segX2 % 2 != 0) return Fail("cmap: format 4 segment count");
        const std::uint64_t segments = segX2 / 2;
        if (16 + 8 * segments > room) return Fail("cmap: format 4 segments outside the table");
        if (!Spend(segments)) return false;
        const std::uint64_t ends = p + 14, starts = ends + segX2 + 2, rangeOffsets = starts + 2 * std::uint64_t{segX2};
        for (std::uint64_t s = 0; s < segments; ++s) {
            const std::uint16_t end = in_.U16(ends + 2 * s), start = in_.U16(starts + 2 * s);
            const std::uint16_t rangeOffset = in_.U16(rangeOffsets + 2 * s);
            if (rangeOffset == 0 || rangeOffset == 0xFFFF || start > end || start == 0xFFFF) continue;
            const std::uint64_t first = rangeOffsets + 2 * s + rangeOffset;
            const std::uint64_t last = first + 2 * std::uint64_t{static_cast<std::uint16_t>(end - start)};
            if (last + 2 > p + room) return Fail("cmap: format 4 glyph indices outside the table");
        }
        return true;
    }

    bool Os2(const TableRecord& t) {
        if (t.length < 68) return Fail("OS/2: too short");
        const std::uint16_t version = in_.U16(t.offset);
        const std::uint64_t need = version == 0 ? 68 : version == 1 ? 86 : version <= 4 ? 96 : 100;
        return t.length >= need || Fail("OS/2: shorter than its version");
    }

    bool Post(const TableRecord& t) {
        if (t.length < 32) return Fail("post: too short");
        const std::uint32_t version = in_.U32(t.offset);
        if (version != 0x00020000 && version != 0x00025000) return true;
        if (t.length < 34) return Fail("post: glyph count outside the table");
        const std::uint64_t glyphs = in_.U16(t.offset + 32);
        const std::uint64_t entry = version == 0x00020000 ? 2 : 1;
        return 34 + entry * glyphs <= t.length || Fail("post: glyph name indices outside the table");
    }

    bool Loca(const TableRecord& loca, const TableRecord& glyf, std::uint16_t numGlyphs, std::uint16_t format) {
        if (Seen({loca.tag, loca.offset, loca.length, glyf.offset << 1 | format, glyf.length << 16 | numGlyphs}))
            return true;
        const std::uint64_t entry = format == 0 ? 2 : 4;
        const std::uint64_t entries = std::uint64_t{numGlyphs} + 1;
        if (entries * entry > loca.length) return Fail("loca: shorter than numGlyphs needs");
        if (!Spend(entries)) return false;
        std::uint64_t previous = 0;
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint64_t offset =
                format == 0 ? std::uint64_t{in_.U16(loca.offset + 2 * i)} * 2 : in_.U32(loca.offset + 4 * i);
            if (offset < previous) return Fail("loca: offsets not ascending");
            if (offset > glyf.length) return Fail("loca: offset outside glyf");
            previous = offset;
        }
        return true;
    }

    // An INDEX at p inside [p, end): count (2 or 4 bytes), offset size, offsets ascending from 1,
    // data inside. Returns the end of the INDEX, or nullopt.
    std::optional<std::uint64_t> Index(std::uint64_t p, std::uint64_t end, std::uint64_t countSize,
                                       std::uint32_t* countOut = nullptr) {
        const auto refuse = [this](const char* why) -> std::optional<std::uint64_t> {
            Fail(why);
            return std::nullopt;
        };
        if (p > end || end - p < countSize) return refuse("CFF: INDEX outside the table");
        const std::uint32_t count = countSize == 2 ? in_.U16(p) : in_.U32(p);
        if (countOut) *countOut = count;
        if (count == 0) return p + countSize;
        if (end - p < countSize + 1) return refuse("CFF: INDEX outside the table");
        const std::uint8_t offSize = in_.U8(p + countSize);
        if (offSize < 1 || offSize > 4) return refuse("CFF: INDEX offset size");
        const std::uint64_t offsets = p + countSize + 1;
        const std::uint64_t entries = std::uint64_t{count} + 1;
        if (entries * offSize > end - offsets) return refuse("CFF: INDEX offsets outside the table");
        if (!Spend(entries)) return std::nullopt;
        const std::uint64_t data = offsets + entries * offSize - 1;  // offsets count from 1
        std::uint64_t previous = 1;
        for (std::uint64_t i = 0; i < entries; ++i) {
            std::uint64_t offset = 0;
            for (std::uint64_t b = 0; b < offSize; ++b) offset = offset << 8 | in_.U8(offsets + i * offSize + b);
            if (i == 0 ? offset != 1 : offset < previous) return refuse("CFF: INDEX offsets not ascending");
            previous = offset;
        }
        if (previous > end - data) return refuse("CFF: INDEX data outside the table");
        return data + previous;
    }

    bool Cff(const TableRecord& t) {
        if (Seen({t.tag, t.offset, t.length, 0, 0})) return true;
        if (t.length < 4) return Fail("CFF: header outside the table");
        const std::uint8_t headerSize = in_.U8(t.offset + 2), offSize = in_.U8(t.offset + 3);
        if (in_.U8(t.offset) != 1) return Fail("CFF: unknown major version");
        if (headerSize < 4 || offSize < 1 || offSize > 4) return Fail("CFF: header");
        const std::uint64_t end = t.offset + t.length;
        std::uint32_t fonts = 0, dicts = 0;
        auto next = Index(t.offset + headerSize, end, 2, &fonts);  // Name INDEX
        if (next) next = Index(*next, end, 2, &dicts);               // Top DICT INDEX
        if (!next) return false;
        if (fonts == 0 || dicts != fonts) return Fail("CFF: Top DICT count differs from the font count");
        next = Index(*next, end, 2);  // String INDEX
        if (next) next = Index(*next, end, 2);  // Global Subr INDEX
        return next.has_value();
    }

    bool Cff2(const TableRecord& t) {
        if (Seen({t.tag, t.offset, t.length, 0, 0})) return true;
        if (t.length < 5) return Fail("CFF2: header outside the table");
        if (in_.U8(t.offset) != 2) return Fail("CFF2: unknown major version");
        const std::uint64_t headerSize = in_.U8(t.offset + 2), topDictLength = in_.U16(t.offset + 3);
        if (headerSize < 5 || headerSize + topDictLength > t.length) return Fail("CFF2: Top DICT outside the table");
        return Index(t.offset + headerSize + topDictLength, t.offset + t.length, 4).has_value();  // Global Subr INDEX
    }

    BigEndianReader in_;
    WorkBudget budget_;
    const char* reason_ = nullptr;
    std::unordered_set<CheckedTable, CheckedTableHash> checked_;
};

} // namespace

FontVerdict SanitiseFont(std::span<const std::uint8_t> bytes) noexcept {
    try {
        return Sanitiser(bytes).Run();
    } catch (...) {
        return {false, "out of memory"};
    }
}

} // namespace glyphpeek
