// The Windows Installer package as a user meets it: msiexec installs, repairs, upgrades and removes it in
// the test prefix, and what it leaves is read back from the file system and the registry. The handlers it
// registers draw through the Explorer stand-in.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testsupport/registry_probe.h"
#include "testsupport/test_process.h"
#include "testsupport/utility_library.h"
#include "winsupport/product_identities.h"

namespace {

namespace fs = std::filesystem;
using registry_probe::KeyExists;
using registry_probe::String;

const wchar_t* const kDeliverables[] = {L"TRUtility.dll", L"Typorama.dll", L"TyporamaVista.dll", L"TRSetting.exe",
                                        L"Stubmaker.exe"};
const std::wstring kVistaServer = std::wstring(L"CLSID\\") + glyphpeek::ids::kTyporamaVista.thumbnailClass + L"\\InprocServer32";
const std::wstring kVistaThumbnailHandler = std::wstring(L"\\shellex\\") + glyphpeek::ids::kThumbnailProviderSlot;
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kDefineKey[] = L"Software\\Ormsby Software\\Typorama\\Define0";
const wchar_t kDejaVu[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";

std::wstring Package(const wchar_t* version, const wchar_t* folder = L"") {
    return TestFolder() + L"..\\package\\" + folder + L"Glyphpeek-" + version + L"-x64.msi";
}
const std::wstring kFirst = Package(GLYPHPEEK_VERSION), kSecond = Package(GLYPHPEEK_NEXT_VERSION, L"upgrade\\");
// The test package: the first one with the action that fails an installation on request.
const std::wstring kFailing = Package(GLYPHPEEK_VERSION, L"seams\\");

DWORD Msiexec(const std::wstring& arguments) { return Execute(L"msiexec.exe " + arguments).exitCode; }
bool OnWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
const std::wstring kInstallFolder = KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Glyphpeek\\";
// Per machine on Windows; Wine's msiexec puts them in the user's Start menu.
std::vector<fs::path> MenuFolders() {
    return {fs::path(KnownFolder(CSIDL_COMMON_PROGRAMS)) / L"Glyphpeek", fs::path(KnownFolder(CSIDL_PROGRAMS)) / L"Glyphpeek"};
}

// The target of a shell link, empty when there is no such link.
std::wstring LinkTarget(const fs::path& link) {
    std::wstring target;
    IShellLinkW* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink)))) return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_PPV_ARGS(&file)))) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) && SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    shellLink->Release();
    return target;
}
std::wstring MenuEntryTarget(const wchar_t* name) {
    for (const fs::path& folder : MenuFolders())
        if (fs::exists(folder / name)) return LinkTarget(folder / name);
    return {};
}

// The installed-apps entries named Glyphpeek: the display version of each.
std::vector<std::wstring> InstalledVersions() {
    std::vector<std::wstring> versions;
    HKEY products = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &products) != ERROR_SUCCESS) return versions;
    wchar_t name[256];
    for (DWORD i = 0, units = 256; RegEnumKeyExW(products, i, name, &units, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, units = 256) {
        const std::wstring key = std::wstring(kUninstallKey) + L"\\" + name;
        if (String(HKEY_LOCAL_MACHINE, key, L"DisplayName") == L"Glyphpeek")
            versions.push_back(String(HKEY_LOCAL_MACHINE, key, L"DisplayVersion").value_or(L"?"));
    }
    RegCloseKey(products);
    return versions;
}
std::wstring EntryValue(const wchar_t* value) {
    HKEY products = nullptr;
    std::wstring found;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &products) != ERROR_SUCCESS) return found;
    wchar_t name[256];
    for (DWORD i = 0, units = 256; RegEnumKeyExW(products, i, name, &units, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, units = 256) {
        const std::wstring key = std::wstring(kUninstallKey) + L"\\" + name;
        if (String(HKEY_LOCAL_MACHINE, key, L"DisplayName") == L"Glyphpeek") found = String(HKEY_LOCAL_MACHINE, key, value).value_or(L"");
    }
    RegCloseKey(products);
    return found;
}

class Package : public ::testing::Test {
protected:
    Package() {
        CoInitialize(nullptr);
        RemoveAnyVersion();
        registry_probe::SetString(HKEY_CURRENT_USER, kDefineKey, L"DefineName", L"Mine");
    }
    ~Package() override {
        RemoveAnyVersion();
        registry_probe::DeleteTree(HKEY_CURRENT_USER, L"Software\\Ormsby Software");
        CoUninitialize();
    }
    static void RemoveAnyVersion() {
        Msiexec(L"/x " + Quoted(kSecond) + L" /qn");
        Msiexec(L"/x " + Quoted(kFirst) + L" /qn");
    }

    void ExpectInstalled() {
        for (const wchar_t* file : kDeliverables) EXPECT_TRUE(fs::exists(kInstallFolder + file)) << file;
        const std::wstring notices = kInstallFolder + L"THIRD-PARTY-NOTICES.txt";  // the libraries' licences
        EXPECT_TRUE(fs::exists(notices) && fs::file_size(notices) > 10000) << "THIRD-PARTY-NOTICES.txt";
        EXPECT_EQ(MenuEntryTarget(L"Glyphpeek Settings.lnk"), kInstallFolder + L"TRSetting.exe");
        EXPECT_EQ(MenuEntryTarget(L"Installed Font Viewer.lnk"), kInstallFolder + L"Stubmaker.exe");
        EXPECT_EQ(String(HKEY_CLASSES_ROOT, kVistaServer), kInstallFolder + L"TyporamaVista.dll");
        EXPECT_EQ(String(HKEY_CLASSES_ROOT, std::wstring(L".vft") + kVistaThumbnailHandler),
                  glyphpeek::ids::kTyporamaVista.thumbnailClass);
    }
    void ExpectNothingLeft() {
        EXPECT_FALSE(fs::exists(kInstallFolder));
        for (const fs::path& folder : MenuFolders()) EXPECT_FALSE(fs::exists(folder)) << folder;
        EXPECT_TRUE(InstalledVersions().empty());
        for (const std::wstring& key : std::initializer_list<std::wstring>{kVistaServer, std::wstring(L"CLSID\\") + glyphpeek::ids::kTyporamaVista.shellMenuClass, L"TyporamaVista.Thumbnail",
                                   L"AppID\\TyporamaVista.DLL", std::wstring(L"TypeLib\\") + glyphpeek::ids::kTyporamaVista.typeLibrary,
                                   L".vft", L"vftfile", std::wstring(L".ttf\\shellex\\") + glyphpeek::ids::kThumbnailProviderSlot,
                                   L"ttffile\\shellex\\ContextMenuHandlers\\UpdateThumbnail"})
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Ormsby Software"));
        // The defines are the user's.
        EXPECT_EQ(String(HKEY_CURRENT_USER, kDefineKey, L"DefineName"), L"Mine");
    }
};

TEST_F(Package, InstallsForTheMachineDrawsAndIsRemovedWithoutTrace) {
    ASSERT_EQ(Msiexec(L"/i " + Quoted(kFirst) + L" /qn"), 0u);
    ExpectInstalled();
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{GLYPHPEEK_VERSION});
    EXPECT_EQ(EntryValue(L"Publisher"), L"Ormsby Software");
    EXPECT_EQ(EntryValue(L"HelpLink"), kInstallFolder + L"Readme.txt");
    EXPECT_FALSE(EntryValue(L"DisplayIcon").empty());

    // Explorer's road through the registered classes, to the installed libraries.
    const std::wstring thumbnails = TestFolder() + L"package-thumbnails";
    fs::remove_all(thumbnails);
    fs::create_directories(thumbnails);
    EXPECT_EQ(Execute(Quoted(TestFolder() + L"thumbnail_probe.exe") + L" vista 96 " + Quoted(thumbnails) + L" " +
                      Quoted(kDejaVu)).exitCode,
              0u);
    EXPECT_TRUE(fs::exists(fs::path(thumbnails) / L"DejaVuSans.ttf.png"));
    fs::remove_all(thumbnails);

    // What the user adds afterwards goes too: another font type, and the stub folder.
    EXPECT_EQ(Execute(Quoted(kInstallFolder + L"TRSetting.exe") + L" /regist ttf").exitCode, 0u);
    ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L".ttf") + kVistaThumbnailHandler));
    fs::create_directories(kInstallFolder + L"vf");
    std::FILE* stub = _wfopen((kInstallFolder + L"vf\\DejaVuSans.ttf.vft").c_str(), L"wb");
    ASSERT_TRUE(stub);
    std::fclose(stub);

    EXPECT_EQ(Msiexec(L"/x " + Quoted(kFirst) + L" /qn"), 0u);
    ExpectNothingLeft();
}

TEST_F(Package, ANewerVersionReplacesTheOlder) {
    ASSERT_EQ(Msiexec(L"/i " + Quoted(kFirst) + L" /qn"), 0u);
    EXPECT_EQ(Execute(Quoted(kInstallFolder + L"TRSetting.exe") + L" /regist ttf").exitCode, 0u);
    ASSERT_EQ(Msiexec(L"/i " + Quoted(kSecond) + L" /qn"), 0u);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{GLYPHPEEK_NEXT_VERSION});
    ExpectInstalled();
    // The user's font types outlive an upgrade. Wine's msiexec removes the older product without telling
    // it that it is being upgraded, so there its removal runs in full and they go.
    if (!OnWine()) {
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L".ttf") + kVistaThumbnailHandler));
    }
    // An older package refuses to replace a newer one.
    EXPECT_NE(Msiexec(L"/i " + Quoted(kFirst) + L" /qn"), 0u);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{GLYPHPEEK_NEXT_VERSION});
    EXPECT_EQ(Msiexec(L"/x " + Quoted(kSecond) + L" /qn"), 0u);
    ExpectNothingLeft();
}

TEST_F(Package, RepairRestoresADeletedFile) {
    ASSERT_EQ(Msiexec(L"/i " + Quoted(kFirst) + L" /qn"), 0u);
    ASSERT_TRUE(fs::remove(kInstallFolder + L"TRUtility.dll"));
    // What msiexec /fp does; Wine's /f does not find the installed product, so the properties are given.
    EXPECT_EQ(Msiexec(L"/i " + Quoted(kFirst) + L" REINSTALL=ALL REINSTALLMODE=pus /qn"), 0u);
    ExpectInstalled();
    EXPECT_EQ(EntryValue(L"HelpLink"), kInstallFolder + L"Readme.txt");
}

// An installation that fails after the registration rolls it back with the files. Wine runs the rollback
// actions only after it has taken the files away, so there the undo (the installed settings program)
// cannot run and the registration stays: on Wine the test checks the rest, and that installing and
// removing the package again clears it.
TEST_F(Package, AFailedInstallationLeavesNothing) {
    EXPECT_NE(Msiexec(L"/i " + Quoted(kFailing) + L" /qn GLYPHPEEK_FAIL_AFTER_REGISTRATION=1"), 0u);
    EXPECT_TRUE(InstalledVersions().empty());
    EXPECT_FALSE(fs::exists(kInstallFolder));
    if (OnWine()) {
        ASSERT_EQ(Msiexec(L"/i " + Quoted(kFirst) + L" /qn"), 0u);
        EXPECT_EQ(Msiexec(L"/x " + Quoted(kFirst) + L" /qn"), 0u);
    }
    ExpectNothingLeft();
}

// The five deliverables carry the project's version and product name.
// The custom actions of a package.
std::vector<std::wstring> CustomActions(const std::wstring& package) {
    std::vector<std::wstring> actions;
    MSIHANDLE database = 0, view = 0, record = 0;
    if (MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_READONLY, &database) != ERROR_SUCCESS) return actions;
    if (MsiDatabaseOpenViewW(database, L"SELECT `Action` FROM `CustomAction`", &view) == ERROR_SUCCESS &&
        MsiViewExecute(view, 0) == ERROR_SUCCESS) {
        while (MsiViewFetch(view, &record) == ERROR_SUCCESS) {
            wchar_t name[128] = {};
            DWORD units = 128;
            if (MsiRecordGetStringW(record, 1, name, &units) == ERROR_SUCCESS) actions.emplace_back(name, units);
            MsiCloseHandle(record);
        }
    }
    if (view) MsiCloseHandle(view);
    MsiCloseHandle(database);
    return actions;
}

// Whether a file's bytes hold `text` in UTF-16.
bool HoldsText(const std::wstring& path, const std::wstring& text) {
    std::ifstream in(fs::path(path), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string wanted(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return !bytes.empty() && bytes.find(wanted) != std::string::npos;
}

// What only tests may do (fail an installation on request, force or decline elevation) is in the test
// builds alone, never in what ships.
TEST(Release, TestSeamsAreOnlyInTheTestBuilds) {
    const auto hasFailure = [](const std::vector<std::wstring>& actions) {
        return std::find(actions.begin(), actions.end(), L"FailAfterRegistration") != actions.end();
    };
    ASSERT_FALSE(CustomActions(kFirst).empty());
    EXPECT_FALSE(hasFailure(CustomActions(kFirst)));
    EXPECT_FALSE(hasFailure(CustomActions(kSecond)));
    EXPECT_TRUE(hasFailure(CustomActions(kFailing)));
    EXPECT_FALSE(HoldsText(TestFolder() + L"TRUtility.dll", L"GLYPHPEEK_TEST"));
    EXPECT_TRUE(HoldsText(TestFolder() + L"seams\\TRUtility.dll", L"GLYPHPEEK_TEST"));
}

TEST(Release, EveryDeliverableCarriesTheProductVersion) {
    for (const wchar_t* file : kDeliverables) {
        const std::wstring path = TestFolder() + file;
        std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), nullptr));
        ASSERT_FALSE(data.empty()) << file;
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
        auto text = [&](const wchar_t* name) {
            wchar_t* value = nullptr;
            UINT units = 0;
            const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
            return VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &units) && value
                       ? std::wstring(value)
                       : std::wstring();
        };
        EXPECT_EQ(text(L"ProductName"), L"Glyphpeek") << file;
        EXPECT_EQ(text(L"ProductVersion"), GLYPHPEEK_VERSION L".0") << file;
        EXPECT_EQ(text(L"FileVersion"), GLYPHPEEK_VERSION L".0") << file;
        EXPECT_EQ(text(L"OriginalFilename"), file);
    }
}

} // namespace
