// The thumbnail picture: a define's sample drawn in every face of a font, one row per face, over
// the define's background. Text is drawn by GDI, non-antialiased, on a canvas four times the row
// cell in each direction, and reduced into the cell by the drawing context's interpolation.
#include <cwchar>
#include <span>
#include <string_view>
#include <vector>

#include "TRUtility.h"
#include "drawing_context.h"
#include "font_data.h"
#include "font_engine.h"
#include "row_layout.h"

using namespace imaging;

namespace {

constexpr int kProbeSize = 100;  // the size at which samples are measured
constexpr int kSupersampling = 4;

COLORREF ToColorRef(ARGB argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

ARGB EffectiveColor(uint32_t color, int systemColor) {
    return glyphpeek::ToArgb(glyphpeek::IsColorSet(color) ? color : GetSysColor(systemColor));
}

void PaintBackground(DrawingContext& context, PixelSize size, const SettingData& define) {
    const ARGB bottom = EffectiveColor(define.BackColor2, COLOR_WINDOW);
    const ARGB top = glyphpeek::IsColorSet(define.BackColor1) ? glyphpeek::ToArgb(define.BackColor1)
                                                              : glyphpeek::PaleTint(bottom);
    if (top == bottom)
        context.Clear(top);
    else
        context.FillVerticalGradient(0, 0, size.width, size.height, top, bottom);
}

// Draws the sample on one line, fitted to the canvas width.
void DrawSingleLine(HDC dc, const FontData& face, std::wstring_view sample, int canvasWidth, int canvasHeight) {
    SIZE extent = {};
    {
        const ScopedFont probe = CreateFaceFont(face.faceName, kProbeSize, face.bold, face.italic);
        SelectedObject selected(dc, probe.get());
        GetTextExtentPoint32W(dc, sample.data(), static_cast<int>(sample.size()), &extent);
    }
    const unsigned size = glyphpeek::SingleLineSize(extent.cx, extent.cy, canvasWidth, canvasHeight);
    if (size == 0) return;
    const ScopedFont font = CreateFaceFont(face.faceName, static_cast<int>(size), face.bold, face.italic);
    SelectedObject selected(dc, font.get());
    RECT canvas = {0, 0, canvasWidth, canvasHeight};
    DrawTextW(dc, sample.data(), static_cast<int>(sample.size()), &canvas,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
}

// Draws the sample wrapped into a block about as wide as it is high, character by character.
void DrawBlock(HDC dc, const FontData& face, std::wstring_view sample, int canvasWidth, int canvasHeight) {
    std::vector<int> widths(sample.size());
    int height100 = 0;
    {
        const ScopedFont probe = CreateFaceFont(face.faceName, kProbeSize, face.bold, face.italic);
        SelectedObject selected(dc, probe.get());
        for (size_t k = 0; k < sample.size(); ++k) {
            SIZE extent = {};
            GetTextExtentPoint32W(dc, &sample[k], 1, &extent);
            widths[k] = extent.cx;
            height100 = extent.cy;
        }
    }
    const auto block = glyphpeek::ComputeBlock(widths, height100, canvasWidth, canvasHeight);
    if (!block || block->size == 0) return;
    const ScopedFont font = CreateFaceFont(face.faceName, static_cast<int>(block->size), face.bold, face.italic);
    SelectedObject selected(dc, font.get());
    int x = block->left, y = block->top;
    for (size_t k = 0; k < sample.size(); ++k) {
        TextOutW(dc, x, y, &sample[k], 1);
        if (block->endsLine[k]) {
            y += static_cast<int>(block->size);
            x = block->left;
        } else {
            x += static_cast<int>(static_cast<long long>(widths[k]) * block->size / kProbeSize);
        }
    }
}

void DrawCell(DrawingContext& context, const FontData& face, std::wstring_view sample, bool singleLine, ARGB fore,
              int x, int y, int width, int height) {
    if (width <= 0 || height <= 0 || sample.empty()) return;  // an empty sample draws nothing
    const int canvasWidth = width * kSupersampling, canvasHeight = height * kSupersampling;
    ArgbBitmap canvas(canvasWidth, canvasHeight);
    if (!canvas) return;
    auto canvasContext = DrawingContext::On(reinterpret_cast<GpImage*>(canvas.get()));
    canvasContext.Clear(0x00FFFFFF);
    {
        ContextDC dc(canvasContext.get());
        if (!dc) return;
        SetTextColor(dc.get(), ToColorRef(fore));
        SetBkMode(dc.get(), TRANSPARENT);
        if (singleLine)
            DrawSingleLine(dc.get(), face, sample, canvasWidth, canvasHeight);
        else
            DrawBlock(dc.get(), face, sample, canvasWidth, canvasHeight);
    }
    context.DrawImage(reinterpret_cast<GpImage*>(canvas.get()), x, y, width, height, 0, 0, canvasWidth, canvasHeight);
}

void DrawRows(DrawingContext& context, PixelSize size, SettingData& define, const std::vector<FontData>& faces) {
    const ARGB fore = EffectiveColor(define.ForeColor, COLOR_WINDOWTEXT);
    const int n = static_cast<int>(faces.size());
    if (n == 0) return;
    const glyphpeek::RowGeometry rows = glyphpeek::ComputeRows(size.width, size.height, n);
    define.SampleText[std::size(define.SampleText) - 1] = L'\0';
    const bool ownNames = define.SampleText[0] == L'\0';
    for (int i = 0; i < n; ++i) {
        const int top = i * rows.rowHeight;
        if (ownNames) {
            wcsncpy(define.SampleText, faces[i].displayName, std::size(define.SampleText) - 1);
            define.SampleText[std::size(define.SampleText) - 1] = L'\0';
        }
        if (i > 0) {
            context.ResetClip();
            context.Line(fore, 1.0f, rows.marginX, top, size.width - rows.marginX, top);
        }
        FontData face = faces[i];
        face.faceName[std::size(face.faceName) - 1] = L'\0';
        DrawCell(context, face, std::wstring_view(define.SampleText, wcslen(define.SampleText)),
                 define.FitSingleLine == 1, fore, rows.marginX, top + rows.marginY,
                 size.width - 2 * rows.marginX, rows.innerHeight);
    }
    if (ownNames) std::fill(std::begin(define.SampleText), std::end(define.SampleText), L'\0');
}

void DrawAll(GpBitmap* target, SettingData& define, const std::vector<FontData>& faces) {
    auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target));
    if (!context) return;
    context.SetInterpolation(InterpolationModeHighQualityBicubic);
    const PixelSize size = ImageSize(reinterpret_cast<GpImage*>(target));
    PaintBackground(context, size, define);
    DrawRows(context, size, define, faces);
}

} // namespace

extern "C" {

void DrawStringFromNamesG(GpGraphics* graphics, GpBitmap* target, SettingData* define, std::vector<FontData>* faces) {
    if (!graphics || !target || !define || !faces) return;
    try {
        auto context = DrawingContext::Borrow(graphics);
        DrawRows(context, ImageSize(reinterpret_cast<GpImage*>(target)), *define, *faces);
    } catch (...) {
    }
}

void DrawStringFromNames(GpBitmap* target, SettingData* define, std::vector<FontData>* faces) {
    if (!target || !define || !faces || faces->empty()) return;
    try {
        DrawAll(target, *define, *faces);
    } catch (...) {
    }
}

void DrawStringFromFile(GpBitmap* target, SettingData* define, const wchar_t* path) {
    if (!path) return;
    try {
        std::vector<FontData> faces;
        GetFontDataFromFile(path, &faces);
        if (target && define && !faces.empty()) DrawAll(target, *define, faces);
    } catch (...) {
    }
    RemoveFontResourceExW(path, FR_PRIVATE, nullptr);
}

void DrawStringFromBinary(GpBitmap* target, SettingData* define, const void* bytes, uint32_t size) {
    if (!target || !define || !bytes || size == 0) return;
    try {
        const PrivateMemoryFont registration(bytes, size);
        if (!registration) return;
        std::vector<FontData> faces;
        EnumerateFacesFromMemory(std::span(static_cast<const std::uint8_t*>(bytes), size), faces);
        if (!faces.empty()) DrawAll(target, *define, faces);
    } catch (...) {
    }
}

} // extern "C"
