#pragma once
// The arithmetic of the sample picture: background colours, rows, and where the sample text goes
// in a row. The Windows layer measures and draws; everything it computes in between is here.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace glyphpeek {

// Colours. Stored colours are 0x00BBGGRR; a non-zero top byte means not set. Results are opaque
// ARGB 0xFFRRGGBB.
struct Background {
    std::uint32_t top = 0;     // ARGB
    std::uint32_t bottom = 0;  // ARGB
    bool gradient = false;     // false: clear the whole target to `top`
};
// systemWindow is the system window colour (0x00BBGGRR), used when backColor2 is not set. An
// unset backColor1 is the bottom colour with each channel blended towards white.
Background ResolveBackground(std::uint32_t backColor1, std::uint32_t backColor2, std::uint32_t systemWindow) noexcept;
// systemWindowText is the system window-text colour (0x00BBGGRR), used when foreColor is not set.
std::uint32_t ResolveForeColor(std::uint32_t foreColor, std::uint32_t systemWindowText) noexcept;

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Separator {
    int x1 = 0;
    int x2 = 0;
    int y = 0;
};

// One row per face, top to bottom. Rows after the first carry the separator line above them.
// A cell too small to hold a canvas (a target shorter than its rows need) is not drawable: the
// row keeps its separator but draws no text.
struct Row {
    Rect cell;
    std::optional<Separator> separator;
    bool drawable = false;
    int supersampling = 0;  // text is set on a canvas this many times the cell in each direction
    int canvasWidth = 0;
    int canvasHeight = 0;
};
// The canvas factor for a cell: 4 up to 1024 pixels a side; past that 3 or 2, so that a canvas side
// stays within 4096 pixels as far as twice allows (at such sizes twice is as smooth to the eye as four
// times); 1 for cells so large that even twice would pass kMaxCanvasPixels. Time and memory then stay
// bounded at every thumbnail size.
inline constexpr long long kMaxCanvasPixels = 64ll * 1024 * 1024;
int SupersamplingFactor(int cellWidth, int cellHeight) noexcept;

// Empty when there is nothing to draw (no faces, an empty target, or no memory).
std::vector<Row> LayoutRows(int width, int height, std::size_t faceCount) noexcept;

// Text is measured in the row's face at this character height.
inline constexpr int kProbeFontSize = 100;

struct TextExtent {
    int cx = 0;
    int cy = 0;
};
// Measures text in the row's face at kProbeFontSize (GetTextExtentPoint32W on Windows).
using MeasureText = std::function<TextExtent(std::u16string_view)>;

// Sample texts longer than the define's field are cut to it before layout.
inline constexpr std::size_t kSampleTextUnits = 260;

// Single-line layout: the character height at which the sample, centred on one line in the
// canvas, spans the canvas width (or fills its height when the sample is taller than wide).
// nullopt: nothing to draw (empty sample or a failed measurement).
std::optional<int> LayoutSingleLine(std::u16string_view sample, int canvasWidth, int canvasHeight,
                                    const MeasureText& measure) noexcept;

struct Point {
    int x = 0;
    int y = 0;
};
// Where a line of the given extent starts so that it is centred on the canvas, as the engine's
// centred single-line drawing places text (left of or above the canvas when it is larger).
Point CentredOrigin(int canvasWidth, int canvasHeight, TextExtent extent) noexcept;

// Block layout: the sample wrapped greedily into a block about as wide as it is tall, scaled to
// the canvas width, and placed character by character. A character is a UTF-16 unit, or a
// surrogate pair as one.
struct PlacedChar {
    std::size_t offset = 0;  // into the sample
    std::size_t length = 0;  // 1, or 2 for a surrogate pair
    int x = 0;
    int y = 0;
};
struct SampleBlock {
    int fontSize = 0;
    std::size_t lines = 0;
    std::vector<PlacedChar> chars;
};
// nullopt: nothing to draw (empty sample, zero height or zero total width measured).
std::optional<SampleBlock> LayoutBlock(std::u16string_view sample, int canvasWidth, int canvasHeight,
                                       const MeasureText& measure) noexcept;

} // namespace glyphpeek
