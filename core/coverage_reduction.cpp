#include "core/coverage_reduction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace glyphpeek {

namespace {

// Source pixels factor·i + offset with offset in [-2·factor, 3·factor) can touch output pixel i: the
// stretched kernel reaches two output pixels either side of the centre.
int FirstOffset(int factor) { return -2 * factor; }
int TapCount(int factor) { return 5 * factor; }
// An output pixel's rows and columns reach at most this many output pixels from any one source pixel.
constexpr int kReach = 5;

double Cubic(double x) {
    constexpr double a = -0.5;
    x = std::fabs(x);
    if (x < 1.0) return ((a + 2.0) * x - (a + 3.0)) * x * x + 1.0;
    if (x < 2.0) return ((a * x - 5.0 * a) * x + 8.0 * a) * x - 4.0 * a;
    return 0.0;
}

double RawWeight(int factor, ReductionFilter filter, int offset) {
    if (filter == ReductionFilter::kNearest) return offset == factor / 2 ? 1.0 : 0.0;
    return Cubic((offset + 0.5 - factor / 2.0) / factor);
}

std::vector<float> Taps(int factor, ReductionFilter filter) {
    std::vector<float> taps(static_cast<std::size_t>(TapCount(factor)));
    for (int t = 0; t < TapCount(factor); ++t)
        taps[static_cast<std::size_t>(t)] = static_cast<float>(ReductionWeight(factor, filter, FirstOffset(factor) + t));
    return taps;
}

// What one byte of a mask row adds to the outputs around it, for every byte value: the horizontal
// pass looks bytes up instead of walking bits. Bytes start at source pixel 8·b; only the phase
// (8·b) mod factor changes the pattern.
class ByteTable {
public:
    ByteTable(int factor, const std::vector<float>& taps)
        : span_((factor - 1 + 7) / factor + kReach),
          values_(static_cast<std::size_t>(factor) * 256 * static_cast<std::size_t>(span_), 0.0f) {
        for (int phase = 0; phase < factor; ++phase) {
            for (int value = 1; value < 256; ++value) {
                float* entry = Entry(phase, value);
                for (int bit = 0; bit < 8; ++bit) {
                    if (!(value & (0x80 >> bit))) continue;
                    const int q = (phase + bit) / factor, p = (phase + bit) % factor;
                    for (int t = -2; t <= 2; ++t) {
                        const int tap = p - factor * t - FirstOffset(factor);
                        if (tap >= 0 && tap < TapCount(factor)) entry[q + t + 2] += taps[static_cast<std::size_t>(tap)];
                    }
                }
            }
        }
    }
    // Output pixels (8·b) / factor - 2 onwards, span() of them.
    const float* Entry(int phase, int value) const {
        return values_.data() + (static_cast<std::size_t>(phase) * 256 + static_cast<std::size_t>(value)) * span_;
    }
    int span() const { return span_; }

private:
    float* Entry(int phase, int value) {
        return values_.data() + (static_cast<std::size_t>(phase) * 256 + static_cast<std::size_t>(value)) * span_;
    }
    int span_;
    std::vector<float> values_;
};

// One mask row filtered horizontally into `out` (all zero on entry); the touched outputs are
// [*lo, *hi), empty when the row has no ink.
void FilterRow(const std::uint8_t* row, int width, int factor, const ByteTable& table, std::vector<float>& out, int* lo,
               int* hi) {
    const int outWidth = static_cast<int>(out.size());
    const int bytes = (width + 7) / 8;
    const std::uint8_t lastMask = static_cast<std::uint8_t>(0xFF << ((8 - width % 8) % 8));
    *lo = outWidth;
    *hi = 0;
    for (int b = 0; b < bytes; ++b) {
        // Most of a canvas is empty: step over eight empty bytes at once.
        if (b + 8 <= bytes) {
            std::uint64_t word;
            std::memcpy(&word, row + b, sizeof(word));
            if (word == 0) {
                b += 7;
                continue;
            }
        }
        std::uint8_t value = row[b];
        if (b == bytes - 1) value &= lastMask;
        if (!value) continue;
        const int first = 8 * b / factor - 2;
        const float* entry = table.Entry(8 * b % factor, value);
        const int from = std::max(first, 0), to = std::min(first + table.span(), outWidth);
        for (int i = from; i < to; ++i) out[static_cast<std::size_t>(i)] += entry[i - first];
        *lo = std::min(*lo, from);
        *hi = std::max(*hi, to);
    }
}

bool Reduce(const CoverageMask& mask, int factor, ReductionFilter filter, const CoverageRowSink& sink) {
    if (factor < 1 || factor > kMaxReductionFactor || !mask.bits || mask.width <= 0 || mask.height <= 0 ||
        mask.stride < (mask.width + 7) / 8)
        return false;
    const int outWidth = mask.width / factor, outHeight = mask.height / factor;
    if (outWidth <= 0 || outHeight <= 0) return false;

    const std::vector<float> taps = Taps(factor, filter);
    const ByteTable table(factor, taps);
    std::vector<float> filtered(static_cast<std::size_t>(outWidth), 0.0f);
    // Output rows j - 2 … j + 2 are open while source rows of output row j are read.
    std::array<std::vector<float>, kReach> open;
    std::array<std::pair<int, int>, kReach> openSpan;
    for (auto& row : open) row.assign(static_cast<std::size_t>(outWidth), 0.0f);
    openSpan.fill({outWidth, 0});
    std::vector<std::uint8_t> coverage(static_cast<std::size_t>(outWidth), 0);

    int emitted = 0;
    auto emit = [&](int j) {
        std::vector<float>& row = open[static_cast<std::size_t>(j % kReach)];
        auto& [lo, hi] = openSpan[static_cast<std::size_t>(j % kReach)];
        for (int i = lo; i < hi; ++i) {
            const float v = std::clamp(row[static_cast<std::size_t>(i)], 0.0f, 1.0f);
            coverage[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v * 255.0f + 0.5f);
            row[static_cast<std::size_t>(i)] = 0.0f;
        }
        sink(j, coverage);
        std::fill(coverage.begin() + lo, coverage.begin() + std::max(lo, hi), std::uint8_t{0});
        lo = outWidth;
        hi = 0;
    };

    // Source rows past the last one that reaches an output row add nothing.
    const int lastRow = std::min(mask.height, factor * outHeight + 3 * factor);
    for (int r = 0; r < lastRow; ++r) {
        int lo = 0, hi = 0;
        FilterRow(mask.bits + static_cast<std::ptrdiff_t>(r) * mask.stride, mask.width, factor, table, filtered, &lo,
                  &hi);
        if (lo < hi) {
            const int q = r / factor, p = r % factor;
            for (int t = -2; t <= 2; ++t) {
                const int j = q + t, tap = p - factor * t - FirstOffset(factor);
                if (j < emitted || j >= outHeight || tap < 0 || tap >= TapCount(factor)) continue;
                const float weight = taps[static_cast<std::size_t>(tap)];
                if (weight == 0.0f) continue;
                std::vector<float>& row = open[static_cast<std::size_t>(j % kReach)];
                for (int i = lo; i < hi; ++i) row[static_cast<std::size_t>(i)] += weight * filtered[static_cast<std::size_t>(i)];
                auto& span = openSpan[static_cast<std::size_t>(j % kReach)];
                span = {std::min(span.first, lo), std::max(span.second, hi)};
            }
            std::fill(filtered.begin() + lo, filtered.begin() + hi, 0.0f);
        }
        // Output row j has all its source rows once r reaches factor·j + 3·factor - 1.
        while (emitted < outHeight && factor * emitted + 3 * factor - 1 <= r) emit(emitted++);
    }
    while (emitted < outHeight) emit(emitted++);
    return true;
}

} // namespace

double ReductionWeight(int factor, ReductionFilter filter, int offset) noexcept {
    if (factor < 1 || factor > kMaxReductionFactor || offset < FirstOffset(factor) ||
        offset >= FirstOffset(factor) + TapCount(factor))
        return 0.0;
    double sum = 0.0;
    for (int t = 0; t < TapCount(factor); ++t) sum += RawWeight(factor, filter, FirstOffset(factor) + t);
    return RawWeight(factor, filter, offset) / sum;
}

bool ReduceCoverage(const CoverageMask& mask, int factor, ReductionFilter filter, const CoverageRowSink& sink) noexcept {
    try {
        return Reduce(mask, factor, filter, sink);
    } catch (...) {
        return false;
    }
}

} // namespace glyphpeek
