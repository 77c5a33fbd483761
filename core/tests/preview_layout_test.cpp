#include "core/preview_layout.h"

#include <gtest/gtest.h>

namespace glyphpeek::preview {
namespace {

int Bottom(const Rect& r) { return r.y + r.height; }
int Right(const Rect& r) { return r.x + r.width; }

Metrics Pane(int width, int dpi, std::size_t faces) {
    Metrics m;
    m.width = width;
    m.dpi = dpi;
    m.textHeight = dpi / 6;
    m.headingHeight = dpi / 5;
    m.sizeLabelWidth = dpi / 2;
    m.faces = faces;
    m.factLabelWidth = dpi;
    m.factHeights = {m.textHeight, 5 * m.textHeight, m.textHeight};
    return m;
}

TEST(PreviewLayout, WaterfallFollowsTheWindowsDpi) {
    for (const int dpi : {96, 144, 192}) {
        const Layout layout = LayoutPreview(Pane(600, dpi, 1));
        ASSERT_EQ(layout.faces.size(), 1u);
        const FaceBlock& face = layout.faces[0];
        ASSERT_EQ(face.lines.size(), std::size(kWaterfallPoints));
        EXPECT_EQ(face.lines.front().pixels, 12 * dpi / 72);
        EXPECT_EQ(face.lines.back().pixels, 72 * dpi / 72);
        int top = Bottom(face.band);
        for (const WaterfallLine& line : face.lines) {
            EXPECT_GT(line.sample.y, top - 1) << dpi;                 // below what came before
            EXPECT_GE(line.sample.height, line.pixels);               // a whole character fits
            EXPECT_GE(line.label.y, line.sample.y);                   // labels stay on their lines
            EXPECT_LE(Bottom(line.label), Bottom(line.sample));
            EXPECT_GT(line.sample.x, Right(line.label));              // samples start beside their labels
            EXPECT_EQ(Right(line.sample), 600 - Scale(12, dpi));      // and end at the right margin
            top = Bottom(line.sample);
        }
        EXPECT_GE(face.band.height, Scale(48, dpi));
        EXPECT_LE(face.band.height, Scale(160, dpi));
    }
}

TEST(PreviewLayout, FacesStackAboveTheFactsAndTheHeightHoldsAll) {
    const Metrics m = Pane(500, 96, 3);
    const Layout layout = LayoutPreview(m);
    ASSERT_EQ(layout.faces.size(), 3u);
    EXPECT_FALSE(layout.more);
    for (std::size_t i = 1; i < layout.faces.size(); ++i)
        EXPECT_GT(layout.faces[i].heading.y, Bottom(layout.faces[i - 1].lines.back().sample));
    for (const FaceBlock& face : layout.faces) {
        EXPECT_GT(face.band.y, Bottom(face.heading) - 1);
        EXPECT_LE(Right(face.band), 500);
    }
    ASSERT_TRUE(layout.factsHeading);
    EXPECT_GT(layout.factsHeading->y, Bottom(layout.faces.back().lines.back().sample));
    ASSERT_EQ(layout.facts.size(), 3u);
    EXPECT_EQ(layout.facts[1].value.height, 5 * m.textHeight);  // a wrapped value takes its rows
    EXPECT_GT(layout.facts[2].value.y, Bottom(layout.facts[1].value) - 1);
    const FactColumns columns = LayoutFactColumns(500, 96, m.factLabelWidth);
    EXPECT_EQ(layout.facts[0].value.x, columns.valueX);
    EXPECT_EQ(layout.facts[0].value.width, columns.valueWidth);
    EXPECT_EQ(layout.height, Bottom(layout.facts.back().value) + Scale(3, 96) + Scale(12, 96));
}

TEST(PreviewLayout, ThePictureStaysWithinItsMemory) {
    // A wide pane at a high DPI with a large collection: faces beyond the budget get a note.
    Layout layout = LayoutPreview(Pane(3000, 288, 100));
    EXPECT_GE(layout.faces.size(), 1u);
    EXPECT_LT(layout.faces.size(), 100u);
    ASSERT_TRUE(layout.more);
    EXPECT_LE(std::int64_t{layout.height} * 3000, kMaxContentPixels);
    layout = LayoutPreview(Pane(400, 96, 100));
    EXPECT_EQ(layout.faces.size(), kMaxFacesShown);
    // However wide, the first face is shown.
    EXPECT_EQ(LayoutPreview(Pane(1 << 24, 96, 2)).faces.size(), 1u);
    EXPECT_EQ(LayoutPreview(Pane(0, 96, 2)).height, 0);
    // A pane narrower than its margins still gets cells with width.
    for (const FaceBlock& face : LayoutPreview(Pane(8, 96, 1)).faces) {
        EXPECT_GT(face.band.width, 0);
        for (const WaterfallLine& line : face.lines) EXPECT_GT(line.sample.width, 0);
    }
}

TEST(PreviewScrolling, PositionsStayWithinTheContent) {
    EXPECT_EQ(ClampScroll(-50, 1000, 300), 0);
    EXPECT_EQ(ClampScroll(200, 1000, 300), 200);
    EXPECT_EQ(ClampScroll(900, 1000, 300), 700);
    EXPECT_EQ(ClampScroll(10, 200, 300), 0);  // nothing to scroll
}

TEST(PreviewScrolling, WheelTurnsAddUpAndStopAtTheEnds) {
    // A notch towards the user moves three lines down the content.
    WheelScroll s = ScrollByWheel({}, -kWheelDelta, 3, 20, 300, 1000);
    EXPECT_EQ(s.position, 60);
    // Fine-grained turns: four of 30 make one notch, with nothing lost on the way.
    WheelScroll fine{100, 0};
    for (int i = 0; i < 4; ++i) fine = ScrollByWheel(fine, -30, 3, 20, 300, 1000);
    EXPECT_EQ(fine.position, 160);
    EXPECT_EQ(fine.remainder, 0);
    fine = ScrollByWheel({100, 0}, -1, 1, 1, 300, 1000);  // less than a pixel: kept for later
    EXPECT_EQ(fine.position, 100);
    EXPECT_NE(fine.remainder, 0);
    // Away from the user it goes back up; a page a notch when the system says so.
    EXPECT_EQ(ScrollByWheel({200, 0}, kWheelDelta, 3, 20, 300, 1000).position, 140);
    EXPECT_EQ(ScrollByWheel({0, 0}, -kWheelDelta, kWheelPage, 20, 300, 1000).position, 300);
    // At either end the position stops and nothing is carried over.
    s = ScrollByWheel({650, 0}, -2 * kWheelDelta, 3, 20, 300, 1000);
    EXPECT_EQ(s.position, 700);
    EXPECT_EQ(s.remainder, 0);
    EXPECT_EQ(ScrollByWheel({10, 0}, kWheelDelta, 3, 20, 300, 1000).position, 0);
    // No lines a notch: the wheel does not scroll.
    EXPECT_EQ(ScrollByWheel({10, 0}, -kWheelDelta, 0, 20, 300, 1000).position, 10);
}

} // namespace
} // namespace glyphpeek::preview
