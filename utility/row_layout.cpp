#include "row_layout.h"

namespace glyphpeek {

RowGeometry ComputeRows(int width, int height, int faces) {
    RowGeometry rows;
    if (faces <= 0) return rows;
    rows.marginX = width / 64;
    rows.marginY = height / 64;
    rows.rowHeight = height / faces;
    rows.innerHeight = rows.rowHeight - 2 * rows.marginY;
    return rows;
}

unsigned SingleLineSize(int ex, int ey, int canvasWidth, int canvasHeight) {
    if (ex < ey) return static_cast<unsigned>(canvasHeight);
    if (ex <= 0) return 0;  // nothing measured: nothing to fit
    return static_cast<unsigned>(canvasWidth) * 100u / static_cast<unsigned>(ex);
}

namespace {

// The greedy wrapping of the characters into lines no wider than `lineWidth`; a character that
// overflows starts the next line and is counted again there. Marks line ends when asked.
int CountLines(std::span<const int> widths, long long lineWidth, std::vector<bool>* endsLine) {
    const int n = static_cast<int>(widths.size());
    int lines = 1;
    long long acc = 0;
    for (int k = 0; k < n && lines < n; ++k) {
        acc += widths[k];
        if (acc > lineWidth) {
            ++lines;
            acc = 0;
            if (endsLine && k > 0) (*endsLine)[k - 1] = true;
            --k;
        }
    }
    return lines;
}

} // namespace

std::optional<BlockLayout> ComputeBlock(std::span<const int> widths, int height100, int canvasWidth,
                                        int canvasHeight) {
    const size_t n = widths.size();
    if (n == 0 || height100 <= 0) return std::nullopt;
    BlockLayout block;
    long long lineWidth = 0;
    for (size_t j = 0; j < n; ++j) {
        lineWidth += widths[j];
        block.lines = CountLines(widths, lineWidth, nullptr);
        block.ratio = static_cast<float>(lineWidth) / static_cast<float>(block.lines * height100);
        if (block.ratio >= 1.0f) break;
    }
    if (lineWidth <= 0 || block.ratio <= 0.0f) return std::nullopt;  // zero-width characters only
    block.lineWidth = static_cast<int>(lineWidth);
    block.endsLine.assign(n, false);
    CountLines(widths, lineWidth, &block.endsLine);
    block.endsLine[n - 1] = true;

    const int scaledWidth = static_cast<int>(static_cast<float>(canvasWidth) / block.ratio);
    block.size = static_cast<unsigned>(static_cast<float>(scaledWidth / block.lines) /
                                       (static_cast<float>(height100) / 100.0f));
    block.left = static_cast<int>((static_cast<long long>(canvasWidth) -
                                   static_cast<long long>(block.size) * lineWidth / 100) / 2);
    const long long top = (static_cast<long long>(canvasHeight) - static_cast<long long>(block.lines) * block.size) / 2;
    block.top = top < 0 ? 0 : static_cast<int>(top);
    return block;
}

} // namespace glyphpeek
