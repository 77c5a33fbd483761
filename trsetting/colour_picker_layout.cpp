#include "trsetting/colour_picker_layout.h"

#include <algorithm>

namespace glyphpeek::trsetting::picker {

namespace {
constexpr uint32_t Rgb(uint32_t rgb) {  // #RRGGBB as written to 0x00BBGGRR
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}
void Offset(Box& box, int dx, int dy) {
    box.left += dx;
    box.right += dx;
    box.top += dy;
    box.bottom += dy;
}
}  // namespace

const std::array<uint32_t, kColourCount> kPalette = {
    Rgb(0x000000), Rgb(0xA52A00), Rgb(0x004040), Rgb(0x005500), Rgb(0x00005E), Rgb(0x00008B), Rgb(0x4B0082), Rgb(0x282828),
    Rgb(0x8B0000), Rgb(0xFF6820), Rgb(0x8B8B00), Rgb(0x009300), Rgb(0x388E8E), Rgb(0x0000FF), Rgb(0x7B7BC0), Rgb(0x666666),
    Rgb(0xFF0000), Rgb(0xFFAD5B), Rgb(0x32CD32), Rgb(0x3CB371), Rgb(0x7FFFD4), Rgb(0x7D9EC0), Rgb(0x800080), Rgb(0x7F7F7F),
    Rgb(0xFFC0CB), Rgb(0xFFD700), Rgb(0xFFFF00), Rgb(0x00FF00), Rgb(0x40E0D0), Rgb(0xC0FFFF), Rgb(0x480048), Rgb(0xC0C0C0),
    Rgb(0xFFE4E1), Rgb(0xD2B48C), Rgb(0xFFFFE0), Rgb(0x98FB98), Rgb(0xAFEEEE), Rgb(0x68838B), Rgb(0xE6E6FA), Rgb(0xFFFFFF),
};

Layout ComputeLayout(bool hasAutomatic, bool hasCustom, int textWidth, int textHeight, int edgeX, int edgeY) {
    int boxWidth = 0, boxHeight = 0;
    if (hasAutomatic || hasCustom) {
        boxWidth = std::max(textWidth, 0) + 10;
        boxHeight = std::max(textHeight, 0) + 10;
    }
    const int gridWidth = kColumns * kCellSize, gridHeight = kRows * kCellSize;
    const int contentWidth = std::max(gridWidth, boxWidth);
    Layout layout;
    layout.automatic = {0, 0, contentWidth, hasAutomatic ? boxHeight : 0};
    int gridLeft = (contentWidth - gridWidth) / 2;
    layout.grid = {gridLeft, layout.automatic.bottom, gridLeft + gridWidth, layout.automatic.bottom + gridHeight};
    layout.custom = {0, layout.grid.bottom, contentWidth, layout.grid.bottom + (hasCustom ? boxHeight : 0)};
    for (Box* box : {&layout.automatic, &layout.grid, &layout.custom}) Offset(*box, edgeX, edgeY);
    layout.width = contentWidth + 2 * edgeX;
    layout.height = layout.custom.bottom + edgeY;
    return layout;
}

Box FitToScreen(Box window, int screenWidth, int screenHeight, int buttonHeight) {
    if (window.right > screenWidth) Offset(window, screenWidth - window.right, 0);
    if (window.left < 0) Offset(window, -window.left, 0);
    if (window.bottom > screenHeight) Offset(window, 0, -(window.Height() + buttonHeight));
    return window;
}

int HitTest(const Layout& layout, int x, int y) {
    if (layout.custom.Contains(x, y)) return kCustomBox;
    if (layout.automatic.Contains(x, y)) return kAutomaticBox;
    if (!layout.grid.Contains(x, y)) return kNoItem;
    int row = (y - layout.grid.top) / kCellSize;
    int column = (x - layout.grid.left) / kCellSize;
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns) return kNoItem;
    return row * kColumns + column;
}

int Step(int hot, int step, bool hasAutomatic, bool hasCustom) {
    const bool backward = step < 0;
    int target;
    if (hot == kNoItem)
        target = backward ? kCustomBox : kAutomaticBox;
    else if (hot == kAutomaticBox)
        target = backward ? kCustomBox : 0;
    else if (hot == kCustomBox)
        target = backward ? kColourCount - 1 : kAutomaticBox;
    else if (hot + step < 0)
        target = kAutomaticBox;
    else if (hot + step >= kColourCount)
        target = kCustomBox;
    else
        target = hot + step;
    // An absent box hands over to its neighbour in the direction of travel; two rounds reach a cell.
    for (int round = 0; round < 2; ++round) {
        if (target == kAutomaticBox && !hasAutomatic)
            target = backward ? kCustomBox : 0;
        else if (target == kCustomBox && !hasCustom)
            target = backward ? kColourCount - 1 : (hasAutomatic ? kAutomaticBox : 0);
    }
    return target;
}

int MarkedItem(uint32_t current, bool hasAutomatic, bool hasCustom) {
    if (current == kAutomatic && hasAutomatic) return kAutomaticBox;
    for (int i = 0; i < kColourCount; ++i)
        if (kPalette[static_cast<size_t>(i)] == current) return i;
    return hasCustom ? kCustomBox : kNoItem;
}

uint32_t PendingColour(int item, uint32_t pending) {
    if (item == kAutomaticBox) return kAutomatic;
    if (item >= 0 && item < kColourCount) return kPalette[static_cast<size_t>(item)];
    return pending;
}

uint32_t MarkedFill(uint32_t menuBackground, uint32_t frame) {
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t a = (menuBackground >> shift) & 0xFF, b = (frame >> shift) & 0xFF;
        result |= ((207 * a + 48 * b) / 256) << shift;
    }
    return result;
}

int ButtonStateId(bool disabled, bool selected, bool hot, bool isDefault) {
    int state = disabled ? 4 : 0;
    if (selected) state |= 3;
    if (hot)
        state |= 2;
    else if (isDefault)
        state = selected ? 7 : 5;
    return state;
}

}  // namespace glyphpeek::trsetting::picker
