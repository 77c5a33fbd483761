#include "framework/ui/window.h"

#include <commctrl.h>

namespace {
// The property that leads from a window to its object.
constexpr wchar_t kObjectProperty[] = L"Glyphpeek.CWnd";
constexpr UINT_PTR kSubclassId = 0x47505549;  // any constant of ours; one subclass per object
}  // namespace

CWnd::~CWnd() {
    if (!hwnd_) return;
    if (binding_ == Binding::kCreated || binding_ == Binding::kDialog) {
        HWND hwnd = hwnd_;
        Unbind();
        ::DestroyWindow(hwnd);
    } else {
        Unbind();
    }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void CWnd::Bind(HWND hwnd, Binding binding) {
    hwnd_ = hwnd;
    binding_ = binding;
    ::SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::Unbind() {
    if (!hwnd_) return;
    if (binding_ == Binding::kSubclassed) ::RemoveWindowSubclass(hwnd_, &CWnd::SubclassProc, kSubclassId);
    if (FromHandle(hwnd_) == this) ::RemovePropW(hwnd_, kObjectProperty);
    hwnd_ = nullptr;
    binding_ = Binding::kNone;
}

bool CWnd::Attach(HWND hwnd) {
    if (hwnd_ || !::IsWindow(hwnd) || FromHandle(hwnd)) return false;
    Bind(hwnd, Binding::kAttached);
    return true;
}

HWND CWnd::Detach() {
    HWND hwnd = hwnd_;
    Unbind();
    return hwnd;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (hwnd_ || !::IsWindow(hwnd) || FromHandle(hwnd)) return false;
    if (!::SetWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    Bind(hwnd, Binding::kSubclassed);
    return true;
}

bool CWnd::SubclassDlgItem(int id, const CWnd& parent) {
    HWND control = parent.GetDlgItem(id);
    return control && SubclassWindow(control);
}

void CWnd::UnsubclassWindow() {
    if (binding_ == Binding::kSubclassed) Unbind();
}

bool CWnd::RegisterWindowClass(const wchar_t* className, UINT style, HCURSOR cursor, HBRUSH background) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, className, &existing)) return existing.lpfnWndProc == &CWnd::ClassProc;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &CWnd::ClassProc;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu) {
    if (hwnd_) return false;
    // ClassProc binds the object at WM_NCCREATE, so WM_CREATE already reaches OnMessage.
    HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                                  ::GetModuleHandleW(nullptr), this);
    if (!hwnd) {
        Unbind();
        return false;
    }
    return true;
}

bool CWnd::DestroyWindow() {
    if (!hwnd_) return false;
    if (binding_ == Binding::kAttached || binding_ == Binding::kSubclassed) {
        HWND hwnd = hwnd_;
        Unbind();
        return ::DestroyWindow(hwnd) != FALSE;
    }
    return ::DestroyWindow(hwnd_) != FALSE;  // WM_NCDESTROY unbinds
}

void CWnd::SetWindowText(const std::wstring& text) { ::SetWindowTextW(hwnd_, text.c_str()); }

namespace {

std::wstring TextOf(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

} // namespace

std::wstring CWnd::GetWindowText() const { return TextOf(hwnd_); }

std::wstring CWnd::GetDlgItemText(int id) const {
    HWND item = GetDlgItem(id);
    return item ? TextOf(item) : std::wstring();
}

bool CWnd::EnableWindow(bool enable) { return ::EnableWindow(hwnd_, enable) != FALSE; }
bool CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }
bool CWnd::ShowWindow(int command) { return ::ShowWindow(hwnd_, command) != FALSE; }
bool CWnd::IsWindowVisible() const { return ::IsWindowVisible(hwnd_) != FALSE; }
void CWnd::Invalidate(bool erase) { ::InvalidateRect(hwnd_, nullptr, erase); }
void CWnd::UpdateWindow() { ::UpdateWindow(hwnd_); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(hwnd_, message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(hwnd_, message, wParam, lParam) != FALSE;
}

HWND CWnd::GetDlgItem(int id) const { return hwnd_ ? ::GetDlgItem(hwnd_, id) : nullptr; }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(hwnd_); }
HWND CWnd::GetParent() const { return ::GetParent(hwnd_); }

RECT CWnd::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(hwnd_, &rect);
    return rect;
}

RECT CWnd::GetWindowRect() const {
    RECT rect{};
    ::GetWindowRect(hwnd_, &rect);
    return rect;
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)); }

void CWnd::ModifyStyle(DWORD remove, DWORD add) {
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>((GetStyle() & ~remove) | add));
}

bool CWnd::PreTranslateMessage(MSG&) { return false; }

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void CWnd::HandleMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler) {
    for (MessageEntry& entry : messages_)
        if (entry.message == message) {
            entry.handler = std::move(handler);
            return;
        }
    messages_.push_back({message, std::move(handler)});
}

bool CWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (ReflectToChild(message, wParam, lParam, result)) return true;
    for (const MessageEntry& entry : messages_)
        if (entry.message == message && entry.handler) {
            result = entry.handler(wParam, lParam);
            return true;
        }
    return false;
}

bool CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);  // null for menus and accelerators
        break;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU) child = item->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU) child = GetDlgItem(static_cast<int>(item->CtlID));
        break;
    }
    case WM_DELETEITEM: {
        auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam);
        if (item) child = item->hwndItem;
        break;
    }
    default:
        return false;
    }
    CWnd* control = FromHandle(child);
    return control && control != this && control->OnChildNotify(message, wParam, lParam, result);
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (binding_) {
    case Binding::kSubclassed:
        return ::DefSubclassProc(hwnd_, message, wParam, lParam);
    case Binding::kCreated:
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    case Binding::kDialog:
        return 0;  // the dialog manager's own processing follows when the handler says unhandled
    default:
        return hwnd_ ? ::CallWindowProcW(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC)),
                                         hwnd_, message, wParam, lParam)
                     : 0;
    }
}

bool CWnd::SafeOnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept {
    try {
        return OnMessage(message, wParam, lParam, result);
    } catch (...) {
        // The message counts as handled with a neutral answer; the window stays usable.
        result = 0;
        return true;
    }
}

LRESULT CALLBACK CWnd::ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (auto* self = static_cast<CWnd*>(create->lpCreateParams)) self->Bind(hwnd, Binding::kCreated);
    }
    CWnd* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Dispatch(message, wParam, lParam, [&] { return ::DefWindowProcW(hwnd, message, wParam, lParam); });
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* self = reinterpret_cast<CWnd*>(data);
    return self->Dispatch(message, wParam, lParam, [&] { return ::DefSubclassProc(hwnd, message, wParam, lParam); });
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, const std::function<LRESULT()>& defaultProcessing) {
    LRESULT result = 0;
    if (!SafeOnMessage(message, wParam, lParam, result)) result = defaultProcessing();
    // The window's last message: the object lets go of it.
    if (message == WM_NCDESTROY) {
        Unbind();
        PostNcDestroy();
    }
    return result;
}
