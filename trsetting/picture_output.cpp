#include "trsetting/picture_output.h"

#include <cstdlib>
#include <cwchar>
#include <vector>

#include "winsupport/scoped_handles.h"
#include "trutility/TRUtility.h"
#include "imaging/bitmap.h"
#include "imaging/drawing_context.h"
#include "winsupport/path_parts.h"
#include "trsetting/picture_size.h"

namespace glyphpeek::trsetting {
namespace {

using namespace glyphpeek::imaging;

// The text's extent in the face at that cell height; 0 × 0 when it cannot be measured.
SIZE MeasureText(const std::wstring& faceName, const std::wstring& text, int size, bool points) {
    SIZE extent{};
    const ScopedMemoryDC memory(CreateCompatibleDC(nullptr));
    const HDC dc = memory.get();
    if (!dc) return extent;
    LOGFONTW description{};
    description.lfHeight = PictureFontHeight(size, points, GetDeviceCaps(dc, LOGPIXELSY));
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfClipPrecision = CLIP_EMBEDDED;
    description.lfQuality = NONANTIALIASED_QUALITY;
    // The font description holds 31 units of a face name; a longer one is cut, as the renderer cuts it.
    wcsncpy(description.lfFaceName, faceName.c_str(), LF_FACESIZE - 1);
    const ScopedFont font(CreateFontIndirectW(&description));
    if (font) {
        const SelectedObject selected(dc, font.get());
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    }
    return extent;
}

} // namespace

int PictureFontHeight(int size, bool points, int pixelsPerInch) {
    const int clamped = size < kMinPictureSize ? kMinPictureSize : size > kMaxPictureSize ? kMaxPictureSize : size;
    return points ? MulDiv(clamped, pixelsPerInch, 72) : clamped;
}

std::wstring DefaultPictureTarget(const std::wstring& fontPath) {
    const PathParts parts = SplitPath(fontPath);
    return parts.folder + parts.name + L".png";
}

GpStatus WritePicture(const PictureRequest& request) {
    std::vector<FontData> faces(1);
    FontData& face = faces.front();
    face = FontData{};
    wcsncpy(face.faceName, request.faceName.c_str(), std::size(face.faceName) - 1);

    SettingData define{};
    define.FitSingleLine = 1;
    const std::wstring& shown = request.shownName.empty() ? request.faceName : request.shownName;
    const std::wstring& text = request.text.empty() ? shown : request.text;
    wcsncpy(define.SampleText, text.c_str(), std::size(define.SampleText) - 1);

    const std::wstring sample = define.SampleText;
    const SIZE extent = MeasureText(face.faceName, sample, request.size, request.points);
    ArgbBitmap picture(extent.cx, extent.cy);
    if (!picture) return InvalidParameter;  // nothing to set, or larger than memory allows
    {
        constexpr ARGB kTransparentWhite = 0x00FFFFFF;
        const bool cleared = FillPixels(picture.get(), kTransparentWhite);
        auto context = DrawingContext::On(reinterpret_cast<GpImage*>(picture.get()));
        if (!context) return OutOfMemory;
        if (!cleared) context.Clear(kTransparentWhite);
        context.SetInterpolation(request.antialias ? InterpolationModeHighQuality : InterpolationModeNearestNeighbor);
        DrawStringFromNamesG(context.get(), picture.get(), &define, &faces);
    }
    return SavePng(reinterpret_cast<GpImage*>(picture.get()), request.target.c_str());
}

} // namespace glyphpeek::trsetting
