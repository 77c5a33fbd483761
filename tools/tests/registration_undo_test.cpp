// An installation that fails part-way is undone: regsvr32 /n /i:user (DllInstall with "user") on a
// registry where one of the class keys cannot take sub-keys leaves nothing of the library behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "testsupport/registry_probe.h"
#include "testsupport/test_process.h"
#include "testsupport/utility_library.h"
#include "testsupport/extension_library_printer.h"

namespace {

using namespace registry_probe;

using Library = glyphpeek::ids::ExtensionLibrary;
const Library kLibraries[] = {glyphpeek::ids::kTyporama, glyphpeek::ids::kTyporamaVista};

const std::wstring kClasses = L"Software\\Classes\\";

DWORD Regsvr32(const std::wstring& arguments) { return Execute(L"regsvr32.exe " + arguments).exitCode; }

// What the thumbnail and application-identity scripts write, which registration applies before it
// reaches the context-menu class.
std::vector<std::wstring> EarlierKeys(const Library& l) {
    const std::wstring n = l.name;
    return {L"AppID\\" + std::wstring(l.appId), L"AppID\\" + n + L".DLL", n + L".Thumbnail", n + L".Thumbnail.1",
            L"CLSID\\" + std::wstring(l.thumbnailClass), L".vft\\shellex\\" + std::wstring(l.thumbnailSlot),
            L"TypeLib\\" + std::wstring(l.typeLibrary)};
}

class RegistrationUndo : public ::testing::TestWithParam<Library> {
protected:
    RegistrationUndo() { Clean(); }
    ~RegistrationUndo() override { Clean(); }
    void Clean() {
        DeleteTree(HKEY_CURRENT_USER, blocker);
        for (const std::wstring& key : EarlierKeys(GetParam())) DeleteTree(HKEY_CURRENT_USER, kClasses + key);
    }
    // A volatile key takes no lasting sub-keys, so the context-menu class's script fails there. Its
    // parent is made first as a lasting key: a missing parent would be created volatile with it, and
    // every later registration under the user's classes would fail until the registry is reloaded.
    void Block() {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kClasses.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, blocker.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    std::wstring PerUser(const wchar_t* options) {
        return std::wstring(options) + L" /n /i:user \"" + TestFolder() + GetParam().file + L"\"";
    }
    const std::wstring blocker = kClasses + GetParam().name + L".ShellMenu";
};

TEST_P(RegistrationUndo, AFailedPerUserInstallationLeavesNothingBehind) {
    Block();
    EXPECT_NE(Regsvr32(PerUser(L"/s")), 0u);
    for (const std::wstring& key : EarlierKeys(GetParam()))
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + key)) << key.c_str();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + GetParam().name + L".ShellMenu.1"));

    // With the obstacle gone the same installation succeeds: the failure was the blocked key's.
    DeleteTree(HKEY_CURRENT_USER, blocker);
    ASSERT_EQ(Regsvr32(PerUser(L"/s")), 0u);
    EXPECT_EQ(String(HKEY_CURRENT_USER, kClasses + L"CLSID\\" + GetParam().thumbnailClass + L"\\InprocServer32",
                     L"ThreadingModel"),
              std::wstring(L"Apartment"));
    EXPECT_EQ(Regsvr32(PerUser(L"/s /u")), 0u);
}

INSTANTIATE_TEST_SUITE_P(Both, RegistrationUndo, ::testing::ValuesIn(kLibraries),
                         [](const auto& info) { return info.param.file[8] == L'V' ? "TyporamaVista" : "Typorama"; });

} // namespace
