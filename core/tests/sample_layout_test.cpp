#include "core/sample_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace glyphpeek {
namespace {

// A monospaced face: each unit is half as wide as the character height.
TextExtent HalfWidth(std::u16string_view text) {
    return {static_cast<int>(text.size()) * kProbeFontSize / 2, kProbeFontSize};
}

// Per-character widths from a table (height 100); unknown characters are 50 wide.
MeasureText Widths(std::map<char16_t, int> widths, int height = 100) {
    return [widths, height](std::u16string_view text) {
        int cx = 0;
        for (char16_t c : text) cx += widths.count(c) ? widths.at(c) : 50;
        return TextExtent{cx, height};
    };
}

// "x,y x,y ..." of the placed characters.
std::string Places(const SampleBlock& layout) {
    std::string out;
    for (const PlacedChar& c : layout.chars)
        out += (out.empty() ? "" : " ") + std::to_string(c.x) + "," + std::to_string(c.y);
    return out;
}

TEST(Background, ColoursAndGradientDecision) {
    constexpr std::uint32_t kNotSet = 0xFF000000u;
    EXPECT_EQ(ResolveForeColor(0x00332211, 0), 0xFF112233u);

    const Background black = ResolveBackground(kNotSet, 0x00000000, 0x00FFFFFF);
    EXPECT_EQ(black.top, 0xFFDFDFDFu);
    EXPECT_EQ(black.bottom, 0xFF000000u);
    EXPECT_TRUE(black.gradient);

    const Background white = ResolveBackground(kNotSet, 0x00FFFFFF, 0x00000000);
    EXPECT_EQ(white.top, 0xFFFFFFFFu);
    EXPECT_FALSE(white.gradient);

    // Channels blend separately: 0 -> 223, 128 -> 239, 255 -> 255; the system colour stands in
    // for an unset bottom colour.
    const Background system = ResolveBackground(kNotSet, kNotSet, 0x00FF8000);
    EXPECT_EQ(system.bottom, 0xFF0080FFu);
    EXPECT_EQ(system.top, 0xFFDFEFFFu);

    const Background same = ResolveBackground(0x00123456, 0x00123456, 0);
    EXPECT_FALSE(same.gradient);
    EXPECT_EQ(same.top, 0xFF563412u);
    EXPECT_TRUE(ResolveBackground(0x00123456, 0x00123457, 0).gradient);

    EXPECT_EQ(ResolveForeColor(kNotSet, 0x000000FF), 0xFFFF0000u);
    EXPECT_EQ(ResolveForeColor(0x00FF0000, 0x000000FF), 0xFF0000FFu);
}

TEST(Rows, CanvasFactorKeepsLargeCellsBounded) {
    EXPECT_EQ(SupersamplingFactor(94, 30), 4);
    EXPECT_EQ(SupersamplingFactor(992, 992), 4);    // a 1024 thumbnail
    EXPECT_EQ(SupersamplingFactor(1100, 40), 3);
    EXPECT_EQ(SupersamplingFactor(2016, 2016), 2);  // 2048
    EXPECT_EQ(SupersamplingFactor(2480, 2480), 2);  // 2560: past 4096 a side, still a few megabytes at one bit
    EXPECT_EQ(SupersamplingFactor(10000, 10000), 1);
    const Row row = LayoutRows(2560, 2560, 1)[0];
    EXPECT_EQ(row.supersampling, 2);
    EXPECT_EQ(row.canvasWidth, 2 * row.cell.width);
    EXPECT_EQ(row.canvasHeight, 2 * row.cell.height);
}

TEST(Rows, ThreeFacesOnA96Square) {
    const std::vector<Row> rows = LayoutRows(96, 96, 3);
    ASSERT_EQ(rows.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const Row& row = rows[static_cast<std::size_t>(i)];
        EXPECT_EQ(row.cell.x, 1);
        EXPECT_EQ(row.cell.y, 32 * i + 1);
        EXPECT_EQ(row.cell.width, 94);
        EXPECT_EQ(row.cell.height, 30);
        EXPECT_TRUE(row.drawable);
        EXPECT_EQ(row.canvasWidth, 376);
        EXPECT_EQ(row.canvasHeight, 120);
        EXPECT_EQ(row.separator.has_value(), i > 0);
        if (row.separator) {
            EXPECT_EQ(row.separator->y, 32 * i);
            EXPECT_EQ(row.separator->x1, 1);
            EXPECT_EQ(row.separator->x2, 95);
        }
    }
}

TEST(Rows, DegenerateTargets) {
    EXPECT_TRUE(LayoutRows(96, 96, 0).empty());
    EXPECT_TRUE(LayoutRows(0, 96, 2).empty());
    // More faces than the target has room for: the separators stay, no text cell is drawable.
    const std::vector<Row> crowded = LayoutRows(128, 128, 100);
    ASSERT_EQ(crowded.size(), 100u);
    EXPECT_EQ(crowded[1].cell.height, -3);  // r = 1, my = 2
    EXPECT_FALSE(crowded[1].drawable);
    EXPECT_EQ(crowded[99].separator->y, 99);
    // Row height rounds down; the remainder stays at the bottom.
    const std::vector<Row> rows = LayoutRows(100, 100, 3);
    EXPECT_EQ(rows[2].cell.y, 67);
    EXPECT_EQ(rows[2].cell.height, 31);
}

TEST(SingleLine, ScalesToCanvasWidthOrHeight) {
    EXPECT_EQ(LayoutSingleLine(u"ABCDEFGHIJ", 376, 120, HalfWidth), 75);  // 376 * 100 / 500
    EXPECT_EQ(LayoutSingleLine(u"A", 376, 120, HalfWidth), 120);          // taller than wide
    // Sized to the width a line would be taller than the canvas: the largest size whose cell fits.
    EXPECT_EQ(LayoutSingleLine(u"AB", 376, 120, HalfWidth), 120);
    EXPECT_EQ(LayoutSingleLine(u"ABC", 376, 120, [](std::u16string_view) { return TextExtent{150, 145}; }), 82);
    // Empty samples and failed measurements lay out nothing instead of dividing by zero.
    EXPECT_FALSE(LayoutSingleLine(u"", 376, 120, HalfWidth));
    EXPECT_FALSE(LayoutSingleLine(u"A", 376, 120, [](std::u16string_view) { return TextExtent{0, 0}; }));
    EXPECT_EQ(LayoutSingleLine(u"\u200B", 376, 120, [](std::u16string_view) { return TextExtent{0, 90}; }), 120);
    EXPECT_FALSE(LayoutSingleLine(u"A", 0, 120, HalfWidth));
}

TEST(SingleLine, CentredOrigin) {
    EXPECT_EQ(CentredOrigin(400, 100, {300, 60}).x, 50);
    EXPECT_EQ(CentredOrigin(400, 100, {300, 60}).y, 20);
    EXPECT_EQ(CentredOrigin(400, 100, {500, 140}).x, -50);  // wider than the canvas: starts left of it
    EXPECT_EQ(CentredOrigin(-2147483647 - 1, 0, {2147483647, 0}).x, -2147483647);  // no overflow on the way
}

TEST(Block, WrapsToTheNarrowestBlockNotTallerThanWide) {
    // Nine characters of width 50, height 100: four per line give 200/300, five give 250/200.
    const auto layout = LayoutBlock(u"ABCDEFGHI", 400, 400, HalfWidth);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->lines, 2u);
    EXPECT_EQ(layout->fontSize, 160);  // (400 / 1.25) / 2 / 1.0
    EXPECT_EQ(Places(*layout), "0,40 80,40 160,40 240,40 320,40 0,200 80,200 160,200 240,200");

    // Four characters fit one line as soon as the line is as wide as the block is tall.
    const auto one = LayoutBlock(u"ABCD", 400, 400, HalfWidth);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->lines, 1u);
    EXPECT_EQ(one->fontSize, 200);
    EXPECT_EQ(Places(*one), "0,100 100,100 200,100 300,100");
}

TEST(Block, ShortSampleNeverReachesRatioOne) {
    // Total width 60 < height 100: L is the whole sample, one line; sized to the width (400 / 0.6)
    // it would be taller than the canvas, so it takes the canvas height.
    const auto layout = LayoutBlock(u"ab", 400, 400, Widths({{u'a', 30}, {u'b', 30}}));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->lines, 1u);
    EXPECT_EQ(layout->fontSize, 400);
    EXPECT_EQ(Places(*layout), "80,0 200,0");  // x0 = (400 - 240) / 2
}

TEST(Block, NeverTallerThanTheCanvas) {
    // A flat canvas: sized to its width the two lines would be 2 x 133 tall. With cells 1.45 times
    // the size (e = 145), the largest size at which the block fits is 100 x 100 / 245, centred by
    // the block's real height (40 + 58).
    const auto layout = LayoutBlock(u"ABCDEFGHI", 400, 100, Widths({}, 145));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->lines, 2u);
    EXPECT_EQ(layout->fontSize, 40);
    EXPECT_EQ(Places(*layout), "140,1 160,1 180,1 200,1 220,1 240,1 140,41 160,41 180,41");

    // A face whose text cell is 4.17 times its size: sized to the width, the one line's cell would
    // run 1651 pixels down a 992-pixel canvas and its text would be drawn below it.
    const auto tall = LayoutBlock(u"Amiri", 992, 992, Widths({}, 417));
    ASSERT_TRUE(tall);
    EXPECT_EQ(tall->fontSize, 237);
    EXPECT_EQ(Places(*tall), "200,2 318,2 436,2 554,2 672,2");
}

TEST(Block, CharacterWiderThanTheLineOpensEmptyLines) {
    // L stops at the first character (1000 / (4 lines x 100) = 2.5); the wide "W" is taken again
    // on a fresh line and overflows it too, so line 3 stays empty and "W" and "d" share line 4.
    const auto layout = LayoutBlock(u"abWd", 400, 400, Widths({{u'a', 1000}, {u'b', 1000}, {u'W', 10000}, {u'd', 1000}}));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->lines, 4u);
    EXPECT_EQ(layout->fontSize, 40);
    EXPECT_EQ(Places(*layout), "0,120 0,160 0,240 4000,240");
}

TEST(Block, MeasurementDetails) {
    // e is the height of the last measurement: with 100 the ratio reaches 1.0 at one line.
    MeasureText lastIsShort = [](std::u16string_view text) {
        return TextExtent{50 * static_cast<int>(text.size()), text == u"a" ? 500 : 100};
    };
    const auto layout = LayoutBlock(u"ab", 400, 400, lastIsShort);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->lines, 1u);
    EXPECT_EQ(layout->fontSize, 400);

    // A surrogate pair is measured and placed as one character.
    std::vector<std::u16string> measured;
    const auto emoji = LayoutBlock(u"a\U0001F600b", 400, 400, [&](std::u16string_view text) {
        measured.emplace_back(text);
        return TextExtent{50, 100};
    });
    ASSERT_TRUE(emoji);
    EXPECT_EQ(measured, (std::vector<std::u16string>{u"a", u"\U0001F600", u"b"}));
    ASSERT_EQ(emoji->chars.size(), 3u);
    EXPECT_EQ(emoji->chars[1].offset, 1u);
    EXPECT_EQ(emoji->chars[1].length, 2u);
    EXPECT_EQ(emoji->chars[2].offset, 3u);

    // Samples longer than the define's field are cut to it.
    const auto longSample = LayoutBlock(std::u16string(500, u'x'), 400, 400, HalfWidth);
    ASSERT_TRUE(longSample);
    EXPECT_EQ(longSample->chars.size(), 259u);
}

TEST(Block, NothingToLayOut) {
    EXPECT_FALSE(LayoutBlock(u"", 400, 400, HalfWidth));
    EXPECT_FALSE(LayoutBlock(u"ab", 400, 400, Widths({}, 0)));                       // zero height
    EXPECT_FALSE(LayoutBlock(u"ab", 400, 400, Widths({{u'a', 0}, {u'b', 0}})));      // zero width
    EXPECT_FALSE(LayoutBlock(u"ab", 0, 400, HalfWidth));
    // A huge height against tiny widths saturates instead of overflowing, and no size fits it.
    const auto tall = LayoutBlock(u"abc", 400, 400, Widths({{u'a', 1}, {u'b', 1}, {u'c', 1}}, 2000000000));
    ASSERT_TRUE(tall);
    EXPECT_EQ(tall->fontSize, 0);
}

} // namespace
} // namespace glyphpeek
