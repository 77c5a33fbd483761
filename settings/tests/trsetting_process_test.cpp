// TRSetting.exe itself, started as the installer, the uninstaller and the context menu start it.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "dialog_watcher.h"
#include "shell_integration.h"
#include "test_process.h"
#include "utility_library.h"

namespace {

using namespace glyphpeek::settings;

std::wstring Program() { return Quoted(TestFolder() + L"TRSetting.exe"); }

// A top-level dialog or message box of another process, found by its caption.
HWND WaitForDialog(const wchar_t* caption) {
    for (int waited = 0; waited < 10000; waited += 50) {
        if (HWND box = FindWindowW(L"#32770", caption)) return box;
        Sleep(50);
    }
    return nullptr;
}

TEST(TRSettingProgram, MaintenanceSwitchesRunWithoutADialog) {
    for (int type = 1; type < kFontTypeCount; ++type) UnregisterFontType(type);
    EXPECT_EQ(Execute(Program() + L" /REGIST otf").exitCode, 0u);
    EXPECT_TRUE(IsFontTypeRegistered(kOpenType));
    EXPECT_FALSE(IsFontTypeRegistered(kTrueType));
    EXPECT_EQ(Execute(Program() + L" /registall").exitCode, 0u);
    EXPECT_EQ(Execute(Program() + L" /clrcache").exitCode, 0u);
    UnregisterFontType(kOpenType);
}

TEST(TRSettingProgram, PictureOutputOfAMissingFileWarnsOnce) {
    Finished run;
    std::thread program([&] { run = Execute(Program() + L" /Image \"C:\\No Such Folder\\Missing.TTF\""); });
    const HWND box = WaitForDialog(L"Information");
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)), L"Not able to access to a file.");
    Press(box, IDOK);
    program.join();
    EXPECT_EQ(run.exitCode, 0u);
}

// The dialogs of the other two rows, each found on the desktop and closed as a user would.
TEST(TRSettingProgram, OpensThePictureOutputOrTheSettingsDialogAndEndsWithIt) {
    struct Case {
        std::wstring arguments;
        const wchar_t* caption;
    };
    for (const Case& c : {Case{L" /Image \"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf\"", L"Output as image"},
                          Case{L" /result", L"Glyphpeek setting"}, Case{L"", L"Glyphpeek setting"}}) {
        Finished run;
        std::thread program([&] { run = Execute(Program() + c.arguments); });
        const HWND dialog = WaitForDialog(c.caption);
        EXPECT_TRUE(dialog) << c.caption;
        if (dialog) Press(dialog, IDCANCEL);
        program.join();
        EXPECT_EQ(run.exitCode, 0u) << c.caption;
    }
}

} // namespace
