// The thumbnail arithmetic with exact numbers.
#include <gtest/gtest.h>

#include <vector>

#include "row_layout.h"

using namespace glyphpeek;

TEST(Colours, ConversionTintAndNotSet) {
    EXPECT_EQ(ToArgb(0x00112233), 0xFF332211u);
    EXPECT_TRUE(IsColorSet(0x00FFFFFF));
    EXPECT_FALSE(IsColorSet(0xFF000000));
    EXPECT_FALSE(IsColorSet(0x01000000));
    EXPECT_EQ(PaleTint(0xFF000000), 0xFFDFDFDFu);  // black bottom: 223 on top
    EXPECT_EQ(PaleTint(0xFFFFFFFF), 0xFFFFFFFFu);  // white stays white: no gradient
    EXPECT_EQ(PaleTint(0xFF80FF00), 0xFFEFFFDFu);  // 223 + 128 × 32 / 255 = 239
}

TEST(Rows, MarginsAndHeights) {
    const RowGeometry three = ComputeRows(96, 96, 3);
    EXPECT_EQ(three.marginX, 1);
    EXPECT_EQ(three.marginY, 1);
    EXPECT_EQ(three.rowHeight, 32);
    EXPECT_EQ(three.innerHeight, 30);
    const RowGeometry wide = ComputeRows(256, 80, 1);
    EXPECT_EQ(wide.marginX, 4);
    EXPECT_EQ(wide.marginY, 1);
    EXPECT_EQ(wide.innerHeight, 78);
    EXPECT_EQ(ComputeRows(96, 96, 0).rowHeight, 0);  // no faces: no division
}

TEST(SingleLine, FitsWidthOrHeight) {
    EXPECT_EQ(SingleLineSize(50, 116, 376, 120), 120u);   // taller than wide: the canvas height
    EXPECT_EQ(SingleLineSize(1000, 116, 376, 120), 37u);  // 376 × 100 / 1000
    EXPECT_EQ(SingleLineSize(0, 0, 376, 120), 0u);        // nothing measured
}

TEST(Block, GrowsUntilAsWideAsHigh) {
    // Ten characters 60 wide, line height 116 at size 100.
    const std::vector<int> widths(10, 60);
    const auto block = ComputeBlock(widths, 116, 376, 376);
    ASSERT_TRUE(block);
    // L = 240 wraps into 3 lines (4 + 4 + 2): 240 / 348 < 1; L = 300 gives 2 lines: 300 / 232 >= 1.
    EXPECT_EQ(block->lineWidth, 300);
    EXPECT_EQ(block->lines, 2);
    EXPECT_FLOAT_EQ(block->ratio, 300.0f / 232.0f);
    const std::vector<bool> ends = {false, false, false, false, true, false, false, false, false, true};
    EXPECT_EQ(block->endsLine, ends);
    // (int(376 / 1.2931) / 2) / 1.16 = (290 / 2) / 1.16 = 125
    EXPECT_EQ(block->size, 125u);
    EXPECT_EQ(block->left, (376 - 125 * 300 / 100) / 2);
    EXPECT_EQ(block->top, (376 - 2 * 125) / 2);
}

TEST(Block, NarrowSampleStaysOneLine) {
    // Total width below the height: the ratio never reaches 1, L is the whole width.
    const std::vector<int> widths = {20, 30};
    const auto block = ComputeBlock(widths, 116, 400, 100);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->lines, 1);
    EXPECT_EQ(block->lineWidth, 50);
    EXPECT_EQ(block->endsLine, (std::vector<bool>{false, true}));
    EXPECT_EQ(block->top, 0);  // taller than the canvas: starts at the top
}

TEST(Block, NothingToLayOut) {
    EXPECT_FALSE(ComputeBlock({}, 116, 400, 400));
    const std::vector<int> widths = {10};
    EXPECT_FALSE(ComputeBlock(widths, 0, 400, 400));
    const std::vector<int> zero = {0, 0};
    EXPECT_FALSE(ComputeBlock(zero, 116, 400, 400));
    const std::vector<int> huge = {1, 500, 1};  // a character wider than the line still terminates
    EXPECT_TRUE(ComputeBlock(huge, 116, 400, 400));
}
