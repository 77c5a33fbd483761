// TRSetting.exe itself, started as the installer, the uninstaller and the context menu start it.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

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
namespace fs = std::filesystem;

std::wstring Upper(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

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

// "/removefont" as TRUtility starts it for an Explorer without administrator rights (and as anyone
// else could): the program runs with `arguments` while the message boxes it shows ("Uninstall") are
// answered with OK; their texts are kept.
struct RemoveFontRun {
    DWORD exitCode = 0;
    std::vector<std::wstring> messages;
};
RemoveFontRun RunRemoveFont(const std::wstring& arguments) {
    std::atomic<bool> ended = false;
    Finished run;
    std::thread program([&] {
        run = Execute(Program() + L" /removefont " + arguments);
        ended = true;
    });
    RemoveFontRun result;
    while (!ended) {
        if (const HWND box = FindWindowW(L"#32770", L"Uninstall"); box && IsWindowVisible(box)) {
            result.messages.push_back(WindowText(GetDlgItem(box, kMessageBoxText)));
            Press(box, IDOK);
            while (IsWindow(box) && !ended) Sleep(20);
        }
        Sleep(20);
    }
    program.join();
    result.exitCode = run.exitCode;
    return result;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A font installed the usual way: its file in the Fonts folder, its value in the machine's list.
class InstalledForRemoval : public ::testing::Test {
protected:
    InstalledForRemoval() {
        fs::remove_all(scratch, ignored);
        fs::create_directories(scratch / L"backup");
        EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &machine),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kUserInstalledFontsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                  nullptr, &user, nullptr),
                  ERROR_SUCCESS);
    }
    ~InstalledForRemoval() override {
        for (const auto& [root, value] : values) RegDeleteValueW(root, value.c_str());
        for (const fs::path& file : files) {
            RemoveFontResourceW(file.c_str());
            fs::remove(file, ignored);
        }
        RegCloseKey(machine);
        RegCloseKey(user);
        fs::remove_all(scratch, ignored);
    }
    // A copy of the test font at `file`, listed under `value` with `data` in the list of `root`.
    void Install(const fs::path& file, HKEY root, const std::wstring& value, const std::wstring& data) {
        ASSERT_TRUE(CopyFileW(kFont, file.c_str(), FALSE));
        files.push_back(file);
        ASSERT_EQ(RegSetValueExW(root, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        values.emplace_back(root, value);
    }
    bool Listed(HKEY root, const std::wstring& value) {
        return RegQueryValueExW(root, value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    static bool Intact(const fs::path& file) { return fs::exists(file) && fs::file_size(file) == fs::file_size(kFont); }

    static constexpr wchar_t kFont[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSansMono.ttf";
    const fs::path fonts = FontsFolderPath();
    // Under the prefix's temp folder, on the Fonts folder's drive: a folder the user owns.
    const fs::path scratch = fs::temp_directory_path() / L"glyphpeek-removefont";
    HKEY machine = nullptr, user = nullptr;
    std::vector<std::pair<HKEY, std::wstring>> values;
    std::vector<fs::path> files;
    std::error_code ignored;
};

// The fonts named go; one that cannot is named with the reason while the others still go. Nothing but
// the font's file and its values is touched: the stub stays (it is the caller's to delete).
TEST_F(InstalledForRemoval, RemoveFontSwitchRemovesListedFontsAndNamesOneThatStays) {
    Install(fonts / L"GlyphpeekSwitchA.ttf", machine, L"GlyphpeekSwitchA (TrueType)", L"GlyphpeekSwitchA.ttf");
    Install(fonts / L"GlyphpeekSwitchB.ttf", machine, L"GlyphpeekSwitchB (TrueType)", L"GlyphpeekSwitchB.ttf");
    const fs::path stub = scratch / L"GlyphpeekSwitchB.ttf.vft";
    std::ofstream(stub) << "-";

    // The first font's file is in use.
    const HANDLE held = CreateFileW((fonts / L"GlyphpeekSwitchA.ttf").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    RemoveFontRun run = RunRemoveFont(Quoted((fonts / L"GlyphpeekSwitchA.ttf").wstring()) + L" " +
                                      Quoted((fonts / L"GlyphpeekSwitchB.ttf").wstring()));
    CloseHandle(held);
    EXPECT_EQ(run.exitCode, 1u);  // one font stayed
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].rfind(L"The font GlyphpeekSwitchA (TrueType) was not uninstalled.\r\nIts file could not be deleted: ", 0), 0u)
        << Narrow(run.messages[0]);
    EXPECT_TRUE(Listed(machine, L"GlyphpeekSwitchA (TrueType)"));
    EXPECT_TRUE(Intact(fonts / L"GlyphpeekSwitchA.ttf"));
    EXPECT_FALSE(Listed(machine, L"GlyphpeekSwitchB (TrueType)"));
    EXPECT_FALSE(fs::exists(fonts / L"GlyphpeekSwitchB.ttf"));
    EXPECT_TRUE(fs::exists(stub));

    // Free again; the name is looked up whatever its letter case.
    run = RunRemoveFont(Quoted(Upper((fonts / L"GlyphpeekSwitchA.ttf").wstring())));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(Listed(machine, L"GlyphpeekSwitchA (TrueType)"));
    EXPECT_FALSE(fs::exists(fonts / L"GlyphpeekSwitchA.ttf"));
}

// What it is handed is only a name to look up in the machine's list, and a listed font goes only when
// its file really lies in the Fonts folder. A user's folder as the first argument (where a backup
// folder once stood), a stub, a file of the user's, a font of the user's own list, and machine-list
// values that lead out of the Fonts folder (by an absolute path, or by "..") all stay as they are.
TEST_F(InstalledForRemoval, RemoveFontSwitchTouchesNothingOutsideTheFontsFolder) {
    const fs::path outside = scratch / L"outside.ttf";
    ASSERT_TRUE(CopyFileW(kFont, outside.c_str(), FALSE));
    const fs::path stub = scratch / L"outside.ttf.vft";
    const std::wstring stubText = outside.wstring();
    std::ofstream(stub, std::ios::binary)
        .write(reinterpret_cast<const char*>(stubText.c_str()), (stubText.size() + 1) * sizeof(wchar_t));
    const fs::path userFont = scratch / L"userfont.ttf";
    Install(userFont, user, L"GlyphpeekUserOnly (TrueType)", userFont.wstring());
    const fs::path machineOutside = scratch / L"machine-outside.ttf";
    Install(machineOutside, machine, L"GlyphpeekMachineOutside (TrueType)", machineOutside.wstring());
    // Relative to the Fonts folder, climbing out of it.
    const fs::path dotted = scratch / L"dotted.ttf";
    const std::wstring climb = L"..\\..\\" + dotted.wstring().substr(3);
    ASSERT_EQ(Upper(fonts.wstring().substr(0, 3) + L"windows\\Fonts"), Upper(fonts.wstring())) << "Fonts folder not C:\\windows\\Fonts";
    Install(dotted, machine, L"GlyphpeekDotted (TrueType)", climb);

    const RemoveFontRun run =
        RunRemoveFont(Quoted((scratch / L"backup").wstring() + L"\\") + L" " + Quoted(stub.wstring()) + L" " +
                      Quoted(outside.wstring()) + L" " + Quoted(userFont.wstring()) + L" " +
                      Quoted(machineOutside.wstring()) + L" " + Quoted((fonts / climb).wstring()));
    EXPECT_EQ(run.exitCode, 6u);
    ASSERT_EQ(run.messages.size(), 6u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NE(run.messages[i].find(L"It is not in the system's list of installed fonts."), std::wstring::npos)
            << Narrow(run.messages[i]);
    EXPECT_EQ(run.messages[4], L"The font GlyphpeekMachineOutside (TrueType) was not uninstalled.\r\nIts file is not in the Fonts folder.");
    EXPECT_EQ(run.messages[5], L"The font GlyphpeekDotted (TrueType) was not uninstalled.\r\nIts file is not in the Fonts folder.");
    for (const fs::path& file : {outside, userFont, machineOutside, dotted}) EXPECT_TRUE(Intact(file)) << file;
    EXPECT_TRUE(fs::exists(stub));
    EXPECT_TRUE(fs::is_empty(scratch / L"backup"));
    EXPECT_TRUE(Listed(user, L"GlyphpeekUserOnly (TrueType)"));
    EXPECT_TRUE(Listed(machine, L"GlyphpeekMachineOutside (TrueType)"));
    EXPECT_TRUE(Listed(machine, L"GlyphpeekDotted (TrueType)"));
}

} // namespace
