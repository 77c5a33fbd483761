// The font road over real fonts and the web fonts made from them at build time, and over hostile
// input: what it decodes, what it cuts, the names it gives, what it refuses.
#include "core/font_road.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "core/harfbuzz_owners.h"
#include "core/sfnt_view.h"
#include "testsupport/synthetic_font.h"

namespace glyphpeek {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kFonts = GLYPHPEEK_TEST_FONTS;
const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kFreeSans = "/usr/share/fonts/opentype/freefont/FreeSans.otf";
const std::string kInter = "/usr/share/fonts/truetype/inter-vf/Inter.var.ttf";

Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned GlyphCount(std::span<const std::uint8_t> font, unsigned member = 0) {
    return hb_face_get_glyph_count(FaceOver(font, member).get());
}

// Every name record of the face: {name id, text}.
std::vector<std::pair<unsigned, std::u16string>> Names(std::span<const std::uint8_t> font) {
    const HbFace face = FaceOver(font, 0);
    unsigned count = 0;
    const hb_ot_name_entry_t* entries = hb_ot_name_list_names(face.get(), &count);
    std::vector<std::pair<unsigned, std::u16string>> names;
    for (unsigned i = 0; i < count; ++i) {
        std::u16string text(64, u'\0');
        unsigned length = static_cast<unsigned>(text.size());
        hb_ot_name_get_utf16(face.get(), entries[i].name_id, entries[i].language, &length,
                             reinterpret_cast<std::uint16_t*>(text.data()));
        text.resize(length);
        names.emplace_back(entries[i].name_id, text);
    }
    return names;
}

TEST(FontRoad, FormatsAreToldByContentAndWebFontsDecodeToTheirFont) {
    const Bytes dejaVu = Read(kDejaVu), woff = Read(kFonts + "DejaVuSans.woff"), woff2 = Read(kFonts + "DejaVuSans.woff2");
    ASSERT_FALSE(dejaVu.empty() || woff.empty() || woff2.empty());
    EXPECT_EQ(DetectFontFormat(dejaVu), FontFormat::kTrueType);
    EXPECT_EQ(DetectFontFormat(Read(kFreeSans)), FontFormat::kCff);
    EXPECT_EQ(DetectFontFormat(woff), FontFormat::kWoff);
    EXPECT_EQ(DetectFontFormat(woff2), FontFormat::kWoff2);
    EXPECT_EQ(DetectFontFormat(Bytes{'O', 'T'}), FontFormat::kUnknown);
    for (const Bytes* web : {&woff, &woff2}) {
        const auto decoded = FontBytes::From(*web);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(DetectFontFormat(decoded->sfnt()), FontFormat::kTrueType);
        EXPECT_EQ(GlyphCount(decoded->sfnt()), GlyphCount(dejaVu));
    }
    const auto collection = FontBytes::From(Read(kFonts + "NotoSansCJK-Regular.otc"));
    ASSERT_TRUE(collection);
    EXPECT_EQ(collection->format(), FontFormat::kCollection);
    EXPECT_GT(collection->members(), 1u);
}

TEST(FontRoad, BombsAndBrokenWebFontsAreRefused) {
    Bytes woff2 = Read(kFonts + "DejaVuSans.woff2");
    ASSERT_GT(woff2.size(), 48u);
    Bytes huge = woff2;
    for (int i = 16; i < 20; ++i) huge[i] = 0xFF;  // totalSfntSize: 4 GB
    EXPECT_FALSE(FontBytes::From(huge));
    Bytes broken = woff2;
    for (std::size_t i = broken.size() / 2; i < broken.size(); ++i) broken[i] ^= 0x5A;  // compressed data
    EXPECT_FALSE(FontBytes::From(broken));
    Bytes woff = Read(kFonts + "DejaVuSans.woff");
    woff.resize(woff.size() / 3);
    EXPECT_FALSE(FontBytes::From(woff));

    // A collection declaring 80,000 members is refused before any member is read.
    Bytes members = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 1, 0x38, 0x80};
    members.resize(12 + 4 * 80'000, 0);
    EXPECT_FALSE(FontBytes::From(members));
}

TEST(FontRoad, ADrawableFaceHoldsTheRowsGlyphsAndOnlyItsOwnNames) {
    const Bytes dejaVu = Read(kDejaVu);
    const FaceNames names{UniqueFamilyName(), true, false};
    const Bytes face = MakeDrawableFace(dejaVu, 0, U"Ag", names);
    ASSERT_FALSE(face.empty());
    EXPECT_EQ(GlyphCount(face), 4u);  // .notdef, space, A, g
    const auto written = Names(face);
    // No typographic or WWS family, nor any other name the font came with, is left to be found by.
    for (const auto& [id, text] : written) {
        EXPECT_TRUE(id != 16 && id != 17 && id != 21 && id != 22) << id;
        EXPECT_EQ(text.find(u"DejaVu"), std::u16string::npos) << id;
    }
    EXPECT_TRUE(std::find(written.begin(), written.end(), std::pair<unsigned, std::u16string>{1, names.family}) !=
                written.end());
    EXPECT_TRUE(std::find(written.begin(), written.end(), std::pair<unsigned, std::u16string>{2, u"Bold"}) !=
                written.end());

    // CFF outlines and a member of a CFF collection go the same way.
    EXPECT_FALSE(MakeDrawableFace(Read(kFreeSans), 0, U"Ag", names).empty());
    const Bytes cjk = Read(kFonts + "NotoSansCJK-Regular.otc");
    const unsigned cjkGlyphs = GlyphCount(MakeDrawableFace(cjk, 3, U"\u6F22\u5B57", names));
    EXPECT_GE(cjkGlyphs, 4u);  // with the forms its layout tables reach from the two
    EXPECT_LT(cjkGlyphs, 20u);

    const std::u16string other = UniqueFamilyName();
    EXPECT_NE(other, names.family);
    EXPECT_LE(other.size(), 31u);  // fits a font description's face name
    EXPECT_FALSE(WithOwnNames(Bytes{0, 1, 0, 0, 0, 9}, names));
    EXPECT_TRUE(MakeDrawableFace(Bytes(dejaVu.begin(), dejaVu.begin() + 5000), 0, U"A", names).empty());
}

bool HasTable(std::span<const std::uint8_t> font, const char* tag) {
    const HbBlob table(hb_face_reference_table(FaceOver(font, 0).get(), HB_TAG(tag[0], tag[1], tag[2], tag[3])));
    return hb_blob_get_length(table.get()) > 0;
}

TEST(FontRoad, NamedInstancesAreDrawnAsStaticFonts) {
    const Bytes inter = Read(kInter);
    const auto instances = NamedInstances(inter, 0);
    ASSERT_EQ(instances.size(), 18u);  // Thin to Black, each upright and italic
    EXPECT_EQ(instances.front().displayName, u"Inter Thin");
    EXPECT_EQ(instances[1].displayName, u"Inter Thin Italic");
    EXPECT_EQ(instances.back().displayName, u"Inter Black Italic");
    ASSERT_EQ(instances.back().pins.size(), 2u);
    EXPECT_EQ(instances.back().pins[0].tag, HB_TAG('w', 'g', 'h', 't'));
    EXPECT_EQ(instances.back().pins[0].value, 900.0f);
    EXPECT_EQ(instances.back().pins[1].value, -10.0f);

    const FaceNames names{UniqueFamilyName(), false, false};
    auto advanceOfH = [&](std::span<const AxisPin> pins) {
        const Bytes face = MakeDrawableFace(inter, 0, U"H", names, pins);
        for (const char* variations : {"fvar", "gvar", "HVAR"}) EXPECT_FALSE(HasTable(face, variations)) << variations;
        const HbFont font(hb_font_create(FaceOver(face, 0).get()));
        hb_codepoint_t glyph = 0;
        EXPECT_TRUE(hb_font_get_nominal_glyph(font.get(), 'H', &glyph));
        return hb_font_get_glyph_h_advance(font.get(), glyph);
    };
    const int thin = advanceOfH(instances.front().pins), black = advanceOfH(instances[16].pins);
    EXPECT_LT(thin, black);
    EXPECT_EQ(advanceOfH({}), advanceOfH(instances[6].pins));  // the default face is the Regular instance

    EXPECT_TRUE(NamedInstances(Read(kDejaVu), 0).empty());
}

// A weight axis from 100 to 900 declaring `declared` instances with the weights given.
Bytes Fvar(const std::vector<std::int32_t>& weights, std::uint16_t declared) {
    Bytes fvar;
    for (std::uint16_t v : {1, 0, 16, 2, 1, 20}) synthetic::AppendU16(fvar, v);
    synthetic::AppendU16(fvar, declared);
    synthetic::AppendU16(fvar, 8);
    synthetic::AppendU32(fvar, synthetic::MakeTag("wght"));
    for (std::int32_t v : {100, 400, 900}) synthetic::AppendU32(fvar, static_cast<std::uint32_t>(v * 65536));
    synthetic::AppendU32(fvar, 256);  // flags, axis name
    for (std::int32_t weight : weights) {
        synthetic::AppendU32(fvar, 256u << 16);  // subfamily name, flags
        synthetic::AppendU32(fvar, static_cast<std::uint32_t>(weight * 65536));
    }
    return fvar;
}

TEST(FontRoad, AnFvarNamingNoSoundInstanceLeavesTheDefaultFace) {
    const auto font = [](Bytes fvar) {
        return synthetic::SoundFont().Name(3, 1, 0x0409, 256, synthetic::Utf16BE(u"Heavy")).Table("fvar", fvar).Build();
    };
    EXPECT_TRUE(NamedInstances(font(Fvar({}, 0)), 0).empty());
    EXPECT_TRUE(NamedInstances(font(Fvar({700}, 40)), 0).empty());  // more instances than the table holds

    const Bytes wild = font(Fvar({5000, -5000}, 2));
    const auto instances = NamedInstances(wild, 0);
    ASSERT_EQ(instances.size(), 2u);
    EXPECT_EQ(instances[0].displayName, u"Synthetic Heavy");
    EXPECT_EQ(instances[0].pins[0].value, 900.0f);  // held to the axis
    EXPECT_EQ(instances[1].pins[0].value, 100.0f);
    const FaceNames names{UniqueFamilyName(), false, false};
    for (const NamedInstance& instance : instances) MakeDrawableFace(wild, 0, U"A", names, instance.pins);
    MakeDrawableFace(wild, 0, U"A", names);
}

} // namespace
} // namespace glyphpeek
