#pragma once
// What the preview pane shows of one file, and the picture of it: every face's name, its sample as
// a thumbnail row and as a waterfall, and the font's facts. The font is read and the define chosen
// once, when the preview starts; the picture is drawn again whenever the pane's width, DPI, colours
// or font change. Every sample is drawn by TRUtility.dll, bound for the one call from beside this
// library, on the road the thumbnails take; the file itself is never held.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/font_facts.h"
#include "trutility/TRUtility.h"
#include "winsupport/scoped_handles.h"

namespace glyphpeek::typorama_vista {

struct PreviewDocument {
    std::vector<std::uint8_t> font;  // the file's bytes, or for a stub those of the font it names
    SettingData define{};
    std::vector<FontData> faces;     // the first of them, as many as the pane can show
    std::uint32_t faceCount = 0;     // all of them
    FontFacts facts;
    std::wstring message;            // not empty: the file cannot be shown, and this one line says why
};

// The document of a stream's bytes (`content`, taken over) whose name is `name` (bare or a path).
PreviewDocument OpenDocument(HMODULE extension, std::vector<std::uint8_t> content, const std::wstring& name);

// How the host wants the pane to look; what it has not said follows the system.
struct PaneLook {
    std::optional<COLORREF> background;
    std::optional<COLORREF> text;
    std::optional<LOGFONTW> font;  // at the system's DPI, as the host's own windows use it
};

struct PanePicture {
    ScopedBitmap bitmap;  // a top-down DIB section, width × height
    int width = 0;
    int height = 0;
    int lineHeight = 0;   // a line of the pane's text: the scroll step
    COLORREF background = 0;
};

// The picture of `document` for a pane `width` pixels wide at `dpi`; an empty bitmap when there is
// no memory for one (the pane then shows its background).
PanePicture DrawDocument(HMODULE extension, const PreviewDocument& document, int width, int dpi, const PaneLook& look);

} // namespace glyphpeek::typorama_vista
