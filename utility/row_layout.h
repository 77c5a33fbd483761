#pragma once
// The arithmetic of a thumbnail: colours, rows, and where a sample's characters go on the
// supersampling canvas, given the widths the font engine measured. No drawing happens here.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace glyphpeek {

constexpr bool IsColorSet(std::uint32_t color) { return (color & 0xFF000000u) == 0; }

// 0x00BBGGRR to opaque 0xFFRRGGBB.
constexpr std::uint32_t ToArgb(std::uint32_t color) {
    return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

// The top colour when none is set: each channel of the bottom colour blended towards white,
// 223 + channel × 32 / 255 rounded down.
constexpr std::uint32_t PaleTint(std::uint32_t argb) {
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t channel = (argb >> shift) & 0xFFu;
        out |= ((channel * 32 + 223 * 255) / 255) << shift;
    }
    return out;
}

struct RowGeometry {
    int marginX = 0;      // W / 64
    int marginY = 0;      // H / 64
    int rowHeight = 0;    // H / n
    int innerHeight = 0;  // rowHeight - 2 × marginY
};
RowGeometry ComputeRows(int width, int height, int faces);

// The font size that fits a single line of extent (ex, ey), measured at size 100, to a canvas of
// width × height: the canvas height when the text is taller than wide, else the width scaled.
// 0 when nothing was measured.
unsigned SingleLineSize(int ex, int ey, int canvasWidth, int canvasHeight);

// The block layout: the narrowest greedy wrapping, grown one character at a time, whose width at
// size 100 is not less than its height.
struct BlockLayout {
    int lineWidth = 0;          // L, at size 100
    int lines = 1;
    float ratio = 0.0f;         // L / (lines × e)
    std::vector<bool> endsLine; // per character: a new line starts after it
    unsigned size = 0;          // font size at which L spans the canvas width
    int left = 0;               // x of every line's start
    int top = 0;                // y of the first line
};
// nullopt when there is nothing to lay out (no characters, or no measured height).
std::optional<BlockLayout> ComputeBlock(std::span<const int> widths, int height100, int canvasWidth,
                                        int canvasHeight);

} // namespace glyphpeek
