#pragma once
// Builds small sfnt, OTTO and ttcf font images table by table, for tests of the font readers.
// Header-only and standard C++ only, so that host and Windows tests can share it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace glyphpeek::synthetic {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t MakeTag(std::string_view tag) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<std::uint8_t>(i < tag.size() ? tag[i] : ' ');
    return value;
}

inline constexpr std::uint32_t kTrueType = 0x00010000;
inline constexpr std::uint32_t kApple = MakeTag("true");
inline constexpr std::uint32_t kCff = MakeTag("OTTO");

inline void PutU16(Bytes& out, std::size_t pos, std::uint16_t v) {
    out[pos] = static_cast<std::uint8_t>(v >> 8);
    out[pos + 1] = static_cast<std::uint8_t>(v);
}
inline void PutU32(Bytes& out, std::size_t pos, std::uint32_t v) {
    PutU16(out, pos, static_cast<std::uint16_t>(v >> 16));
    PutU16(out, pos + 2, static_cast<std::uint16_t>(v));
}
inline std::uint32_t GetU32(const Bytes& in, std::size_t pos) {
    return (std::uint32_t{in[pos]} << 24) | (std::uint32_t{in[pos + 1]} << 16) | (std::uint32_t{in[pos + 2]} << 8) |
           in[pos + 3];
}
inline void AppendU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
inline void AppendU32(Bytes& out, std::uint32_t v) {
    AppendU16(out, static_cast<std::uint16_t>(v >> 16));
    AppendU16(out, static_cast<std::uint16_t>(v));
}

inline Bytes Utf16BE(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) AppendU16(out, c);
    return out;
}
inline Bytes Latin(std::string_view text) { return Bytes(text.begin(), text.end()); }

struct NameRecord {
    std::uint16_t platform = 3;
    std::uint16_t encoding = 1;
    std::uint16_t language = 0x0409;
    std::uint16_t nameId = 1;
    Bytes text;
};

// Format 0; records in the given order (the readers take them in order), strings stored in turn.
inline Bytes NameTable(const std::vector<NameRecord>& records) {
    Bytes table;
    AppendU16(table, 0);
    AppendU16(table, static_cast<std::uint16_t>(records.size()));
    AppendU16(table, static_cast<std::uint16_t>(6 + 12 * records.size()));
    Bytes storage;
    for (const NameRecord& r : records) {
        AppendU16(table, r.platform);
        AppendU16(table, r.encoding);
        AppendU16(table, r.language);
        AppendU16(table, r.nameId);
        AppendU16(table, static_cast<std::uint16_t>(r.text.size()));
        AppendU16(table, static_cast<std::uint16_t>(storage.size()));
        storage.insert(storage.end(), r.text.begin(), r.text.end());
    }
    table.insert(table.end(), storage.begin(), storage.end());
    return table;
}

// OS/2 version 4 (96 bytes) with fsSelection (offset 62) and the vertical metrics.
inline Bytes Os2Table(std::uint16_t fsSelection) {
    Bytes table(96, 0);
    PutU16(table, 0, 4);
    PutU16(table, 62, fsSelection);
    // Typographic and Windows ascender and descender, so that a font engine sizes text.
    PutU16(table, 68, 1638);
    PutU16(table, 70, static_cast<std::uint16_t>(-410));
    PutU16(table, 74, 1638);
    PutU16(table, 76, 410);
    return table;
}

// head (54 bytes) with version, magic number, units per em and macStyle (offset 44).
inline Bytes HeadTable(std::uint16_t macStyle) {
    Bytes table(54, 0);
    PutU32(table, 0, 0x00010000);
    PutU32(table, 12, 0x5F0F3CF5);
    PutU16(table, 18, 2048);
    PutU16(table, 44, macStyle);
    return table;
}

// cmap with one Windows Unicode (3, 1) format 4 subtable that maps 'A' to glyph 1.
inline Bytes CmapTable() {
    Bytes table;
    for (std::uint16_t v : {0, 1, 3, 1, 0, 12}) AppendU16(table, v);  // version, count, record (offset 12)
    for (std::uint16_t v : {4, 32, 0, 4, 4, 1, 0}) AppendU16(table, v);  // format 4 header, two segments
    for (std::uint16_t v : {0x41, 0xFFFF, 0, 0x41, 0xFFFF, 0xFFC0, 1, 0, 0}) AppendU16(table, v);
    return table;
}
// cmap with one Windows Unicode (3, 1) format 4 subtable of the segments given, in order, each
// mapping [start, end] to c + delta; the closing 0xFFFF segment is added.
struct CmapSegment {
    std::uint16_t start = 0;
    std::uint16_t end = 0;
    std::uint16_t delta = 0;
};
inline Bytes Format4CmapTable(std::vector<CmapSegment> segments) {
    segments.push_back({0xFFFF, 0xFFFF, 1});
    const auto count = static_cast<std::uint16_t>(segments.size());
    Bytes table;
    for (std::uint16_t v : {0, 1, 3, 1, 0, 12}) AppendU16(table, v);
    for (int v : {4, 16 + 8 * count, 0, 2 * count, 0, 0, 0}) AppendU16(table, static_cast<std::uint16_t>(v));
    for (const CmapSegment& s : segments) AppendU16(table, s.end);
    AppendU16(table, 0);
    for (const CmapSegment& s : segments) AppendU16(table, s.start);
    for (const CmapSegment& s : segments) AppendU16(table, s.delta);
    for (std::size_t i = 0; i < segments.size(); ++i) AppendU16(table, 0);
    return table;
}
// Ascender 1638 and descender -410 of a 2048-unit em, as real fonts have them.
inline Bytes HheaTable(std::uint16_t hMetrics) {
    Bytes table(36, 0);
    PutU32(table, 0, 0x00010000);
    PutU16(table, 4, 1638);
    PutU16(table, 6, static_cast<std::uint16_t>(-410));
    PutU16(table, 10, 1000);
    PutU16(table, 34, hMetrics);
    return table;
}
inline Bytes MaxpTable(std::uint16_t numGlyphs) {
    Bytes table(6, 0);
    PutU32(table, 0, 0x00005000);
    PutU16(table, 4, numGlyphs);
    return table;
}
// A CFF table: header, a Name INDEX and a Top DICT INDEX of one font, empty String and Global
// Subr INDEXes.
inline Bytes CffTable() { return {1, 0, 4, 1, 0, 1, 1, 1, 2, 'A', 0, 1, 1, 1, 2, 0x8B, 0, 0, 0, 0}; }

class SfntBuilder {
public:
    explicit SfntBuilder(std::uint32_t version = kTrueType) : version_(version) {}

    // Tables appear in the directory in the order they are first added; adding a tag again
    // replaces its data in place.
    SfntBuilder& Table(std::uint32_t tag, Bytes data) {
        for (auto& t : tables_)
            if (t.first == tag) {
                t.second = std::move(data);
                return *this;
            }
        tables_.emplace_back(tag, std::move(data));
        return *this;
    }
    SfntBuilder& Table(std::string_view tag, Bytes data) { return Table(MakeTag(tag), std::move(data)); }

    // Name records accumulate into a generated 'name' table.
    SfntBuilder& Name(std::uint16_t platform, std::uint16_t encoding, std::uint16_t language, std::uint16_t nameId,
                      Bytes text) {
        names_.push_back({platform, encoding, language, nameId, std::move(text)});
        return Table("name", NameTable(names_));
    }
    // A Windows English family name (name ID 1).
    SfntBuilder& Family(std::u16string_view family) { return Name(3, 1, 0x0409, 1, Utf16BE(family)); }
    SfntBuilder& FsSelection(std::uint16_t bits) { return Table("OS/2", Os2Table(bits)); }
    SfntBuilder& MacStyle(std::uint16_t bits) { return Table("head", HeadTable(bits)); }
    SfntBuilder& Glyf() { return Table("glyf", Bytes(4, 0)); }

    Bytes Build() const {
        Bytes file;
        AppendTo(file);
        return file;
    }

    // Writes the offset table, directory and tables at the end of file; table offsets count from
    // the start of file, as in a collection.
    void AppendTo(Bytes& file) const {
        const std::size_t base = file.size();
        const std::uint16_t n = static_cast<std::uint16_t>(tables_.size());
        std::uint16_t power = 1, log2 = 0;
        while (power * 2 <= n) {
            power = static_cast<std::uint16_t>(power * 2);
            ++log2;
        }
        AppendU32(file, version_);
        AppendU16(file, n);
        AppendU16(file, static_cast<std::uint16_t>(power * 16));
        AppendU16(file, log2);
        AppendU16(file, static_cast<std::uint16_t>(n * 16 - power * 16));
        file.resize(base + 12 + 16 * std::size_t{n}, 0);
        for (std::size_t i = 0; i < tables_.size(); ++i) {
            const Bytes& data = tables_[i].second;
            const std::size_t offset = file.size();
            file.insert(file.end(), data.begin(), data.end());
            while (file.size() % 4 != 0) file.push_back(0);
            std::uint32_t sum = 0;
            for (std::size_t p = offset; p < file.size(); p += 4) sum += GetU32(file, p);
            const std::size_t record = base + 12 + 16 * i;
            PutU32(file, record, tables_[i].first);
            PutU32(file, record + 4, sum);
            PutU32(file, record + 8, static_cast<std::uint32_t>(offset));
            PutU32(file, record + 12, static_cast<std::uint32_t>(data.size()));
        }
    }

private:
    std::uint32_t version_;
    std::vector<std::pair<std::uint32_t, Bytes>> tables_;
    std::vector<NameRecord> names_;
};

// A font with every table the font engine needs, two glyphs, and the names given: TrueType
// outlines, or CFF ones in an 'OTTO' font.
inline SfntBuilder SoundFont(bool cff = false, std::u16string_view family = u"Synthetic",
                             std::u16string_view postScript = u"Synthetic-Regular") {
    SfntBuilder font(cff ? kCff : kTrueType);
    font.Table("cmap", CmapTable()).MacStyle(0).Table("hhea", HheaTable(2)).Table("hmtx", Bytes(8, 0));
    font.Table("maxp", MaxpTable(2)).FsSelection(0x40).Table("post", [] {
        Bytes post(32, 0);
        PutU32(post, 0, 0x00030000);
        return post;
    }());
    if (cff) font.Table("CFF ", CffTable());
    else font.Table("loca", {0, 0, 0, 0, 0, 2}).Glyf();
    font.Family(family).Name(3, 1, 0x0409, 6, Utf16BE(postScript));
    return font;
}

// A 'ttcf' version 1.0 collection of the members in order.
inline Bytes BuildCollection(const std::vector<SfntBuilder>& members) {
    Bytes file;
    AppendU32(file, MakeTag("ttcf"));
    AppendU32(file, 0x00010000);
    AppendU32(file, static_cast<std::uint32_t>(members.size()));
    file.resize(12 + 4 * members.size(), 0);
    for (std::size_t i = 0; i < members.size(); ++i) {
        PutU32(file, 12 + 4 * i, static_cast<std::uint32_t>(file.size()));
        members[i].AppendTo(file);
    }
    return file;
}

// Offset of the directory record of tag in a single-font image, or 0 when absent.
inline std::size_t TableRecord(const Bytes& font, std::string_view tag) {
    const std::size_t n = (std::size_t{font[4]} << 8) | font[5];
    for (std::size_t i = 0; i < n; ++i)
        if (GetU32(font, 12 + 16 * i) == MakeTag(tag)) return 12 + 16 * i;
    return 0;
}

} // namespace glyphpeek::synthetic
