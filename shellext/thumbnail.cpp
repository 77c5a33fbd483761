// CThumbnail of Typorama: the classic Explorer's image extractor for font files and stubs. Every
// Extract binds TRUtility.dll from this library's folder, draws, and lets everything go again.
#include <windows.h>
#include <objidl.h>
#include <shobjidl.h>

#include <cwchar>

#include "ExportBinding.h"
#include "ScopedHandles.h"
#include "TRUtility.h"
#include "bitmap.h"
#include "com_object.h"
#include "extension_module.h"
#include "gdiplus_session.h"
#include "type_library.h"
#include "Typorama.h"
#include "typorama_classes.h"
#include "typorama_module.h"

namespace glyphpeek::typorama {
namespace {

using namespace com;

class CThumbnail final : public ComObject<CThumbnail, DispatchImpl<IThumbnail, IID_IThumbnail>, IPersistFile,
                                          IExtractImage> {
public:
    static std::span<const InterfaceEntry<CThumbnail>> Interfaces() noexcept {
        static constexpr InterfaceEntry<CThumbnail> kTable[] = {
            Implements<CThumbnail, IThumbnail>(IID_IThumbnail),
            Implements<CThumbnail, IDispatch, IThumbnail>(IID_IDispatch),
            Implements<CThumbnail, IPersistFile>(IID_IPersistFile),
            Implements<CThumbnail, IExtractImage>(IID_IExtractImage),
        };
        return kTable;
    }

    // IPersist / IPersistFile
    IFACEMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    IFACEMETHODIMP IsDirty() override { return E_NOTIMPL; }
    IFACEMETHODIMP Load(LPCOLESTR fileName, DWORD) override {
        if (!fileName) return E_POINTER;
        const size_t length = wcsnlen(fileName, MAX_PATH);
        // A path that does not fit would be drawn as some other, cut-off path.
        if (length >= MAX_PATH) {
            loaded_ = false;
            return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        }
        wmemcpy(path_, fileName, length + 1);
        loaded_ = true;
        return S_OK;
    }
    IFACEMETHODIMP Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP SaveCompleted(LPCOLESTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetCurFile(LPOLESTR*) override { return E_NOTIMPL; }

    // IExtractImage
    IFACEMETHODIMP GetLocation(LPWSTR, DWORD, DWORD*, const SIZE* size, DWORD, DWORD* flags) override {
        if (!size) return E_POINTER;
        size_ = *size;
        sized_ = true;
        return flags && (*flags & IEIFLAG_ASYNC) ? E_PENDING : S_OK;
    }
    IFACEMETHODIMP Extract(HBITMAP* thumbnail) override {
        if (!thumbnail) return E_POINTER;
        if (!loaded_ || !sized_) {
            *thumbnail = nullptr;
            return E_UNEXPECTED;
        }
        try {
            return Render(thumbnail);
        } catch (...) {
            return E_FAIL;
        }
    }

private:
    HRESULT Render(HBITMAP* thumbnail) {
        imaging::GdiplusSession gdiplus;
        if (!gdiplus.ok()) return E_FAIL;
        const ScopedModule utility(shellext::LoadUtilityLibrary(Module()));
        const auto convert = BindExport<ConvVFontPathFromFileProc>(utility.get(), "ConvVFontPathFromFile");
        const auto loadDefine = BindExport<LoadDefineProc>(utility.get(), "LoadDefine");
        const auto draw = BindExport<DrawStringFromFileProc>(utility.get(), "DrawStringFromFile");
        // No library, or one without the calls: nothing can be drawn at all.
        if (!convert || !loadDefine || !draw) return E_FAIL;

        *thumbnail = nullptr;
        wchar_t resolved[MAX_PATH] = {};
        if (!convert(path_, resolved)) return E_INVALIDARG;
        resolved[MAX_PATH - 1] = L'\0';
        const wchar_t* fontPath = resolved[0] ? resolved : path_;
        SettingData record{};
        const SettingData* found = loadDefine(&record, shellext::LookupName(fontPath));
        if (!found) return E_INVALIDARG;
        SettingData define = *found;
        if (size_.cx <= 0 || size_.cy <= 0) return E_INVALIDARG;
        imaging::ArgbBitmap bitmap(size_.cx, size_.cy);
        if (!bitmap) return E_INVALIDARG;
        draw(bitmap.get(), &define, fontPath);
        const HBITMAP handle = imaging::ToGdiBitmap(bitmap.get());
        if (!handle) return E_INVALIDARG;
        *thumbnail = handle;
        return S_OK;
    }

    wchar_t path_[MAX_PATH] = {};
    SIZE size_{};
    bool loaded_ = false;
    bool sized_ = false;
};

} // namespace

HRESULT CreateThumbnail(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return CreateComObject<CThumbnail>(outer, riid, ppv);
}

} // namespace glyphpeek::typorama
