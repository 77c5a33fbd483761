#include "core/coverage_reduction.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace glyphpeek {
namespace {

// A one-bit mask built pixel by pixel; rows padded like a DIB's.
struct Mask {
    int width, height;
    std::ptrdiff_t stride;
    std::vector<std::uint8_t> bits;
    Mask(int w, int h) : width(w), height(h), stride((w + 31) / 32 * 4), bits(static_cast<std::size_t>(stride * h), 0) {}
    void Set(int x, int y) { bits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8)); }
    void Fill(int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y);
    }
    CoverageMask view() const { return {bits.data(), stride, width, height}; }
};

struct Reduced {
    int width = 0;
    std::vector<std::vector<std::uint8_t>> rows;
    int at(int x, int y) const { return rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]; }
};

Reduced Reduce(const Mask& mask, int factor, ReductionFilter filter = ReductionFilter::kBicubic) {
    Reduced out;
    const bool ok = ReduceCoverage(mask.view(), factor, filter, [&](int y, std::span<const std::uint8_t> row) {
        EXPECT_EQ(y, static_cast<int>(out.rows.size())) << "rows in order, once each";
        out.width = static_cast<int>(row.size());
        out.rows.emplace_back(row.begin(), row.end());
    });
    EXPECT_TRUE(ok);
    return out;
}

TEST(CoverageReduction, WeightsOfEachFactorSumToOne) {
    for (int factor = 1; factor <= kMaxReductionFactor; ++factor) {
        for (ReductionFilter filter : {ReductionFilter::kBicubic, ReductionFilter::kNearest}) {
            double sum = 0;
            for (int offset = -3 * factor; offset < 4 * factor; ++offset) sum += ReductionWeight(factor, filter, offset);
            EXPECT_NEAR(sum, 1.0, 1e-9) << factor;
        }
    }
    // The cubic kernel stretched over four source pixels, centred between source pixels 1 and 2.
    EXPECT_NEAR(ReductionWeight(4, ReductionFilter::kBicubic, 1), 0.2409668, 1e-6);
    EXPECT_NEAR(ReductionWeight(4, ReductionFilter::kBicubic, 5), 0.0227051, 1e-6);
    EXPECT_EQ(ReductionWeight(4, ReductionFilter::kBicubic, 10), 0.0);
}

// Values of the filter at 4:1, taken in the middle rows where whole columns are covered.
TEST(CoverageReduction, KnownPatternsAtFourToOne) {
    Mask line(64, 64);
    line.Fill(21, 0, 22, 64);  // one canvas pixel wide, left of output pixel 5's centre
    Reduced r = Reduce(line, 4);
    ASSERT_EQ(r.width, 16);
    ASSERT_EQ(r.rows.size(), 16u);
    const int expectedLine[16] = {0, 0, 0, 0, 6, 61, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int x = 0; x < 16; ++x) EXPECT_NEAR(r.at(x, 8), expectedLine[x], 1) << x;

    Mask half(64, 64);
    half.Fill(0, 0, 32, 64);  // the edge on the boundary of output pixels 7 and 8
    r = Reduce(half, 4);
    EXPECT_EQ(r.at(3, 8), 255);
    EXPECT_EQ(r.at(6, 8), 255);  // overshoot is clamped
    EXPECT_NEAR(r.at(7, 8), 235, 1);
    EXPECT_NEAR(r.at(8, 8), 20, 1);
    EXPECT_EQ(r.at(9, 8), 0);  // undershoot too
    EXPECT_EQ(r.at(12, 8), 0);

    Mask edge(64, 64);
    edge.Fill(0, 0, 34, 64);  // a hard edge through the middle of output pixel 8
    r = Reduce(edge, 4);
    EXPECT_NEAR(r.at(8, 8), 128, 1);
    EXPECT_EQ(r.at(7, 8), 255);
    EXPECT_EQ(r.at(9, 8), 0);
    // The same edge lying down gives the same values down a column.
    Mask lying(64, 64);
    lying.Fill(0, 0, 64, 34);
    const Reduced down = Reduce(lying, 4);
    for (int y = 0; y < 16; ++y) EXPECT_EQ(down.at(8, y), r.at(y, 8)) << y;
    // Nothing is lost beside the ink: the empty corner of the canvas stays empty.
    EXPECT_EQ(r.at(15, 15), 0);
}

TEST(CoverageReduction, NearestTakesThePixelUnderTheCentre) {
    Mask mask(40, 8);
    mask.Fill(22, 0, 23, 8);  // output pixel 5's centre pixel
    mask.Fill(29, 0, 30, 8);  // off-centre in pixel 7: dropped
    const Reduced r = Reduce(mask, 4, ReductionFilter::kNearest);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(r.at(x, 1), x == 5 ? 255 : 0) << x;
}

TEST(CoverageReduction, OtherFactorsAndOddWidths) {
    // Factor 1 gives the mask back.
    Mask mask(13, 5);
    mask.Set(0, 0);
    mask.Set(12, 4);
    mask.Set(7, 2);
    Reduced r = Reduce(mask, 1);
    ASSERT_EQ(r.width, 13);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(r.at(x, y), (x == 0 && y == 0) || (x == 12 && y == 4) || (x == 7 && y == 2) ? 255 : 0);

    // A solid canvas at 3:1 and 2:1 is full inside and fades only at the canvas edge, where the
    // pixels beyond count as empty.
    for (int factor : {2, 3}) {
        Mask solid(30 * factor + 1, 10 * factor);  // a spare column: the output is whole pixels only
        solid.Fill(0, 0, solid.width, solid.height);
        r = Reduce(solid, factor);
        ASSERT_EQ(r.width, 30);
        ASSERT_EQ(r.rows.size(), 10u);
        EXPECT_EQ(r.at(15, 5), 255);
        EXPECT_LT(r.at(0, 5), 255);
        EXPECT_GT(r.at(0, 5), 128);
    }
}

TEST(CoverageReduction, RefusesWhatItCannotReduce) {
    Mask mask(8, 8);
    auto sink = [](int, std::span<const std::uint8_t>) { ADD_FAILURE() << "no row expected"; };
    EXPECT_FALSE(ReduceCoverage(mask.view(), 0, ReductionFilter::kBicubic, sink));
    EXPECT_FALSE(ReduceCoverage(mask.view(), kMaxReductionFactor + 1, ReductionFilter::kBicubic, sink));
    EXPECT_FALSE(ReduceCoverage(Mask(3, 8).view(), 4, ReductionFilter::kBicubic, sink));
    CoverageMask narrow = mask.view();
    narrow.stride = 0;
    EXPECT_FALSE(ReduceCoverage(narrow, 2, ReductionFilter::kBicubic, sink));
    EXPECT_FALSE(ReduceCoverage({}, 2, ReductionFilter::kBicubic, sink));
}

} // namespace
} // namespace glyphpeek
