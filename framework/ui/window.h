#pragma once
// CWnd: one window handle and the object that answers its messages. A window reaches its object in
// one of three ways: attached (the object only wraps the handle), subclassed (a dialog control whose
// messages pass through the object first) or created by the object from a class registered with
// RegisterWindowClass. Dialogs (CDialog) are a fourth way with their own procedure.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return hwnd_; }
    // The object bound to a window by this framework, or null: no temporary wrappers are made.
    static CWnd* FromHandle(HWND hwnd);

    bool Attach(HWND hwnd);
    HWND Detach();
    // Routes the window's messages through OnMessage; the rest reach its own procedure.
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(int id, const CWnd& parent);
    void UnsubclassWindow();

    // Registers a window class whose windows are created with CreateEx; an existing class is kept.
    static bool RegisterWindowClass(const wchar_t* className, UINT style, HCURSOR cursor = nullptr,
                                    HBRUSH background = nullptr);
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu = nullptr);
    bool DestroyWindow();

    void SetWindowText(const std::wstring& text);
    std::wstring GetWindowText() const;
    // The whole text of the child window `id`; empty when there is none.
    std::wstring GetDlgItemText(int id) const;
    bool EnableWindow(bool enable = true);
    bool IsWindowEnabled() const;
    bool ShowWindow(int command);
    bool IsWindowVisible() const;
    void Invalidate(bool erase = true);
    void UpdateWindow();
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    HWND GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    HWND GetParent() const;
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    DWORD GetStyle() const;
    void ModifyStyle(DWORD remove, DWORD add);

    // Called by the modal loop for each queued message aimed at this window or one of its children
    // before the dialog manager sees it; true swallows the message.
    virtual bool PreTranslateMessage(MSG& msg);
    // A notification that the parent reflects back to the control that sent it (WM_COMMAND from the
    // control, WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM). True: handled, `result` is the answer.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Message table: a handler for one window message, looked up by OnMessage when no override
    // handled it. A later entry for the same message replaces the earlier one.
    void HandleMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler);

protected:
    // The object's share of a message. True: handled and `result` is the answer; false: the window's
    // default processing runs. Overrides call the base for what they do not handle.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window's default processing of a message, for handlers that add to it.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // After the last message of the window (WM_NCDESTROY); the object is unbound by then.
    virtual void PostNcDestroy() {}
    // Hands a notification of a control to that control's object (see OnChildNotify).
    bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    enum class Binding { kNone, kAttached, kSubclassed, kCreated, kDialog };
    void Bind(HWND hwnd, Binding binding);
    void Unbind();
    // Runs OnMessage with every exception stopped here: none may cross a window procedure.
    bool SafeOnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;

    HWND hwnd_ = nullptr;
    Binding binding_ = Binding::kNone;

private:
    // The object's share of a message, then `defaultProcessing` when it did not handle it.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam, const std::function<LRESULT()>& defaultProcessing);
    static LRESULT CALLBACK ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);

    struct MessageEntry {
        UINT message;
        std::function<LRESULT(WPARAM, LPARAM)> handler;
    };
    std::vector<MessageEntry> messages_;
};
