// CThumbnail of Typorama: the classic Explorer's image extractor for font files and stubs. Every
// Extract draws the file at the size GetLocation was given, through the road both extensions share.
#include <windows.h>
#include <objidl.h>
#include <shobjidl.h>

#include <cwchar>

#include "framework/com/com_object.h"
#include "extension_common/thumbnail_render.h"
#include "framework/com/type_library.h"
#include "Typorama.h"
#include "typorama/typorama_classes.h"
#include "typorama/typorama_module.h"

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
        *thumbnail = nullptr;
        if (!loaded_ || !sized_) return E_UNEXPECTED;
        try {
            return extension_common::RenderThumbnail(Module(), {.path = path_}, size_, thumbnail);
        } catch (...) {
            return E_FAIL;
        }
    }

private:
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
