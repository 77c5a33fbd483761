#include "core/sfnt_reader.h"

#include "testsupport/synthetic_font.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace glyphpeek {
namespace {

using synthetic::Bytes;
using synthetic::SfntBuilder;

Bytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Families as "name:styles" lines, styles in RIBX order (regular, italic, bold, bold italic).
std::string Describe(const std::optional<std::vector<FontFamilyInfo>>& families) {
    if (!families) return "refused";
    std::string out;
    for (const FontFamilyInfo& f : *families) {
        out += std::string(f.name.begin(), f.name.end()) + ":";
        out += (f.styles & kStyleRegular) ? "R" : "-";
        out += (f.styles & kStyleItalic) ? "I" : "-";
        out += (f.styles & kStyleBold) ? "B" : "-";
        out += (f.styles & kStyleBoldItalic) ? "X" : "-";
        out += "\n";
    }
    return out;
}

SfntBuilder TrueTypeFace(std::u16string_view family, std::uint16_t fsSelection = 0x40) {
    SfntBuilder face;
    face.FsSelection(fsSelection).Glyf().MacStyle(0).Family(family);
    return face;
}

TEST(BigEndianReader, RangesNeverWrapAndFailureSticks) {
    const Bytes bytes = {0x12, 0x34, 0x56, 0x78};
    BigEndianReader in(bytes);
    EXPECT_EQ(in.U32(0), 0x12345678u);
    EXPECT_TRUE(in.Fits(4, 0));
    EXPECT_FALSE(in.Fits(UINT64_MAX, 2) || in.Fits(2, UINT64_MAX - 1));
    EXPECT_EQ(in.U16(3), 0u);
    EXPECT_EQ(in.U8(0), 0x12u);
    EXPECT_TRUE(in.failed());  // a failed read marks the reader for good
}

TEST(FontCollection, RealFonts) {
    const Bytes regular = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    const Bytes bold = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    const Bytes cjk = ReadFile("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc");
    const Bytes cff = ReadFile("/usr/share/fonts/opentype/freefont/FreeSans.otf");
    ASSERT_FALSE(regular.empty() || bold.empty() || cjk.empty() || cff.empty()) << "a required font is missing";

    EXPECT_EQ(Describe(ReadFontCollection(regular)), "DejaVu Sans:R---\n");
    const auto boldFamilies = ReadFontCollection(bold);
    EXPECT_EQ(Describe(boldFamilies), "DejaVu Sans:--B-\n");
    const StyleFlags flags = ProbeStyle(boldFamilies->at(0).styles);
    EXPECT_TRUE(flags.bold);
    EXPECT_FALSE(flags.italic);

    std::string expected;
    for (const char* mono : {"", "Mono "})
        for (const char* region : {"JP", "KR", "SC", "TC", "HK"})
            expected += std::string("Noto Sans ") + mono + "CJK " + region + ":R---\n";
    EXPECT_EQ(Describe(ReadFontCollection(cjk)), expected);

    EXPECT_FALSE(ReadFontCollection(cff));
}

TEST(FontCollection, CollectionMembersGroupByFamilyInFirstAppearance) {
    const Bytes file = synthetic::BuildCollection({
        TrueTypeFace(u"Beta", 0x0020),                   // bold
        TrueTypeFace(u"Alpha", 0x0040),                  // regular
        TrueTypeFace(u"Beta", 0x0021),                   // bold italic
        SfntBuilder(synthetic::kCff).MacStyle(0x0002).Family(u"Gamma"),  // CFF member, italic
    });
    EXPECT_EQ(Describe(ReadFontCollection(file)), "Beta:--BX\nAlpha:R---\nGamma:-I--\n");
    const auto faces = ReadSfntFaces(file);
    ASSERT_TRUE(faces);
    EXPECT_EQ(faces->size(), 4u);
}

TEST(FontCollection, SingleFontNeedsTrueTypeOutlines) {
    EXPECT_EQ(Describe(ReadFontCollection(TrueTypeFace(u"Plain").Build())), "Plain:R---\n");
    SfntBuilder apple(synthetic::kApple);
    apple.Glyf().Family(u"Apple");
    EXPECT_EQ(Describe(ReadFontCollection(apple.Build())), "Apple:R---\n");

    SfntBuilder noGlyf;
    noGlyf.Family(u"NoGlyf");
    EXPECT_FALSE(ReadFontCollection(noGlyf.Build()));
    SfntBuilder otto(synthetic::kCff);
    otto.Glyf().Family(u"Otto");
    EXPECT_FALSE(ReadFontCollection(otto.Build()));
}

TEST(FontCollection, StyleBitsFromOs2AndHead) {
    auto style = [](std::uint16_t fsSelection, std::uint16_t macStyle) {
        SfntBuilder face;
        face.Glyf().FsSelection(fsSelection).MacStyle(macStyle).Family(u"F");
        const auto faces = ReadSfntFaces(face.Build());
        return faces ? std::string(faces->at(0).bold ? "B" : "-") + (faces->at(0).italic ? "I" : "-") : "refused";
    };
    EXPECT_EQ(style(0x0040, 0), "--");
    EXPECT_EQ(style(0x0021, 0), "BI");
    EXPECT_EQ(style(0, 0x0001), "B-");
    EXPECT_EQ(style(0, 0x0002), "-I");

    // A table too short for its field is read as not having it.
    SfntBuilder shortOs2;
    shortOs2.Glyf().Table("OS/2", Bytes(62, 0xFF)).Family(u"F");
    const auto faces = ReadSfntFaces(shortOs2.Build());
    ASSERT_TRUE(faces);
    EXPECT_FALSE(faces->at(0).bold || faces->at(0).italic);
}

TEST(FontCollection, FamilyNameSelection) {
    auto family = [](SfntBuilder face) { return Describe(ReadFontCollection(face.Glyf().Build())); };
    // English US wins over an earlier Windows name; Macintosh names do not count.
    EXPECT_EQ(family(SfntBuilder()
                         .Name(1, 0, 0, 1, synthetic::Latin("Mac"))
                         .Name(3, 1, 0x0411, 1, synthetic::Utf16BE(u"Japanese"))
                         .Name(3, 1, 0x0409, 1, synthetic::Utf16BE(u"English"))),
              "English:R---\n");
    EXPECT_EQ(family(SfntBuilder()
                         .Name(3, 1, 0x0411, 1, synthetic::Utf16BE(u"First"))
                         .Name(3, 1, 0x0407, 1, synthetic::Utf16BE(u"Second"))),
              "First:R---\n");
    EXPECT_EQ(family(SfntBuilder().Name(3, 1, 0x0409, 1, synthetic::Utf16BE(std::u16string(u"Padded\0\0", 8)))),
              "Padded:R---\n");
    EXPECT_EQ(family(SfntBuilder().Name(1, 0, 0, 1, synthetic::Latin("MacOnly"))), "refused");
    EXPECT_EQ(family(SfntBuilder().Name(3, 1, 0x0409, 1, {})), "refused");

    // An unnamed member of a collection is left out; the others stay.
    SfntBuilder unnamed;
    unnamed.Glyf().Name(3, 1, 0x0409, 2, synthetic::Utf16BE(u"Regular"));
    EXPECT_EQ(Describe(ReadFontCollection(synthetic::BuildCollection({unnamed, TrueTypeFace(u"Named")}))),
              "Named:R---\n");
    EXPECT_FALSE(ReadFontCollection(synthetic::BuildCollection({unnamed})));
}

TEST(FontCollection, DamagedFilesAreNotFonts) {
    const Bytes good = TrueTypeFace(u"Good").Build();
    ASSERT_TRUE(ReadFontCollection(good));

    Bytes nameOutside = good;
    synthetic::PutU32(nameOutside, synthetic::TableRecord(good, "name") + 8, 0xFFFFFFF0u);
    EXPECT_FALSE(ReadFontCollection(nameOutside));

    Bytes lengthOutside = good;
    synthetic::PutU32(lengthOutside, synthetic::TableRecord(good, "OS/2") + 12, 0xFFFFFFFFu);
    EXPECT_FALSE(ReadFontCollection(lengthOutside));

    // The family string's offset points past the end of the name table.
    Bytes stringOutside = good;
    const std::size_t name = synthetic::GetU32(good, synthetic::TableRecord(good, "name") + 8);
    synthetic::PutU16(stringOutside, name + 6 + 10, 0x4000);
    EXPECT_FALSE(ReadFontCollection(stringOutside));

    Bytes manyTables = good;
    synthetic::PutU16(manyTables, 4, 0xFFFF);
    EXPECT_FALSE(ReadFontCollection(manyTables));

    // Every truncation is refused or read, never read past.
    for (std::size_t size = 0; size < good.size(); ++size) {
        const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        const std::string families = Describe(ReadFontCollection(prefix));
        EXPECT_TRUE(families == "refused" || families == "Good:R---\n") << families;
    }

    Bytes collection = synthetic::BuildCollection({TrueTypeFace(u"A"), TrueTypeFace(u"B")});
    Bytes memberOutside = collection;
    synthetic::PutU32(memberOutside, 16, 0x7FFFFFFF);
    EXPECT_FALSE(ReadFontCollection(memberOutside));
    Bytes nested = collection;
    synthetic::PutU32(nested, 16, 0);  // the second member is the collection header itself
    EXPECT_FALSE(ReadFontCollection(nested));
    Bytes hugeCount = collection;
    synthetic::PutU32(hugeCount, 8, 0xFFFFFFFF);
    EXPECT_FALSE(ReadFontCollection(hugeCount));
}

TEST(FontCollection, HostileCollectionStaysCheap) {
    // Many members that all point at one face: each is cheap, 300000 of them exceed the budget.
    const Bytes face = TrueTypeFace(u"Same").Build();
    auto collection = [&face](std::uint32_t members) {
        const std::uint32_t faceOffset = 12 + 4 * members;
        Bytes file;
        for (std::uint32_t v : {0x74746366u, 0x00010000u, members}) synthetic::AppendU32(file, v);
        for (std::uint32_t i = 0; i < members; ++i) synthetic::AppendU32(file, faceOffset);
        Bytes rebased = face;
        for (std::size_t r = 12; r < 12 + 16 * std::size_t{face[5]}; r += 16)
            synthetic::PutU32(rebased, r + 8, synthetic::GetU32(face, r + 8) + faceOffset);
        file.insert(file.end(), rebased.begin(), rebased.end());
        return file;
    };
    EXPECT_EQ(Describe(ReadFontCollection(collection(16))), "Same:R---\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ReadFontCollection(collection(300000)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(FontCollection, StyleProbeTakesFirstAvailable) {
    auto probe = [](std::uint8_t styles) {
        const StyleFlags f = ProbeStyle(styles);
        return std::string(f.italic ? "I" : "-") + (f.bold ? "B" : "-");
    };
    EXPECT_EQ(probe(kStyleRegular | kStyleBold | kStyleBoldItalic), "--");
    EXPECT_EQ(probe(kStyleItalic | kStyleBold), "I-");
    EXPECT_EQ(probe(kStyleBold | kStyleBoldItalic), "-B");
    EXPECT_EQ(probe(kStyleBoldItalic), "IB");
    EXPECT_EQ(probe(0), "--");
}

} // namespace
} // namespace glyphpeek
