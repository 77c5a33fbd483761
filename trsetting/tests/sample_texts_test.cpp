#include "trsetting/sample_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using glyphpeek::trsetting::FindSampleText;
using glyphpeek::trsetting::SampleTexts;

size_t Count(std::u16string_view text, char16_t unit) { return std::count(text.begin(), text.end(), unit); }

TEST(SampleTexts, MenuOrderIdsAndLengths) {
    const std::pair<unsigned, size_t> expected[] = {{32774, 94}, {32782, 30}, {32776, 10}, {32775, 93}, {32780, 20},
                                                    {32778, 17}, {32784, 50}, {32788, 40}, {32789, 40}, {32790, 31},
                                                    {32792, 45}, {32794, 47}, {32796, 50}};
    ASSERT_EQ(SampleTexts().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(SampleTexts()[i].commandId, expected[i].first);
        EXPECT_EQ(SampleTexts()[i].text.size(), expected[i].second) << expected[i].first;
        EXPECT_FALSE(SampleTexts()[i].caption.empty());
    }
    EXPECT_EQ(FindSampleText(32776)->text, u"1234567890");
    EXPECT_EQ(FindSampleText(32776)->caption, u"Number");
    EXPECT_EQ(FindSampleText(32777), nullptr);
}

TEST(SampleTexts, UnitsThatAreEasilyLostInCopying) {
    for (unsigned id : {32774u, 32775u}) {
        const std::u16string_view text = FindSampleText(id)->text;
        EXPECT_EQ(Count(text, u'"'), 1u) << id;
        EXPECT_NE(text.find(u"\\|"), std::u16string_view::npos) << id;
    }
    const std::u16string_view hebrew = FindSampleText(32790)->text;
    for (char16_t dagesh : {u'\uFB31', u'\uFB3B', u'\uFB44', u'\uFB49'}) EXPECT_EQ(Count(hebrew, dagesh), 1u);
    const std::u16string_view cyrillic = FindSampleText(32792)->text;
    EXPECT_EQ(cyrillic[34], u'\u0406');
    EXPECT_EQ(cyrillic[35], u'\u0410');
    const std::u16string_view greek = FindSampleText(32794)->text;
    EXPECT_EQ(Count(greek, u'\u03B8'), 0u);
    EXPECT_EQ(Count(greek, u'\u03C6'), 0u);
    EXPECT_NE(FindSampleText(32796)->text.find(u"\u0E24\u0E24\u0E45\u0E25\u0E26\u0E26\u0E45"), std::u16string_view::npos);
}

} // namespace
