#include "core/define_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace glyphpeek::trsetting;
using Bytes = std::vector<std::uint8_t>;

void PutText(DefineRecord& record, std::size_t offset, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        record[offset + 2 * i] = static_cast<std::uint8_t>(text[i]);
        record[offset + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
}

std::u16string GetText(const DefineRecord& record, std::size_t offset, std::size_t units) {
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = static_cast<char16_t>(record[offset + 2 * i] | (record[offset + 2 * i + 1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

DefineRecord Define(std::u16string_view name, std::uint8_t colour) {
    DefineRecord record{};
    PutText(record, 0, name);
    PutText(record, 30, u"\\.ttc$");
    PutText(record, 150, u"Aa 永");
    record[672] = 1;                    // FitSingleLine
    record[680] = colour;               // BackColor1
    record[687] = 0xFF;                 // BackColor2 not set
    record[40] = 0x77;                  // stray bytes after a terminator travel as they are
    return record;
}

Bytes Header(std::uint8_t low, std::uint8_t high) { return {'T', 'y', 'p', 'o', 'r', 'a', 'm', 'a', low, high}; }

TEST(DefineFile, WritesTheHeaderThenTheRecordsAndReadsThemBackByteForByte) {
    const std::vector<DefineRecord> records = {Define(u"Gothic", 1), Define(u"Mincho", 2), Define(u"", 3)};
    const Bytes file = EncodeDefineFile(records);
    ASSERT_EQ(file.size(), 2086u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 10), Header(0x00, 0x02));
    EXPECT_EQ(std::memcmp(file.data() + 10 + 692, records[1].data(), 692), 0);
    const DecodedDefineFile decoded = DecodeDefineFile(file);
    EXPECT_EQ(decoded.status, DefineFileStatus::kOk);
    EXPECT_EQ(decoded.records, records);

    const Bytes empty = EncodeDefineFile({});
    EXPECT_EQ(empty, Header(0x00, 0x02));
    const DecodedDefineFile none = DecodeDefineFile(empty);
    EXPECT_EQ(none.status, DefineFileStatus::kOk);
    EXPECT_TRUE(none.records.empty());
}

TEST(DefineFile, OnlyWholeRecordsCount) {
    Bytes file = EncodeDefineFile(std::vector<DefineRecord>{Define(u"One", 9)});
    file.insert(file.end(), 100, 0xAB);
    const DecodedDefineFile decoded = DecodeDefineFile(file);
    ASSERT_EQ(decoded.records.size(), 1u);
    EXPECT_EQ(GetText(decoded.records[0], 0, 15), u"One");
    EXPECT_EQ(DefineRecordCount(9), 0u);
    EXPECT_EQ(DefineRecordCount(10 + 2 * 692 - 1), 1u);
}

TEST(DefineFile, HeadersAreCheckedByMagicThenByTheVersionsHighByte) {
    Bytes lower = Header(0x00, 0x02);
    lower[0] = 't';
    EXPECT_EQ(DecodeDefineFile(lower).status, DefineFileStatus::kNotADefineFile);
    EXPECT_EQ(DecodeDefineFile(Bytes{'T', 'y', 'p', 'o'}).status, DefineFileStatus::kNotADefineFile);
    EXPECT_EQ(DecodeDefineFile({}).status, DefineFileStatus::kNotADefineFile);
    EXPECT_EQ(DecodeDefineFile(Header(0x05, 0x02)).status, DefineFileStatus::kOk);
    EXPECT_EQ(DecodeDefineFile(Header(0x00, 0x03)).status, DefineFileStatus::kWrongVersion);
    Bytes cut = Header(0x00, 0x02);
    cut.pop_back();  // ends inside the version
    EXPECT_EQ(DecodeDefineFile(cut).status, DefineFileStatus::kWrongVersion);
    Bytes rejected = Header(0x00, 0x01);
    rejected.resize(10 + 692, 0);
    EXPECT_TRUE(DecodeDefineFile(rejected).records.empty());
}

TEST(DefineFile, TextsThatFillTheirFieldsEndInsideThem) {
    DefineRecord full{};
    std::fill(full.begin(), full.end(), 0x41);  // 'AA' units everywhere: no terminator in any field
    Bytes file = Header(0x00, 0x02);
    file.insert(file.end(), full.begin(), full.end());
    const DefineRecord read = DecodeDefineFile(file).records.at(0);
    EXPECT_EQ(GetText(read, 0, 15).size(), 14u);
    EXPECT_EQ(GetText(read, 30, 60).size(), 59u);
    EXPECT_EQ(GetText(read, 150, 260).size(), 259u);
    EXPECT_EQ(read[670], 0x41) << "the padding and numbers stay as read";
    EXPECT_EQ(read[691], 0x41);

    // A cut never leaves half a surrogate pair.
    std::u16string name(14, u'a');
    name[13] = 0xD83D;
    DefineRecord split{};
    PutText(split, 0, name + u"\xDE00");
    TerminateTexts(split);
    EXPECT_EQ(GetText(split, 0, 15), std::u16string(13, u'a'));
    // A terminated text is left alone.
    DefineRecord fine = Define(u"Fine", 1);
    const DefineRecord before = fine;
    TerminateTexts(fine);
    EXPECT_EQ(fine, before);
}

} // namespace
