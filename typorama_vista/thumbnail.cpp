// CThumbnail of TyporamaVista: the Vista/7 Explorer's thumbnail provider for font files and stubs.
// The stream is read whole for every thumbnail, and TRUtility.dll is bound from this library's folder
// for that one call.
#include <windows.h>
#include <objidl.h>
#include <propsys.h>
#include <shobjidl.h>
#include <thumbcache.h>

#include <climits>
#include <cstring>
#include <memory>

#include "winsupport/scoped_com.h"
#include "winsupport/scoped_handles.h"
#include "framework/com/com_object.h"
#include "extension_common/stream_reading.h"
#include "extension_common/thumbnail_render.h"
#include "framework/com/type_library.h"
#include "TyporamaVista.h"
#include "typorama_vista/vista_classes.h"

namespace glyphpeek::typorama_vista {
namespace {

using namespace com;

// Not in mingw's uuid library.
constexpr IID kIidThumbnailProvider = {0xE357FCCD, 0xA995, 0x4576, {0xB0, 0x1F, 0x23, 0x46, 0x30, 0x15, 0x4E, 0x96}};

// Larger than any font file; a stream beyond it is refused rather than held in memory.
constexpr ULONGLONG kMaxContent = 256ull * 1024 * 1024;

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

    // IInitializeWithStream
    IFACEMETHODIMP Initialize(IStream* stream, DWORD) override {
        if (!stream) return E_POINTER;
        if (stream_) return E_INVALIDARG;
        stream->AddRef();
        stream_.reset(stream);
        return S_OK;
    }

    // IThumbnailProvider
    IFACEMETHODIMP GetThumbnail(UINT cx, HBITMAP* thumbnail, WTS_ALPHATYPE* alpha) override {
        if (alpha) *alpha = WTSAT_RGB;
        if (!thumbnail) return E_POINTER;
        *thumbnail = nullptr;
        if (!stream_) return E_UNEXPECTED;
        try {
            const HRESULT hr = Render(cx, thumbnail);
            if (SUCCEEDED(hr) && alpha) *alpha = WTSAT_RGB;
            return hr;
        } catch (...) {
            return E_FAIL;
        }
    }

private:
    // The stream read whole (it is a font file or a stub), then drawn as a square of `cx`.
    HRESULT Render(UINT cx, HBITMAP* thumbnail) {
        STATSTG stat{};
        const HRESULT statResult = stream_->Stat(&stat, STATFLAG_DEFAULT);
        const ScopedCoTaskMem<LPWSTR> statName(SUCCEEDED(statResult) ? stat.pwcsName : nullptr);
        if (FAILED(statResult) || stat.cbSize.QuadPart > kMaxContent) return E_INVALIDARG;
        const ULONG size = static_cast<ULONG>(stat.cbSize.QuadPart);
        // Units enough for the bytes and a terminator: the stub reader is handed a NUL-terminated copy.
        // Only what follows the bytes is cleared: a font's megabytes are written by the read anyway.
        const size_t units = size / sizeof(wchar_t) + 2;
        const std::unique_ptr<wchar_t[]> content(new wchar_t[units]);
        std::memset(reinterpret_cast<BYTE*>(content.get()) + size, 0, units * sizeof(wchar_t) - size);
        if (FAILED(extension_common::ReadWholeStream(stream_.get(), content.get(), size))) return E_INVALIDARG;

        const extension_common::ThumbnailSource source{
            .content = content.get(), .contentBytes = size, .contentName = statName.get()};
        const int side = cx > INT_MAX ? 0 : static_cast<int>(cx);
        return extension_common::RenderThumbnail(Module(), source, {side, side}, thumbnail);
    }

    ComPtr<IStream> stream_;
};

} // namespace

HRESULT CreateThumbnail(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return CreateComObject<CThumbnail>(outer, riid, ppv);
}

} // namespace glyphpeek::typorama_vista
