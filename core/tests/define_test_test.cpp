#include "core/define_test.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using glyphpeek::trsetting::AppliedDefineText;
using glyphpeek::trsetting::FirstApplyingDefine;

std::optional<size_t> First(std::vector<std::u16string_view> conditions, std::u16string_view name) {
    return FirstApplyingDefine(conditions, name);
}

TEST(DefineTest, TheFirstApplyingConditionWinsInListOrder) {
    EXPECT_EQ(First({u"\\.ttc$", u"ARIAL", u""}, u"arial.ttf"), 1u);  // letter case does not matter
    EXPECT_EQ(First({u"\\.ttc$", u"", u"arial"}, u"arial.ttf"), 1u);   // an empty condition ends the search
    EXPECT_EQ(First({u"", u"x"}, u""), 0u);
    EXPECT_EQ(First({u"gothic", u"b*"}, u""), 1u);  // the empty name is searched like any other
    EXPECT_EQ(First({u"(unclosed", u"arial"}, u"(unclosed arial"), 1u);  // not compiling: never applies
    EXPECT_EQ(First({u"gothic", u"mincho"}, u"arial.ttf"), std::nullopt);
    EXPECT_EQ(First({}, u"arial.ttf"), std::nullopt);
}

TEST(DefineTest, ResultLineNamesTheDefineAndItsPlace) {
    EXPECT_EQ(AppliedDefineText(u"The definitions applied : ", u"Mincho", 1), u"The definitions applied : Mincho [No.2]");
    EXPECT_EQ(AppliedDefineText(u"", u"", 1041), u" [No.1042]");
}

} // namespace
