// CPreviewHandler of TyporamaVista: Explorer's preview pane for font files and stubs. The stream is
// read whole in Initialize and let go at once, so that the file is never held while it is shown: the
// user may delete, rename or move it. The pane's window does the rest.
#include <windows.h>
#include <objidl.h>
#include <ocidl.h>
#include <oleidl.h>
#include <shobjidl.h>

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "extension_common/stream_reading.h"
#include "framework/com/com_object.h"
#include "typorama_vista/preview_document.h"
#include "typorama_vista/preview_pane.h"
#include "typorama_vista/vista_classes.h"
#include "winsupport/scoped_com.h"
#include "winsupport/scoped_handles.h"

namespace glyphpeek::typorama_vista {
namespace {

using namespace com;

// Larger than any font file; a larger stream is not read, and its preview says it is no font.
constexpr ULONGLONG kMaxContent = 256ull * 1024 * 1024;

class CPreviewHandler final : public ComObject<CPreviewHandler, IInitializeWithStream, IPreviewHandler,
                                               IObjectWithSite, IOleWindow, IPreviewHandlerVisuals> {
public:
    static std::span<const InterfaceEntry<CPreviewHandler>> Interfaces() noexcept {
        static constexpr InterfaceEntry<CPreviewHandler> kTable[] = {
            Implements<CPreviewHandler, IInitializeWithStream>(IID_IInitializeWithStream),
            Implements<CPreviewHandler, IPreviewHandler>(IID_IPreviewHandler),
            Implements<CPreviewHandler, IObjectWithSite>(IID_IObjectWithSite),
            Implements<CPreviewHandler, IOleWindow>(IID_IOleWindow),
            Implements<CPreviewHandler, IPreviewHandlerVisuals>(IID_IPreviewHandlerVisuals),
        };
        return kTable;
    }

    // IInitializeWithStream
    IFACEMETHODIMP Initialize(IStream* stream, DWORD) override {
        if (!stream) return E_POINTER;
        // The preview host hands one item at a time; a new one only after Unload.
        if (initialized_) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        try {
            STATSTG stat{};
            const HRESULT hr = stream->Stat(&stat, STATFLAG_DEFAULT);
            const ScopedCoTaskMem<LPWSTR> name(SUCCEEDED(hr) ? stat.pwcsName : nullptr);
            if (FAILED(hr)) return hr;
            std::vector<std::uint8_t> content;
            if (stat.cbSize.QuadPart <= kMaxContent) {
                content.resize(static_cast<size_t>(stat.cbSize.QuadPart));
                const HRESULT read =
                    extension_common::ReadWholeStream(stream, content.data(), static_cast<ULONG>(content.size()));
                if (FAILED(read)) return read;
            }
            content_ = std::move(content);
            name_ = name.get() ? name.get() : L"";
            initialized_ = true;
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }

    // IPreviewHandler
    IFACEMETHODIMP SetWindow(HWND parent, const RECT* rect) override {
        if (!rect) return E_INVALIDARG;
        parent_ = parent;
        rect_ = *rect;
        return Guarded([&] {
            if (pane_) pane_->Move(parent_, rect_);
        });
    }
    IFACEMETHODIMP SetRect(const RECT* rect) override {
        if (!rect) return E_INVALIDARG;
        rect_ = *rect;
        return Guarded([&] {
            if (pane_) pane_->Move(parent_, rect_);
        });
    }
    IFACEMETHODIMP DoPreview() override {
        if (!initialized_) return E_UNEXPECTED;
        if (pane_) return S_OK;
        try {
            if (!document_) document_ = OpenDocument(Module(), std::move(content_), name_);
            pane_ = PreviewPane::Create(Module(), *document_, look_, parent_, rect_);
            return pane_ ? S_OK : E_FAIL;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }
    IFACEMETHODIMP Unload() override {
        try {
            pane_.reset();
            document_.reset();
        } catch (...) {
        }
        std::vector<std::uint8_t>().swap(content_);
        name_.clear();
        initialized_ = false;
        return S_OK;
    }
    IFACEMETHODIMP SetFocus() override {
        if (!pane_ || !pane_->window()) return S_FALSE;
        ::SetFocus(pane_->window());
        return S_OK;
    }
    IFACEMETHODIMP QueryFocus(HWND* focus) override {
        if (!focus) return E_INVALIDARG;
        *focus = ::GetFocus();
        if (*focus) return S_OK;
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : S_FALSE;
    }
    // Keys the pane does not use go to the host, so that its own shortcuts keep working over the pane.
    IFACEMETHODIMP TranslateAccelerator(MSG* message) override {
        if (!site_) return S_FALSE;
        ComPtr<IPreviewHandlerFrame> frame;
        if (FAILED(site_->QueryInterface(IID_IPreviewHandlerFrame, frame.put_void())) || !frame) return S_FALSE;
        return frame->TranslateAccelerator(message);
    }

    // IObjectWithSite
    IFACEMETHODIMP SetSite(IUnknown* site) override {
        if (site) site->AddRef();
        site_.reset(site);
        return S_OK;
    }
    IFACEMETHODIMP GetSite(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        return site_ ? site_->QueryInterface(riid, ppv) : E_FAIL;
    }

    // IOleWindow
    IFACEMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_INVALIDARG;
        *window = parent_;
        return parent_ ? S_OK : E_FAIL;
    }
    IFACEMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IPreviewHandlerVisuals: the host's colours and font, dark mode included.
    IFACEMETHODIMP SetBackgroundColor(COLORREF color) override {
        look_.background = color;
        return ApplyLook();
    }
    IFACEMETHODIMP SetFont(const LOGFONTW* font) override {
        if (!font) return E_INVALIDARG;
        look_.font = *font;
        return ApplyLook();
    }
    IFACEMETHODIMP SetTextColor(COLORREF color) override {
        look_.text = color;
        return ApplyLook();
    }

private:
    template <typename Work>
    static HRESULT Guarded(Work work) noexcept {
        try {
            work();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }
    HRESULT ApplyLook() {
        return Guarded([&] {
            if (pane_) pane_->SetLook(look_);
        });
    }

    bool initialized_ = false;
    std::vector<std::uint8_t> content_;  // until the preview starts
    std::wstring name_;
    ComPtr<IUnknown> site_;
    HWND parent_ = nullptr;
    RECT rect_{};
    PaneLook look_;
    std::optional<PreviewDocument> document_;
    std::unique_ptr<PreviewPane> pane_;  // after document_: it goes first
};

} // namespace

HRESULT CreatePreviewHandler(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return CreateComObject<CPreviewHandler>(outer, riid, ppv);
}

} // namespace glyphpeek::typorama_vista
