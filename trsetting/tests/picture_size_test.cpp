#include "trsetting/picture_size.h"

#include <gtest/gtest.h>

namespace {

using glyphpeek::trsetting::ClampPictureSize;

TEST(PictureSize, NumbersAreClampedAndAnythingElseCountsAsZero) {
    EXPECT_EQ(ClampPictureSize(u"20"), 20);
    EXPECT_EQ(ClampPictureSize(u"3"), 5);
    EXPECT_EQ(ClampPictureSize(u"5"), 5);
    EXPECT_EQ(ClampPictureSize(u"2000"), 2000);
    EXPECT_EQ(ClampPictureSize(u"99999"), 2000);
    EXPECT_EQ(ClampPictureSize(u"123456789012345678901234567890"), 2000);
    EXPECT_EQ(ClampPictureSize(u""), 5);
    EXPECT_EQ(ClampPictureSize(u"px"), 5);
    EXPECT_EQ(ClampPictureSize(u"-40"), 5);
    EXPECT_EQ(ClampPictureSize(u" 48pt"), 48);
}

} // namespace
