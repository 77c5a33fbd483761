#include "extension_common/thumbnail_render.h"

#include <cwchar>

#include "winsupport/export_binding.h"
#include "winsupport/scoped_handles.h"
#include "trutility/TRUtility.h"
#include "imaging/bitmap.h"
#include "extension_common/extension_module.h"
#include "imaging/gdiplus_session.h"

namespace glyphpeek::extension_common {
namespace {

// The calls of TRUtility.dll one picture needs.
struct UtilityCalls {
    explicit UtilityCalls(HMODULE extension) : library(LoadUtilityLibrary(extension)) {}

    template <typename Proc>
    Proc Bind(const char* name) const {
        return BindExport<Proc>(library.get(), name);
    }

    ScopedModule library;
    ConvVFontPathFromFileProc convertFile = Bind<ConvVFontPathFromFileProc>("ConvVFontPathFromFile");
    ConvVFontPathFromBinProc convertBinary = Bind<ConvVFontPathFromBinProc>("ConvVFontPathFromBin");
    LoadDefineProc loadDefine = Bind<LoadDefineProc>("LoadDefine");
    DrawStringFromFileProc drawFile = Bind<DrawStringFromFileProc>("DrawStringFromFile");
    DrawStringFromBinaryProc drawBinary = Bind<DrawStringFromBinaryProc>("DrawStringFromBinary");

    bool Serve(const ThumbnailSource& source) const {
        if (!loadDefine || !drawFile) return false;
        return source.path ? convertFile != nullptr : convertBinary && drawBinary;
    }
};

} // namespace

HRESULT RenderThumbnail(HMODULE extension, const ThumbnailSource& source, SIZE size, HBITMAP* thumbnail) {
    *thumbnail = nullptr;
    imaging::GdiplusSession gdiplus;
    if (!gdiplus.ok()) return E_FAIL;
    const UtilityCalls utility(extension);
    // No library, or one without the calls: nothing can be drawn at all.
    if (!utility.Serve(source)) return E_FAIL;

    wchar_t resolved[MAX_PATH] = {};
    const bool converted =
        source.path ? utility.convertFile(source.path, resolved) : utility.convertBinary(source.content, resolved);
    if (!converted) return E_INVALIDARG;
    resolved[MAX_PATH - 1] = L'\0';
    // A stub by the font it names, a font file by its own name; a nameless stream by an empty name.
    const wchar_t* named = resolved[0] ? resolved : source.path ? source.path : source.contentName;
    wchar_t lookup[MAX_PATH] = {};
    wcsncpy(lookup, LookupName(named ? named : L""), MAX_PATH - 1);  // cut to the buffer, terminated
    SettingData record{};
    const SettingData* found = utility.loadDefine(&record, lookup);
    if (!found) return E_INVALIDARG;
    SettingData define = *found;

    if (size.cx <= 0 || size.cy <= 0) return E_INVALIDARG;
    // Drawn straight into the GDI bitmap that is handed over: one picture's memory, no conversion.
    imaging::DibBackedBitmap bitmap(size.cx, size.cy);
    if (!bitmap) return E_INVALIDARG;
    if (resolved[0] || source.path)
        utility.drawFile(bitmap.get(), &define, resolved[0] ? resolved : source.path);
    else
        utility.drawBinary(bitmap.get(), &define, source.content, source.contentBytes);
    const HBITMAP handle = bitmap.Release();
    if (!handle) return E_INVALIDARG;
    *thumbnail = handle;
    return S_OK;
}

} // namespace glyphpeek::extension_common
