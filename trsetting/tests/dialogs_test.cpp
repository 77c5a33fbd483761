// The settings program's dialogs run modally for real, driven from a watcher thread as a user would:
// texts typed (WM_SETTEXT), buttons pressed, message boxes answered; their effects read back from the
// registry and the disk.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>

#include "trsetting/define_file_io.h"
#include "trsetting/define_registry.h"
#include "trsetting/define_test_dialog.h"
#include "testsupport/dialog_watcher.h"
#include "imaging/gdiplus_session.h"
#include "trsetting/image_dialog.h"
#include "trsetting/resource.h"
#include "trsetting/setting_dialog.h"
#include "trsetting/shell_integration.h"
#include "testsupport/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace glyphpeek::trsetting;

const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
const wchar_t kDefinesKey[] = L"SOFTWARE\\Ormsby Software\\Typorama";

SettingData Define(const wchar_t* name, const wchar_t* condition) {
    SettingData define{};
    wcsncpy(define.DefineName, name, std::size(define.DefineName) - 1);
    wcsncpy(define.Condition, condition, std::size(define.Condition) - 1);
    define.BackColor1 = define.BackColor2 = define.ForeColor = kColorNotSet;
    return define;
}

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

// As typing does: the edit's text replaced, its change notified to the dialog.
void Type(HWND dialog, int id, const wchar_t* text) { SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }

DialogWatcher::Step Titled(const wchar_t* title, std::function<void(HWND)> answer) {
    return {[title](HWND dialog) { return WindowText(dialog) == title; }, std::move(answer)};
}

// A dialog driven by the step and left open for the steps after it.
DialogWatcher::Step Driven(const wchar_t* title, std::function<void(HWND)> answer) {
    DialogWatcher::Step step = Titled(title, std::move(answer));
    step.staysOpen = true;
    return step;
}

// A message box: its text checked, then answered.
DialogWatcher::Step Box(const wchar_t* caption, std::wstring text, int button) {
    return Titled(caption, [text, button](HWND box) {
        EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)), text);
        Press(box, button);
    });
}

// A click handled before this returns, for buttons that open no modal window (Press posts it).
void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HDROP DropOf(const std::wstring& path) {
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(drop + 1, path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST(DefineTestDialog, NamesTheFirstApplyingDefineForTypedAndDroppedNames) {
    DefineList defines;
    defines.Append(Define(L"Gothic", L"gothic"));
    defines.Append(Define(L"Mincho", L"ARIAL"));
    defines.Append(Define(L"Ttc", L"\\.ttc$"));
    CDefTestDlg dialog(defines, nullptr);
    DialogWatcher watcher({Titled(L"Define test", [](HWND test) {
        EXPECT_EQ(ItemText(test, IDC_TEST_RESULT), L"");  // nothing before the first change
        Type(test, IDC_TEST_FILE_NAME, L"arial.ttf");
        EXPECT_EQ(ItemText(test, IDC_TEST_RESULT), L"The definitions applied : Mincho [No.2]");
        Type(test, IDC_TEST_FILE_NAME, L"arial.otf");
        EXPECT_EQ(ItemText(test, IDC_TEST_RESULT), L"The definitions applied : Mincho [No.2]");
        Type(test, IDC_TEST_FILE_NAME, L"times.otf");
        EXPECT_EQ(ItemText(test, IDC_TEST_RESULT), L"A standard definitions is used.");
        // A dropped file is tested by its name without the folder; a stub by its own name.
        SendMessageW(test, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(L"C:\\fonts\\MS Gothic.TTC")), 0);
        EXPECT_EQ(ItemText(test, IDC_TEST_FILE_NAME), L"MS Gothic.TTC");
        EXPECT_EQ(ItemText(test, IDC_TEST_RESULT), L"The definitions applied : Gothic [No.1]");
        SendMessageW(test, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(L"D:\\vf\\simsun.ttc.vft")), 0);
        EXPECT_EQ(ItemText(test, IDC_TEST_RESULT), L"A standard definitions is used.");
        Press(test, IDOK);
    })});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(watcher.Finish(), 1u);
}

class ImageDialog : public ::testing::Test {
protected:
    glyphpeek::imaging::GdiplusSession gdiplus;
    const ScratchFolder folder{fs::temp_directory_path() / L"glyphpeek-image-dialog"};
};

TEST_F(ImageDialog, ProposesTheFacesAndATargetBesideTheFontAndSavesThePicture) {
    const std::wstring target = (folder / L"sample.png").wstring();
    CImageDialog dialog(kDejaVu);
    DialogWatcher watcher({Titled(L"Output as image", [&](HWND image) {
        EXPECT_EQ(ItemText(image, IDC_IMAGE_FACE), L"DejaVu Sans");
        EXPECT_EQ(ItemText(image, IDC_IMAGE_SIZE), L"20");
        EXPECT_EQ(ItemText(image, IDC_IMAGE_UNIT), L"px");
        EXPECT_EQ(ItemText(image, IDC_IMAGE_TEXT), L"Sample Text");
        EXPECT_EQ(IsDlgButtonChecked(image, IDC_IMAGE_ANTIALIAS), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(ItemText(image, IDC_IMAGE_TARGET), L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.png");
        for (const auto& [typed, kept] : {std::pair{L"3", L"5"}, std::pair{L"99999", L"2000"}, std::pair{L"", L"5"}}) {
            Type(image, IDC_IMAGE_SIZE, typed);
            SendMessageW(image, WM_COMMAND, MAKEWPARAM(IDC_IMAGE_SIZE, EN_KILLFOCUS),
                         reinterpret_cast<LPARAM>(GetDlgItem(image, IDC_IMAGE_SIZE)));
            EXPECT_EQ(ItemText(image, IDC_IMAGE_SIZE), kept);
        }
        Type(image, IDC_IMAGE_SIZE, L"32");
        Type(image, IDC_IMAGE_TARGET, target.c_str());
        Press(image, IDOK);
    })});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(watcher.Finish(), 1u);
    EXPECT_TRUE(fs::exists(target));
}

TEST_F(ImageDialog, AFileWithoutFacesEndsWithTheLoadErrorAndAFailedSaveKeepsTheDialog) {
    const fs::path notFont = folder / L"not-a-font.ttf";
    { std::ofstream(notFont) << "hello"; }
    CImageDialog broken(notFont.wstring());
    {
        DialogWatcher watcher({Box(L"Load error", L"A font information is unacquirable", IDOK)});
        EXPECT_EQ(broken.DoModal(), IDCANCEL);
        EXPECT_EQ(watcher.Finish(), 1u);
    }
    const std::wstring nowhere = (folder / L"missing" / L"x.png").wstring();
    CImageDialog dialog(kDejaVu);
    DialogWatcher watcher({Driven(L"Output as image", [&](HWND image) {
                               Type(image, IDC_IMAGE_TARGET, nowhere.c_str());
                               Press(image, IDOK);
                           }),
                           Titled(L"Error", [&](HWND box) {
                               const std::wstring text = WindowText(GetDlgItem(box, kMessageBoxText));
                               EXPECT_EQ(text.rfind(nowhere + L"\r\nErrNo : ", 0), 0u) << text;
                               EXPECT_NE(text.find(L"\r\nThe save of a file went wrong."), std::wstring::npos);
                               Press(box, IDOK);
                           }),
                           Titled(L"Output as image", [&](HWND image) {
                               EXPECT_EQ(ItemText(image, IDC_IMAGE_TARGET), nowhere);  // kept for another try
                               Press(image, IDCANCEL);
                           })});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(watcher.Finish(), 3u);
    EXPECT_FALSE(fs::exists(nowhere));
}

// The main dialog over the test prefix's define keys and font-type entries.
class SettingDialog : public ::testing::Test {
protected:
    SettingDialog() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kDefinesKey);
        for (int type = 1; type < kFontTypeCount; ++type) UnregisterFontType(type);
    }
    ~SettingDialog() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kDefinesKey);
        for (int type = 1; type < kFontTypeCount; ++type) UnregisterFontType(type);
    }
    static std::wstring Names() {
        std::wstring names;
        for (const SettingData& define : LoadDefineList()) names += std::wstring(define.DefineName) + L";";
        return names;
    }
    static void Select(HWND dialog, int index) {
        SendMessageW(GetDlgItem(dialog, IDC_DEFINE_LIST), LB_SETCURSEL, index, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEFINE_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DEFINE_LIST)));
    }
    static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)); }
    glyphpeek::imaging::GdiplusSession gdiplus;
};

TEST_F(SettingDialog, EditsReachTheRegistryOnlyWithOk) {
    SaveDefineList(std::vector<SettingData>{Define(L"A", L"a"), Define(L"B", L"b"), Define(L"C", L"c")});
    CTRSettingDlg dialog;
    DialogWatcher watcher({
        Driven(L"Glyphpeek setting",
               [](HWND setting) {
                   EXPECT_EQ(SendMessageW(GetDlgItem(setting, IDC_DEFINE_LIST), LB_GETCOUNT, 0, 0), 3);
                   EXPECT_FALSE(Enabled(setting, IDC_MOVE_UP) || Enabled(setting, IDC_MOVE_DOWN));
                   // Painted and left valid: a paint handler that does not validate repaints for ever.
                   Sleep(300);
                   EXPECT_FALSE(GetUpdateRect(setting, nullptr, FALSE));
                   EXPECT_EQ(ItemText(setting, IDC_DEFINE_NAME), L"");  // the empty fallback define
                   Select(setting, 1);
                   EXPECT_EQ(ItemText(setting, IDC_DEFINE_NAME), L"B");
                   EXPECT_EQ(ItemText(setting, IDC_CONDITION), L"b");
                   EXPECT_TRUE(Enabled(setting, IDC_MOVE_UP) && Enabled(setting, IDC_MOVE_DOWN));
                   Click(setting, IDC_MOVE_UP);
                   EXPECT_EQ(SendMessageW(GetDlgItem(setting, IDC_DEFINE_LIST), LB_GETCURSEL, 0, 0), 0);
                   EXPECT_FALSE(Enabled(setting, IDC_MOVE_UP));
                   // A new name with no condition: asked first.
                   Type(setting, IDC_DEFINE_NAME, L"D");
                   Type(setting, IDC_CONDITION, L"");
                   Press(setting, IDC_UPDATE);
               }),
        Box(L"Confirm",
            L"When there is no specification of terms, all definitionses after this will be disregarded.\r\n"
            L"Do you want to register as it is?",
            IDYES),
        Driven(L"Glyphpeek setting",
               [](HWND setting) {
                   EXPECT_EQ(SendMessageW(GetDlgItem(setting, IDC_DEFINE_LIST), LB_GETCOUNT, 0, 0), 4);
                   // The same name again overwrites in place.
                   Type(setting, IDC_DEFINE_NAME, L"A");
                   Type(setting, IDC_CONDITION, L"changed");
                   Click(setting, IDC_UPDATE);
               }),
        Titled(L"Glyphpeek setting",
               [](HWND setting) {
                   EXPECT_EQ(SendMessageW(GetDlgItem(setting, IDC_DEFINE_LIST), LB_GETCOUNT, 0, 0), 4);
                   // The sample-text menu's "Number".
                   SendMessageW(setting, WM_COMMAND, MAKEWPARAM(IDM_SAMPLE_NUMBER, 0), 0);
                   EXPECT_EQ(ItemText(setting, IDC_SAMPLE_TEXT), L"1234567890");
                   CheckDlgButton(setting, IDC_TYPE_OTF, BST_CHECKED);
                   Press(setting, IDOK);
               }),
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(watcher.Finish(), 4u);
    EXPECT_EQ(Names(), L"B;A;C;D;");
    EXPECT_STREQ(LoadDefineList()[1].Condition, L"changed");
    EXPECT_TRUE(IsFontTypeRegistered(kOpenType));
    EXPECT_FALSE(IsFontTypeRegistered(kTrueType));
}

TEST_F(SettingDialog, CancelSavesNothingAndAnEmptyNameIsRefused) {
    SaveDefineList(std::vector<SettingData>{Define(L"A", L"a"), Define(L"B", L"b")});
    CTRSettingDlg dialog;
    DialogWatcher watcher({
        Driven(L"Glyphpeek setting",
               [](HWND setting) {
                   Type(setting, IDC_DEFINE_NAME, L"");
                   Press(setting, IDC_UPDATE);
               }),
        Box(L"Information", L"Please input a definitions name.", IDOK),
        Driven(L"Glyphpeek setting",
               [](HWND setting) {
                   Select(setting, 0);
                   Click(setting, IDC_DELETE);
               }),
        Titled(L"Glyphpeek setting",
               [](HWND setting) {
                   EXPECT_EQ(SendMessageW(GetDlgItem(setting, IDC_DEFINE_LIST), LB_GETCOUNT, 0, 0), 1);
                   CheckDlgButton(setting, IDC_TYPE_TTF, BST_CHECKED);
                   Press(setting, IDCANCEL);
               }),
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(watcher.Finish(), 4u);
    EXPECT_EQ(Names(), L"A;B;");
    EXPECT_FALSE(IsFontTypeRegistered(kTrueType));
}

TEST_F(SettingDialog, AnImportedDefineShowsWhatTheRendererDoesWithItsValues) {
    // Only a define file carries such values: the registry reader makes switches 0 or 1.
    SettingData odd = Define(L"Odd", L"odd");
    odd.FitSingleLine = 2;
    odd.KeepFontSize = 1;
    odd.BackColor1 = 0x01000000;  // any top byte: not set
    odd.BackColor2 = 0x00123456;
    odd.ForeColor = 0x80FF0000;
    const fs::path file = fs::temp_directory_path() / L"glyphpeek-odd-values.gpd";
    ASSERT_EQ(WriteDefineFile(file.c_str(), std::vector<SettingData>{odd}), 0u);
    CTRSettingDlg dialog;
    DialogWatcher watcher({
        Driven(L"Glyphpeek setting", [](HWND setting) { Press(setting, IDC_IMPORT); }),
        Titled(L"Open", [&](HWND open) {
            SetDlgItemTextW(open, 0x47c, file.c_str());
            Press(open, IDOK);
        }),
        Titled(L"Glyphpeek setting",
               [](HWND setting) {
                   Select(setting, 0);
                   EXPECT_EQ(IsDlgButtonChecked(setting, IDC_FIT_SINGLE_LINE), BST_UNCHECKED);
                   EXPECT_EQ(IsDlgButtonChecked(setting, IDC_KEEP_FONT_SIZE), BST_CHECKED);
                   Click(setting, IDC_UPDATE);  // the editor, as shown, back into the list
                   Press(setting, IDOK);
               }),
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(watcher.Finish(), 3u);
    fs::remove(file);
    const std::vector<SettingData> saved = LoadDefineList();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].BackColor1, kColorNotSet);
    EXPECT_EQ(saved[0].BackColor2, 0x00123456u);
    EXPECT_EQ(saved[0].ForeColor, kColorNotSet);
}

} // namespace
