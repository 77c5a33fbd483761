// The backup question and folder browser of GetBuckupFolder, shown for real on the test desktop and
// answered by a watcher thread.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "testsupport/dialog_watcher.h"
#include "testsupport/utility_library.h"

namespace {

constexpr size_t kPath = 260;

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
