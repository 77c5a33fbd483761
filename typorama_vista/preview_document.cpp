#include "typorama_vista/preview_document.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <utility>

#include "core/font_road.h"
#include "core/preview_layout.h"
#include "extension_common/extension_module.h"
#include "extension_common/string_source.h"
#include "imaging/bitmap.h"
#include "imaging/gdiplus_session.h"
#include "imaging/read_file.h"
#include "typorama_vista/resource.h"
#include "winsupport/export_binding.h"
#include "winsupport/wide.h"

namespace glyphpeek::typorama_vista {
namespace {

namespace layout = glyphpeek::preview;

// The calls of TRUtility.dll the pane needs, bound for one piece of work.
struct UtilityCalls {
    explicit UtilityCalls(HMODULE extension) : library(extension_common::LoadUtilityLibrary(extension)) {}

    template <typename Proc>
    Proc Bind(const char* name) const {
        return BindExport<Proc>(library.get(), name);
    }
    bool ok() const { return convertBinary && loadDefine && listFaces && drawSamples; }

    ScopedModule library;
    ConvVFontPathFromBinProc convertBinary = Bind<ConvVFontPathFromBinProc>("ConvVFontPathFromBin");
    LoadDefineProc loadDefine = Bind<LoadDefineProc>("LoadDefine");
    GetFontDataFromBinaryProc listFaces = Bind<GetFontDataFromBinaryProc>("GetFontDataFromBinary");
    DrawSamplesFromBinaryProc drawSamples = Bind<DrawSamplesFromBinaryProc>("DrawSamplesFromBinary");
};

std::wstring Text(HMODULE extension, UINT id) { return extension_common::LoadModuleString(extension, nullptr, id); }

// `text` with its "%1" replaced by `number`.
std::wstring WithNumber(std::wstring text, unsigned long number) {
    if (const size_t at = text.find(L"%1"); at != std::wstring::npos) text.replace(at, 2, std::to_wstring(number));
    return text;
}

// The size the font reader takes; larger files are no fonts it reads.
uint32_t ByteCount(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes.size());
}

uint32_t Argb(COLORREF color) {
    return 0xFF000000u | (uint32_t{GetRValue(color)} << 16) | (uint32_t{GetGValue(color)} << 8) | GetBValue(color);
}

// Two thirds of the way from the background to the text: labels that stay readable in dark mode.
COLORREF Muted(COLORREF text, COLORREF background) {
    auto mix = [](int t, int b) { return static_cast<BYTE>((2 * t + b) / 3); };
    return RGB(mix(GetRValue(text), GetRValue(background)), mix(GetGValue(text), GetGValue(background)),
               mix(GetBValue(text), GetBValue(background)));
}

int SystemDpi() {
    const WindowDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

// The host's font, else the system's message font, at the pane's DPI.
LOGFONTW BodyFont(const PaneLook& look, int dpi) {
    LOGFONTW font{};
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (look.font)
        font = *look.font;
    else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        font = metrics.lfMessageFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    const int system = SystemDpi();
    if (font.lfHeight == 0) font.lfHeight = -MulDiv(9, system, 72);
    font.lfHeight = MulDiv(font.lfHeight, dpi, system);
    font.lfWidth = 0;
    return font;
}

int LineHeight(HDC dc, HFONT font) {
    SelectedObject selected(dc, font);
    TEXTMETRICW metrics{};
    return GetTextMetricsW(dc, &metrics) ? metrics.tmHeight + metrics.tmExternalLeading : 16;
}

int TextWidth(HDC dc, HFONT font, const std::wstring& text) {
    SelectedObject selected(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

int WrappedHeight(HDC dc, HFONT font, const std::wstring& text, int width) {
    SelectedObject selected(dc, font);
    RECT rect = {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    return rect.bottom - rect.top;
}

void DrawLine(HDC dc, HFONT font, COLORREF color, const std::wstring& text, const Rect& where, UINT flags) {
    SelectedObject selected(dc, font);
    SetTextColor(dc, color);
    RECT rect = {where.x, where.y, where.x + where.width, where.y + where.height};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags | DT_NOPREFIX);
}

constexpr UINT kOneLine = DT_SINGLELINE | DT_END_ELLIPSIS | DT_VCENTER;

std::wstring StyleName(HMODULE extension, const FontData& face) {
    if (face.bold && face.italic) return Text(extension, IDS_PREVIEW_BOLD_ITALIC);
    if (face.bold) return Text(extension, IDS_PREVIEW_BOLD);
    if (face.italic) return Text(extension, IDS_PREVIEW_ITALIC);
    return Text(extension, IDS_PREVIEW_REGULAR);
}

std::wstring FormatName(HMODULE extension, const FontFacts& facts) {
    std::wstring format;
    auto add = [&](const std::wstring& part) {
        if (part.empty()) return;
        if (!format.empty()) format += L", ";
        format += part;
    };
    if (facts.container == FontContainer::kCollection)
        add(WithNumber(Text(extension, IDS_PREVIEW_COLLECTION), facts.fonts));
    else if (facts.container == FontContainer::kWoff)
        add(L"WOFF");
    else if (facts.container == FontContainer::kWoff2)
        add(L"WOFF2");
    switch (facts.outlines) {
    case OutlineFormat::kTrueType: add(Text(extension, IDS_PREVIEW_TRUETYPE)); break;
    case OutlineFormat::kCff: add(Text(extension, IDS_PREVIEW_CFF)); break;
    case OutlineFormat::kCff2: add(Text(extension, IDS_PREVIEW_CFF2)); break;
    case OutlineFormat::kUnknown: break;
    }
    if (facts.variable) add(Text(extension, IDS_PREVIEW_VARIABLE));
    return format;
}

// The facts worth a line, label and value.
std::vector<std::pair<std::wstring, std::wstring>> FactLines(HMODULE extension, const FontFacts& facts) {
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    auto add = [&](UINT label, std::wstring value) {
        if (!value.empty()) lines.emplace_back(Text(extension, label), std::move(value));
    };
    add(IDS_PREVIEW_FAMILY, ToWide(facts.family));
    add(IDS_PREVIEW_STYLE, ToWide(facts.style));
    add(IDS_PREVIEW_VERSION, ToWide(facts.version));
    add(IDS_PREVIEW_DESIGNER, ToWide(facts.designer));
    add(IDS_PREVIEW_MANUFACTURER, ToWide(facts.manufacturer));
    add(IDS_PREVIEW_COPYRIGHT, ToWide(facts.copyright));
    add(IDS_PREVIEW_LICENCE, ToWide(facts.licence));
    add(IDS_PREVIEW_LICENCE_URL, ToWide(facts.licenceUrl));
    if (facts.glyphs > 0) add(IDS_PREVIEW_GLYPHS, std::to_wstring(facts.glyphs));
    add(IDS_PREVIEW_FORMAT, FormatName(extension, facts));
    return lines;
}

// The facts of a font file; a web font's from the font it carries, once the font road has decoded it.
FontFacts FactsOf(const std::vector<std::uint8_t>& file) {
    FontFacts facts = ReadFontFacts(file);
    if (facts.container != FontContainer::kWoff && facts.container != FontContainer::kWoff2) return facts;
    const auto decoded = FontBytes::Over(file);
    if (!decoded) return facts;
    FontFacts inner = ReadFontFacts(decoded->sfnt());
    inner.container = facts.container;
    return inner;
}

// A top-down 32-bit DIB section filled with `color`; empty when there is no memory for it.
ScopedBitmap SolidPicture(int width, int height, COLORREF color) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return ScopedBitmap();
    const ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
    const ScopedBrush brush(CreateSolidBrush(color));
    if (!dc || !brush) return ScopedBitmap();
    SelectedObject selected(dc.get(), bitmap.get());
    const RECT all = {0, 0, width, height};
    FillRect(dc.get(), &all, brush.get());
    return bitmap;
}

} // namespace

PreviewDocument OpenDocument(HMODULE extension, std::vector<std::uint8_t> content, const std::wstring& name) {
    PreviewDocument document;
    document.message = Text(extension, IDS_PREVIEW_NOT_A_FONT);
    const UtilityCalls utility(extension);
    if (!utility.ok()) {
        document.message = Text(extension, IDS_PREVIEW_NO_UTILITY);
        return document;
    }
    if (content.empty()) return document;
    // The stub reader takes a NUL-terminated text and reads at most MAX_PATH units of it.
    wchar_t text[MAX_PATH + 1] = {};
    std::memcpy(text, content.data(), std::min(content.size(), sizeof(wchar_t) * MAX_PATH));
    wchar_t resolved[MAX_PATH] = {};
    if (!utility.convertBinary(text, resolved)) return document;
    resolved[MAX_PATH - 1] = L'\0';
    std::wstring named = name;
    if (resolved[0]) {
        // A stub shows the font it names, read whole now and not held open.
        imaging::ReadFileBytes target(resolved);
        if (!target) {
            document.message = Text(extension, IDS_PREVIEW_STUB_UNREADABLE) + L" " + resolved;
            return document;
        }
        content = target.Take();
        named = resolved;
    }

    wchar_t lookup[MAX_PATH] = {};
    wcsncpy(lookup, extension_common::LookupName(named.c_str()), MAX_PATH - 1);
    SettingData record{};
    const SettingData* found = utility.loadDefine(&record, lookup);
    if (!found) return document;
    document.define = *found;

    std::vector<FontData> faces(layout::kMaxFacesShown);
    document.faceCount = utility.listFaces(content.data(), ByteCount(content), faces.data(),
                                           static_cast<uint32_t>(faces.size()));
    if (document.faceCount == 0) return document;
    faces.resize(std::min<size_t>(faces.size(), document.faceCount));
    document.faces = std::move(faces);
    document.facts = FactsOf(content);
    document.font = std::move(content);
    document.message.clear();
    return document;
}

PanePicture DrawDocument(HMODULE extension, const PreviewDocument& document, int width, int dpi, const PaneLook& look) {
    PanePicture picture;
    picture.background = look.background.value_or(GetSysColor(COLOR_WINDOW));
    const COLORREF ink = look.text.value_or(GetSysColor(COLOR_WINDOWTEXT));
    const COLORREF muted = Muted(ink, picture.background);
    const ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
    if (width <= 0 || dpi <= 0 || !dc) return picture;
    SetBkMode(dc.get(), TRANSPARENT);
    LOGFONTW description = BodyFont(look, dpi);
    const ScopedFont body(CreateFontIndirectW(&description));
    description.lfWeight = FW_BOLD;
    description.lfHeight = description.lfHeight * 6 / 5;
    const ScopedFont heading(CreateFontIndirectW(&description));
    const int textHeight = LineHeight(dc.get(), body.get());
    const int headingHeight = LineHeight(dc.get(), heading.get());
    const int margin = layout::Scale(12, dpi);
    picture.lineHeight = textHeight;

    if (!document.message.empty()) {
        const int height = 2 * margin + textHeight;
        picture.bitmap = SolidPicture(width, height, picture.background);
        if (!picture.bitmap) return picture;
        SelectedObject selected(dc.get(), picture.bitmap.get());
        DrawLine(dc.get(), body.get(), ink, document.message, {margin, margin, std::max(1, width - 2 * margin), textHeight},
                 kOneLine);
        picture.width = width;
        picture.height = height;
        return picture;
    }

    layout::Metrics metrics;
    metrics.width = width;
    metrics.dpi = dpi;
    metrics.textHeight = textHeight;
    metrics.headingHeight = headingHeight;
    const std::wstring points = Text(extension, IDS_PREVIEW_POINTS);
    metrics.sizeLabelWidth = TextWidth(dc.get(), body.get(), WithNumber(points, 72));
    metrics.faces = document.faceCount;  // the layout shows no more than the document holds
    const auto facts = FactLines(extension, document.facts);
    for (const auto& [label, value] : facts)
        metrics.factLabelWidth = std::max(metrics.factLabelWidth, TextWidth(dc.get(), body.get(), label));
    const layout::FactColumns columns = layout::LayoutFactColumns(width, dpi, metrics.factLabelWidth);
    for (const auto& [label, value] : facts)
        metrics.factHeights.push_back(WrappedHeight(dc.get(), body.get(), value, columns.valueWidth));
    const layout::Layout placed = layout::LayoutPreview(metrics);
    if (placed.height <= 0) return picture;
    const size_t shown = std::min(placed.faces.size(), document.faces.size());

    {
        // The samples, drawn by TRUtility.dll into the picture's own pixels.
        const imaging::GdiplusSession gdiplus;
        imaging::DibBackedBitmap canvas(width, placed.height);
        if (!gdiplus.ok() || !canvas || !imaging::FillPixels(canvas.get(), Argb(picture.background))) return picture;
        std::vector<SampleCell> cells;
        for (size_t i = 0; i < shown; ++i) {
            const layout::FaceBlock& face = placed.faces[i];
            const uint32_t index = static_cast<uint32_t>(i);
            cells.push_back({index, face.band.x, face.band.y, face.band.width, face.band.height, 0, 0});
            for (const layout::WaterfallLine& line : face.lines)
                cells.push_back({index, line.sample.x, line.sample.y, line.sample.width, line.sample.height,
                                 line.pixels, Argb(ink)});
        }
        const UtilityCalls utility(extension);
        if (utility.ok()) {
            SettingData define = document.define;
            utility.drawSamples(canvas.get(), &define, document.font.data(), ByteCount(document.font), cells.data(),
                                static_cast<uint32_t>(cells.size()));
        }
        picture.bitmap.reset(canvas.Release());
        if (!picture.bitmap) return picture;
    }
    picture.width = width;
    picture.height = placed.height;

    // The pane's own words, in the host's font and colours.
    SelectedObject selected(dc.get(), picture.bitmap.get());
    for (size_t i = 0; i < shown; ++i) {
        const layout::FaceBlock& face = placed.faces[i];
        const std::wstring title = ToWide(FieldText(document.faces[i].displayName)) + L"  \u00B7  " +
                                   StyleName(extension, document.faces[i]);
        DrawLine(dc.get(), heading.get(), ink, title, face.heading, kOneLine);
        for (const layout::WaterfallLine& line : face.lines)
            DrawLine(dc.get(), body.get(), muted, WithNumber(points, line.points), line.label, kOneLine | DT_RIGHT);
    }
    if (placed.more)
        DrawLine(dc.get(), body.get(), muted,
                 WithNumber(Text(extension, IDS_PREVIEW_MORE_FACES), document.faceCount - placed.faces.size()),
                 *placed.more, kOneLine);
    if (placed.factsHeading)
        DrawLine(dc.get(), heading.get(), ink, Text(extension, IDS_PREVIEW_ABOUT), *placed.factsHeading, kOneLine);
    for (size_t i = 0; i < placed.facts.size() && i < facts.size(); ++i) {
        DrawLine(dc.get(), body.get(), muted, facts[i].first, placed.facts[i].label, kOneLine);
        DrawLine(dc.get(), body.get(), ink, facts[i].second, placed.facts[i].value,
                 DT_WORDBREAK | DT_EDITCONTROL);
    }
    GdiFlush();
    return picture;
}

} // namespace glyphpeek::typorama_vista
