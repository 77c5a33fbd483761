// The thumbnail picture: a define's sample drawn in every face of a font, one row per face, over
// the define's background. Text is drawn by GDI, non-antialiased, on a one-bit canvas several times
// the row cell in each direction, and reduced into the cell by the imaging layer's bicubic filter
// (or nearest neighbour, when a caller's context asks for that).
#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "trutility/TRUtility.h"
#include "imaging/drawing_context.h"
#include "trutility/font_request.h"
#include "trutility/selected_face.h"
#include "core/own_script_sample.h"
#include "imaging/font_engine.h"
#include "imaging/reduced_text.h"
#include "imaging/text_canvas.h"
#include "core/sample_layout.h"
#include "winsupport/wide.h"

using namespace glyphpeek::imaging;

namespace {

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

// How a sample reaches the font engine. Text as it is, but a sample with characters beyond the BMP
// by the glyphs the selected font maps them to: GDI's text calls under Wine draw such characters as
// missing-glyph boxes even when the font maps them, and glyph indices mean the same on Windows.
class SampleInk {
public:
    // The face is selected into dc (at any size) for as long as this lives.
    SampleInk(HDC dc, std::u16string_view sample) : dc_(dc) {
        const auto surrogate = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; };
        if (std::none_of(sample.begin(), sample.end(), surrogate)) return;
        face_ = glyphpeek::SelectedFace(dc);
        characters_.emplace(face_.get());
    }

    glyphpeek::MeasureText Measure() const {
        return [this](std::u16string_view text) {
            SIZE extent = {};
            if (characters_) {
                std::vector<WORD> glyphs = Glyphs(text);
                GetTextExtentPointI(dc_, glyphs.data(), static_cast<int>(glyphs.size()), &extent);
            } else {
                GetTextExtentPoint32W(dc_, AsWide(text).data(), static_cast<int>(text.size()), &extent);
            }
            return glyphpeek::TextExtent{static_cast<int>(extent.cx), static_cast<int>(extent.cy)};
        };
    }

    // One line centred on the canvas.
    void DrawCentred(std::u16string_view text, int canvasWidth, int canvasHeight) const {
        if (!characters_) {
            RECT canvas = {0, 0, canvasWidth, canvasHeight};
            DrawTextW(dc_, AsWide(text).data(), static_cast<int>(text.size()), &canvas,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
            return;
        }
        const glyphpeek::Point at = glyphpeek::CentredOrigin(canvasWidth, canvasHeight, Measure()(text));
        Draw(text, at.x, at.y);
    }

    void Draw(std::u16string_view text, int x, int y) const {
        if (!characters_) {
            TextOutW(dc_, x, y, AsWide(text).data(), static_cast<int>(text.size()));
            return;
        }
        const std::vector<WORD> glyphs = Glyphs(text);
        ExtTextOutW(dc_, x, y, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<const wchar_t*>(glyphs.data()),
                    static_cast<UINT>(glyphs.size()), nullptr);
    }

    // The start of the text up to the character that crosses `width`: the font engine would
    // rasterise every character handed to it, however far past the edge.
    std::u16string_view Reaching(std::u16string_view text, int width) const {
        int fit = -1;
        SIZE extent{};
        if (characters_) {
            std::vector<WORD> glyphs = Glyphs(text);
            if (!GetTextExtentExPointI(dc_, glyphs.data(), static_cast<int>(glyphs.size()), width, &fit, nullptr, &extent) ||
                fit < 0)
                return text;
            std::size_t units = 0;  // fit + 1 characters, a pair counting as one
            for (int k = 0; k <= fit && units < text.size(); ++k)
                units += text[units] >= 0xD800 && text[units] <= 0xDBFF && units + 1 < text.size() ? 2 : 1;
            return text.substr(0, units);
        }
        const std::wstring_view wide = AsWide(text);
        if (!GetTextExtentExPointW(dc_, wide.data(), static_cast<int>(wide.size()), width, &fit, nullptr, &extent) ||
            fit < 0)
            return text;
        return text.substr(0, CutWhole(wide, std::min(wide.size(), static_cast<std::size_t>(fit) + 1)).size());
    }

private:
    // A character the font does not map gets glyph 0, its missing-glyph box, as text would.
    std::vector<WORD> Glyphs(std::u16string_view text) const {
        std::vector<WORD> glyphs;
        for (char32_t c : glyphpeek::CodePoints(text)) glyphs.push_back(static_cast<WORD>(characters_->Glyph(c)));
        return glyphs;
    }

    HDC dc_;
    glyphpeek::HbFace face_;
    std::optional<glyphpeek::FaceCharacters> characters_;
};

void DrawSample(HDC dc, const FontData& face, std::u16string_view sample, bool singleLine, int canvasWidth,
                int canvasHeight, bool askEngineForOwnSample) {
    const auto probeFont = CreateFaceFont(face.faceName, glyphpeek::kProbeFontSize, face.bold, face.italic);
    std::optional<SelectedObject> probe(std::in_place, dc, probeFont.get());
    // A face with none of the sample's characters draws characters of its own instead of nothing (the
    // font road has chosen them already for the faces it registers).
    const std::u16string own =
        askEngineForOwnSample ? glyphpeek::OwnSampleWhenNoneMaps(dc, sample) : std::u16string();
    if (!own.empty()) sample = own;
    const SampleInk ink(dc, sample);
    if (singleLine) {
        const auto size = glyphpeek::LayoutSingleLine(sample, canvasWidth, canvasHeight, ink.Measure());
        probe.reset();
        if (!size || *size <= 0) return;
        const ScopedFont font = CreateFaceFont(face.faceName, *size, face.bold, face.italic);
        SelectedObject selected(dc, font.get());
        ink.DrawCentred(sample, canvasWidth, canvasHeight);
        return;
    }
    const auto block = glyphpeek::LayoutBlock(sample, canvasWidth, canvasHeight, ink.Measure());
    probe.reset();
    if (!block || block->fontSize <= 0) return;
    const ScopedFont font = CreateFaceFont(face.faceName, block->fontSize, face.bold, face.italic);
    SelectedObject selected(dc, font.get());
    for (const glyphpeek::PlacedChar& c : block->chars) ink.Draw(sample.substr(c.offset, c.length), c.x, c.y);
}

// What one row draws with: the face as the engine knows it and the sample, held registered while
// the row is drawn when the font road registered it.
struct RowFace {
    FontData face{};
    std::u16string sample;
    bool askEngineForOwnSample = false;
    std::unique_ptr<PrivateMemoryFont> registration;
};

// The faces of a call: installed (or caller-registered) faces by name, or the faces of a font file,
// each registered by the font road for its row only.
class RowFaces {
public:
    explicit RowFaces(const std::vector<FontData>& named) : named_(&named) {}
    explicit RowFaces(const glyphpeek::FontRequest& request) : request_(&request) {}

    const std::vector<FontData>& listed() const { return request_ ? request_->faces() : *named_; }

    std::optional<RowFace> Prepare(size_t index, std::u16string_view sample) const {
        RowFace row;
        if (!request_) {
            row.face = (*named_)[index];
            row.sample = sample;
            row.askEngineForOwnSample = true;
        } else {
            auto registered = request_->Register(index, sample);
            if (!registered) return std::nullopt;
            row.face = registered->face;
            row.sample = std::move(registered->sample);
            row.registration = std::move(registered->registration);
        }
        row.face.faceName[std::size(row.face.faceName) - 1] = L'\0';
        return row;
    }

private:
    const std::vector<FontData>* named_ = nullptr;
    const glyphpeek::FontRequest* request_ = nullptr;
};

// The row's sample on its own text canvas, `supersampling` times the cell in each direction.
std::unique_ptr<TextCanvas> SetSample(const glyphpeek::Row& row, const RowFace& face, bool singleLine) {
    if (!row.drawable || face.sample.empty()) return nullptr;  // an empty sample draws nothing
    auto canvas = std::make_unique<TextCanvas>(row.canvasWidth, row.canvasHeight);
    if (!*canvas) return nullptr;
    DrawSample(canvas->dc(), face.face, face.sample, singleLine, row.canvasWidth, row.canvasHeight,
               face.askEngineForOwnSample);
    return canvas;
}

// Runs `each(row, index, sample)` for the faces in order, the define's sample (or the face's own
// name when it is empty) in place, and leaves the sample as it found it when it was empty.
template <typename Each>
void ForEachRow(PixelSize size, SettingData& define, const std::vector<FontData>& faces, Each each) {
    const std::vector<glyphpeek::Row> rows = glyphpeek::LayoutRows(size.width, size.height, faces.size());
    define.SampleText[std::size(define.SampleText) - 1] = L'\0';
    const bool ownNames = define.SampleText[0] == L'\0';
    for (size_t i = 0; i < rows.size() && i < faces.size(); ++i) {
        if (ownNames) {
            wcsncpy(define.SampleText, faces[i].displayName, std::size(define.SampleText) - 1);
            define.SampleText[std::size(define.SampleText) - 1] = L'\0';
        }
        const std::u16string_view sample = AsU16(define.SampleText, wcslen(define.SampleText));
        each(rows[i], i, sample);
    }
    if (ownNames) std::fill(std::begin(define.SampleText), std::end(define.SampleText), L'\0');
}

ARGB ForeOf(const SettingData& define) {
    return glyphpeek::ResolveForeColor(define.ForeColor, GetSysColor(COLOR_WINDOWTEXT));
}

void Separator(DrawingContext& context, const glyphpeek::Row& row, ARGB fore) {
    if (!row.separator) return;
    context.ResetClip();
    context.Line(fore, 1.0f, row.separator->x1, row.separator->y, row.separator->x2, row.separator->y);
}

// Rows through a context: separator, then text, row by row.
void DrawRows(DrawingContext& context, PixelSize size, SettingData& define, const RowFaces& faces,
              glyphpeek::ReductionFilter filter) {
    const ARGB fore = ForeOf(define);
    const bool singleLine = define.FitSingleLine == 1;
    ForEachRow(size, define, faces.listed(), [&](const glyphpeek::Row& row, size_t index, std::u16string_view sample) {
        Separator(context, row, fore);
        const auto face = faces.Prepare(index, sample);
        if (!face) return;
        if (const auto canvas = SetSample(row, *face, singleLine))
            DrawReducedText(context, row.cell.x, row.cell.y, *canvas, row.supersampling, filter, fore);
    });
}

void DrawAll(GpBitmap* target, SettingData& define, const RowFaces& faces) {
    constexpr auto kFilter = glyphpeek::ReductionFilter::kBicubic;  // what interpolation mode 7 gives
    const glyphpeek::Background background = BackgroundOf(define);
    const PixelSize size = ImageSize(reinterpret_cast<GpImage*>(target));
    // Written before the context exists, so nothing of GDI+ holds the pixels meanwhile.
    if (!WriteBackground(target, background)) {
        // Pixels we cannot write: everything through the context.
        auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target));
        if (!context) return;
        context.SetInterpolation(InterpolationModeHighQualityBicubic);
        PaintBackground(context, size, background);
        DrawRows(context, size, define, faces, kFilter);
        return;
    }
    // The separators first, then the text into the pixels once the context has let them go. No cell
    // reaches the separator below it, so the picture is the one drawn row by row.
    const ARGB fore = ForeOf(define);
    {
        auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target));
        if (!context) return;
        ForEachRow(size, define, faces.listed(), [&](const glyphpeek::Row& row, size_t, std::u16string_view) {
            Separator(context, row, fore);
        });
    }
    const bool singleLine = define.FitSingleLine == 1;
    ForEachRow(size, define, faces.listed(), [&](const glyphpeek::Row& row, size_t index, std::u16string_view sample) {
        const auto face = faces.Prepare(index, sample);
        if (!face) return;
        const auto canvas = SetSample(row, *face, singleLine);
        if (!canvas || CompositeText(target, row.cell.x, row.cell.y, *canvas, row.supersampling, kFilter, fore)) return;
        auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target));
        DrawReducedText(context, row.cell.x, row.cell.y, *canvas, row.supersampling, kFilter, fore);
    });
}

// The cell lies wholly inside the target.
bool Inside(const SampleCell& cell, PixelSize size) {
    return cell.x >= 0 && cell.y >= 0 && cell.width > 0 && cell.height > 0 &&
           std::int64_t{cell.x} + cell.width <= size.width && std::int64_t{cell.y} + cell.height <= size.height;
}

void Composite(GpBitmap* target, int x, int y, const TextCanvas& canvas, int factor, ARGB ink) {
    constexpr auto kFilter = glyphpeek::ReductionFilter::kBicubic;
    if (CompositeText(target, x, y, canvas, factor, kFilter, ink)) return;
    auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target));
    DrawReducedText(context, x, y, canvas, factor, kFilter, ink);
}

// One face's thumbnail row in the cell: the define's background, then its sample.
void DrawRowCell(GpBitmap* target, const SettingData& define, const RowFace& face, const SampleCell& cell) {
    const glyphpeek::Background background = BackgroundOf(define);
    {
        auto context = DrawingContext::On(reinterpret_cast<GpImage*>(target));
        if (!context) return;
        context.FillVerticalGradient(cell.x, cell.y, cell.width, cell.height, background.top,
                                     background.gradient ? background.bottom : background.top);
    }
    const std::vector<glyphpeek::Row> rows = glyphpeek::LayoutRows(cell.width, cell.height, 1);
    if (rows.empty()) return;
    if (const auto canvas = SetSample(rows[0], face, define.FitSingleLine == 1))
        Composite(target, cell.x + rows[0].cell.x, cell.y + rows[0].cell.y, *canvas, rows[0].supersampling,
                  ForeOf(define));
}

// The sample on one line at the cell's size, cut at the cell's right edge.
void DrawLineCell(GpBitmap* target, const RowFace& face, const SampleCell& cell) {
    // Larger than any waterfall size: a cell asking for more is no line of one.
    constexpr int kMaxLineSize = 2048;
    if (cell.pixelSize <= 0 || cell.pixelSize > kMaxLineSize || face.sample.empty()) return;
    const int factor = glyphpeek::SupersamplingFactor(cell.width, cell.height);
    TextCanvas canvas(cell.width * factor, cell.height * factor);
    if (!canvas) return;
    const HDC dc = canvas.dc();
    const ScopedFont font =
        CreateFaceFont(face.face.faceName, cell.pixelSize * factor, face.face.bold, face.face.italic);
    {
        SelectedObject selected(dc, font.get());
        const SampleInk ink(dc, face.sample);
        ink.Draw(ink.Reaching(face.sample, cell.width * factor), 0, 0);
    }
    Composite(target, cell.x, cell.y, canvas, factor, cell.ink);
}

} // namespace

extern "C" {

uint32_t GetFontDataFromBinary(const void* bytes, uint32_t size, FontData* faces, uint32_t capacity) {
    if (!bytes || size == 0 || (!faces && capacity > 0)) return 0;
    try {
        const auto request = glyphpeek::FontRequest::FromBytes(
            std::span(static_cast<const std::uint8_t*>(bytes), size), glyphpeek::FaceList::kFonts);
        if (!request) return 0;
        const std::vector<FontData>& listed = request->faces();
        std::copy_n(listed.begin(), std::min<size_t>(listed.size(), capacity), faces);
        return static_cast<uint32_t>(listed.size());
    } catch (...) {
        return 0;
    }
}

// The file is read once; each face the cells name is made drawable once, for all its cells.
void DrawSamplesFromBinary(GpBitmap* target, SettingData* define, const void* bytes, uint32_t size,
                           const SampleCell* cells, uint32_t count) {
    if (!target || !define || !bytes || size == 0 || !cells || count == 0) return;
    try {
        const auto request = glyphpeek::FontRequest::FromBytes(
            std::span(static_cast<const std::uint8_t*>(bytes), size), glyphpeek::FaceList::kFonts);
        if (!request) return;
        const std::vector<FontData>& faces = request->faces();
        const PixelSize area = ImageSize(reinterpret_cast<GpImage*>(target));
        SettingData scratch = *define;
        scratch.SampleText[std::size(scratch.SampleText) - 1] = L'\0';
        const RowFaces rowFaces(*request);
        std::vector<bool> drawn(faces.size(), false);
        for (uint32_t first = 0; first < count; ++first) {
            const uint32_t index = cells[first].face;
            if (index >= faces.size() || drawn[index]) continue;
            drawn[index] = true;
            // As in the thumbnail: a define without a sample shows each face's own name.
            const std::u16string_view sample = scratch.SampleText[0] ? FieldText(scratch.SampleText)
                                                                     : FieldText(faces[index].displayName);
            const auto face = rowFaces.Prepare(index, sample);
            if (!face) continue;
            for (uint32_t i = first; i < count; ++i) {
                const SampleCell& cell = cells[i];
                if (cell.face != index || !Inside(cell, area)) continue;
                if (cell.pixelSize == 0)
                    DrawRowCell(target, scratch, *face, cell);
                else
                    DrawLineCell(target, *face, cell);
            }
        }
    } catch (...) {
    }
}

void DrawStringFromNamesG(GpGraphics* graphics, GpBitmap* target, SettingData* define, std::vector<FontData>* faces) {
    if (!graphics || !target || !define || !faces) return;
    try {
        auto context = DrawingContext::Borrow(graphics);
        InterpolationMode mode = InterpolationModeDefault;
        GdipGetInterpolationMode(graphics, &mode);
        DrawRows(context, ImageSize(reinterpret_cast<GpImage*>(target)), *define, RowFaces(*faces), FilterFor(mode));
    } catch (...) {
    }
}

void DrawStringFromNames(GpBitmap* target, SettingData* define, std::vector<FontData>* faces) {
    if (!target || !define || !faces || faces->empty()) return;
    try {
        DrawAll(target, *define, RowFaces(*faces));
    } catch (...) {
    }
}

// The file is read once; the engine sees only what the font road makes of it, face by face.
void DrawStringFromFile(GpBitmap* target, SettingData* define, const wchar_t* path) {
    if (!target || !define || !path) return;
    try {
        const auto request = glyphpeek::FontRequest::FromFile(path);
        if (request && !request->faces().empty()) DrawAll(target, *define, RowFaces(*request));
    } catch (...) {
    }
}

void DrawStringFromBinary(GpBitmap* target, SettingData* define, const void* bytes, uint32_t size) {
    if (!target || !define || !bytes || size == 0) return;
    try {
        const auto request =
            glyphpeek::FontRequest::FromBytes(std::span(static_cast<const std::uint8_t*>(bytes), size));
        if (request && !request->faces().empty()) DrawAll(target, *define, RowFaces(*request));
    } catch (...) {
    }
}

} // extern "C"
