#include "core/coverage_sample.h"

#include <gtest/gtest.h>

namespace glyphpeek {
namespace {

TEST(CoverageSample, OnlyCharactersThatShowSomething) {
    for (std::uint32_t c : {0x41u, 0x37u, 0x222Bu, 0xF041u, 0x1D400u}) EXPECT_TRUE(IsSampleCharacter(c)) << c;
    for (std::uint32_t c : {0x20u, 0x09u, 0xA0u, 0x301u, 0x200Bu, 0xFE0Fu, 0xF020u, 0xFFFFu, 0xD800u})
        EXPECT_FALSE(IsSampleCharacter(c)) << c;
}

TEST(CoverageSample, SomeVisibleCharacterMustMap) {
    constexpr std::uint16_t kMissing = kMissingGlyph;
    const std::uint16_t spaceOnly[] = {kMissing, 3, kMissing};
    EXPECT_FALSE(DrawsSomeCharacter(u"A B", spaceOnly));  // a space draws nothing
    const std::uint16_t letter[] = {kMissing, 3, 7};
    EXPECT_TRUE(DrawsSomeCharacter(u"A B", letter));
    const std::uint16_t pair[] = {kMissing, kMissing};
    EXPECT_TRUE(DrawsSomeCharacter(u"\U0001F600", pair));  // cannot be judged per unit
    EXPECT_TRUE(DrawsSomeCharacter(u"  ", pair));           // nothing visible to replace
}

TEST(CoverageSample, FirstDozenInCodePointOrder) {
    // Unsorted, overlapping ranges; controls and spaces are passed over.
    EXPECT_EQ(CoverageSample({{0x41, 3}, {0x0, 0x23}, {0x22, 2}}), u"!\"#ABC");
    EXPECT_EQ(CoverageSample({{0x30, 100}}), u"0123456789:;");
    // A symbol font's private area, starting at its space; a supplementary character as a pair.
    EXPECT_EQ(CoverageSample({{0xF020, 3}, {0x1D400, 1}}), u"\uF021\uF022\U0001D400");
    EXPECT_EQ(CoverageSample({{0x20, 1}, {0x300, 0x70}}), u"");
}

} // namespace
} // namespace glyphpeek
