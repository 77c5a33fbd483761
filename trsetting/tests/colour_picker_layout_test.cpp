#include <gtest/gtest.h>

#include "trsetting/colour_picker_layout.h"

namespace glyphpeek::trsetting::picker {
namespace {

TEST(PickerPalette, StoresEachEntryAsBgrInRowMajorOrder) {
    EXPECT_EQ(kPalette[0], 0x000000u);
    EXPECT_EQ(kPalette[1], 0x002AA5u);   // #A52A00: red in the low byte
    EXPECT_EQ(kPalette[13], 0xFF0000u);  // #0000FF, row 1 column 5
    EXPECT_EQ(kPalette[16], 0x0000FFu);  // #FF0000, row 2 column 0
    EXPECT_EQ(kPalette[37], 0x8B8368u);  // #68838B
    EXPECT_EQ(kPalette[39], 0xFFFFFFu);
}

TEST(PickerLayout, BoxesAroundTheCentredGridWithinTheEdges) {
    // Captions wider than the grid: the grid is centred, boxes span the content.
    Layout wide = ComputeLayout(true, true, 190, 13, 2, 2);
    EXPECT_EQ(wide.width, 200 + 4);
    EXPECT_EQ(wide.automatic.left, 2);
    EXPECT_EQ(wide.automatic.Height(), 23);
    EXPECT_EQ(wide.grid.left, 2 + 28);
    EXPECT_EQ(wide.grid.top, 25);
    EXPECT_EQ(wide.grid.Width(), 144);
    EXPECT_EQ(wide.custom.top, wide.grid.bottom);
    EXPECT_EQ(wide.height, 23 + 90 + 23 + 4);

    Layout bare = ComputeLayout(false, false, 500, 50, 2, 3);
    EXPECT_EQ(bare.width, 144 + 4);
    EXPECT_EQ(bare.height, 90 + 6);
    EXPECT_EQ(bare.automatic.Height(), 0);
    EXPECT_EQ(bare.custom.Height(), 0);

    Layout customOnly = ComputeLayout(false, true, 40, 13, 1, 1);
    EXPECT_EQ(customOnly.grid.top, 1);
    EXPECT_EQ(customOnly.custom.Height(), 23);
}

TEST(PickerLayout, HitTestFindsBoxesCellsAndNothing) {
    Layout layout = ComputeLayout(true, true, 190, 13, 2, 2);
    EXPECT_EQ(HitTest(layout, 5, 5), kAutomaticBox);
    EXPECT_EQ(HitTest(layout, layout.grid.left, layout.grid.top), 0);
    EXPECT_EQ(HitTest(layout, layout.grid.left + 17, layout.grid.top + 18), 8);
    EXPECT_EQ(HitTest(layout, layout.grid.right - 1, layout.grid.bottom - 1), 39);
    EXPECT_EQ(HitTest(layout, layout.grid.left - 1, layout.grid.top + 5), kNoItem);  // beside the grid
    EXPECT_EQ(HitTest(layout, 5, layout.custom.top), kCustomBox);
    EXPECT_EQ(HitTest(layout, -5, -5), kNoItem);
    EXPECT_EQ(HitTest(layout, 1, 1), kNoItem);  // on the edge
}

TEST(PickerKeyboard, StepsThroughBoxesAndCells) {
    EXPECT_EQ(Step(kNoItem, 1, true, true), kAutomaticBox);
    EXPECT_EQ(Step(kNoItem, -1, true, true), kCustomBox);
    EXPECT_EQ(Step(kAutomaticBox, 1, true, true), 0);
    EXPECT_EQ(Step(kAutomaticBox, -8, true, true), kCustomBox);
    EXPECT_EQ(Step(3, -8, true, true), kAutomaticBox);  // up from row 0
    EXPECT_EQ(Step(0, -1, true, true), kAutomaticBox);
    EXPECT_EQ(Step(35, 8, true, true), kCustomBox);     // down from row 4
    EXPECT_EQ(Step(39, 1, true, true), kCustomBox);
    EXPECT_EQ(Step(kCustomBox, 1, true, true), kAutomaticBox);
    EXPECT_EQ(Step(kCustomBox, -1, true, true), 39);
    EXPECT_EQ(Step(7, 1, true, true), 8);  // right runs on into the next row
    EXPECT_EQ(Step(12, 8, true, true), 20);
}

TEST(PickerKeyboard, AbsentBoxesAreSkipped) {
    // No boxes at all: only cells.
    EXPECT_EQ(Step(kNoItem, 1, false, false), 0);
    EXPECT_EQ(Step(kNoItem, -1, false, false), 39);
    EXPECT_EQ(Step(0, -1, false, false), 39);
    EXPECT_EQ(Step(39, 1, false, false), 0);
    EXPECT_EQ(Step(2, -8, false, false), 39);
    // One box.
    EXPECT_EQ(Step(39, 1, true, false), kAutomaticBox);
    EXPECT_EQ(Step(0, -1, false, true), kCustomBox);
    EXPECT_EQ(Step(kNoItem, 1, false, true), 0);
    EXPECT_EQ(Step(kNoItem, -1, true, false), 39);
}

TEST(PickerMarks, MarkedItemAndPendingColour) {
    EXPECT_EQ(MarkedItem(kAutomatic, true, true), kAutomaticBox);
    EXPECT_EQ(MarkedItem(kAutomatic, false, true), kCustomBox);
    EXPECT_EQ(MarkedItem(0x0000FF, true, true), 16);
    EXPECT_EQ(MarkedItem(0x123456, true, true), kCustomBox);
    EXPECT_EQ(MarkedItem(0x123456, true, false), kNoItem);
    EXPECT_EQ(PendingColour(kAutomaticBox, 5), kAutomatic);
    EXPECT_EQ(PendingColour(16, 5), 0x0000FFu);
    EXPECT_EQ(PendingColour(kCustomBox, 5), 5u);
    EXPECT_EQ(PendingColour(kNoItem, 5), 5u);
}

TEST(PickerLooks, MarkedFillAndButtonStates) {
    EXPECT_EQ(MarkedFill(0xFFFFFF, 0x000000), 0xCECECEu);  // 207 * 255 / 256 = 206
    EXPECT_EQ(MarkedFill(0x0000FF, 0xFF0000), 0x2F00CEu);  // channels apart: 48 * 255 / 256 = 47
    EXPECT_EQ(ButtonStateId(false, false, false, false), 0);
    EXPECT_EQ(ButtonStateId(false, false, true, false), 2);
    EXPECT_EQ(ButtonStateId(false, true, true, false), 3);
    EXPECT_EQ(ButtonStateId(true, false, false, false), 4);
    EXPECT_EQ(ButtonStateId(false, false, false, true), 5);
    EXPECT_EQ(ButtonStateId(true, false, true, false), 6);
    EXPECT_EQ(ButtonStateId(false, true, false, true), 7);
    EXPECT_EQ(ButtonStateId(true, true, false, false), 7);
    EXPECT_EQ(ButtonStateId(true, false, false, true), 5);
}

TEST(PickerPlacement, FitsThePrimaryScreen) {
    EXPECT_EQ(FitToScreen({1200, 100, 1350, 200}, 1280, 1024, 20).left, 1130);
    EXPECT_EQ(FitToScreen({-10, 100, 140, 200}, 1280, 1024, 20).left, 0);
    Box low = FitToScreen({100, 1000, 250, 1100}, 1280, 1024, 20);
    EXPECT_EQ(low.top, 880);  // its height plus the button's: just above the button
    EXPECT_EQ(low.bottom, 980);
    Box fits = FitToScreen({100, 100, 250, 200}, 1280, 1024, 20);
    EXPECT_EQ(fits.left, 100);
    EXPECT_EQ(fits.top, 100);
}

}  // namespace
}  // namespace glyphpeek::trsetting::picker
