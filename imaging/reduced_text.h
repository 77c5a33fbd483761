#pragma once
// Supersampled text laid into a picture: the text canvas reduced by our own filter, so that the
// picture is the same on Windows and under Wine, and put over what is there in one colour.
#include "core/coverage_reduction.h"
#include "imaging/drawing_context.h"
#include "imaging/text_canvas.h"

namespace glyphpeek::imaging {

// The reduction a drawing context's interpolation mode stands for: the nearest-neighbour modes keep
// hard edges; every other mode gets the high-quality bicubic reduction that mode 7 gives on Windows.
glyphpeek::ReductionFilter FilterFor(InterpolationMode mode);

// The canvas reduced by `factor` into the target's pixels from (x, y) on, in colour `ink` over what
// is there (source over). False, with nothing written, when the pixels cannot be reached.
bool CompositeText(GpBitmap* target, int x, int y, const TextCanvas& canvas, int factor,
                   glyphpeek::ReductionFilter filter, ARGB ink);

// The same through a drawing context the caller owns (its clip and transform apply), a band of rows
// at a time, each drawn unscaled.
void DrawReducedText(DrawingContext& context, int x, int y, const TextCanvas& canvas, int factor,
                     glyphpeek::ReductionFilter filter, ARGB ink);

// One pixel of ink at 8-bit coverage over `below`, both 0xAARRGGBB with straight alpha.
ARGB InkOver(ARGB below, ARGB ink, int coverage);

} // namespace imaging
