// Stubmaker.exe as a process under Wine: copied into a scratch folder (so its stub folder is the
// scratch's vf\), run against the prefix's real installed-font list with values of the test's own.
// The folder it opens at the end starts an Explorer process; the test ends whatever it started.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/bitmap_ink.h"
#include "testsupport/dialog_watcher.h"
#include "winsupport/fonts_folder.h"
#include "testsupport/test_process.h"
#include "tools/thumbnail_road.h"
#include "testsupport/utility_library.h"
#include "testsupport/scratch_folder.h"
#include "testsupport/dialog_layout.h"
#include "winsupport/scoped_handles.h"

namespace {

namespace fs = std::filesystem;

constexpr wchar_t kValuePrefix[] = L"Glyphpeek Stubmaker test ";

// The installed-font list of the system (HKEY_LOCAL_MACHINE) or of the user (HKEY_CURRENT_USER).
const wchar_t* ListKey(HKEY root) { return root == HKEY_CURRENT_USER ? kUserInstalledFontsKey : kInstalledFontsKey; }

std::vector<char> Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

std::vector<char> Utf16Nul(const std::wstring& text) {
    std::vector<char> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

void Put(const fs::path& file, const std::vector<char>& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::set<DWORD> ChildProcesses(DWORD parent) {
    std::set<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parent) children.insert(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

struct Outcome {
    DWORD exitCode = 0xFFFFFFFF;
    size_t started = 0; // processes the program left behind (the folder's Explorer)
};

class Stubmaker : public ::testing::Test {
protected:
    Stubmaker() {
        fs::copy_file(fs::path(TestFolder()) / STUBMAKER_EXE, scratch_ / L"Stubmaker.exe");
        RemoveValues();
    }
    ~Stubmaker() override { RemoveValues(); }

    void AddValue(const std::wstring& name, DWORD type, const std::wstring& data, HKEY root = HKEY_LOCAL_MACHINE) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, ListKey(root), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
        const LONG set = RegSetValueExW(key, (std::wstring(kValuePrefix) + name).c_str(), 0, type,
                                        reinterpret_cast<const BYTE*>(data.c_str()),
                                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        ASSERT_EQ(set, ERROR_SUCCESS);
    }
    // Only the test's own values: the prefix's other installed fonts stay as they are.
    static void RemoveValues() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RemoveValues(root);
    }
    static void RemoveValues(HKEY root) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, ListKey(root), 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        std::vector<std::wstring> ours;
        wchar_t name[512];
        for (DWORD i = 0;; ++i) {
            DWORD units = 512;
            if (RegEnumValueW(key, i, name, &units, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (wcsncmp(name, kValuePrefix, wcslen(kValuePrefix)) == 0) ours.emplace_back(name, units);
        }
        for (const std::wstring& value : ours) RegDeleteValueW(key, value.c_str());
        RegCloseKey(key);
    }

    // Runs the copy in the scratch folder and ends what it left running. Explorer is asked for the
    // folder through the shell; under Wine that is an explorer.exe child of the program.
    Outcome Start(const std::wstring& arguments) {
        Outcome run;
        std::wstring command = L"\"" + (scratch_ / L"Stubmaker.exe").wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, scratch_.c_str(), &startup,
                            &process))
            return run;
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        for (DWORD child : ChildProcesses(process.dwProcessId)) {
            ++run.started;
            if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child)) {
                if (WaitForSingleObject(h, 3000) != WAIT_OBJECT_0) TerminateProcess(h, 0);
                CloseHandle(h);
            }
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return run;
    }

    // Every file of the stub folder with its bytes and time of last writing.
    std::map<fs::path, std::pair<std::vector<char>, fs::file_time_type>> Snapshot() const {
        std::map<fs::path, std::pair<std::vector<char>, fs::file_time_type>> files;
        for (const auto& entry : fs::recursive_directory_iterator(vf_))
            if (entry.is_regular_file()) files[entry.path()] = {Bytes(entry.path()), entry.last_write_time()};
        return files;
    }

    const ScratchFolder scratch_{fs::temp_directory_path() / (L"stubmaker-test-" + std::to_wstring(GetCurrentProcessId()))};
    const fs::path vf_ = scratch_ / L"vf";
};

TEST_F(Stubmaker, WritesStubsForInstalledFontsAndDeletesDeadOnes) {
    AddValue(L"Arial", REG_SZ, L"arial.ttf");
    AddValue(L"Absolute", REG_SZ, L"D:\\myfonts\\x.otf");
    AddValue(L"Expandable", REG_EXPAND_SZ, L"gpexpand.ttf");
    AddValue(L"Bitmap", REG_SZ, L"gpbitmap.fon");
    Put(vf_ / L"x.ttf", {'n', 'o', 't', ' ', 'a', ' ', 's', 't', 'u', 'b'});
    Put(vf_ / L"gone.ttf.vft", Utf16Nul(L"-:gpgone.ttf"));
    Put(vf_ / L"deep" / L"dead.TTF.VFT", Utf16Nul(L"D:\\gone\\dead.ttf"));
    Put(vf_ / L"junk.vft", std::vector<char>(100000, 'j')); // names nothing, however long

    const Outcome run = Start(L"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_GE(run.started, 1u); // the folder was opened

    const std::vector<char> arial = Bytes(vf_ / L"arial.ttf.vft");
    EXPECT_EQ(arial.size(), 24u);
    EXPECT_EQ(arial, Utf16Nul(L"-:arial.ttf"));
    EXPECT_EQ(Bytes(vf_ / L"x.otf.vft"), Utf16Nul(L"D:\\myfonts\\x.otf"));
    EXPECT_EQ(Bytes(vf_ / L"gpexpand.ttf.vft"), Utf16Nul(L"gpexpand.ttf"));
    EXPECT_FALSE(fs::exists(vf_ / L"gpbitmap.fon.vft"));
    EXPECT_EQ(Bytes(vf_ / L"x.ttf").size(), 10u);
    EXPECT_FALSE(fs::exists(vf_ / L"gone.ttf.vft"));
    EXPECT_FALSE(fs::exists(vf_ / L"deep" / L"dead.TTF.VFT"));
    EXPECT_TRUE(fs::exists(vf_ / L"deep")); // only stubs are deleted
    EXPECT_FALSE(fs::exists(vf_ / L"junk.vft"));

    // Nothing changed since: the second run writes and deletes nothing.
    const auto before = Snapshot();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Start(L"").exitCode, 0u);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(Stubmaker, DuplicateStubsLeaveOneAndAStaleSpellingIsRewritten) {
    AddValue(L"Arial", REG_SZ, L"arial.ttf");
    AddValue(L"Times", REG_SZ, L"times.ttf");
    Put(vf_ / L"sub" / L"arial copy.vft", Utf16Nul(L"-:arial.ttf"));
    Put(vf_ / L"sub" / L"deeper" / L"arial.ttf.vft", Utf16Nul(L"-:arial.ttf"));
    // Same stub path as times.ttf's, but its target differs in letter case: not current.
    Put(vf_ / L"times.ttf.vft", Utf16Nul(L"-:TIMES.TTF"));

    EXPECT_EQ(Start(L"").exitCode, 0u);
    // The two copies name one installed font: the first met by the scan stays, the other goes.
    const int left = fs::exists(vf_ / L"sub" / L"arial copy.vft") + fs::exists(vf_ / L"sub" / L"deeper" / L"arial.ttf.vft");
    EXPECT_EQ(left, 1);
    EXPECT_FALSE(fs::exists(vf_ / L"arial.ttf.vft"));
    // Rewritten for the current font and kept, not deleted as the stale stub it replaced.
    EXPECT_EQ(Bytes(vf_ / L"times.ttf.vft"), Utf16Nul(L"-:times.ttf"));
}

TEST_F(Stubmaker, FolderSwitchOnlyOpensTheFolder) {
    AddValue(L"Arial", REG_SZ, L"arial.ttf");
    for (const wchar_t* arguments : {L"/FOLDER", L"/folderx"}) {
        const Outcome run = Start(arguments);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_GE(run.started, 1u) << arguments;
        ASSERT_TRUE(fs::is_directory(vf_)) << arguments; // made when missing
        EXPECT_TRUE(fs::is_empty(vf_)) << arguments;
    }
    // Not at the very start: an ordinary run.
    EXPECT_EQ(Start(L"x /folder").exitCode, 0u);
    EXPECT_EQ(Bytes(vf_ / L"arial.ttf.vft"), Utf16Nul(L"-:arial.ttf"));
}

// A value too long for a stub (data past 259 units, or a name past the registry's own limit cannot
// be) is passed over; the fonts listed after it keep their stubs. Data of 259 units still fits.
TEST_F(Stubmaker, AValueTooLongForAStubIsPassedOver) {
    const std::wstring longest = L"D:\\" + std::wstring(246, L'd') + L"\\gpmax.ttf", tooLong = longest + L"x";
    ASSERT_EQ(longest.size(), 259u);
    AddValue(L"A longest", REG_SZ, longest);
    AddValue(L"B too long", REG_SZ, tooLong);
    AddValue(L"C long name " + std::wstring(300, L'n'), REG_SZ, L"gplongname.ttf");
    AddValue(L"D after", REG_SZ, L"gpafter.ttf");
    Put(vf_ / L"gpafter.ttf.vft", Utf16Nul(L"-:gpafter.ttf"));
    EXPECT_EQ(Start(L"").exitCode, 0u);
    EXPECT_EQ(Bytes(vf_ / L"gpmax.ttf.vft"), Utf16Nul(longest));
    EXPECT_FALSE(fs::exists(vf_ / L"gpmax.ttfx.vft"));
    EXPECT_EQ(Bytes(vf_ / L"gplongname.ttf.vft"), Utf16Nul(L"-:gplongname.ttf"));
    EXPECT_EQ(Bytes(vf_ / L"gpafter.ttf.vft"), Utf16Nul(L"-:gpafter.ttf"));
}

// Fonts installed by the user alone are listed under HKEY_CURRENT_USER with full paths: they get stubs
// in the absolute form, which later runs keep.
TEST_F(Stubmaker, FontsOfTheUsersOwnListGetStubsAndKeepThem) {
    const std::wstring userFont = L"C:\\users\\someone\\AppData\\Local\\Microsoft\\Windows\\Fonts\\gpuser.ttf";
    AddValue(L"User (TrueType)", REG_SZ, userFont, HKEY_CURRENT_USER);
    AddValue(L"System", REG_SZ, L"gpsystem.ttf");
    EXPECT_EQ(Start(L"").exitCode, 0u);
    EXPECT_EQ(Bytes(vf_ / L"gpuser.ttf.vft"), Utf16Nul(userFont));
    EXPECT_EQ(Bytes(vf_ / L"gpsystem.ttf.vft"), Utf16Nul(L"-:gpsystem.ttf"));
    const auto before = Snapshot();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Start(L"").exitCode, 0u);
    EXPECT_EQ(Snapshot(), before);
}

// Closed by the user while stage 4 writes: the program ends (the dialog waits for the worker, which
// may be sending to the controls just then), keeps what was written, deletes nothing and opens no folder.
TEST_F(Stubmaker, ClosingTheDialogDuringWritingStopsTheRun) {
    constexpr int kFonts = 3000;
    for (int i = 0; i < kFonts; ++i) AddValue(L"Many " + std::to_wstring(i), REG_SZ, L"gpmany" + std::to_wstring(i) + L".ttf");
    Put(vf_ / L"dead.ttf.vft", Utf16Nul(L"-:gpdead.ttf"));
    std::atomic<bool> closed = false;
    std::thread watcher([&] {
        for (int tries = 0; tries < 20000 && !closed; ++tries) {
            HWND dialog = FindWindowW(L"#32770", L"Installed font viewer");
            wchar_t text[256] = {};
            if (dialog) GetWindowTextW(GetDlgItem(dialog, 1001), text, 256);
            if (wcscmp(text, L"Creating virtual font files...") == 0) {
                PostMessageW(dialog, WM_CLOSE, 0, 0);
                closed = true;
            }
            Sleep(1);
        }
    });
    const Outcome run = Start(L"");
    watcher.join();
    ASSERT_TRUE(closed);
    EXPECT_EQ(run.exitCode, 0u); // ended by itself, not by the test's time-out
    EXPECT_EQ(run.started, 0u);
    EXPECT_TRUE(fs::exists(vf_ / L"dead.ttf.vft"));
    size_t written = 0;
    for (const auto& entry : fs::directory_iterator(vf_)) written += entry.path().filename().wstring().rfind(L"gpmany", 0) == 0;
    EXPECT_LT(written, static_cast<size_t>(kFonts));
}

// A font installed by the user alone, end to end: its file under the user's local application data,
// its value in the user's own list. Stubmaker writes its stub, Explorer's two thumbnail roads draw
// through the stub, and the stub's uninstall removes the value and the file without administrator
// rights (a request for them would be declined here, and named in a message box).
TEST_F(Stubmaker, AFontInstalledByTheUserAloneEndToEnd) {
    wchar_t local[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local), S_OK);
    const fs::path userFonts = fs::path(local) / L"Microsoft" / L"Windows" / L"Fonts";
    fs::create_directories(userFonts);
    const fs::path font = userFonts / L"GlyphpeekUser.ttf";
    ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf", font.c_str(), FALSE));
    AddValue(L"User (TrueType)", REG_SZ, font.wstring(), HKEY_CURRENT_USER);

    EXPECT_EQ(Start(L"").exitCode, 0u);
    const fs::path stub = vf_ / L"GlyphpeekUser.ttf.vft";
    ASSERT_EQ(Bytes(stub), Utf16Nul(font.wstring()));

    for (const wchar_t* library : {L"Typorama.dll", L"TyporamaVista.dll"})
        EXPECT_EQ(Execute(L"regsvr32.exe /s " + Quoted(TestFolder() + library)).exitCode, 0u);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const auto generation : {thumbnail_road::Generation::kClassic, thumbnail_road::Generation::kVista}) {
        const thumbnail_road::Answer answer = thumbnail_road::Request(generation, stub.c_str(), {96, 96});
        EXPECT_EQ(answer.failedStep, nullptr) << answer.failedStep;
        if (!answer.bitmap) continue;
        EXPECT_GT(glyphpeek::test::InkedPixels(answer.bitmap), 0);
        DeleteObject(answer.bitmap);
    }
    CoUninitialize();
    for (const wchar_t* library : {L"Typorama.dll", L"TyporamaVista.dll"})
        Execute(L"regsvr32.exe /s /u " + Quoted(TestFolder() + library));

    // The test build of the library, whose seam declines every request for administrator rights.
    SetEnvironmentVariableW(L"GLYPHPEEK_TEST_ELEVATION", L"declined");
    {
        DialogWatcher watcher({{[](HWND) { return true; }, [](HWND box) { Press(box, IDOK); }}});
        const UtilityLibrary utility(TestFolder() + L"seams\\");
        const auto uninstall = utility.Get<UninstallFromVFontProc>("UninstallFromVFont");
        wchar_t path[MAX_PATH] = {};
        wcsncpy(path, stub.c_str(), MAX_PATH - 1);
        EXPECT_EQ(uninstall(L"", path), 1);
        EXPECT_EQ(std::wstring(path), font.wstring());
        EXPECT_EQ(watcher.Stop(), 0u) << "a message box came up";
    }
    SetEnvironmentVariableW(L"GLYPHPEEK_TEST_ELEVATION", nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kUserInstalledFontsKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    EXPECT_NE(RegQueryValueExW(key, (std::wstring(kValuePrefix) + L"User (TrueType)").c_str(), nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_FALSE(fs::exists(font));
    EXPECT_FALSE(fs::exists(stub));
    DeleteFileW(font.c_str());
}

// The program's own resources, read from the executable: the dialog template built as a window,
// the stage texts, the icon and the manifest.
TEST_F(Stubmaker, ResourcesOfTheProgram) {
    HMODULE exe = LoadLibraryExW((scratch_ / L"Stubmaker.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    HWND dialog = CreateDialogParamW(exe, MAKEINTRESOURCEW(102), nullptr,
                                     [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr);
    wchar_t text[256] = {};
    GetWindowTextW(dialog, text, 256);
    EXPECT_STREQ(text, L"Installed font viewer");
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU));
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    ExpectDialogLayout(dialog, {{1001, L"Static"}, {1000, PROGRESS_CLASSW}});
    wchar_t label[16] = {};
    GetWindowTextW(GetDlgItem(dialog, 1001), label, 16);
    EXPECT_STREQ(label, L"msg");
    DestroyWindow(dialog);

    const wchar_t* const stages[] = {L"Creating the list of installed fonts...", L"Acquiring the virtual font file list...",
                                     L"Acquire the information on a virtual font file...",
                                     L"Creating virtual font files...", L"Deleted the dead linked font file..."};
    for (UINT id = 129; id <= 133; ++id) {
        ASSERT_GT(LoadStringW(exe, id, text, 256), 0) << id;
        EXPECT_STREQ(text, stages[id - 129]);
    }
    const ScopedIcon icon(static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(128), IMAGE_ICON, 32, 32, 0)));
    EXPECT_TRUE(icon);

    HRSRC manifest = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string xml(static_cast<const char*>(LockResource(LoadResource(exe, manifest))),
                          SizeofResource(exe, manifest));
    for (const char* part : {"requireAdministrator", "<dpiAware", "Microsoft.Windows.Common-Controls"})
        EXPECT_NE(xml.find(part), std::string::npos) << part;
    EXPECT_NE(FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16)), nullptr); // version
    FreeLibrary(exe);
}

} // namespace
