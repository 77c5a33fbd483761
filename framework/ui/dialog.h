#pragma once
// CDialog: a dialog from a resource template, run modally by a loop of the framework's own, so that
// PreTranslateMessage of the dialog's windows sees each queued message before the dialog manager.
//
// Dispatch order of a message: OnMessage (overridable); in the base, WM_COMMAND goes to OnCommand,
// which first reflects a control's notification to that control's object, then looks up the command
// table (HandleCommand), then turns IDOK and IDCANCEL into OnOK and OnCancel; other messages are
// reflected or looked up in the message table (CWnd::HandleMessage).
#include "framework/ui/window.h"
#include "winsupport/scoped_handles.h"

#include <functional>
#include <vector>

class CDialog : public CWnd {
public:
    // `instance` holds the template; null: the application's resources (CWinApp), else the program's.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE instance = nullptr);

    // Shows the dialog and runs until EndDialog: answers EndDialog's result, or -1 when the dialog
    // could not be created or WM_QUIT arrived (the quit is posted again for the caller's loop).
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);

    // Command table: `handler` runs for WM_COMMAND from control (or menu item) `id` with
    // notification `code`. A later entry for the same pair replaces the earlier one.
    void HandleCommand(int id, UINT code, std::function<void()> handler);

    // The window's icons (title bar and task switcher) from icon resource `id` of `instance`, in the
    // system's sizes; the dialog owns them for as long as it lives. `big` false sets the small one only.
    void SetIconFromResource(HINSTANCE instance, UINT id, bool big = true);

    // Queued-message filter of the modal loop: PreTranslateMessage of the target window and of its
    // parents up to the dialog, then the dialog manager. True: the message is consumed.
    bool FilterMessage(MSG& msg);

protected:
    // Binds the dialog's controls to their objects (SubclassDlgItem); runs before OnInitDialog.
    virtual void BindControls() {}
    // TRUE lets the dialog manager give the focus to the first control.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual bool OnCommand(int id, UINT code, HWND control);
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    CWnd* parent_;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    struct CommandEntry {
        int id;
        UINT code;
        std::function<void()> handler;
    };
    UINT templateId_;
    HINSTANCE instance_;
    std::vector<CommandEntry> commands_;
    ScopedIcon bigIcon_;
    ScopedIcon smallIcon_;
    bool ended_ = false;
    INT_PTR result_ = -1;
};
