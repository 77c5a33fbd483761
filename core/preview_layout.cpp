#include "core/preview_layout.h"

#include <algorithm>
#include <climits>

namespace glyphpeek::preview {

namespace {

// In DIPs.
constexpr int kMargin = 12;
constexpr int kHeadingGap = 4;
constexpr int kBandGap = 8;
constexpr int kLineGap = 2;
constexpr int kFaceGap = 20;
constexpr int kSizeLabelGap = 10;
constexpr int kFactLabelGap = 12;
constexpr int kFactGap = 3;
constexpr int kBandMin = 48;
constexpr int kBandMax = 160;

int Saturate(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX)); }

// A waterfall line is a third taller than its characters: room for the accents and descenders of
// fonts whose text cell is taller than their size (CJK fonts' is nearly half as tall again).
int LineHeight(int pixels, int textHeight) { return std::max(Saturate(std::int64_t{pixels} * 4 / 3 + 2), textHeight); }

} // namespace

int Scale(int dips, int dpi) noexcept { return Saturate((std::int64_t{dips} * dpi + 48) / 96); }

int PointsToPixels(int points, int dpi) noexcept { return Saturate((std::int64_t{points} * dpi + 36) / 72); }

FactColumns LayoutFactColumns(int width, int dpi, int labelWidth) noexcept {
    FactColumns columns;
    columns.labelX = Scale(kMargin, dpi);
    columns.valueX = Saturate(std::int64_t{columns.labelX} + std::max(labelWidth, 0) + Scale(kFactLabelGap, dpi));
    columns.valueWidth = std::max(1, Saturate(std::int64_t{width} - columns.valueX - Scale(kMargin, dpi)));
    return columns;
}

Layout LayoutPreview(const Metrics& m) {
    Layout layout;
    if (m.width <= 0 || m.dpi <= 0) return layout;
    const int margin = Scale(kMargin, m.dpi);
    const int contentWidth = std::max(1, m.width - 2 * margin);
    const int band = std::clamp(contentWidth / 4, Scale(kBandMin, m.dpi), Scale(kBandMax, m.dpi));
    const int sampleX = margin + std::max(m.sizeLabelWidth, 0) + Scale(kSizeLabelGap, m.dpi);
    const int sampleWidth = std::max(1, m.width - sampleX - margin);

    // One face's block, placed at `top`.
    auto faceBlock = [&](int top) {
        FaceBlock block;
        int y = top;
        block.heading = {margin, y, contentWidth, m.headingHeight};
        y += m.headingHeight + Scale(kHeadingGap, m.dpi);
        block.band = {margin, y, contentWidth, band};
        y += band + Scale(kBandGap, m.dpi);
        for (const int points : kWaterfallPoints) {
            const int pixels = PointsToPixels(points, m.dpi);
            const int height = LineHeight(pixels, m.textHeight);
            // The label ends about where the sample's characters stand: its line a character height down.
            const int labelY = y + std::max(0, pixels - m.textHeight);
            block.lines.push_back({points, pixels, {margin, labelY, std::max(m.sizeLabelWidth, 0), m.textHeight},
                                   {sampleX, y, sampleWidth, height}});
            y += height + Scale(kLineGap, m.dpi);
        }
        return std::pair{block, y - top};
    };

    std::int64_t factsHeight = 0;
    if (!m.factHeights.empty()) {
        factsHeight = Scale(kFaceGap, m.dpi) + m.headingHeight + Scale(kHeadingGap, m.dpi);
        for (const int h : m.factHeights) factsHeight += std::max(h, m.textHeight) + Scale(kFactGap, m.dpi);
    }
    // What the faces may take of the picture's height, the note on those left out kept aside; the
    // first is always shown.
    const std::int64_t budget =
        kMaxContentPixels / m.width - factsHeight - 2 * margin - Scale(kFaceGap, m.dpi) - m.textHeight;

    std::int64_t y = margin;
    const std::size_t wanted = std::min(m.faces, kMaxFacesShown);
    for (std::size_t i = 0; i < wanted; ++i) {
        const int gap = i > 0 ? Scale(kFaceGap, m.dpi) : 0;
        auto [block, height] = faceBlock(Saturate(y + gap));
        if (i > 0 && y + gap + height - margin > budget) break;
        layout.faces.push_back(std::move(block));
        y += gap + height;
    }
    if (layout.faces.size() < m.faces) {
        layout.more = Rect{margin, Saturate(y + Scale(kFaceGap, m.dpi)), contentWidth, m.textHeight};
        y += Scale(kFaceGap, m.dpi) + m.textHeight;
    }
    if (!m.factHeights.empty()) {
        y += Scale(kFaceGap, m.dpi);
        layout.factsHeading = Rect{margin, Saturate(y), contentWidth, m.headingHeight};
        y += m.headingHeight + Scale(kHeadingGap, m.dpi);
        const FactColumns columns = LayoutFactColumns(m.width, m.dpi, m.factLabelWidth);
        for (const int h : m.factHeights) {
            const int row = std::max(h, m.textHeight);
            layout.facts.push_back({{columns.labelX, Saturate(y), std::max(m.factLabelWidth, 0), m.textHeight},
                                    {columns.valueX, Saturate(y), columns.valueWidth, row}});
            y += row + Scale(kFactGap, m.dpi);
        }
    }
    layout.height = Saturate(y + margin);
    return layout;
}

int ClampScroll(int position, int contentHeight, int viewHeight) noexcept {
    const int overhang = std::max(0, Saturate(std::int64_t{contentHeight} - viewHeight));
    return std::clamp(position, 0, overhang);
}

WheelScroll ScrollByWheel(WheelScroll state, int delta, int linesPerNotch, int lineHeight, int viewHeight,
                          int contentHeight) noexcept {
    std::int64_t step = 0;
    if (linesPerNotch == kWheelPage)
        step = std::max(viewHeight, 1);
    else if (linesPerNotch > 0 && lineHeight > 0)
        step = std::int64_t{linesPerNotch} * lineHeight;
    if (step == 0 || delta == 0) return state;
    // In pixels times kWheelDelta, so that fractions of a pixel add up exactly.
    const std::int64_t units = state.remainder + std::int64_t{delta} * step;
    const std::int64_t distance = units / kWheelDelta;
    // The wheel turned away from the user (a positive delta) brings the top of the content into view.
    const std::int64_t wanted = std::int64_t{state.position} - distance;
    WheelScroll next;
    next.position = ClampScroll(Saturate(wanted), contentHeight, viewHeight);
    next.remainder = next.position == wanted ? units % kWheelDelta : 0;
    return next;
}

} // namespace glyphpeek::preview
