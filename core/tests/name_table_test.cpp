#include "core/name_table.h"

#include "testsupport/synthetic_font.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace glyphpeek {
namespace {

using synthetic::Bytes;
using synthetic::Latin;
using synthetic::SfntBuilder;
using synthetic::Utf16BE;

// Stands in for the ANSI code page: ASCII plus the two Shift-JIS kana the tests use, so that a
// double-byte conversion is visible in the results.
std::u16string FakeAnsi(std::span<const std::uint8_t> bytes) {
    static const std::map<std::pair<int, int>, char16_t> kana = {{{0x82, 0xA0}, u'\u3042'}, {{0x82, 0xA2}, u'\u3044'}};
    std::u16string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] >= 0x81 && i + 1 < bytes.size()) {
            const auto it = kana.find({bytes[i], bytes[i + 1]});
            out.push_back(it != kana.end() ? it->second : u'?');
            ++i;
        } else {
            out.push_back(bytes[i]);
        }
    }
    return out;
}

std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// "faceName|displayName|IB" or "none".
std::string Read(const Bytes& font) {
    const auto face = ReadNameTableFace(font, FakeAnsi);
    if (!face) return "none";
    return Narrow(face->faceName) + "|" + Narrow(face->displayName) + "|" + (face->italic ? "I" : "-") +
           (face->bold ? "B" : "-");
}

SfntBuilder CffFont() {
    SfntBuilder font(synthetic::kCff);
    font.Table("CFF ", Bytes(8, 0));
    return font;
}

TEST(NameTable, RealFonts) {
    std::ifstream free("/usr/share/fonts/opentype/freefont/FreeSans.otf", std::ios::binary);
    std::ifstream bold("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", std::ios::binary);
    const Bytes freeSans((std::istreambuf_iterator<char>(free)), std::istreambuf_iterator<char>());
    const Bytes dejaVuBold((std::istreambuf_iterator<char>(bold)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(freeSans.empty() || dejaVuBold.empty()) << "a required font is missing";
    EXPECT_EQ(Read(freeSans), "FreeSans|FreeSans|--");
    EXPECT_EQ(Read(dejaVuBold), "DejaVuSans-Bold|DejaVu Sans Bold|-B");
    EXPECT_EQ(ReadNameTableFace(dejaVuBold, FakeAnsi)->familyName, u"DejaVu Sans");
}

TEST(NameTable, RomanPostScriptAndJapaneseFullName) {
    SfntBuilder font = CffFont();
    font.Name(1, 0, 0, 6, Latin("Mincho-W3")).Name(1, 1, 11, 4, Bytes{0x82, 0xA0, 0x82, 0xA2});
    const auto face = ReadNameTableFace(font.Build(), FakeAnsi);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->faceName, u"Mincho-W3");
    EXPECT_EQ(face->displayName, u"\u3042\u3044");
    EXPECT_EQ(face->familyName, face->displayName);  // no family name of its own

    SfntBuilder noRoman = CffFont();
    noRoman.Name(1, 1, 11, 6, Latin("Native")).Name(1, 1, 11, 4, Latin("Full")).Name(3, 0, 0x409, 6, Utf16BE(u"Sym"));
    EXPECT_EQ(Read(noRoman.Build()), "none");
}

// Fonts made by today's tools carry Windows names only: those name the face, US English first.
TEST(NameTable, WindowsNamesWithoutMacintoshRoman) {
    SfntBuilder font = CffFont();
    font.Name(3, 1, 0x411, 6, Utf16BE(u"Jp-PS")).Name(3, 1, 0x411, 4, Utf16BE(u"Jp Full"))
        .Name(3, 10, 0x409, 4, Utf16BE(u"Synthetic Bold Italic")).Name(3, 1, 0x409, 6, Utf16BE(u"Synthetic-BoldItalic"))
        .Name(3, 1, 0x409, 2, Utf16BE(u"Bold Italic")).Name(1, 1, 11, 4, Latin("Native Full"));
    EXPECT_EQ(Read(font.Build()), "Synthetic-BoldItalic|Synthetic Bold Italic|IB");
    EXPECT_EQ(Read(CffFont().Name(3, 1, 0x411, 6, Utf16BE(u"Jp-PS")).Build()), "Jp-PS|Jp-PS|--");

    std::ifstream in("/usr/share/fonts/opentype/cantarell/Cantarell-Bold.otf", std::ios::binary);
    const Bytes cantarell((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(cantarell.empty()) << "a required font is missing";
    EXPECT_EQ(Read(cantarell), "Cantarell-Bold|Cantarell Bold|-B");
}

TEST(NameTable, RecordSelection) {
    // Native PostScript comes from platforms 0 and 1 with a non-zero encoding; Windows records
    // with encoding 1 are ignored; a later record replaces an earlier one.
    EXPECT_EQ(Read(CffFont()
                       .Name(1, 0, 0, 6, Latin("Roman"))
                       .Name(1, 1, 11, 6, Latin("NativeOld"))
                       .Name(0, 3, 0, 6, Utf16BE(u"Native"))
                       .Name(3, 1, 0x409, 6, Utf16BE(u"Windows"))
                       .Name(3, 1, 0x409, 4, Utf16BE(u"WindowsFull"))
                       .Build()),
              "Native|Native|--");
    EXPECT_EQ(Read(CffFont().Name(1, 0, 0, 6, Latin("PS")).Name(1, 0, 0, 4, Latin("Roman Full")).Build()),
              "PS|Roman Full|--");
    // Encoding 0 on the Unicode platform counts as Roman, decoded as UTF-16.
    EXPECT_EQ(Read(CffFont().Name(0, 0, 0, 6, Utf16BE(u"Uni")).Build()), "Uni|Uni|--");
    // A later empty Roman PostScript name wins, and then there is none.
    EXPECT_EQ(Read(CffFont().Name(1, 0, 0, 6, Latin("PS")).Name(1, 0, 0, 6, {}).Build()), "none");
    // Text stops at a NUL, as a terminated buffer holds it.
    EXPECT_EQ(Read(CffFont().Name(1, 0, 0, 6, Bytes{'A', 'B', 0, 'C'}).Build()), "AB|AB|--");
}

TEST(NameTable, SubfamilyStyleProbe) {
    auto style = [](std::uint16_t platform, Bytes subfamily) {
        const std::string r = Read(CffFont().Name(1, 0, 0, 6, Latin("PS")).Name(platform, 0, 0, 2, subfamily).Build());
        return r.substr(r.size() - 2);
    };
    EXPECT_EQ(style(1, Latin("Bold Italic")), "IB");
    EXPECT_EQ(style(1, Latin("BOLD")), "-B");
    EXPECT_EQ(style(1, Latin("Oblique")), "--");
    EXPECT_EQ(style(0, Utf16BE(u"Italic")), "I-");
    // Windows text goes through the 8-bit conversion, whose first byte is a NUL: never a match.
    EXPECT_EQ(style(3, Utf16BE(u"Bold")), "--");
    // Flags are only ever set by a later record, never cleared.
    EXPECT_EQ(Read(CffFont().Name(1, 0, 0, 2, Latin("Bold")).Name(1, 0, 0, 2, Latin("Regular")).Name(1, 0, 0, 6, Latin("P")).Build()),
              "P|P|-B");
}

TEST(NameTable, TableTagsAndCollections) {
    SfntBuilder control = CffFont();
    control.Table(std::string_view("\x1F" "abc", 4), Bytes(4, 0)).Name(1, 0, 0, 6, Latin("PS"));
    EXPECT_EQ(Read(control.Build()), "none");
    SfntBuilder high = CffFont();
    high.Table(std::string_view("ab\x80" "c", 4), Bytes(4, 0)).Name(1, 0, 0, 6, Latin("PS"));
    EXPECT_EQ(Read(high.Build()), "none");
    SfntBuilder del = CffFont();
    del.Table(std::string_view("ab\x7F" "c", 4), Bytes(4, 0)).Name(1, 0, 0, 6, Latin("PS"));
    EXPECT_EQ(Read(del.Build()), "PS|PS|--");
    EXPECT_EQ(Read(CffFont().Table("OS/2", Bytes(96, 0)).Build()), "none");  // no name table

    SfntBuilder member = CffFont();
    member.Name(1, 0, 0, 6, Latin("PS"));
    EXPECT_EQ(Read(member.Build()), "PS|PS|--");
    EXPECT_EQ(Read(synthetic::BuildCollection({member})), "none");
}

TEST(NameTable, OffsetsAndLengthsOutsideTheBytes) {
    SfntBuilder builder = CffFont();
    builder.Name(1, 0, 0, 6, Latin("PS")).Name(1, 0, 0, 0, Latin("Copyright"));
    const Bytes good = builder.Build();
    ASSERT_EQ(Read(good), "PS|PS|--");
    const std::size_t record = synthetic::TableRecord(good, "name");
    const std::size_t table = synthetic::GetU32(good, record + 8);

    Bytes tableOutside = good;
    synthetic::PutU32(tableOutside, record + 8, static_cast<std::uint32_t>(good.size()));
    EXPECT_EQ(Read(tableOutside), "none");
    Bytes countOutside = good;
    synthetic::PutU16(countOutside, table + 2, 0xFFFF);
    EXPECT_EQ(Read(countOutside), "none");
    // Even a record the reader would ignore may not point outside the file.
    Bytes ignoredOutside = good;
    synthetic::PutU16(ignoredOutside, table + 6 + 12 + 8, 0xFFFF);
    EXPECT_EQ(Read(ignoredOutside), "none");

    for (std::size_t size = 0; size < good.size(); ++size) {
        const std::string r = Read(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)));
        EXPECT_TRUE(r == "none" || r == "PS|PS|--") << r;
    }
}

TEST(NameTable, HostileNameTableIsRefusedQuickly) {
    // A short Roman PostScript name, then full-name records that all point at one 64 KB string.
    auto font = [](std::size_t count) {
        Bytes table;
        for (std::size_t v : {std::size_t{0}, count, 6 + 12 * count}) synthetic::AppendU16(table, static_cast<std::uint16_t>(v));
        for (std::uint16_t v : {1, 0, 0, 6, 2, 0}) synthetic::AppendU16(table, v);
        for (std::size_t i = 1; i < count; ++i)
            for (std::uint16_t v : {1, 0, 0, 4, 0xFFFF, 0}) synthetic::AppendU16(table, v);
        table.resize(table.size() + 0xFFFF, 'x');
        return CffFont().Table("name", table).Build();
    };
    EXPECT_EQ(Read(font(10)), "xx|" + std::string(99, 'x') + "|--");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Read(font(5000)), "none");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(NameTable, LongNamesAreCutToTheirFields) {
    const std::string ps(60, 'P'), full(150, 'F');
    const auto face =
        ReadNameTableFace(CffFont().Name(1, 0, 0, 6, Latin(ps)).Name(1, 1, 0, 4, Latin(full)).Build(), FakeAnsi);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->faceName, std::u16string(39, u'P'));
    EXPECT_EQ(face->displayName, std::u16string(99, u'F'));
    const auto fallback = ReadNameTableFace(CffFont().Name(1, 0, 0, 6, Latin(ps)).Build(), FakeAnsi);
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->displayName, std::u16string(39, u'P'));

    EXPECT_EQ(CutToField(u"abc", 4), u"abc");
    EXPECT_EQ(CutToField(u"abcd", 4), u"abc");
    EXPECT_EQ(CutToField(u"ab\U0001F600", 4), u"ab");  // a surrogate pair is not split
    EXPECT_EQ(CutToField(u"a\U0001F600", 4), u"a\U0001F600");
    EXPECT_EQ(CutToField(u"abc", 0), u"");
}

} // namespace
} // namespace glyphpeek
