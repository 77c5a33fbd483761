// Stubmaker.exe as a process under Wine: copied into a scratch folder (so its stub folder is the
// scratch's vf\), run against the prefix's real installed-font list with values of the test's own.
// The folder it opens at the end starts an Explorer process; the test ends whatever it started.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
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

#include "fonts_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr wchar_t kValuePrefix[] = L"Glyphpeek Stubmaker test ";

fs::path TestFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

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
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        scratch_ = fs::path(temp) / (L"stubmaker-test-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(scratch_);
        fs::create_directories(scratch_);
        fs::copy_file(TestFolder() / STUBMAKER_EXE, scratch_ / L"Stubmaker.exe");
        vf_ = scratch_ / L"vf";
        RemoveValues();
    }
    ~Stubmaker() override {
        RemoveValues();
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    void AddValue(const std::wstring& name, DWORD type, const std::wstring& data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        const LONG set = RegSetValueExW(key, (std::wstring(kValuePrefix) + name).c_str(), 0, type,
                                        reinterpret_cast<const BYTE*>(data.c_str()),
                                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        ASSERT_EQ(set, ERROR_SUCCESS);
    }
    // Only the test's own values: the prefix's other installed fonts stay as they are.
    static void RemoveValues() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
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

    fs::path scratch_;
    fs::path vf_;
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

// The data buffer holds 260 bytes: 129 units and the terminator fit, one more unit ends the
// enumeration there, and the fonts listed after it get no stub.
TEST_F(Stubmaker, AValueTooLongForTheBuffersEndsTheList) {
    const std::wstring fits = std::wstring(125, L'f') + L".ttf", tooLong = std::wstring(126, L'g') + L".ttf";
    AddValue(L"A fits", REG_SZ, fits);
    AddValue(L"B too long", REG_SZ, tooLong);
    AddValue(L"C after", REG_SZ, L"gpafter.ttf");
    EXPECT_EQ(Start(L"").exitCode, 0u);
    EXPECT_EQ(Bytes(vf_ / (fits + L".vft")), Utf16Nul(L"-:" + fits));
    EXPECT_FALSE(fs::exists(vf_ / (tooLong + L".vft")));
    EXPECT_FALSE(fs::exists(vf_ / L"gpafter.ttf.vft"));
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
    RECT units{0, 0, 181, 37}, client{};
    MapDialogRect(dialog, &units);
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);

    HWND label = GetDlgItem(dialog, 1001), progress = GetDlgItem(dialog, 1000);
    ASSERT_TRUE(label && progress);
    GetWindowTextW(label, text, 256);
    EXPECT_STREQ(text, L"msg");
    GetClassNameW(progress, text, 256);
    EXPECT_STREQ(text, PROGRESS_CLASSW);
    RECT place{6, 18, 6 + 168, 18 + 12}, actual{};
    MapDialogRect(dialog, &place);
    GetWindowRect(progress, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, place.left);
    EXPECT_EQ(actual.bottom, place.bottom);
    DestroyWindow(dialog);

    const wchar_t* const stages[] = {L"Creating the list of installed fonts...", L"Acquiring the virtual font file list...",
                                     L"Acquire the information on a virtual font file...",
                                     L"Creating virtual font files...", L"Deleted the dead linked font file..."};
    for (UINT id = 129; id <= 133; ++id) {
        ASSERT_GT(LoadStringW(exe, id, text, 256), 0) << id;
        EXPECT_STREQ(text, stages[id - 129]);
    }
    HICON icon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(128), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);

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
