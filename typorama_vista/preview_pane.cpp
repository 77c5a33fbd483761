#include "typorama_vista/preview_pane.h"

#include <algorithm>
#include <climits>

#include "core/preview_layout.h"
#include "winsupport/export_binding.h"

namespace glyphpeek::typorama_vista {
namespace {

constexpr wchar_t kClassName[] = L"GlyphpeekPreviewPane";
// WM_DPICHANGED_AFTERPARENT (Windows 10): sent to child windows when their monitor's DPI changed.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The DPI of the monitor the window is on. GetDpiForWindow came with Windows 10 (1607): looked up at
// run time, so that the library still loads where it is missing; there the system's DPI applies.
int WindowDpi(HWND window) {
    using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
    if (const auto forWindow = BindExport<GetDpiForWindowProc>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow"))
        if (const UINT dpi = forWindow(window); dpi > 0 && dpi <= 4 * 960) return static_cast<int>(dpi);
    const WindowDC dc(window);
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

// A window class registered by a library outlives the library: it is taken out again when its last
// window has gone (UnregisterClassW fails while one is left), so that no class points into a library
// that Explorer has unloaded.
bool RegisterPaneClass(HMODULE module, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

} // namespace

std::unique_ptr<PreviewPane> PreviewPane::Create(HMODULE module, const PreviewDocument& document, const PaneLook& look,
                                                 HWND parent, const RECT& rect) {
    std::unique_ptr<PreviewPane> pane(new PreviewPane(module, document, look));
    if (!RegisterPaneClass(module, WindowProc)) return nullptr;
    CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VSCROLL | WS_CLIPSIBLINGS, rect.left, rect.top,
                    std::max(0L, rect.right - rect.left), std::max(0L, rect.bottom - rect.top), parent, nullptr, module,
                    pane.get());
    if (!pane->window_) return nullptr;
    // The scroll bar is always there (disabled when nothing scrolls): the picture's width never
    // changes with the content's height.
    pane->UpdateScrollBar();
    pane->Redraw();
    pane->ready_ = true;
    ShowWindow(pane->window_, SW_SHOWNA);
    UpdateWindow(pane->window_);
    return pane;
}

PreviewPane::~PreviewPane() {
    if (window_) DestroyWindow(window_);
    UnregisterClassW(kClassName, module_);
}

void PreviewPane::Move(HWND parent, const RECT& rect) {
    if (!window_) return;
    if (parent && GetParent(window_) != parent) SetParent(window_, parent);
    SetWindowPos(window_, nullptr, rect.left, rect.top, std::max(0L, rect.right - rect.left),
                 std::max(0L, rect.bottom - rect.top), SWP_NOZORDER | SWP_NOACTIVATE);
    // Another host window may sit on a monitor of another DPI.
    if (WindowDpi(window_) != dpi_) Invalidate();
}

void PreviewPane::SetLook(const PaneLook& look) {
    look_ = look;
    if (window_) Invalidate();
}

void PreviewPane::Invalidate() {
    stale_ = true;
    InvalidateRect(window_, nullptr, FALSE);
}

void PreviewPane::EnsurePicture() {
    if (!stale_) return;
    stale_ = false;
    Redraw();
}

int PreviewPane::ViewHeight() const {
    RECT client{};
    GetClientRect(window_, &client);
    return client.bottom - client.top;
}

void PreviewPane::Redraw() {
    RECT client{};
    GetClientRect(window_, &client);
    dpi_ = WindowDpi(window_);
    picture_ = DrawDocument(module_, document_, client.right - client.left, dpi_, look_);
    scroll_ = preview::ClampScroll(scroll_, picture_.height, ViewHeight());
    wheelRemainder_ = 0;
    UpdateScrollBar();
    InvalidateRect(window_, nullptr, FALSE);
}

void PreviewPane::UpdateScrollBar() {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = std::max(0, picture_.height - 1);
    info.nPage = static_cast<UINT>(std::max(0, ViewHeight()));
    info.nPos = scroll_;
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
}

void PreviewPane::ScrollTo(int position) {
    EnsurePicture();
    const int target = preview::ClampScroll(position, picture_.height, ViewHeight());
    if (target == scroll_) return;
    const int moved = scroll_ - target;
    scroll_ = target;
    ScrollWindowEx(window_, 0, moved, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    UpdateScrollBar();
    UpdateWindow(window_);
}

void PreviewPane::ScrollByWheel(int delta) {
    EnsurePicture();
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int perNotch = lines == WHEEL_PAGESCROLL ? preview::kWheelPage : static_cast<int>(std::min(lines, 1000u));
    const preview::WheelScroll next = preview::ScrollByWheel({scroll_, wheelRemainder_}, delta, perNotch,
                                                             picture_.lineHeight, ViewHeight(), picture_.height);
    ScrollTo(next.position);
    wheelRemainder_ = next.remainder;
}

void PreviewPane::Paint() {
    EnsurePicture();
    const PaintScope paint(window_);
    RECT client{};
    GetClientRect(window_, &client);
    // The part of the picture in view, then the background beside and below it.
    const int shownWidth = std::min<int>(client.right, picture_.width);
    const int shownHeight = std::clamp(picture_.height - scroll_, 0, static_cast<int>(client.bottom));
    if (picture_.bitmap && shownWidth > 0 && shownHeight > 0) {
        const ScopedMemoryDC source(CreateCompatibleDC(paint.dc()));
        if (source) {
            SelectedObject selected(source.get(), picture_.bitmap.get());
            BitBlt(paint.dc(), 0, 0, shownWidth, shownHeight, source.get(), 0, scroll_, SRCCOPY);
        }
    }
    const ScopedBrush background(CreateSolidBrush(picture_.background));
    const RECT beside = {std::max(shownWidth, 0), 0, client.right, client.bottom};
    const RECT below = {0, std::max(shownHeight, 0), client.right, client.bottom};
    if (background) {
        FillRect(paint.dc(), &beside, background.get());
        FillRect(paint.dc(), &below, background.get());
    }
}

LRESULT CALLBACK PreviewPane::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* pane = static_cast<PreviewPane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        pane->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
    }
    auto* pane = reinterpret_cast<PreviewPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY && pane) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        pane->window_ = nullptr;
        pane = nullptr;
    }
    if (pane) {
        try {
            return pane->Handle(message, wParam, lParam);
        } catch (...) {
            // Nothing crosses into the host's message loop; the message is left to the default.
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT PreviewPane::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // Paint covers every pixel
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE:
        if (!ready_) break;
        if (LOWORD(lParam) != picture_.width) {
            Invalidate();
        } else {
            ScrollTo(scroll_);  // a taller view may show more of the bottom
            UpdateScrollBar();
            InvalidateRect(window_, nullptr, FALSE);
        }
        return 0;
    case kDpiChangedAfterParent:
        Invalidate();
        return 0;
    case WM_VSCROLL: {
        EnsurePicture();
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(window_, SB_VERT, &info);
        const int line = std::max(picture_.lineHeight, 1), page = std::max(ViewHeight() - line, line);
        switch (LOWORD(wParam)) {
        case SB_LINEUP: ScrollTo(scroll_ - line); break;
        case SB_LINEDOWN: ScrollTo(scroll_ + line); break;
        case SB_PAGEUP: ScrollTo(scroll_ - page); break;
        case SB_PAGEDOWN: ScrollTo(scroll_ + page); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(INT_MAX); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
        default: break;
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        ScrollByWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_KEYDOWN: {
        EnsurePicture();
        const int line = std::max(picture_.lineHeight, 1), page = std::max(ViewHeight() - line, line);
        switch (wParam) {
        case VK_UP: ScrollTo(scroll_ - line); return 0;
        case VK_DOWN: ScrollTo(scroll_ + line); return 0;
        case VK_PRIOR: ScrollTo(scroll_ - page); return 0;
        case VK_NEXT: ScrollTo(scroll_ + page); return 0;
        case VK_HOME: ScrollTo(0); return 0;
        case VK_END: ScrollTo(INT_MAX); return 0;
        default: break;
        }
        break;
    }
    case WM_LBUTTONDOWN:
        SetFocus(window_);  // so that the wheel and the keys reach the pane
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace glyphpeek::typorama_vista
