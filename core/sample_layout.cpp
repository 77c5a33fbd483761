#include "core/sample_layout.h"

#include "core/name_table.h"

#include <algorithm>
#include <climits>

namespace glyphpeek {

namespace {

bool IsColorSet(std::uint32_t color) { return (color & 0xFF000000u) == 0; }

std::uint32_t ToArgb(std::uint32_t color) {
    const std::uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

std::uint32_t PaleTint(std::uint32_t color) {
    std::uint32_t tint = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t channel = (color >> shift) & 0xFF;
        tint |= ((channel * 32 + 223 * 255) / 255) << shift;
    }
    return tint;
}

} // namespace

Background ResolveBackground(std::uint32_t backColor1, std::uint32_t backColor2, std::uint32_t systemWindow) noexcept {
    const std::uint32_t bottom = IsColorSet(backColor2) ? backColor2 : systemWindow;
    const std::uint32_t top = IsColorSet(backColor1) ? backColor1 : PaleTint(bottom);
    Background background;
    background.top = ToArgb(top);
    background.bottom = ToArgb(bottom);
    background.gradient = background.top != background.bottom;
    return background;
}

std::uint32_t ResolveForeColor(std::uint32_t foreColor, std::uint32_t systemWindowText) noexcept {
    return ToArgb(IsColorSet(foreColor) ? foreColor : systemWindowText);
}

namespace {

int Clamp32(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// Float to integer truncation that saturates instead of overflowing; value is never negative.
std::int64_t Truncate(float value) {
    return value >= 2147483648.0f ? INT_MAX : static_cast<std::int64_t>(value);
}

struct Char {
    std::size_t offset;
    std::size_t length;
};

std::vector<Char> SplitChars(std::u16string_view text) {
    std::vector<Char> chars;
    for (std::size_t i = 0; i < text.size();) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        chars.push_back({i, pair ? 2u : 1u});
        i += pair ? 2 : 1;
    }
    return chars;
}

// The greedy wrap at line width L. A character that overflows the line is taken again on the
// next one, so a character wider than L alone opens further (empty) lines; the line count is
// capped at the character count. breaks, when given, receives the index of the last character
// of the line before each new line.
std::size_t CountLines(const std::vector<std::int64_t>& w, std::int64_t L, std::vector<std::size_t>* breaks) {
    const std::size_t n = w.size();
    std::size_t lines = 1;
    std::int64_t acc = 0;
    for (std::size_t k = 0; k < n && lines < n;) {
        acc += w[k];
        if (acc > L) {
            // Never at k == 0: L always includes w[0].
            ++lines;
            acc = 0;
            if (breaks) breaks->push_back(k - 1);
        } else {
            ++k;
        }
    }
    return lines;
}

std::optional<SampleBlock> Block(std::u16string_view sample, int canvasWidth, int canvasHeight,
                                 const MeasureText& measure) {
    sample = CutToField(sample, kSampleTextUnits);
    const std::vector<Char> chars = SplitChars(sample);
    const std::size_t n = chars.size();
    if (n == 0 || canvasWidth <= 0 || canvasHeight <= 0) return std::nullopt;

    std::vector<std::int64_t> w(n);
    std::int64_t e = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const TextExtent extent = measure(sample.substr(chars[k].offset, chars[k].length));
        w[k] = std::max(extent.cx, 0);
        e = extent.cy;
    }
    if (e <= 0) return std::nullopt;

    std::int64_t L = 0;
    std::size_t lines = 1;
    float ratio = 0.0f;
    for (std::size_t j = 0; j < n; ++j) {
        L += w[j];
        lines = CountLines(w, L, nullptr);
        ratio = static_cast<float>(L) / static_cast<float>(static_cast<std::int64_t>(lines) * e);
        if (ratio >= 1.0f) break;
    }
    // Nothing but zero-width characters: no width to scale to.
    if (!(ratio > 0.0f)) return std::nullopt;

    std::vector<std::size_t> breaks;
    CountLines(w, L, &breaks);

    const std::int64_t widthPerLine = Truncate(static_cast<float>(canvasWidth) / ratio) / static_cast<std::int64_t>(lines);
    const std::int64_t widthSize = Truncate(static_cast<float>(widthPerLine) / (static_cast<float>(e) / 100.0f));

    const std::int64_t lineCount = static_cast<std::int64_t>(lines);
    std::int64_t size = widthSize;
    std::int64_t y = std::max<std::int64_t>((canvasHeight - lineCount * size) / 2, 0);
    // The block's height at size 100: its lines, the last one a whole text cell (e) tall.
    const std::int64_t blockAt100 = (lineCount - 1) * 100 + std::max<std::int64_t>(e, 100);
    if (lineCount * size > canvasHeight || blockAt100 * size / 100 > canvasHeight) {
        // Sized to the width, the block would be taller than the canvas and clipped to a strip (or,
        // in a face whose text cell is far taller than its size, drawn below the canvas): take the
        // largest size at which it fits, and centre it by that height.
        size = std::min<std::int64_t>(size, static_cast<std::int64_t>(canvasHeight) * 100 / blockAt100);
        y = std::max<std::int64_t>((canvasHeight - ((lineCount - 1) * size + e * size / 100)) / 2, 0);
    }

    SampleBlock layout;
    layout.fontSize = static_cast<int>(size);
    layout.lines = lines;
    const std::int64_t x0 = (canvasWidth - size * L / 100) / 2;
    std::int64_t x = x0;
    std::size_t nextBreak = 0;
    layout.chars.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        layout.chars.push_back({chars[k].offset, chars[k].length, Clamp32(x), Clamp32(y)});
        if (nextBreak < breaks.size() && breaks[nextBreak] == k) {
            while (nextBreak < breaks.size() && breaks[nextBreak] == k) {
                y = std::min<std::int64_t>(y + size, INT_MAX);
                ++nextBreak;
            }
            x = x0;
        } else {
            x = std::min<std::int64_t>(x + w[k] * size / 100, INT_MAX);
        }
    }
    return layout;
}

} // namespace

int SupersamplingFactor(int cellWidth, int cellHeight) noexcept {
    constexpr int kCanvasSide = 4096;
    const long long side = std::max(cellWidth, cellHeight);
    for (int factor = 4; factor >= 2; --factor) {
        if (side * factor <= kCanvasSide) return factor;
    }
    const long long twice = 4ll * cellWidth * cellHeight;
    return twice <= kMaxCanvasPixels && side <= INT_MAX / 2 ? 2 : 1;
}

std::vector<Row> LayoutRows(int width, int height, std::size_t faceCount) noexcept {
    std::vector<Row> rows;
    if (faceCount == 0 || width <= 0 || height <= 0) return rows;
    try {
        rows.resize(faceCount);
    } catch (...) {
        return {};
    }
    const int mx = width / 64;
    const int my = height / 64;
    const int r = faceCount > static_cast<std::size_t>(height) ? 0 : height / static_cast<int>(faceCount);
    const int h = r - 2 * my;
    for (std::size_t i = 0; i < faceCount; ++i) {
        Row& row = rows[i];
        const int y = static_cast<int>(i) * r;  // i * r <= height while r > 0
        row.cell = {mx, y + my, width - 2 * mx, h};
        if (i > 0) row.separator = Separator{mx, width - mx, y};
        row.drawable = row.cell.width > 0 && row.cell.height > 0;
        if (row.drawable) {
            row.supersampling = SupersamplingFactor(row.cell.width, row.cell.height);
            row.canvasWidth = row.supersampling * row.cell.width;
            row.canvasHeight = row.supersampling * row.cell.height;
        }
    }
    return rows;
}

std::optional<int> LayoutSingleLine(std::u16string_view sample, int canvasWidth, int canvasHeight,
                                    const MeasureText& measure) noexcept {
    try {
        sample = CutToField(sample, kSampleTextUnits);
        if (sample.empty() || canvasWidth <= 0 || canvasHeight <= 0) return std::nullopt;
        const TextExtent extent = measure(sample);
        if (extent.cx < extent.cy) return canvasHeight;
        if (extent.cx <= 0) return std::nullopt;
        std::int64_t size = static_cast<std::int64_t>(static_cast<std::uint64_t>(canvasWidth) * 100 /
                                                      static_cast<std::uint64_t>(extent.cx));
        // Sized to the width, the line would be taller than the canvas and clipped to a strip:
        // take the largest size at which its text cell (cy at size 100) fits the height.
        if (size > canvasHeight)
            size = std::min<std::int64_t>(size, static_cast<std::int64_t>(canvasHeight) * 100 / std::max(extent.cy, 100));
        return Clamp32(size);
    } catch (...) {
        return std::nullopt;
    }
}

Point CentredOrigin(int canvasWidth, int canvasHeight, TextExtent extent) noexcept {
    return {Clamp32((std::int64_t{canvasWidth} - extent.cx) / 2), Clamp32((std::int64_t{canvasHeight} - extent.cy) / 2)};
}

std::optional<SampleBlock> LayoutBlock(std::u16string_view sample, int canvasWidth, int canvasHeight,
                                       const MeasureText& measure) noexcept {
    try {
        return Block(sample, canvasWidth, canvasHeight, measure);
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace glyphpeek
