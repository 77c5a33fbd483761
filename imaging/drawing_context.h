#pragma once
#include "imaging/bitmap.h"

namespace glyphpeek::imaging {

// A GDI+ drawing context, either made on a bitmap (and deleted with this object) or borrowed from a
// caller. Every operation absorbs a failure of GDI+: that part of the picture stays undrawn.
class DrawingContext {
public:
    static DrawingContext On(GpImage* image);
    static DrawingContext Borrow(GpGraphics* graphics) { return DrawingContext(graphics, false); }
    DrawingContext(DrawingContext&& o) noexcept;
    DrawingContext(const DrawingContext&) = delete;
    DrawingContext& operator=(const DrawingContext&) = delete;
    DrawingContext& operator=(DrawingContext&&) = delete;
    ~DrawingContext();

    GpGraphics* get() const { return graphics_; }
    explicit operator bool() const { return graphics_ != nullptr; }

    void Clear(ARGB color);
    void ResetClip();
    // 7 high-quality bicubic, 2 high quality, 5 nearest neighbour.
    void SetInterpolation(InterpolationMode mode);
    void Line(ARGB color, float width, int x1, int y1, int x2, int y2);
    // The first colour on the top row of the rectangle, the second on its bottom row, equal across
    // each row. Filled here rather than with a gradient brush: Wine's brush runs diagonally.
    void FillVerticalGradient(int x, int y, int width, int height, ARGB top, ARGB bottom);
    // Draws (sx, sy, sw, sh) of the image into (dx, dy, dw, dh), in pixels, through the interpolation mode.
    void DrawImage(GpImage* image, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);

private:
    DrawingContext(GpGraphics* graphics, bool owned) : graphics_(graphics), owned_(owned) {}
    GpGraphics* graphics_ = nullptr;
    bool owned_ = false;
};

// The device context of a drawing context, for GDI text that lands in the bitmap. GDI+ cannot draw
// through the context while it is held, so it is released when this object goes.
class ContextDC {
public:
    explicit ContextDC(GpGraphics* graphics);
    ~ContextDC();
    ContextDC(const ContextDC&) = delete;
    ContextDC& operator=(const ContextDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    GpGraphics* graphics_;
    HDC dc_ = nullptr;
};

// Channel-wise blend of two colours at step / steps (0 gives a, steps gives b), rounded.
ARGB BlendArgb(ARGB a, ARGB b, int step, int steps);

} // namespace imaging
