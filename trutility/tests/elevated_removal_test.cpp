// The removal of system fonts from a process without administrator rights, through the test build of
// TRUtility.dll beside this test (bin/seams): Wine grants every right, and that build's seam makes this
// process one without them. The settings program beside it is started for the system fonts of a
// selection, after one question that names them.
#include "trutility/tests/installed_font.h"

namespace {

using namespace removal_test;

class WithoutAdministratorRights {
public:
    explicit WithoutAdministratorRights(const wchar_t* elevation) {
        SetEnvironmentVariableW(L"GLYPHPEEK_TEST_ELEVATION", elevation);
    }
    ~WithoutAdministratorRights() { SetEnvironmentVariableW(L"GLYPHPEEK_TEST_ELEVATION", nullptr); }
};

// The question before administrator rights are asked for (it has Yes and No), answered with `button`.
DialogWatcher::Step Question(int button, std::wstring* text) {
    return {[](HWND dialog) { return WindowText(dialog) == L"Uninstall" && GetDlgItem(dialog, IDYES); },
            [button, text](HWND box) {
                *text = WindowText(GetDlgItem(box, kMessageBoxText));
                Press(box, button);
            }};
}

class ElevatedRemoval : public InstalledFont {
protected:
    UninstallFromVFontsProc uninstallAll = library.Get<UninstallFromVFontsProc>("UninstallFromVFonts");
    std::wstring stub = stubs / (std::wstring(kFontName) + L".vft");
    ScratchFolder backup{L"glyphpeek-elevated-backup"};

    void SetUp() override {
        InstalledFont::SetUp();
        WriteStub(stub, std::wstring(L"-:") + kFontName);
    }

    int UninstallAll(std::vector<std::wstring> paths, const std::wstring& backupFolder) {
        std::vector<std::vector<wchar_t>> buffers;
        std::vector<wchar_t*> pointers;
        for (const std::wstring& path : paths) {
            buffers.emplace_back(kPath, L'\0');
            wcsncpy(buffers.back().data(), path.c_str(), kPath - 1);
        }
        for (auto& buffer : buffers) pointers.push_back(buffer.data());
        return uninstallAll(backupFolder.c_str(), pointers.data(), static_cast<uint32_t>(pointers.size()));
    }
    bool BackupEmpty() {
        WIN32_FIND_DATAW entry;
        const HANDLE find = FindFirstFileW((backup.path() + L"*.ttf").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return true;
        FindClose(find);
        return false;
    }
};

// Two system fonts selected together: one question names both with their files, one run of the
// settings program removes both, and the backups (made here, never over an earlier copy) and the
// stubs are this process's work.
TEST_F(ElevatedRemoval, SystemFontsOfASelectionGoAfterOneQuestion) {
    const WithoutAdministratorRights rights(L"required");
    const std::wstring secondFile = fonts + L"\\GlyphpeekRemovalB.ttf";
    ASSERT_TRUE(CopyFileW(kSourceFont, secondFile.c_str(), FALSE));
    SetValue(L" B (TrueType)", L"GlyphpeekRemovalB.ttf");
    const std::wstring secondStub = stubs / L"GlyphpeekRemovalB.ttf.vft";
    WriteStub(secondStub, L"-:GlyphpeekRemovalB.ttf");
    WriteBytes(backup / kFontName, "earlier copy", 12);

    std::wstring question;
    DialogWatcher watcher({Question(IDYES, &question), NotUninstalled(L"unexpected")});
    EXPECT_EQ(UninstallAll({stub, secondStub}, backup.path()), 2);
    EXPECT_EQ(watcher.Stop(), 1u);
    for (const std::wstring& named : {std::wstring(kValuePrefix) + L" (TrueType): " + fontFile,
                                      std::wstring(kValuePrefix) + L" B (TrueType): " + secondFile})
        EXPECT_NE(question.find(named), std::wstring::npos) << std::string(question.begin(), question.end());
    EXPECT_FALSE(HasValue(L" (TrueType)"));
    EXPECT_FALSE(HasValue(L" B (TrueType)"));
    EXPECT_FALSE(Exists(fontFile));
    EXPECT_FALSE(Exists(secondFile));
    EXPECT_FALSE(Exists(stub));
    EXPECT_FALSE(Exists(secondStub));
    EXPECT_EQ(ReadAll(backup / kFontName), "earlier copy");
    EXPECT_EQ(ReadAll(backup / L"GlyphpeekRemoval (2).ttf"), fontBytes);
    EXPECT_EQ(ReadAll(backup / L"GlyphpeekRemovalB.ttf"), fontBytes);
    DeleteFileW(secondFile.c_str());
}

TEST_F(ElevatedRemoval, NothingChangesWhenTheQuestionOrTheElevationIsDeclined) {
    {
        const WithoutAdministratorRights rights(L"required");
        std::wstring question;
        DialogWatcher watcher({Question(IDNO, &question), NotUninstalled(L"unexpected")});
        EXPECT_EQ(UninstallAll({stub}, backup.path()), 0);
        EXPECT_EQ(watcher.Stop(), 1u);
        EXPECT_TRUE(BackupEmpty());
    }
    {
        const WithoutAdministratorRights rights(L"declined");
        std::wstring question;
        DialogWatcher watcher({Question(IDYES, &question),
                               NotUninstalled(kNotUninstalled +
                                              L"Administrator rights are needed to remove it, and they were not given.")});
        int removed = -1;
        EXPECT_EQ(Uninstall(L"", stub, &removed), fontFile);
        EXPECT_EQ(watcher.Finish(), 2u);
        EXPECT_EQ(removed, 0);
    }
    EXPECT_TRUE(HasValue(L" (TrueType)"));
    EXPECT_TRUE(Exists(fontFile));
    EXPECT_TRUE(Exists(stub));
}

// A value of the machine's list that names a file elsewhere is never removed with administrator
// rights: the user is told before anything is asked or copied.
TEST_F(ElevatedRemoval, AListedFileOutsideTheFontsFolderIsRefusedBeforeAnyBackup) {
    const WithoutAdministratorRights rights(L"required");
    const std::wstring outside = stubs / L"GlyphpeekOutside.ttf";
    ASSERT_TRUE(CopyFileW(kSourceFont, outside.c_str(), FALSE));
    SetValue(L" Outside (TrueType)", outside);
    const std::wstring outsideStub = stubs / L"GlyphpeekOutside.ttf.vft";
    WriteStub(outsideStub, outside);

    DialogWatcher watcher({NotUninstalled(std::wstring(L"The font ") + kValuePrefix +
                                          L" Outside (TrueType) was not uninstalled.\r\nIts file is not in the Fonts folder."),
                           NotUninstalled(L"unexpected")});
    EXPECT_EQ(UninstallAll({outsideStub}, backup.path()), 0);
    EXPECT_EQ(watcher.Stop(), 1u);
    EXPECT_EQ(ReadAll(outside), fontBytes);
    EXPECT_TRUE(HasValue(L" Outside (TrueType)"));
    EXPECT_TRUE(Exists(outsideStub));
    EXPECT_TRUE(BackupEmpty());
}

} // namespace
