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

namespace {

using namespace registry_probe;

struct Library {
    const wchar_t* file;
    const wchar_t* name;
    const wchar_t* appId;
    const wchar_t* thumbnail;
    const wchar_t* typeLib;
    const wchar_t* handlerKey;
};

const Library kLibraries[] = {
    {L"Typorama.dll", L"Typorama", L"{B0BA7238-7292-46CD-9CAF-215613CDACF7}", L"{5025A292-D603-4BBC-AAAE-EED7600234E9}",
     L"{C0062F76-E363-442E-98FD-BB99DA949CE8}", L"{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}"},
    {L"TyporamaVista.dll", L"TyporamaVista", L"{D38EDE1C-B716-4C1B-AA67-E096E201D714}",
     L"{A8B69155-CE79-4778-9656-47953D0D5B0B}", L"{C57A52A9-BDF8-4E68-9268-E3571DD7EA34}",
     L"{E357FCCD-A995-4576-B01F-234630154E96}"},
};

const std::wstring kClasses = L"Software\\Classes\\";

DWORD Regsvr32(const std::wstring& arguments) { return Execute(L"regsvr32.exe " + arguments).exitCode; }

// What the thumbnail and application-identity scripts write, which registration applies before it
// reaches the context-menu class.
std::vector<std::wstring> EarlierKeys(const Library& l) {
    const std::wstring n = l.name;
    return {L"AppID\\" + std::wstring(l.appId), L"AppID\\" + n + L".DLL", n + L".Thumbnail", n + L".Thumbnail.1",
            L"CLSID\\" + std::wstring(l.thumbnail), L".vft\\shellex\\" + std::wstring(l.handlerKey),
            L"TypeLib\\" + std::wstring(l.typeLib)};
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
    EXPECT_EQ(String(HKEY_CURRENT_USER, kClasses + L"CLSID\\" + GetParam().thumbnail + L"\\InprocServer32",
                     L"ThreadingModel"),
              std::wstring(L"Apartment"));
    EXPECT_EQ(Regsvr32(PerUser(L"/s /u")), 0u);
}

void PrintTo(const Library& l, std::ostream* out) {
    for (const wchar_t* c = l.file; *c; ++c) *out << static_cast<char>(*c);
}

INSTANTIATE_TEST_SUITE_P(Both, RegistrationUndo, ::testing::ValuesIn(kLibraries),
                         [](const auto& info) { return info.param.file[8] == L'V' ? "TyporamaVista" : "Typorama"; });

} // namespace
