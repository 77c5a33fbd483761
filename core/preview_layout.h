#pragma once
// The arithmetic of the preview pane: where each face's heading, sample band and waterfall lines go,
// where the font's facts go, how tall the whole is and how far it scrolls. The window measures text
// and draws; every position in between is computed here. Lengths are device pixels unless named
// otherwise; a DIP is a pixel at 96 dots per inch.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/sample_layout.h"

namespace glyphpeek::preview {

// The sizes of the waterfall, in points.
inline constexpr int kWaterfallPoints[] = {12, 18, 24, 36, 48, 72};

// Faces beyond these are not drawn (a note says how many): the content is one picture in memory.
inline constexpr std::size_t kMaxFacesShown = 32;
inline constexpr std::int64_t kMaxContentPixels = 16ll * 1024 * 1024;

// `dips` at `dpi`, rounded.
int Scale(int dips, int dpi) noexcept;
// The character height in pixels of `points` at `dpi`, rounded.
int PointsToPixels(int points, int dpi) noexcept;

// Where the facts' labels and values go across the pane; values wrap within valueWidth.
struct FactColumns {
    int labelX = 0;
    int valueX = 0;
    int valueWidth = 0;
};
FactColumns LayoutFactColumns(int width, int dpi, int labelWidth) noexcept;

// What the window measured.
struct Metrics {
    int width = 0;          // of the content (the client area beside the scroll bar)
    int dpi = 96;
    int textHeight = 0;     // a line of the host's font
    int headingHeight = 0;  // a line of the heading font
    int sizeLabelWidth = 0; // the widest waterfall label ("72 pt")
    std::size_t faces = 0;
    int factLabelWidth = 0;
    std::vector<int> factHeights;  // each fact's value as wrapped at LayoutFactColumns' width
};

struct WaterfallLine {
    int points = 0;
    int pixels = 0;  // character height
    Rect label;      // one line of text, its foot near the sample's baseline
    Rect sample;     // one line of the sample at `pixels`, cut at the right edge
};

struct FaceBlock {
    Rect heading;  // name and style
    Rect band;     // the define's sample as a thumbnail row
    std::vector<WaterfallLine> lines;
};

struct Fact {
    Rect label;
    Rect value;
};

struct Layout {
    std::vector<FaceBlock> faces;  // the faces shown, from the first
    std::optional<Rect> more;      // the note on faces not shown
    std::optional<Rect> factsHeading;
    std::vector<Fact> facts;
    int height = 0;                // of the whole content
};

// Empty (height 0) for a pane without width.
Layout LayoutPreview(const Metrics& metrics);

// The scroll position shown for `position`: from 0 to the content's overhang below the view.
int ClampScroll(int position, int contentHeight, int viewHeight) noexcept;

// Where a turn of the mouse wheel leaves the view: `delta` in the system's units (120 a notch, less
// from fine-grained wheels and touchpads), `linesPerNotch` lines of `lineHeight` a notch, or a page a
// notch when it is kWheelPage. What does not yet add up to a pixel is kept in `remainder` for the
// next turn; a turn against either end drops it.
inline constexpr int kWheelDelta = 120;
inline constexpr int kWheelPage = -1;
struct WheelScroll {
    int position = 0;
    std::int64_t remainder = 0;
};
WheelScroll ScrollByWheel(WheelScroll state, int delta, int linesPerNotch, int lineHeight, int viewHeight,
                          int contentHeight) noexcept;

} // namespace glyphpeek::preview
