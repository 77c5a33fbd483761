#include "imaging/drawing_context.h"

#include <utility>

namespace glyphpeek::imaging {

DrawingContext DrawingContext::On(GpImage* image) {
    GpGraphics* graphics = nullptr;
    if (!image || GdipGetImageGraphicsContext(image, &graphics) != Ok) graphics = nullptr;
    return DrawingContext(graphics, true);
}

DrawingContext::DrawingContext(DrawingContext&& o) noexcept
    : graphics_(std::exchange(o.graphics_, nullptr)), owned_(o.owned_) {}

DrawingContext::~DrawingContext() {
    if (graphics_ && owned_) GdipDeleteGraphics(graphics_);
}

void DrawingContext::Clear(ARGB color) {
    if (graphics_) GdipGraphicsClear(graphics_, color);
}

void DrawingContext::ResetClip() {
    if (graphics_) GdipResetClip(graphics_);
}

void DrawingContext::SetInterpolation(InterpolationMode mode) {
    if (graphics_) GdipSetInterpolationMode(graphics_, mode);
}

void DrawingContext::Line(ARGB color, float width, int x1, int y1, int x2, int y2) {
    GpPen* pen = nullptr;
    if (!graphics_ || GdipCreatePen1(color, width, UnitPixel, &pen) != Ok) return;
    GdipDrawLineI(graphics_, pen, x1, y1, x2, y2);
    GdipDeletePen(pen);
}

ARGB BlendArgb(ARGB a, ARGB b, int step, int steps) {
    if (steps <= 0) return a;
    ARGB out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        const int c = ca + ((cb - ca) * 2 * step + (cb >= ca ? steps : -steps)) / (2 * steps);
        out |= static_cast<ARGB>(c & 0xFF) << shift;
    }
    return out;
}

void DrawingContext::FillVerticalGradient(int x, int y, int width, int height, ARGB top, ARGB bottom) {
    GpSolidFill* brush = nullptr;
    if (!graphics_ || width <= 0 || height <= 0 || GdipCreateSolidFill(top, &brush) != Ok) return;
    // Pixel mode for exact rows: no antialiased edges bleeding into the next row.
    CompositingMode oldMode = CompositingModeSourceOver;
    GdipGetCompositingMode(graphics_, &oldMode);
    GdipSetCompositingMode(graphics_, CompositingModeSourceCopy);
    for (int row = 0; row < height; ++row) {
        GdipSetSolidFillColor(brush, BlendArgb(top, bottom, row, height - 1));
        GdipFillRectangleI(graphics_, reinterpret_cast<GpBrush*>(brush), x, y + row, width, 1);
    }
    GdipSetCompositingMode(graphics_, oldMode);
    GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush));
}

void DrawingContext::DrawImage(GpImage* image, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    if (graphics_ && image)
        GdipDrawImageRectRectI(graphics_, image, dx, dy, dw, dh, sx, sy, sw, sh, UnitPixel, nullptr, nullptr, nullptr);
}

ContextDC::ContextDC(GpGraphics* graphics) : graphics_(graphics) {
    if (!graphics_ || GdipGetDC(graphics_, &dc_) != Ok) dc_ = nullptr;
}

ContextDC::~ContextDC() {
    if (dc_) GdipReleaseDC(graphics_, dc_);
}

} // namespace imaging
