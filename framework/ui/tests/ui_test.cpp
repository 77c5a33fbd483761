// The dialog framework on the real desktop: a dialog from this program's template, driven by
// messages it posts to itself (handled in order by the framework's modal loop) or by a watcher thread.
#include <gtest/gtest.h>

#include "framework/ui/application.h"
#include "framework/ui/controls.h"
#include "framework/ui/dialog.h"
#include "testsupport/dialog_watcher.h"
#include "framework/ui/file_dialog.h"
#include "framework/ui/tests/test_dialog.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace {


// A dialog whose test script runs at initialisation, posting what the loop is to do next.
class ScriptDialog : public CDialog {
public:
    explicit ScriptDialog(std::function<void(ScriptDialog&)> script, UINT id = IDD_TEST)
        : CDialog(id), script_(std::move(script)) {}
    std::vector<std::string> log;
    bool visibleAtStart = false;
    std::function<void()> bind;

protected:
    void BindControls() override {
        if (bind) bind();
    }
    BOOL OnInitDialog() override {
        script_(*this);
        return TRUE;
    }
    void OnOK() override {
        log.push_back("ok");
        CDialog::OnOK();
    }

private:
    std::function<void(ScriptDialog&)> script_;
};

void PostClick(CWnd& dialog, int id) {
    dialog.PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dialog.GetDlgItem(id)));
}

TEST(Dialog, RunsModallyOnTheDisplayAndAnswersEndDialogsResult) {
    ASSERT_NE(GetModuleHandleW(L"winex11.drv"), nullptr) << "no X display driver";
    bool visible = false;
    ScriptDialog dialog([&](ScriptDialog& d) {
        d.HandleCommand(IDC_PRESS, BN_CLICKED, [&] {
            visible = d.IsWindowVisible() && FindWindowW(L"#32770", L"Framework test") == d.GetSafeHwnd();
            d.log.push_back("press");
            d.EndDialog(42);
        });
        PostClick(d, IDC_PRESS);
    });
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_TRUE(visible);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"press"}));
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);  // the window is gone, the object is free again
    EXPECT_EQ(FindWindowW(L"#32770", L"Framework test"), nullptr);
}

TEST(Dialog, DispatchesByIdAndNotificationAndTurnsEnterIntoOnOK) {
    ScriptDialog dialog([](ScriptDialog& d) {
        d.HandleCommand(IDC_PRESS, BN_CLICKED, [&] { d.log.push_back("press"); });
        d.HandleCommand(IDC_EDIT, EN_CHANGE, [&] { d.log.push_back("edit changed"); });
        d.HandleCommand(IDC_PRESS, BN_DOUBLECLICKED, [&] { d.log.push_back("wrong notification"); });
        d.HandleMessage(WM_APP, [&](WPARAM w, LPARAM) -> LRESULT {
            d.log.push_back("app " + std::to_string(w));
            return 0;
        });
        PostClick(d, IDC_PRESS);
        d.PostMessage(WM_APP, 7);
        d.PostMessage(WM_APP + 1);
        d.HandleMessage(WM_APP + 1, [&](WPARAM, LPARAM) -> LRESULT {
            SetDlgItemTextW(d.GetSafeHwnd(), IDC_EDIT, L"x");  // the edit's own EN_CHANGE
            // Enter in the edit: the dialog manager makes it the default button's IDOK.
            SetFocus(d.GetDlgItem(IDC_EDIT));
            PostMessageW(d.GetDlgItem(IDC_EDIT), WM_KEYDOWN, VK_RETURN, 0);
            return 0;
        });
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"press", "app 7", "edit changed", "ok"}));
}

TEST(Dialog, EscapeAndCloseCancel) {
    ScriptDialog escape([](ScriptDialog& d) { PostMessageW(d.GetDlgItem(IDC_PRESS), WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(escape.DoModal(), IDCANCEL);
    ScriptDialog close([](ScriptDialog& d) { d.PostMessage(WM_CLOSE); });
    EXPECT_EQ(close.DoModal(), IDCANCEL);
}

TEST(Dialog, FailuresAnswerMinusOneAndExceptionsStayInTheHandler) {
    ScriptDialog missing([](ScriptDialog&) {}, 999);
    EXPECT_EQ(missing.DoModal(), -1);

    ScriptDialog throwing([](ScriptDialog& d) {
        d.HandleCommand(IDC_PRESS, BN_CLICKED, [] { throw std::runtime_error("handler failed"); });
        PostClick(d, IDC_PRESS);
        PostClick(d, IDOK);  // the dialog still runs after the failed handler
    });
    EXPECT_EQ(throwing.DoModal(), IDOK);

    ScriptDialog initFails([](ScriptDialog&) { throw std::runtime_error("no init"); });
    EXPECT_EQ(initFails.DoModal(), -1);

    // A quit request ends the dialog and stays for the caller's loop.
    ScriptDialog quit([](ScriptDialog&) { PostQuitMessage(3); });
    EXPECT_EQ(quit.DoModal(), -1);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

// A subclassed button that sees its own messages and its reflected click first.
class CountingButton : public CButton {
public:
    int texts = 0;
    int clicks = 0;
    bool swallowClicks = true;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_SETTEXT) ++texts;  // counted, then the control's own processing
        return CButton::OnMessage(message, wParam, lParam, result);
    }
    bool OnReflectedCommand(UINT code) override {
        if (code == BN_CLICKED) ++clicks;
        return swallowClicks;
    }
};

TEST(Controls, SubclassedButtonGetsItsMessagesAndReflectedClicks) {
    CountingButton button;
    bool parentSawClick = false;
    std::wstring text;
    ScriptDialog dialog([&](ScriptDialog& d) {
        d.HandleCommand(IDC_OWN, BN_CLICKED, [&] { parentSawClick = true; });
        d.HandleMessage(WM_APP, [&](WPARAM, LPARAM) -> LRESULT {
            button.SetWindowText(L"Renamed");
            text = button.GetWindowText();
            button.swallowClicks = false;
            PostClick(d, IDC_OWN);  // now the parent's handler runs too
            PostClick(d, IDOK);
            return 0;
        });
        PostClick(d, IDC_OWN);
        d.PostMessage(WM_APP);
    });
    dialog.bind = [&] { ASSERT_TRUE(button.SubclassDlgItem(IDC_OWN, dialog)); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(button.texts, 1);
    EXPECT_EQ(text, L"Renamed");
    EXPECT_EQ(button.clicks, 2);
    EXPECT_TRUE(parentSawClick);
    EXPECT_EQ(button.GetSafeHwnd(), nullptr);  // unbound when its window went with the dialog
    EXPECT_FALSE(button.SubclassWindow(nullptr));
}

TEST(Controls, ListBoxAddsSelectsAndReadsText) {
    CListBox list;
    std::vector<std::wstring> texts;
    int count = 0, selected = -2, outOfRange = 0;
    ScriptDialog dialog([&](ScriptDialog& d) {
        EXPECT_TRUE(list.SubclassDlgItem(IDC_LIST, d));
        EXPECT_EQ(list.AddString(L"beta"), 0);
        EXPECT_EQ(list.AddString(L"alpha"), 1);  // no LBS_SORT: in order of adding
        EXPECT_EQ(list.InsertString(0, L"first"), 0);
        list.SetItemData(2, 77);
        EXPECT_EQ(list.SetCurSel(5), LB_ERR);
        EXPECT_EQ(list.SetCurSel(1), 1);
        selected = list.GetCurSel();
        list.DeleteString(0);
        count = list.GetCount();
        for (int i = 0; i < count; ++i) texts.push_back(list.GetText(i));
        outOfRange = static_cast<int>(list.GetText(9).size());
        EXPECT_EQ(list.GetItemData(1), 77);
        list.ResetContent();
        EXPECT_EQ(list.GetCount(), 0);
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"beta", L"alpha"}));
    EXPECT_EQ(outOfRange, 0);
}

TEST(Controls, ObjectsAreFoundFromTheirWindowsOnlyWhileBound) {
    CWnd wrapper;
    ScriptDialog dialog([&](ScriptDialog& d) {
        HWND edit = d.GetDlgItem(IDC_EDIT);
        EXPECT_EQ(CWnd::FromHandle(d.GetSafeHwnd()), &d);
        EXPECT_TRUE(wrapper.Attach(edit));
        EXPECT_FALSE(CWnd().Attach(edit));  // one object per window
        EXPECT_EQ(CWnd::FromHandle(edit), &wrapper);
        MoveWindow(edit, 0, 0, 50, 20, FALSE);
        RECT client = wrapper.GetClientRect();
        EXPECT_GT(client.right, 0);
        EXPECT_EQ(wrapper.Detach(), edit);
        EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

class TestApp : public CWinApp {
public:
    std::wstring seen;
    bool throws = false;

protected:
    BOOL InitInstance() override {
        if (throws) throw std::runtime_error("start-up failed");
        seen = CommandLine();
        return FALSE;
    }
    int ExitInstance() override { return 5; }
};

TEST(Application, RunsStartUpWithTheTailAndAnswersTheExitCode) {
    TestApp app;
    ASSERT_EQ(CWinApp::Current(), &app);
    EXPECT_EQ(app.Run(nullptr, L"/Image \"C:\\a.ttf\""), 5);
    EXPECT_EQ(app.seen, L"/Image \"C:\\a.ttf\"");
    EXPECT_EQ(app.Instance(), GetModuleHandleW(nullptr));
    app.throws = true;
    EXPECT_EQ(app.Run(nullptr, nullptr), 1);
}

TEST(FileDialog, FilterAndExtensionTakeTheDialogsForm) {
    EXPECT_EQ(FileDialogFilter(L"Define(*.gpd)|*.gpd|All files|*.*||"),
              std::wstring(L"Define(*.gpd)\0*.gpd\0All files\0*.*\0", 34));
    EXPECT_EQ(FileDialogFilter(L"A|*.a"), std::wstring(L"A\0*.a\0", 6));
    EXPECT_EQ(FileDialogFilter(L""), L"");
    EXPECT_EQ(FileDialogExtension(L"*.png"), L"png");
    EXPECT_EQ(FileDialogExtension(L".gpd"), L"gpd");
}

TEST(FileDialog, SaveAddsTheDefaultExtensionAndCancelAnswersNothing) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp;
    auto isSave = [](HWND dialog) { return WindowText(dialog) == L"Save test"; };
    DialogWatcher watcher({{isSave, [&](HWND dialog) {
                                // The Explorer-style name box (cmb13), then OK.
                                SetDlgItemTextW(dialog, 0x47c, (folder + L"picked").c_str());
                                Press(dialog, IDOK);
                            }},
                           {isSave, [](HWND dialog) { Press(dialog, IDCANCEL); }}});
    FileDialogOptions options;
    options.filter = L"Portable Network Graphics(*.png)|*.png|All files|*.*||";
    options.defaultExtension = L"*.png";
    options.fileName = L"notitle.png";
    options.title = L"Save test";
    options.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    std::optional<std::wstring> chosen = ShowSaveFileDialog(options);
    std::optional<std::wstring> cancelled = ShowSaveFileDialog(options);
    EXPECT_EQ(watcher.Finish(), 2u);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->substr(chosen->find_last_of(L'\\') + 1), L"picked.png");
    EXPECT_FALSE(cancelled.has_value());
}

}  // namespace
