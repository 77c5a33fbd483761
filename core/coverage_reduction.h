#pragma once
// The reduction of supersampled text: a one-bit coverage mask, drawn `factor` times larger than the
// picture in each direction, filtered down to 8-bit coverage. Done here rather than by the imaging
// library's scaled drawing so that the picture is the same wherever it runs (Wine's GDI+ reduces
// without any filter) and so that the large canvas is one bit per pixel instead of 32.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace glyphpeek {

// One bit per pixel, rows top-down, the most significant bit of a byte leftmost (a 1-bit DIB's layout).
struct CoverageMask {
    const std::uint8_t* bits = nullptr;
    std::ptrdiff_t stride = 0;  // bytes from one row to the next, at least (width + 7) / 8
    int width = 0;
    int height = 0;
};

enum class ReductionFilter {
    // High-quality bicubic as it reduces: the cubic convolution kernel (a = -0.5) stretched over
    // `factor` source pixels, so every source pixel counts (a prefilter, not point sampling).
    kBicubic,
    // The source pixel under each output pixel's centre: hard edges, as nearest-neighbour scaling.
    kNearest,
};

inline constexpr int kMaxReductionFactor = 8;

// Output row y as 8-bit coverage (0 none, 255 full), one byte per pixel. Rows come in order, once each.
using CoverageRowSink = std::function<void(int y, std::span<const std::uint8_t> coverage)>;

// Reduces the mask to (width / factor) × (height / factor) pixels; output pixel (i, j) stands for
// source pixels [factor·i, factor·i + factor) × [factor·j, factor·j + factor). Pixels beyond the mask
// are empty. False (nothing sent) for a factor outside 1..kMaxReductionFactor, a mask too small for
// one output pixel, or no memory.
bool ReduceCoverage(const CoverageMask& mask, int factor, ReductionFilter filter, const CoverageRowSink& sink) noexcept;

// The filter's weight of source pixel `offset` (relative to factor·i) in output pixel i; the
// weights of one output pixel sum to 1. For tests and for callers that need the kernel itself.
double ReductionWeight(int factor, ReductionFilter filter, int offset) noexcept;

} // namespace glyphpeek
