#include "imaging/reduced_text.h"

#include <algorithm>
#include <vector>

namespace glyphpeek::imaging {

namespace {

int Channel(ARGB color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

// Coverage scaled by the ink's own alpha.
int InkAlpha(ARGB ink, int coverage) { return (coverage * Channel(ink, 24) + 127) / 255; }

} // namespace

glyphpeek::ReductionFilter FilterFor(InterpolationMode mode) {
    return mode == InterpolationModeNearestNeighbor ? glyphpeek::ReductionFilter::kNearest
                                                    : glyphpeek::ReductionFilter::kBicubic;
}

ARGB InkOver(ARGB below, ARGB ink, int coverage) {
    const int a = InkAlpha(ink, coverage);
    if (a <= 0) return below;
    if (a >= 255) return ink;
    const int belowAlpha = Channel(below, 24);
    // Weights out of 255 × 255: the ink's and what shows through of the pixel below.
    const int inkWeight = a * 255, belowWeight = belowAlpha * (255 - a);
    const int total = inkWeight + belowWeight;
    ARGB out = static_cast<ARGB>((total + 127) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = (Channel(ink, shift) * inkWeight + Channel(below, shift) * belowWeight + total / 2) / total;
        out |= static_cast<ARGB>(c) << shift;
    }
    return out;
}

bool CompositeText(GpBitmap* target, int x, int y, const TextCanvas& canvas, int factor,
                   glyphpeek::ReductionFilter filter, ARGB ink) {
    const glyphpeek::CoverageMask mask = canvas.mask();
    if (!target || !mask.bits || factor <= 0) return false;
    const PixelSize size = ImageSize(reinterpret_cast<GpImage*>(target));
    // Only the part of the reduced text that lands on the target is locked.
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + mask.width / factor, size.width), bottom = std::min(y + mask.height / factor, size.height);
    if (left >= right || top >= bottom) return true;
    const GpRect area = {left, top, right - left, bottom - top};
    BitmapData data{};
    if (GdipBitmapLockBits(target, &area, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppARGB, &data) != Ok)
        return false;
    auto* pixels = static_cast<BYTE*>(data.Scan0);
    glyphpeek::ReduceCoverage(mask, factor, filter, [&](int j, std::span<const std::uint8_t> coverage) {
        if (y + j < top || y + j >= bottom) return;
        auto* row = reinterpret_cast<ARGB*>(pixels + static_cast<std::ptrdiff_t>(y + j - top) * data.Stride);
        for (int px = left; px < right; ++px) {
            const int c = coverage[static_cast<std::size_t>(px - x)];
            if (c) row[px - left] = InkOver(row[px - left], ink, c);
        }
    });
    return GdipBitmapUnlockBits(target, &data) == Ok;
}

void DrawReducedText(DrawingContext& context, int x, int y, const TextCanvas& canvas, int factor,
                     glyphpeek::ReductionFilter filter, ARGB ink) {
    const glyphpeek::CoverageMask mask = canvas.mask();
    if (!context || !mask.bits || factor <= 0) return;
    const int width = mask.width / factor, height = mask.height / factor;
    if (width <= 0 || height <= 0) return;
    // Bands keep the memory small whatever the cell's size.
    constexpr int kBandRows = 64;
    const int bandRows = std::min(height, kBandRows);
    std::vector<ARGB> band(static_cast<std::size_t>(width) * bandRows, 0);
    int bandTop = 0;
    bool inked = false;
    auto flush = [&](int rows) {
        if (inked) {
            GpBitmap* bitmap = nullptr;
            if (GdipCreateBitmapFromScan0(width, rows, width * static_cast<INT>(sizeof(ARGB)), PixelFormat32bppARGB,
                                          reinterpret_cast<BYTE*>(band.data()), &bitmap) == Ok) {
                // Unscaled, so every interpolation mode would do; nearest neighbour is the one that
                // certainly leaves the pixels as they are.
                InterpolationMode mode = InterpolationModeDefault;
                GdipGetInterpolationMode(context.get(), &mode);
                GdipSetInterpolationMode(context.get(), InterpolationModeNearestNeighbor);
                context.DrawImage(reinterpret_cast<GpImage*>(bitmap), x, y + bandTop, width, rows, 0, 0, width, rows);
                GdipSetInterpolationMode(context.get(), mode);
                GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap));
            }
            std::fill(band.begin(), band.end(), 0);
        }
        inked = false;
    };
    const ARGB color = ink & 0x00FFFFFF;
    glyphpeek::ReduceCoverage(mask, factor, filter, [&](int j, std::span<const std::uint8_t> coverage) {
        ARGB* row = band.data() + static_cast<std::size_t>(j - bandTop) * width;
        for (int i = 0; i < width; ++i) {
            if (const int c = coverage[static_cast<std::size_t>(i)]) {
                row[i] = static_cast<ARGB>(InkAlpha(ink, c)) << 24 | color;
                inked = true;
            }
        }
        if (j - bandTop == bandRows - 1 || j == height - 1) {
            flush(j - bandTop + 1);
            bandTop = j + 1;
        }
    });
}

} // namespace imaging
