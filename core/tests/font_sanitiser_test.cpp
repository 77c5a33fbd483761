#include "core/font_sanitiser.h"
#include "core/sfnt_view.h"

#include "testsupport/synthetic_font.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace glyphpeek {
namespace {

using synthetic::Bytes;
using synthetic::SfntBuilder;
using synthetic::SoundFont;

// "sound", or the reason the bytes were refused.
std::string Verdict(const Bytes& font) {
    const FontVerdict verdict = SanitiseFont(font);
    return verdict ? "sound" : verdict.reason;
}

// Where a field of a table lies in a built single font.
std::size_t Field(const Bytes& font, std::string_view tag, std::size_t offset) {
    const std::size_t record = synthetic::TableRecord(font, tag);
    EXPECT_NE(record, 0u) << tag;
    return synthetic::GetU32(font, record + 8) + offset;
}
Bytes With16(Bytes font, std::string_view tag, std::size_t offset, std::uint16_t value) {
    synthetic::PutU16(font, Field(font, tag, offset), value);
    return font;
}
Bytes With32(Bytes font, std::string_view tag, std::size_t offset, std::uint32_t value) {
    synthetic::PutU32(font, Field(font, tag, offset), value);
    return font;
}

TEST(FontSanitiser, SoundFontsAndCollectionsPass) {
    EXPECT_EQ(Verdict(SoundFont().Build()), "sound");
    EXPECT_EQ(Verdict(SoundFont(true).Build()), "sound");
    EXPECT_EQ(Verdict(synthetic::BuildCollection({SoundFont(), SoundFont(true, u"Other")})), "sound");
}

// Every real font on the machine (the test fonts of tools/bootstrap among them) is a font.
TEST(FontSanitiser, EveryInstalledFontPasses) {
    int checked = 0;
    for (const char* root : {"/usr/share/fonts", "/usr/share/texmf/fonts", "/usr/share/javascript/mathjax/fonts"}) {
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(root, error);
             !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            const std::string extension = it->path().extension().string();
            if (!it->is_regular_file() || (extension != ".ttf" && extension != ".otf" && extension != ".ttc")) continue;
            Bytes bytes(it->file_size());
            std::ifstream(it->path(), std::ios::binary).read(reinterpret_cast<char*>(bytes.data()), bytes.size());
            EXPECT_EQ(Verdict(bytes), "sound") << it->path();
            ++checked;
        }
    }
    EXPECT_GT(checked, 300);  // tools/bootstrap installs a few hundred
}

TEST(FontSanitiser, HeaderAndDirectory) {
    const Bytes sound = SoundFont().Build();
    EXPECT_EQ(Verdict(Bytes(sound.begin(), sound.begin() + 3)), "header: shorter than a version tag");
    EXPECT_EQ(Verdict(synthetic::Latin("wOFF and the rest")), "header: not a TrueType or OpenType version");
    EXPECT_EQ(Verdict(Bytes(sound.begin(), sound.begin() + 40)), "directory: outside the file");
    Bytes outside = sound;
    synthetic::PutU32(outside, synthetic::TableRecord(outside, "name") + 12, static_cast<std::uint32_t>(sound.size()));
    EXPECT_EQ(Verdict(outside), "directory: table outside the file");
    Bytes wrapping = sound;  // offset + length wraps in 32 bits
    synthetic::PutU32(wrapping, synthetic::TableRecord(wrapping, "name") + 8, 0xFFFFFFF0u);
    EXPECT_EQ(Verdict(wrapping), "directory: table outside the file");
}

TEST(FontSanitiser, RequiredTables) {
    for (const char* tag : {"cmap", "head", "hhea", "hmtx", "maxp", "name"}) {
        Bytes font = SoundFont().Build();
        synthetic::PutU32(font, synthetic::TableRecord(font, tag), synthetic::MakeTag("zzzz"));
        EXPECT_EQ(Verdict(font), std::string(tag) + ": missing");
    }
    Bytes noLoca = SoundFont().Build();
    synthetic::PutU32(noLoca, synthetic::TableRecord(noLoca, "loca"), synthetic::MakeTag("zzzz"));
    EXPECT_EQ(Verdict(noLoca), "loca: missing beside glyf");
    Bytes noCff = SoundFont(true).Build();
    synthetic::PutU32(noCff, synthetic::TableRecord(noCff, "CFF "), synthetic::MakeTag("zzzz"));
    EXPECT_EQ(Verdict(noCff), "CFF: missing in a CFF font");
}

TEST(FontSanitiser, CharacterMaps) {
    const Bytes sound = SoundFont().Build();
    EXPECT_EQ(Verdict(With16(sound, "cmap", 4, 1)), "cmap: no Unicode or symbol subtable");  // Macintosh only
    EXPECT_EQ(Verdict(With16(With16(sound, "cmap", 6, 0), "cmap", 4, 3)), "sound");        // symbol map
    EXPECT_EQ(Verdict(With32(sound, "cmap", 8, 45)), "cmap: subtable outside the table");
    EXPECT_EQ(Verdict(With16(sound, "cmap", 2, 600)), "cmap: records outside the table");
    EXPECT_EQ(Verdict(With16(sound, "cmap", 12 + 6, 40)), "cmap: format 4 segments outside the table");
    EXPECT_EQ(Verdict(With16(sound, "cmap", 12 + 6, 3)), "cmap: format 4 segment count");
    // A segment whose glyph indices lie through idRangeOffset beyond the table.
    EXPECT_EQ(Verdict(With16(sound, "cmap", 12 + 28, 200)), "cmap: format 4 glyph indices outside the table");
    EXPECT_EQ(Verdict(With16(sound, "cmap", 12, 12)), "cmap: format 12 groups outside the table");
    EXPECT_EQ(Verdict(With16(sound, "cmap", 12, 99)), "cmap: no Unicode or symbol subtable");  // unknown format
}

TEST(FontSanitiser, CountsAndMetrics) {
    const Bytes sound = SoundFont().Build();
    EXPECT_EQ(Verdict(With16(sound, "maxp", 4, 0)), "maxp: no glyphs");
    EXPECT_EQ(Verdict(With16(sound, "maxp", 4, 5)), "hmtx: shorter than numGlyphs and numberOfHMetrics need");
    EXPECT_EQ(Verdict(With16(sound, "hhea", 34, 3)), "hmtx: shorter than numGlyphs and numberOfHMetrics need");
    EXPECT_EQ(Verdict(With16(sound, "hhea", 34, 0)), "hhea: no horizontal metrics");
    EXPECT_EQ(Verdict(With16(sound, "head", 18, 0)), "head: zero units per em");
    EXPECT_EQ(Verdict(With16(sound, "head", 50, 2)), "head: unknown loca format");
    EXPECT_EQ(Verdict(With16(sound, "OS/2", 0, 5)), "OS/2: shorter than its version");
    Bytes post = With32(sound, "post", 0, 0x00020000);
    EXPECT_EQ(Verdict(post), "post: glyph count outside the table");
    EXPECT_EQ(Verdict(With16(sound, "name", 2, 9)), "name: records outside the table");
    EXPECT_EQ(Verdict(With16(sound, "name", 6 + 10, 500)), "name: string outside the table");
}

TEST(FontSanitiser, GlyphLocations) {
    const Bytes sound = SoundFont().Build();
    EXPECT_EQ(Verdict(With16(sound, "loca", 2, 2)), "sound");
    EXPECT_EQ(Verdict(With16(With16(sound, "loca", 2, 2), "loca", 4, 1)), "loca: offsets not ascending");
    EXPECT_EQ(Verdict(With16(sound, "loca", 4, 3)), "loca: offset outside glyf");  // 6 bytes of a 4-byte glyf
    SfntBuilder longLoca = SoundFont();
    longLoca.Table("hmtx", Bytes(12, 0)).Table("maxp", synthetic::MaxpTable(3));
    EXPECT_EQ(Verdict(longLoca.Build()), "loca: shorter than numGlyphs needs");
}

TEST(FontSanitiser, CffIndexes) {
    const Bytes sound = SoundFont(true).Build();
    EXPECT_EQ(Verdict(With16(sound, "CFF ", 0, 0x0200)), "CFF: unknown major version");
    EXPECT_EQ(Verdict(With16(sound, "CFF ", 2, 0x0405)), "CFF: header");
    EXPECT_EQ(Verdict(With16(sound, "CFF ", 6, 0x0201)), "CFF: INDEX offsets not ascending");  // Name INDEX
    EXPECT_EQ(Verdict(With16(sound, "CFF ", 7, 0x0140)), "CFF: INDEX data outside the table");
    EXPECT_EQ(Verdict(With16(sound, "CFF ", 10, 0x100)), "CFF: INDEX offsets outside the table");  // Top DICT count
    EXPECT_EQ(Verdict(With16(sound, "CFF ", 12, 0x0501)), "CFF: INDEX offset size");               // Top DICT offSize
    EXPECT_EQ(Verdict(With16(sound, "CFF ", 18, 1)), "CFF: INDEX outside the table");  // Global Subr count
}

TEST(FontSanitiser, CollectionsAndTheWorkBound) {
    Bytes collection = synthetic::BuildCollection({SoundFont(), SoundFont(true)});
    synthetic::PutU32(collection, 16, static_cast<std::uint32_t>(collection.size()));
    EXPECT_EQ(Verdict(collection), "header: not a TrueType or OpenType version");

    SfntBuilder broken = SoundFont();
    broken.Table("maxp", synthetic::MaxpTable(0));
    EXPECT_EQ(Verdict(synthetic::BuildCollection({SoundFont(), broken})), "maxp: no glyphs");

    Bytes many = synthetic::BuildCollection({SoundFont()});
    synthetic::PutU32(many, 8, 0x10000000);
    EXPECT_EQ(Verdict(many), "collection: more members than any real one");

    // Members naming one face: as many as a real collection may have pass (each shared table is
    // checked once), more are refused before any is read.
    const auto sameFace = [](std::uint32_t count) {
        Bytes members;
        synthetic::AppendU32(members, synthetic::MakeTag("ttcf"));
        synthetic::AppendU32(members, 0x00010000);
        synthetic::AppendU32(members, count);
        const std::uint32_t face = 12 + 4 * count;
        for (std::uint32_t i = 0; i < count; ++i) synthetic::AppendU32(members, face);
        SoundFont().AppendTo(members);
        return members;
    };
    EXPECT_EQ(Verdict(sameFace(kMaxCollectionMembers)), "sound");
    EXPECT_EQ(Verdict(sameFace(80'000)), "collection: more members than any real one");
}

} // namespace
} // namespace glyphpeek
