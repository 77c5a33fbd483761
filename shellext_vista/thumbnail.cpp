// CThumbnail of TyporamaVista: the Vista/7 Explorer's thumbnail provider for font files and stubs.
// The stream is read whole for every thumbnail, and TRUtility.dll is bound from this library's folder
// for that one call.
#include <windows.h>
#include <objidl.h>
#include <propsys.h>
#include <shobjidl.h>
#include <thumbcache.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "ExportBinding.h"
#include "ScopedHandles.h"
#include "TRUtility.h"
#include "bitmap.h"
#include "com_object.h"
#include "extension_module.h"
#include "gdiplus_session.h"
#include "stream_reading.h"
#include "type_library.h"
#include "TyporamaVista.h"
#include "vista_classes.h"

namespace glyphpeek::vista {
namespace {

using namespace com;

// Not in mingw's uuid library.
constexpr IID kIidThumbnailProvider = {0xE357FCCD, 0xA995, 0x4576, {0xB0, 0x1F, 0x23, 0x46, 0x30, 0x15, 0x4E, 0x96}};

// Larger than any font file; a stream beyond it is refused rather than held in memory.
constexpr ULONGLONG kMaxContent = 256ull * 1024 * 1024;

struct StatName {
    ~StatName() { CoTaskMemFree(name); }
    LPWSTR name = nullptr;
};

class CThumbnail final : public ComObject<CThumbnail, DispatchImpl<IThumbnail, IID_IThumbnail>,
                                          IInitializeWithStream, IThumbnailProvider> {
public:
    static std::span<const InterfaceEntry<CThumbnail>> Interfaces() noexcept {
        static constexpr InterfaceEntry<CThumbnail> kTable[] = {
            Implements<CThumbnail, IThumbnail>(IID_IThumbnail),
            Implements<CThumbnail, IDispatch, IThumbnail>(IID_IDispatch),
            Implements<CThumbnail, IInitializeWithStream>(IID_IInitializeWithStream),
            Implements<CThumbnail, IThumbnailProvider>(kIidThumbnailProvider),
        };
        return kTable;
    }
    ~CThumbnail() override {
        if (stream_) stream_->Release();
    }

    // IInitializeWithStream
    IFACEMETHODIMP Initialize(IStream* stream, DWORD) override {
        if (!stream) return E_POINTER;
        if (stream_) return E_INVALIDARG;
        stream_ = stream;
        stream_->AddRef();
        return S_OK;
    }

    // IThumbnailProvider
    IFACEMETHODIMP GetThumbnail(UINT cx, HBITMAP* thumbnail, WTS_ALPHATYPE* alpha) override {
        if (alpha) *alpha = WTSAT_RGB;
        if (!thumbnail) return E_POINTER;
        if (!stream_) {
            *thumbnail = nullptr;
            return E_UNEXPECTED;
        }
        try {
            const HRESULT hr = Render(cx, thumbnail);
            if (SUCCEEDED(hr) && alpha) *alpha = WTSAT_RGB;
            return hr;
        } catch (...) {
            return E_FAIL;
        }
    }

private:
    HRESULT Render(UINT cx, HBITMAP* thumbnail) {
        imaging::GdiplusSession gdiplus;
        if (!gdiplus.ok()) return E_FAIL;

        STATSTG stat{};
        StatName statName;
        const HRESULT statResult = stream_->Stat(&stat, STATFLAG_DEFAULT);
        statName.name = SUCCEEDED(statResult) ? stat.pwcsName : nullptr;
        if (FAILED(statResult) || stat.cbSize.QuadPart > kMaxContent) return Fail(thumbnail);
        const ULONG size = static_cast<ULONG>(stat.cbSize.QuadPart);
        // Units enough for the bytes and a terminator: the stub reader is handed a NUL-terminated copy.
        std::vector<wchar_t> content(size / sizeof(wchar_t) + 2, L'\0');
        if (FAILED(shellext::ReadWholeStream(stream_, content.data(), size))) return Fail(thumbnail);

        const ScopedModule utility(shellext::LoadUtilityLibrary(Module()));
        const auto convert = BindExport<ConvVFontPathFromBinProc>(utility.get(), "ConvVFontPathFromBin");
        const auto loadDefine = BindExport<LoadDefineProc>(utility.get(), "LoadDefine");
        const auto drawFile = BindExport<DrawStringFromFileProc>(utility.get(), "DrawStringFromFile");
        const auto drawBinary = BindExport<DrawStringFromBinaryProc>(utility.get(), "DrawStringFromBinary");
        if (!convert || !loadDefine || !drawFile || !drawBinary) return E_FAIL;

        wchar_t resolved[MAX_PATH] = {};
        if (!convert(content.data(), resolved)) return Fail(thumbnail);
        resolved[MAX_PATH - 1] = L'\0';
        // A stub by the font it names, a font file by its own name; a nameless stream by an empty name.
        wchar_t lookup[MAX_PATH] = {};
        const wchar_t* source = resolved[0] ? resolved : (statName.name ? statName.name : L"");
        wcsncpy_s(lookup, MAX_PATH, shellext::LookupName(source), _TRUNCATE);
        SettingData record{};
        const SettingData* found = loadDefine(&record, lookup);
        if (!found) return Fail(thumbnail);
        SettingData define = *found;

        if (cx == 0 || cx > INT_MAX) return Fail(thumbnail);
        imaging::ArgbBitmap bitmap(static_cast<int>(cx), static_cast<int>(cx));
        if (!bitmap) return Fail(thumbnail);
        if (resolved[0])
            drawFile(bitmap.get(), &define, resolved);
        else
            drawBinary(bitmap.get(), &define, content.data(), size);
        const HBITMAP handle = imaging::ToGdiBitmap(bitmap.get());
        if (!handle) return Fail(thumbnail);
        *thumbnail = handle;
        return S_OK;
    }

    static HRESULT Fail(HBITMAP* thumbnail) {
        *thumbnail = nullptr;
        return E_INVALIDARG;
    }

    IStream* stream_ = nullptr;
};

} // namespace

HRESULT CreateThumbnail(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return CreateComObject<CThumbnail>(outer, riid, ppv);
}

} // namespace glyphpeek::vista
