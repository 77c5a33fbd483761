// The thumbnail picture: a define's sample drawn in every face of a font, one row per face, over
// the define's background. Text is drawn by GDI, non-antialiased, on a canvas four times the row
// cell in each direction, and reduced into the cell by the drawing context's interpolation.
#include <algorithm>
#include <cwchar>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "TRUtility.h"
#include "drawing_context.h"
#include "font_data.h"
#include "font_engine.h"
#include "sample_layout.h"
#include "wide.h"

using namespace imaging;

namespace {

constexpr int kSupersampling = 4;

COLORREF ToColorRef(ARGB argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

glyphpeek::Background BackgroundOf(const SettingData& define) {
    return glyphpeek::ResolveBackground(define.BackColor1, define.BackColor2, GetSysColor(COLOR_WINDOW));
}

// Straight into the bitmap's pixels where it can; false when the context has to paint it.
bool WriteBackground(GpBitmap* target, const glyphpeek::Background& background) {
    return background.gradient ? FillVerticalGradientPixels(target, background.top, background.bottom)
                               : FillPixels(target, background.top);
}

void PaintBackground(DrawingContext& context, PixelSize size, const glyphpeek::Background& background) {
    if (background.gradient)
        context.FillVerticalGradient(0, 0, size.width, size.height, background.top, background.bottom);
    else
        context.Clear(background.top);
}

// Measures text in the font selected into the device context.
glyphpeek::MeasureText MeasureIn(HDC dc) {
    return [dc](std::u16string_view text) {
        SIZE extent = {};
        GetTextExtentPoint32W(dc, AsWide(text).data(), static_cast<int>(text.size()), &extent);
        return glyphpeek::TextExtent{static_cast<int>(extent.cx), static_cast<int>(extent.cy)};
    };
}

void DrawSample(HDC dc, const FontData& face, std::u16string_view sample, bool singleLine, int canvasWidth,
                int canvasHeight) {
    const auto probeFont = CreateFaceFont(face.faceName, glyphpeek::kProbeFontSize, face.bold, face.italic);
    std::optional<SelectedObject> probe(std::in_place, dc, probeFont.get());
    if (singleLine) {
        const auto size = glyphpeek::LayoutSingleLine(sample, canvasWidth, canvasHeight, MeasureIn(dc));
        probe.reset();
        if (!size || *size <= 0) return;
        const ScopedFont font = CreateFaceFont(face.faceName, *size, face.bold, face.italic);
        SelectedObject selected(dc, font.get());
        RECT canvas = {0, 0, canvasWidth, canvasHeight};
        DrawTextW(dc, AsWide(sample).data(), static_cast<int>(sample.size()), &canvas,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
        return;
    }
    const auto block = glyphpeek::LayoutBlock(sample, canvasWidth, canvasHeight, MeasureIn(dc));
    probe.reset();
    if (!block || block->fontSize <= 0) return;
    const ScopedFont font = CreateFaceFont(face.faceName, block->fontSize, face.bold, face.italic);
    SelectedObject selected(dc, font.get());
    for (const glyphpeek::PlacedChar& c : block->chars)
        TextOutW(dc, c.x, c.y, AsWide(sample.substr(c.offset, c.length)).data(), static_cast<int>(c.length));
}

void DrawCell(DrawingContext& context, const glyphpeek::Row& row, const FontData& face, std::u16string_view sample,
              bool singleLine, ARGB fore) {
    if (!row.drawable || sample.empty()) return;  // an empty sample draws nothing
    ArgbBitmap canvas(row.canvasWidth, row.canvasHeight);
    if (!canvas) return;
    constexpr ARGB kClearWhite = 0x00FFFFFF;
    const bool cleared = FillPixels(canvas.get(), kClearWhite);
    auto canvasContext = DrawingContext::On(reinterpret_cast<GpImage*>(canvas.get()));
    if (!cleared) canvasContext.Clear(kClearWhite);
    {
        ContextDC dc(canvasContext.get());
        if (!dc) return;
        SetTextColor(dc.get(), ToColorRef(fore));
        SetBkMode(dc.get(), TRANSPARENT);
        DrawSample(dc.get(), face, sample, singleLine, row.canvasWidth, row.canvasHeight);
    }
    context.DrawImage(reinterpret_cast<GpImage*>(canvas.get()), row.cell.x, row.cell.y, row.cell.width,
                      row.cell.height, 0, 0, row.canvasWidth, row.canvasHeight);
}

void DrawRows(DrawingContext& context, PixelSize size, SettingData& define, const std::vector<FontData>& faces) {
    const ARGB fore = glyphpeek::ResolveForeColor(define.ForeColor, GetSysColor(COLOR_WINDOWTEXT));
    const std::vector<glyphpeek::Row> rows = glyphpeek::LayoutRows(size.width, size.height, faces.size());
    define.SampleText[std::size(define.SampleText) - 1] = L'\0';
    const bool ownNames = define.SampleText[0] == L'\0';
    for (size_t i = 0; i < rows.size() && i < faces.size(); ++i) {
        if (ownNames) {
            wcsncpy(define.SampleText, faces[i].displayName, std::size(define.SampleText) - 1);
            define.SampleText[std::size(define.SampleText) - 1] = L'\0';
        }
        if (rows[i].separator) {
            context.ResetClip();
            context.Line(fore, 1.0f, rows[i].separator->x1, rows[i].separator->y, rows[i].separator->x2,
                         rows[i].separator->y);
        }
        FontData face = faces[i];
        face.faceName[std::size(face.faceName) - 1] = L'\0';
        const std::u16string_view sample = AsU16(define.SampleText, wcslen(define.SampleText));
        DrawCell(context, rows[i], face, sample, define.FitSingleLine == 1, fore);
    }
    if (ownNames) std::fill(std::begin(define.SampleText), std::end(define.SampleText), L'\0');
}

void DrawAll(GpBitmap* target, SettingData& define, const std::vector<FontData>& faces) {
    const glyphpeek::Background background = BackgroundOf(define);
    // Written before the context exists, so nothing of GDI+ holds the pixels meanwhile.
    const bool written = WriteBackground(target, background);
    auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target));
    if (!context) return;
    context.SetInterpolation(InterpolationModeHighQualityBicubic);
    const PixelSize size = ImageSize(reinterpret_cast<GpImage*>(target));
    if (!written) PaintBackground(context, size, background);
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
