#include "core/font_facts.h"

#include "testsupport/synthetic_font.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace glyphpeek {
namespace {

using synthetic::Bytes;
using synthetic::Latin;
using synthetic::SfntBuilder;
using synthetic::SoundFont;
using synthetic::Utf16BE;

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

Bytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FontFacts, NamesComeFromTheBestRecordOfEachKind) {
    SfntBuilder font = SoundFont(false, u"Legacy");
    font.Name(1, 0, 0, 16, Latin("Mac Family"))                    // Macintosh Roman: the last choice
        .Name(3, 1, 0x0407, 16, Utf16BE(u"Deutsche Familie"))      // another Windows language
        .Name(3, 1, 0x0409, 16, Utf16BE(u"Typographic"))           // English Windows: the first choice
        .Name(3, 1, 0x0409, 2, Utf16BE(u"Regular"))
        .Name(3, 1, 0x0409, 5, Utf16BE(u"Version 1.5"))
        .Name(1, 0, 0, 0, Latin("\xA9 1999 Maker"))                // only on the Macintosh: © is 0xA9 there too
        .Name(0, 3, 0, 9, Utf16BE(u"A. Designer"))                 // only on the Unicode platform
        .Name(3, 1, 0x0409, 13, Utf16BE(u"Line one\r\nline two\tend\x01\n\r\n\nNext paragraph\n"))
        .Name(3, 1, 0x0409, 8, Utf16BE(std::u16string(u"Padded\0\0\0", 9)))
        .Table("maxp", synthetic::MaxpTable(4321));
    const FontFacts facts = ReadFontFacts(font.Build());
    EXPECT_EQ(facts.container, FontContainer::kSingle);
    EXPECT_EQ(facts.fonts, 1u);
    EXPECT_EQ(facts.outlines, OutlineFormat::kTrueType);
    EXPECT_FALSE(facts.variable);
    EXPECT_EQ(facts.glyphs, 4321u);
    EXPECT_EQ(Narrow(facts.family), "Typographic");
    EXPECT_EQ(Narrow(facts.style), "Regular");
    EXPECT_EQ(Narrow(facts.version), "Version 1.5");
    EXPECT_EQ(facts.copyright, u"\u00A9 1999 Maker");
    EXPECT_EQ(Narrow(facts.designer), "A. Designer");
    EXPECT_EQ(Narrow(facts.licence), "Line one line two end\n\nNext paragraph");  // stored lines reflow
    EXPECT_EQ(Narrow(facts.manufacturer), "Padded");
    EXPECT_TRUE(facts.licenceUrl.empty());
}

TEST(FontFacts, OutlinesVariationsAndCollections) {
    SfntBuilder cff = SoundFont(true);
    cff.Table("fvar", Bytes(16, 0));
    FontFacts facts = ReadFontFacts(cff.Build());
    EXPECT_EQ(facts.outlines, OutlineFormat::kCff);
    EXPECT_TRUE(facts.variable);
    cff.Table("CFF2", Bytes(8, 0));
    EXPECT_EQ(ReadFontFacts(cff.Build()).outlines, OutlineFormat::kCff2);

    facts = ReadFontFacts(synthetic::BuildCollection({SoundFont(false, u"First"), SoundFont(true, u"Second")}));
    EXPECT_EQ(facts.container, FontContainer::kCollection);
    EXPECT_EQ(facts.fonts, 2u);
    EXPECT_EQ(Narrow(facts.family), "First");
    EXPECT_EQ(facts.outlines, OutlineFormat::kTrueType);
}

TEST(FontFacts, LongTextsAreCutAndMarked) {
    SfntBuilder font = SoundFont();
    font.Name(3, 1, 0x0409, 13, Utf16BE(std::u16string(5000, u'x')));
    const FontFacts facts = ReadFontFacts(font.Build());
    ASSERT_EQ(facts.licence.size(), kFactUnits);
    EXPECT_EQ(facts.licence.back(), u'\u2026');
}

TEST(FontFacts, WhatIsNoFontGivesNoFacts) {
    EXPECT_EQ(ReadFontFacts({}).container, FontContainer::kNone);
    EXPECT_EQ(ReadFontFacts(Latin("plain text, no font at all")).container, FontContainer::kNone);
    Bytes cut = SoundFont().Build();
    cut.resize(20);  // the table directory runs past the end
    EXPECT_EQ(ReadFontFacts(cut).container, FontContainer::kNone);
    Bytes emptyCollection = synthetic::BuildCollection({});
    EXPECT_EQ(ReadFontFacts(emptyCollection).container, FontContainer::kNone);
    // A name table whose records point outside the file: the font stays, its names do not.
    Bytes font = SoundFont().Build();
    const std::size_t name = synthetic::TableRecord(font, "name");
    synthetic::PutU32(font, name + 12, 0x7FFFFFF0);
    const FontFacts facts = ReadFontFacts(font);
    EXPECT_EQ(facts.container, FontContainer::kSingle);
    EXPECT_TRUE(facts.family.empty());
    // Web fonts are told by their signature alone.
    EXPECT_EQ(ReadFontFacts(Latin(std::string_view("wOFF\0\1\0\0", 8))).container, FontContainer::kWoff);
    EXPECT_EQ(ReadFontFacts(Latin(std::string_view("wOF2\0\1\0\0", 8))).container, FontContainer::kWoff2);
}

TEST(FontFacts, RealFonts) {
    const Bytes dejavu = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    const Bytes cjk = ReadFile("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc");
    ASSERT_FALSE(dejavu.empty() || cjk.empty()) << "a required font is missing";
    FontFacts facts = ReadFontFacts(dejavu);
    EXPECT_EQ(Narrow(facts.family), "DejaVu Sans");
    EXPECT_EQ(facts.outlines, OutlineFormat::kTrueType);
    EXPECT_GT(facts.glyphs, 3000u);
    EXPECT_NE(Narrow(facts.version).find("Version"), std::string::npos);
    EXPECT_FALSE(facts.copyright.empty() || facts.licence.empty());
    facts = ReadFontFacts(cjk);
    EXPECT_EQ(facts.container, FontContainer::kCollection);
    EXPECT_EQ(facts.fonts, 10u);
    EXPECT_EQ(facts.outlines, OutlineFormat::kCff);
    EXPECT_EQ(Narrow(facts.family), "Noto Sans CJK JP");
    EXPECT_EQ(Narrow(facts.manufacturer), "Adobe");
}

} // namespace
} // namespace glyphpeek
