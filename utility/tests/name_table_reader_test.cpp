// The name-table reader against fonts built byte by byte, and a real CFF OpenType file.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "name_table_reader.h"

using namespace glyphpeek;

namespace {

struct NameRecord {
    std::uint16_t platform, encoding, language, nameId;
    std::string bytes;
};

void Put16(std::vector<std::uint8_t>& out, size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v >> 8);
    out[at + 1] = static_cast<std::uint8_t>(v);
}
void Put32(std::vector<std::uint8_t>& out, size_t at, std::uint32_t v) {
    Put16(out, at, v >> 16);
    Put16(out, at + 2, v & 0xFFFF);
}

// An sfnt with a first table of tag `firstTag` and then a name table holding `records`.
std::vector<std::uint8_t> Font(const std::vector<NameRecord>& records, const char* firstTag = "OS/2",
                               std::uint32_t version = 0x4F54544F) {
    std::vector<std::uint8_t> out(12 + 32, 0);
    Put32(out, 0, version);
    Put16(out, 4, 2);
    for (int i = 0; i < 4; ++i) out[12 + i] = static_cast<std::uint8_t>(firstTag[i]);
    const size_t table = out.size();
    const size_t storage = 6 + 12 * records.size();
    std::string strings;
    out.resize(table + storage);
    Put16(out, table + 2, static_cast<std::uint32_t>(records.size()));
    Put16(out, table + 4, static_cast<std::uint32_t>(storage));
    for (size_t i = 0; i < records.size(); ++i) {
        const size_t r = table + 6 + 12 * i;
        Put16(out, r, records[i].platform);
        Put16(out, r + 2, records[i].encoding);
        Put16(out, r + 4, records[i].language);
        Put16(out, r + 6, records[i].nameId);
        Put16(out, r + 8, static_cast<std::uint32_t>(records[i].bytes.size()));
        Put16(out, r + 10, static_cast<std::uint32_t>(strings.size()));
        strings += records[i].bytes;
    }
    out.insert(out.end(), strings.begin(), strings.end());
    std::memcpy(&out[28], "name", 4);
    Put32(out, 28 + 8, static_cast<std::uint32_t>(table));
    Put32(out, 28 + 12, static_cast<std::uint32_t>(out.size() - table));
    return out;
}

std::string Utf16BE(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        out += static_cast<char>(c >> 8);
        out += static_cast<char>(c & 0xFF);
    }
    return out;
}

// Stands in for a code page: bytes 0x80 and up become U+3000 + byte, so conversions are visible.
std::u16string TestCodePage(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    for (std::uint8_t b : bytes) out += static_cast<char16_t>(b < 0x80 ? b : 0x3000 + b);
    return out;
}

TEST(NameTable, RomanPostScriptAndNativeFullName) {
    const auto face = ReadNameTable(Font({{1, 0, 0, 6, "Mincho-W3"}, {1, 1, 11, 4, "\x96\xbe\x92\xa9"}}), TestCodePage);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->faceName, u"Mincho-W3");
    EXPECT_EQ(face->displayName, (std::u16string{0x3096, 0x30BE, 0x3092, 0x30A9}));
}

TEST(NameTable, NamesAndTheirPrecedence) {
    // Unicode platform records are UTF-16BE; a later record replaces an earlier one; Windows
    // platform records other than encoding 0 are not native names.
    const auto face = ReadNameTable(Font({{1, 0, 0, 6, "Roman-PS"},
                                          {0, 3, 0, 6, Utf16BE(u"Native-PS")},
                                          {3, 1, 0x409, 4, Utf16BE(u"Windows Full")},
                                          {1, 0, 0, 4, "Roman Full"},
                                          {1, 0, 0, 4, "Later Full"}}),
                                    TestCodePage);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->faceName, u"Native-PS");
    EXPECT_EQ(face->displayName, u"Later Full");

    const auto bare = ReadNameTable(Font({{1, 0, 0, 6, "OnlyPS"}}), TestCodePage);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->displayName, u"OnlyPS");
}

TEST(NameTable, SubfamilyStyles) {
    auto face = ReadNameTable(Font({{1, 0, 0, 6, "X"}, {1, 0, 0, 2, "Bold Italic"}}), TestCodePage);
    ASSERT_TRUE(face);
    EXPECT_TRUE(face->bold);
    EXPECT_TRUE(face->italic);
    face = ReadNameTable(Font({{1, 0, 0, 6, "X"}, {1, 0, 0, 2, "BOLD"}}), TestCodePage);
    EXPECT_TRUE(face->bold);
    EXPECT_FALSE(face->italic);
    face = ReadNameTable(Font({{1, 0, 0, 6, "X"}, {1, 0, 0, 2, "Regular"}}), TestCodePage);
    EXPECT_FALSE(face->bold || face->italic);
}

TEST(NameTable, NotAFont) {
    EXPECT_FALSE(ReadNameTable(Font({{1, 1, 0, 6, "NoEncodingZero"}}), TestCodePage));  // no Roman PostScript
    EXPECT_FALSE(ReadNameTable(Font({{1, 0, 0, 6, "X"}}, "OS\x1F" "2"), TestCodePage));   // unprintable tag
    std::vector<std::uint8_t> ttc = Font({{1, 0, 0, 6, "X"}});
    std::memcpy(ttc.data(), "ttcf", 4);
    Put32(ttc, 4, 0x00010000);  // collection header: version where the table count was
    Put32(ttc, 8, 1);
    Put32(ttc, 12, 12);         // first "tag" is the offset of member 0
    EXPECT_FALSE(ReadNameTable(ttc, TestCodePage));
    EXPECT_FALSE(ReadNameTable({}, TestCodePage));

    std::vector<std::uint8_t> font = Font({{1, 0, 0, 6, "PostScript"}});
    EXPECT_TRUE(ReadNameTable(font, TestCodePage));
    std::vector<std::uint8_t> cut(font.begin(), font.end() - 3);  // a string past the end
    EXPECT_FALSE(ReadNameTable(cut, TestCodePage));
    std::vector<std::uint8_t> far = font;
    Put32(far, 28 + 8, 0xFFFFFFF0u);  // name table offset past the end
    EXPECT_FALSE(ReadNameTable(far, TestCodePage));
    std::vector<std::uint8_t> many = font;
    Put16(many, 4, 0xFFFF);  // table count beyond the bytes: the name table is still found first
    EXPECT_TRUE(ReadNameTable(many, TestCodePage));
}

TEST(NameTable, LongNamesAreCut) {
    const auto face = ReadNameTable(Font({{1, 0, 0, 6, std::string(300, 'P')}, {1, 0, 0, 4, std::string(500, 'F')}}),
                                    TestCodePage);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->faceName.size(), kNameUnits);
    EXPECT_EQ(face->displayName.size(), kNameUnits);
}

TEST(NameTable, FreeSansOpenType) {
    std::ifstream file("/usr/share/fonts/opentype/freefont/FreeSans.otf", std::ios::binary);
    ASSERT_TRUE(file) << "FreeFont is a required test font";
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto face = ReadNameTable(bytes, TestCodePage);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->faceName, u"FreeSans");
    EXPECT_EQ(face->displayName, u"FreeSans");
    EXPECT_FALSE(face->bold);
}

} // namespace
