#pragma once
// The colour picker's arithmetic, without windows: the palette, the pop-up's geometry and its place on
// the screen, hit testing, keyboard steps, the marked item, the marked fill and the button's theme state.
#include <array>
#include <cstdint>

namespace glyphpeek::trsetting::picker {

// 0x00BBGGRR; the top byte set means automatic (the system colour applies).
inline constexpr uint32_t kAutomatic = 0xFF000000;
inline constexpr int kColumns = 8;
inline constexpr int kRows = 5;
inline constexpr int kColourCount = kColumns * kRows;
inline constexpr int kCellSize = 18;
// Items besides the cells 0..39.
inline constexpr int kNoItem = -1;
inline constexpr int kAutomaticBox = -2;
inline constexpr int kCustomBox = -3;

extern const std::array<uint32_t, kColourCount> kPalette;

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct Layout {
    Box automatic;  // empty without its caption
    Box grid;
    Box custom;     // empty without its caption
    int width = 0;  // window size, edges included
    int height = 0;
};

// `textWidth`/`textHeight`: the larger extent of the captions present (ignored when neither is).
Layout ComputeLayout(bool hasAutomatic, bool hasCustom, int textWidth, int textHeight, int edgeX, int edgeY);
// The window moved onto the primary screen: pushed left, then right to 0, and above the button when
// it would pass the bottom.
Box FitToScreen(Box window, int screenWidth, int screenHeight, int buttonHeight);
int HitTest(const Layout& layout, int x, int y);
int Step(int hot, int step, bool hasAutomatic, bool hasCustom);
int MarkedItem(uint32_t current, bool hasAutomatic, bool hasCustom);
// The pending colour once `item` is hot.
uint32_t PendingColour(int item, uint32_t pending);
// 207/256 of the menu background and 48/256 of the frame colour, per channel.
uint32_t MarkedFill(uint32_t menuBackground, uint32_t frame);
// The push-button part's state id for the visual-styles engine.
int ButtonStateId(bool disabled, bool selected, bool hot, bool isDefault);

}  // namespace glyphpeek::trsetting::picker
