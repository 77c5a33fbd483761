#include "core/own_script_sample.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/font_road.h"
#include "testsupport/synthetic_font.h"

namespace glyphpeek {
namespace {

using synthetic::Bytes;

Bytes ReadFont(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty()) << path << " is missing: run tools/bootstrap";
    return bytes;
}

const std::string kNoto = "/usr/share/fonts/truetype/noto/";
const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// Mathematical sans-serif letters and digits, every one beyond the BMP.
const std::string kAstralMath = "/usr/share/javascript/mathjax/fonts/HTML-CSS/STIX-Web/otf/STIXMathJax_SansSerif-Regular.otf";

std::string Hex(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

bool IsLetter(char32_t c) {
    const auto category = hb_unicode_general_category(hb_unicode_funcs_get_default(), c);
    return category >= HB_UNICODE_GENERAL_CATEGORY_LOWERCASE_LETTER &&
           category <= HB_UNICODE_GENERAL_CATEGORY_UPPERCASE_LETTER;
}

TEST(OwnScriptSample, VisibleCharacters) {
    for (char32_t c : {U'A', U'7', U'\u222B', U'\uF041', U'\U0001D400', U'\U000104B0', U'\u0C85'})
        EXPECT_TRUE(IsVisibleCharacter(c)) << Hex(c);
    for (char32_t c : {U' ', U'\t', U'\u00A0', U'\u0301', U'\u0CBF', U'\u200B', U'\uFE0F', U'\uF020', U'\uFFFF',
                       char32_t{0xD800}, char32_t{0x110000}})
        EXPECT_FALSE(IsVisibleCharacter(c)) << Hex(c);
}

// Script faces whose sample characters come first in code-point order would show punctuation
// (Kannada, Khmer, Bengali) or lie beyond the BMP (Osage, Brahmi).
TEST(OwnScriptSample, ScriptFacesShowLettersOfTheirScript) {
    const struct {
        const char* file;
        hb_script_t script;
    } cases[] = {{"NotoSansKannada-Regular.ttf", HB_SCRIPT_KANNADA},
                 {"NotoSansKhmer-Regular.ttf", HB_SCRIPT_KHMER},
                 {"NotoSansBengali-Regular.ttf", HB_SCRIPT_BENGALI},
                 {"NotoSansOsage-Regular.ttf", HB_SCRIPT_OSAGE},
                 {"NotoSansBrahmi-Regular.ttf", HB_SCRIPT_BRAHMI}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Bytes bytes = ReadFont(kNoto + c.file);
        const FaceCharacters face(bytes, 0);
        const OwnSample sample = OwnScriptSample(face);
        EXPECT_EQ(sample.kind, OwnSample::Kind::kLetters);
        EXPECT_EQ(sample.script, c.script);
        const std::u32string characters = CodePoints(sample.text);
        EXPECT_EQ(characters.size(), kOwnSampleChars);
        for (char32_t ch : characters) {
            EXPECT_TRUE(IsLetter(ch)) << Hex(ch);
            EXPECT_EQ(hb_unicode_script(hb_unicode_funcs_get_default(), ch), c.script) << Hex(ch);
            EXPECT_TRUE(face.Inked(face.Glyph(ch))) << Hex(ch);
        }
        EXPECT_FALSE(MapsSomeVisibleCharacter(face, u"Noto Sans"));
        EXPECT_TRUE(MapsSomeVisibleCharacter(face, sample.text));
    }
}

TEST(OwnScriptSample, AstralOnlyMathFaceShowsItsOwnCharacters) {
    const Bytes bytes = ReadFont(kAstralMath);
    const FaceCharacters face(bytes, 0);
    EXPECT_FALSE(MapsSomeVisibleCharacter(face, u"STIX Sans-Serif 123"));
    EXPECT_TRUE(MapsSomeVisibleCharacter(face, u" \U0001D5A0"));  // a pair, decoded
    const OwnSample sample = OwnScriptSample(face);
    EXPECT_EQ(sample.kind, OwnSample::Kind::kOther);  // its letters belong to no script
    const std::u32string characters = CodePoints(sample.text);
    ASSERT_EQ(characters.size(), kOwnSampleChars);
    EXPECT_EQ(characters.front(), U'\U0001D5A0');  // letters before digits
    for (char32_t c : characters) EXPECT_TRUE(c > 0xFFFF && face.Glyph(c) != 0) << Hex(c);
}

TEST(OwnScriptSample, LatinFaceAndWhatMapsTheSample) {
    const Bytes bytes = ReadFont(kDejaVu);
    const FaceCharacters face(bytes, 0);
    const OwnSample sample = OwnScriptSample(face);
    EXPECT_EQ(sample.kind, OwnSample::Kind::kLetters);
    EXPECT_EQ(sample.script, HB_SCRIPT_LATIN);
    EXPECT_EQ(sample.text, u"ABCDEFGHIJKL");
    EXPECT_TRUE(MapsSomeVisibleCharacter(face, u"\u0C85\u0C86A"));
    EXPECT_FALSE(MapsSomeVisibleCharacter(face, u"\u0C85\u0C86 "));
    EXPECT_TRUE(MapsSomeVisibleCharacter(face, u"  \u200B"));  // nothing visible to replace
    EXPECT_FALSE(MapsSomeVisibleCharacter(face, u"\xD800" u"\u0C85"));  // a lone surrogate shows nothing
}

std::uint16_t Delta(int from, int to) { return static_cast<std::uint16_t>(to - from); }

// Glyph 0, glyphs the face lacks and empty glyphs never reach a sample: 'A' maps to an outline,
// 'B' and 'a' to an empty glyph, 'C' and beyond past the last glyph; of the digits only '0' is inked.
TEST(OwnScriptSample, OnlyInkedGlyphsTheFaceHas) {
    using namespace synthetic;
    Bytes glyf;  // glyph 1: a square; glyphs 0 and 2: empty
    for (std::uint16_t v : {1, 50, 0, 500, 700, 3, 0}) AppendU16(glyf, v);
    for (std::uint8_t flag : {1, 1, 1, 1}) glyf.push_back(flag);
    for (int v : {50, 450, 0, -450, 0, 0, 700, 0}) AppendU16(glyf, static_cast<std::uint16_t>(v));
    Bytes loca;
    for (std::size_t v : {std::size_t{0}, std::size_t{0}, glyf.size() / 2, glyf.size() / 2})
        AppendU16(loca, static_cast<std::uint16_t>(v));
    const Bytes bytes =
        SfntBuilder()
            .Table("head", HeadTable(0))
            .Table("hhea", HheaTable(3))
            .Table("maxp", MaxpTable(3))
            .Table("hmtx", Bytes(12, 0))
            .Table("cmap", Format4CmapTable({{'0', '9', Delta('0', 1)}, {'A', 'E', Delta('A', 1)}, {'a', 'c', Delta('a', 2)}}))
            .Table("loca", loca)
            .Table("glyf", glyf)
            .Build();
    const FaceCharacters face(bytes, 0);
    EXPECT_NE(face.Glyph(U'B'), 0u);
    EXPECT_EQ(face.Glyph(U'C'), 0u);
    EXPECT_EQ(OwnScriptSample(face).text, u"A");
}

// A character map of overlapping whole-BMP segments would take HarfBuzz billions of steps to list.
TEST(OwnScriptSample, RefusesMapsTooCostlyToList) {
    using namespace synthetic;
    const std::vector<CmapSegment> segments(8000, {0x20, 0xFFFE, Delta('A', 1)});
    const Bytes bytes = SfntBuilder()
                            .Table("head", HeadTable(0))
                            .Table("maxp", MaxpTable(2))
                            .Table("cmap", Format4CmapTable(segments))
                            .Build();
    const FaceCharacters face(bytes, 0);
    EXPECT_FALSE(face.ForEachMapped([](char32_t, std::uint32_t) { return true; }));
    EXPECT_EQ(OwnScriptSample(face).kind, OwnSample::Kind::kNothing);
    EXPECT_TRUE(MapsSomeVisibleCharacter(face, u"A"));  // single look-ups stay cheap
}

TEST(OwnScriptSample, NotAFont) {
    const Bytes bytes = {'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'};
    for (const Bytes& b : {bytes, Bytes{}}) {
        const FaceCharacters face(b, 0);
        EXPECT_EQ(face.Glyph(U'A'), 0u);
        EXPECT_FALSE(MapsSomeVisibleCharacter(face, u"A"));
        EXPECT_EQ(OwnScriptSample(face).kind, OwnSample::Kind::kNothing);
    }
}

} // namespace
} // namespace glyphpeek
