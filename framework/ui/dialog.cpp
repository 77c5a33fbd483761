#include "framework/ui/dialog.h"

#include "framework/ui/application.h"

CDialog::CDialog(UINT templateId, CWnd* parent, HINSTANCE instance)
    : parent_(parent), templateId_(templateId), instance_(instance) {}

INT_PTR CDialog::DoModal() {
    if (hwnd_) return -1;  // already running
    HINSTANCE instance = instance_;
    if (!instance && CWinApp::Current()) instance = CWinApp::Current()->Instance();
    if (!instance) instance = ::GetModuleHandleW(nullptr);
    HWND owner = parent_ ? parent_->GetSafeHwnd() : nullptr;
    if (owner) owner = ::GetAncestor(owner, GA_ROOT);

    ended_ = false;
    result_ = -1;
    HWND hwnd = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId_), owner, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (!hwnd) {
        Unbind();
        return -1;
    }
    // Modal to its owner, as the system's own modal dialogs are.
    bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
    if (!ended_ && !::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOWNORMAL);

    MSG msg{};
    while (!ended_) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            result_ = -1;
            break;
        }
        if (FilterMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }

    // The owner is enabled before the dialog goes, so that the system activates the owner next.
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    if (hwnd_) ::DestroyWindow(hwnd_);
    return result_;
}

void CDialog::SetIconFromResource(HINSTANCE instance, UINT id, bool big) {
    const auto load = [&](int width, int height) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(width),
                                             GetSystemMetrics(height), 0));
    };
    smallIcon_ = ScopedIcon(load(SM_CXSMICON, SM_CYSMICON));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    if (!big) return;
    bigIcon_ = ScopedIcon(load(SM_CXICON, SM_CYICON));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
}

void CDialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    // Wakes the loop if it is waiting in GetMessage.
    if (hwnd_) ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void CDialog::HandleCommand(int id, UINT code, std::function<void()> handler) {
    for (CommandEntry& entry : commands_)
        if (entry.id == id && entry.code == code) {
            entry.handler = std::move(handler);
            return;
        }
    commands_.push_back({id, code, std::move(handler)});
}

bool CDialog::FilterMessage(MSG& msg) {
    if (!hwnd_) return false;
    for (HWND window = msg.hwnd; window; window = ::GetParent(window)) {
        if (CWnd* object = FromHandle(window)) {
            try {
                if (object->PreTranslateMessage(msg)) return true;
            } catch (...) {
                return true;  // a failed filter swallows its message rather than end the program
            }
        }
        if (window == hwnd_) break;
    }
    return ::IsDialogMessageW(hwnd_, &msg) != FALSE;
}

bool CDialog::OnCommand(int id, UINT code, HWND control) {
    LRESULT ignored = 0;
    if (control && ReflectToChild(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control), ignored))
        return true;
    for (const CommandEntry& entry : commands_)
        if (entry.id == id && entry.code == code && entry.handler) {
            entry.handler();
            return true;
        }
    if (code == BN_CLICKED || code == 0) {
        if (id == IDOK) {
            OnOK();
            return true;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    return false;
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND) {
        result = 0;
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    }
    return CWnd::OnMessage(message, wParam, lParam, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lParam);
        if (!self) return TRUE;
        self->Bind(hwnd, Binding::kDialog);
        try {
            self->BindControls();
            return self->OnInitDialog();
        } catch (...) {
            self->EndDialog(-1);  // a dialog that could not initialise does not run
            return TRUE;
        }
    }
    auto* self = static_cast<CDialog*>(FromHandle(hwnd));
    if (!self || self->binding_ != Binding::kDialog) return FALSE;
    LRESULT result = 0;
    bool handled = self->SafeOnMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        self->Unbind();
        self->PostNcDestroy();
        return FALSE;
    }
    if (!handled) return FALSE;
    switch (message) {
    // These answer through the procedure's own result rather than DWLP_MSGRESULT.
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
