// The backup question and folder browser of GetBuckupFolder, shown for real on the test desktop and
// answered by a watcher thread.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "utility_library.h"

namespace {

constexpr size_t kPath = 260;
constexpr DWORD kStepTimeoutMs = 10000;
// The message box's text control.
constexpr int kMessageBoxText = 0xFFFF;

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// Visible dialogs (#32770) of one thread.
std::vector<HWND> ThreadDialogs(DWORD thread) {
    std::vector<HWND> found;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(window, cls, 32);
            if (IsWindowVisible(window) && std::wstring(cls) == L"#32770")
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool HasChildText(HWND window, const std::wstring& text) {
    struct Search {
        const std::wstring* text;
        bool found;
    } search{&text, false};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            s->found = s->found || WindowText(child) == *s->text;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Answers the dialogs that the calling thread is about to show, one step after the other, from a
// thread of its own. A step that finds no dialog in time is noted and every dialog still open is
// dismissed, so a missing window fails the test instead of leaving it blocked.
class DialogWatcher {
public:
    struct Step {
        std::function<bool(HWND)> match;
        std::function<void(HWND)> answer;
    };

    explicit DialogWatcher(std::vector<Step> steps) : steps_(std::move(steps)), owner_(GetCurrentThreadId()) {
        thread_ = CreateThread(nullptr, 0, &DialogWatcher::Run, this, 0, nullptr);
    }
    ~DialogWatcher() {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    // Waits for the watcher and answers how many steps found their dialog.
    size_t Finish() {
        WaitForSingleObject(thread_, INFINITE);
        return answered_;
    }

private:
    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<DialogWatcher*>(param);
        for (const Step& step : self->steps_) {
            HWND dialog = self->Find(step.match);
            if (!dialog) {
                self->DismissAll();
                return 0;
            }
            step.answer(dialog);
            ++self->answered_;
        }
        return 0;
    }
    HWND Find(const std::function<bool(HWND)>& match) const {
        for (DWORD waited = 0; waited < kStepTimeoutMs; waited += 20) {
            for (HWND dialog : ThreadDialogs(owner_))
                if (match(dialog)) return dialog;
            Sleep(20);
        }
        return nullptr;
    }
    void DismissAll() const {
        for (DWORD round = 0; round < 50 && !ThreadDialogs(owner_).empty(); ++round) {
            for (HWND dialog : ThreadDialogs(owner_)) {
                Press(dialog, IDNO);
                Press(dialog, IDCANCEL);
            }
            Sleep(100);
        }
    }

    std::vector<Step> steps_;
    DWORD owner_;
    size_t answered_ = 0;
    HANDLE thread_ = nullptr;
};

class BackupFolder : public ::testing::Test {
protected:
    UtilityLibrary library;
    GetBuckupFolderProc getBackupFolder = library.Get<GetBuckupFolderProc>("GetBuckupFolder");

    struct Result {
        int result;
        std::wstring out;
    };
    Result Ask() {
        std::vector<wchar_t> out(kPath + 20, L'x');
        const int result = getBackupFolder(out.data());
        EXPECT_LT(wcsnlen(out.data(), kPath), kPath);
        for (size_t i = kPath; i < out.size(); ++i) EXPECT_EQ(out[i], L'x') << "written past the buffer";
        return {result, std::wstring(out.data(), wcsnlen(out.data(), kPath))};
    }

    // The question, checked as shown and answered with `button`.
    static DialogWatcher::Step Question(int button) {
        return {[](HWND dialog) { return WindowText(dialog) == L"Confirm"; },
                [button](HWND box) {
                    EXPECT_EQ(FindWindowW(L"#32770", L"Confirm"), box);
                    EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)),
                              L"Do you want to create a backup of a target font? ");
                    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
                    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
                    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
                    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
                    Press(box, button);
                }};
    }
    // The folder browser, told by its title text.
    static DialogWatcher::Step Browser(std::function<void(HWND)> answer) {
        return {[](HWND dialog) {
                    return WindowText(dialog) != L"Confirm" &&
                           HasChildText(dialog, L"Please choose the backup location of a font");
                },
                std::move(answer)};
    }
    static std::function<void(HWND)> Choose(std::wstring folder) {
        return [folder](HWND browser) {
            SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
            Press(browser, IDOK);
        };
    }
};

TEST_F(BackupFolder, AnsweredNoGivesNoBackup) {
    DialogWatcher watcher({Question(IDNO)});
    const Result r = Ask();
    EXPECT_EQ(watcher.Finish(), 1u);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.out, L"");
}

TEST_F(BackupFolder, CancelledBrowserGivesNoBackup) {
    DialogWatcher watcher({Question(IDYES), Browser([](HWND browser) { Press(browser, IDCANCEL); })});
    const Result r = Ask();
    EXPECT_EQ(watcher.Finish(), 2u);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.out, L"");
}

TEST_F(BackupFolder, ChosenFolderEndsInABackslash) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    {
        DialogWatcher watcher({Question(IDYES), Browser(Choose(windows))});
        const Result r = Ask();
        EXPECT_EQ(watcher.Finish(), 2u);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.out, std::wstring(windows) + L"\\");
    }
    {
        const std::wstring root = std::wstring(windows).substr(0, 3);  // "C:\"
        DialogWatcher watcher({Question(IDYES), Browser(Choose(root))});
        const Result r = Ask();
        EXPECT_EQ(watcher.Finish(), 2u);
        EXPECT_EQ(r.out, root);
    }
}

TEST_F(BackupFolder, FolderWithoutAFileSystemPathGivesNoBackup) {
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    DialogWatcher watcher({Question(IDYES), Browser([computer](HWND browser) {
                               SendMessageW(browser, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
                               Press(browser, IDOK);
                           })});
    const Result r = Ask();
    EXPECT_EQ(watcher.Finish(), 2u);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.out, L"");
    CoTaskMemFree(computer);
}

TEST_F(BackupFolder, NullBufferAsksNothing) {
    EXPECT_EQ(getBackupFolder(nullptr), 0);
    EXPECT_TRUE(ThreadDialogs(GetCurrentThreadId()).empty());
}

} // namespace
