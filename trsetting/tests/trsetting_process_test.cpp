// TRSetting.exe itself, started as the installer, the uninstaller and the context menu start it.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "testsupport/dialog_watcher.h"
#include "winsupport/fonts_folder.h"
#include "testsupport/registry_probe.h"
#include "trsetting/shell_integration.h"
#include "testsupport/test_process.h"
#include "testsupport/utility_library.h"
#include "winsupport/product_identities.h"
#include "testsupport/ui_font.h"

namespace {

using namespace glyphpeek::trsetting;

std::wstring Program() { return Quoted(TestFolder() + L"TRSetting.exe"); }

// A top-level dialog or message box of another process, found by its caption.
HWND WaitForDialog(const wchar_t* caption) {
    for (int waited = 0; waited < 10000; waited += 50) {
        if (HWND box = FindWindowW(L"#32770", caption)) return box;
        Sleep(50);
    }
    return nullptr;
}

// A fresh scratch folder with copies of the test folder's files named, and a stand-in of ours planted
// among them under a system file's name.
std::filesystem::path FolderWithPlanted(const wchar_t* folderName, std::initializer_list<const wchar_t*> files,
                                        const wchar_t* standIn, const wchar_t* plantedAs) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / folderName;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    for (const wchar_t* file : files) fs::copy_file(TestFolder() + file, folder / file);
    fs::copy_file(TestFolder() + standIn, folder / plantedAs);
    return folder;
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

// An installer runs these and goes on when they end: the registration is complete by then.
TEST(TRSettingProgram, PackageSwitchesEndWhenTheRegistrationHasEnded) {
    const std::wstring clsid = std::wstring(L"CLSID\\") + glyphpeek::ids::kTyporamaVista.thumbnailClass + L"\\InprocServer32";
    EXPECT_EQ(Execute(Program() + L" /setup").exitCode, 0u);
    EXPECT_TRUE(registry_probe::KeyExists(HKEY_CLASSES_ROOT, clsid));
    EXPECT_TRUE(IsFontTypeRegistered(kVirtualFont));
    EXPECT_EQ(Execute(Program() + L" /cleanup").exitCode, 0u);
    EXPECT_FALSE(registry_probe::KeyExists(HKEY_CLASSES_ROOT, clsid));
    EXPECT_FALSE(IsFontTypeRegistered(kVirtualFont));
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
    const InstalledUiFont uiFont;
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

// The program runs as administrator: a regsvr32.exe planted beside it must never stand in for the
// system's. Started from a folder that holds such a stand-in, installing and uninstalling still
// register and unregister through the real tool, and the stand-in never runs.
TEST(TRSettingProgram, RegistersThroughTheSystemsRegsvr32NeverOnePlantedBesideIt) {
    namespace fs = std::filesystem;
    const fs::path folder = FolderWithPlanted(L"glyphpeek-planted-regsvr32",
                                              {L"TRSetting.exe", L"TRUtility.dll", L"Typorama.dll", L"TyporamaVista.dll"},
                                              L"command_line_recorder.exe", L"regsvr32.exe");
    std::error_code ignored;
    const std::wstring program = Quoted((folder / L"TRSetting.exe").wstring());
    const bool vista = CurrentGeneration() == ShellGeneration::kVista;
    // The type library is what the registration writes last.
    const std::wstring typeLibrary = vista ? std::wstring(L"TypeLib\\") + glyphpeek::ids::kTyporamaVista.typeLibrary
                                           : std::wstring(L"TypeLib\\") + glyphpeek::ids::kTyporama.typeLibrary;

    EXPECT_EQ(Execute(program + L" /install").exitCode, 0u);
    bool registered = false;  // the tool is not waited for by the installer
    for (int waited = 0; !registered && waited < 10000; waited += 100) {
        registered = registry_probe::KeyExists(HKEY_CLASSES_ROOT, typeLibrary);
        if (!registered) Sleep(100);
    }
    EXPECT_TRUE(registered);
    Sleep(300);  // for regsvr32 to return from the registration and end
    EXPECT_EQ(Execute(program + L" /unregist").exitCode, 0u);  // waits for the tool
    EXPECT_FALSE(registry_probe::KeyExists(HKEY_CLASSES_ROOT, typeLibrary));
    EXPECT_FALSE(fs::exists(folder / L"command-line.txt")) << "the planted regsvr32.exe ran";

    UnregisterFontType(kVirtualFont);
    fs::remove_all(folder, ignored);
}

// GDI+ is not one of the system's known libraries: a gdiplus.dll planted beside the program (say, the
// portable package unpacked into Downloads) must not load into it, although the program draws with GDI+.
TEST(TRSettingProgram, DrawsWithTheSystemsGdiplusNeverOnePlantedBesideIt) {
    namespace fs = std::filesystem;
    const fs::path folder = FolderWithPlanted(L"glyphpeek-planted-gdiplus", {L"TRSetting.exe", L"TRUtility.dll"},
                                              L"planted_library.dll", L"gdiplus.dll");
    std::error_code ignored;
    // Wine prefers its own gdiplus wherever it finds one; told to prefer the file it finds, it follows the
    // search order as Windows does. Windows ignores the setting.
    const std::wstring wineOverrides = L"Software\\Wine\\AppDefaults\\TRSetting.exe\\DllOverrides";
    registry_probe::SetString(HKEY_CURRENT_USER, wineOverrides, L"gdiplus", L"native,builtin");
    ASSERT_EQ(registry_probe::String(HKEY_CURRENT_USER, wineOverrides, L"gdiplus"), L"native,builtin");

    const InstalledUiFont uiFont;
    Finished run;
    std::thread program([&] {
        run = Execute(Quoted((folder / L"TRSetting.exe").wstring()) +
                      L" /Image \"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf\"");
    });
    const HWND dialog = WaitForDialog(L"Output as image");
    EXPECT_TRUE(dialog);
    if (dialog) Press(dialog, IDCANCEL);
    program.join();
    registry_probe::DeleteTree(HKEY_CURRENT_USER, wineOverrides);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(fs::exists(folder / L"planted-library-loaded.txt")) << "the planted gdiplus.dll was loaded";
    fs::remove_all(folder, ignored);
}

// "/removefont", as TRUtility starts the program for an Explorer without administrator rights: the
// fonts named go, and one that cannot is named with the reason while the others still go.
TEST(TRSettingProgram, RemoveFontSwitchRemovesTheFontsAndNamesOneThatStays) {
    namespace fs = std::filesystem;
    wchar_t fontsFolder[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, fontsFolder, CSIDL_FONTS, FALSE));
    const fs::path scratch = fs::path(TestFolder()) / L"removefont-test";
    fs::remove_all(scratch);
    fs::create_directories(scratch / L"backup");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key), ERROR_SUCCESS);
    struct Font {
        std::wstring file, value;
        fs::path stub;
    };
    std::vector<Font> fonts;
    for (const wchar_t* name : {L"GlyphpeekSwitchA", L"GlyphpeekSwitchB"}) {
        Font font{fs::path(fontsFolder) / (std::wstring(name) + L".ttf"), std::wstring(name) + L" (TrueType)",
                  scratch / (std::wstring(name) + L".ttf.vft")};
        ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSansMono.ttf", font.file.c_str(), FALSE));
        const std::wstring data = std::wstring(name) + L".ttf";
        RegSetValueExW(key, font.value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        const std::wstring stubText = L"-:" + data;
        std::ofstream(font.stub, std::ios::binary)
            .write(reinterpret_cast<const char*>(stubText.c_str()), (stubText.size() + 1) * sizeof(wchar_t));
        fonts.push_back(font);
    }
    const auto listed = [&](const Font& font) {
        return RegQueryValueExW(key, font.value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    };

    // The first font's file is in use.
    const HANDLE held = CreateFileW(fonts[0].file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Finished run;
    std::thread program([&] {
        run = Execute(Program() + L" /removefont " + Quoted((scratch / L"backup").wstring() + L"\\") + L" " +
                      Quoted(fonts[0].stub.wstring()) + L" " + Quoted(fonts[1].stub.wstring()));
    });
    const HWND box = WaitForDialog(L"Uninstall");
    ASSERT_TRUE(box);
    const std::wstring said = WindowText(GetDlgItem(box, kMessageBoxText));
    EXPECT_EQ(said.rfind(L"The font GlyphpeekSwitchA (TrueType) was not uninstalled.\r\nIts file could not be deleted: ", 0), 0u)
        << std::string(said.begin(), said.end());
    Press(box, IDOK);
    program.join();
    CloseHandle(held);
    EXPECT_EQ(run.exitCode, 1u);  // one font stayed
    EXPECT_TRUE(listed(fonts[0]));
    EXPECT_TRUE(fs::exists(fonts[0].file));
    EXPECT_TRUE(fs::exists(fonts[0].stub));
    EXPECT_FALSE(listed(fonts[1]));
    EXPECT_FALSE(fs::exists(fonts[1].file));
    EXPECT_FALSE(fs::exists(fonts[1].stub));
    EXPECT_TRUE(fs::exists(scratch / L"backup" / L"GlyphpeekSwitchB.ttf"));

    // Free again, without a backup.
    EXPECT_EQ(Execute(Program() + L" /RemoveFont \"\" " + Quoted(fonts[0].stub.wstring())).exitCode, 0u);
    EXPECT_FALSE(listed(fonts[0]));
    EXPECT_FALSE(fs::exists(fonts[0].file));
    EXPECT_FALSE(fs::exists(fonts[0].stub));

    for (const Font& font : fonts) {
        RegDeleteValueW(key, font.value.c_str());
        RemoveFontResourceW(font.file.c_str());
        DeleteFileW(font.file.c_str());
    }
    RegCloseKey(key);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
}

} // namespace
