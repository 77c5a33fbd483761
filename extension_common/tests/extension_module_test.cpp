// Both extension libraries as COM servers: regsvr32 and DllInstall in both scopes write and take out
// every entry of their scripts, COM activates their classes by CLSID and ProgID, and the unload answer
// follows the objects; Typorama's strings come from its language resource library when there is one.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "typorama/resource.h"  // the ids of Typorama's strings, which the test language library shares
#include "testsupport/registry_probe.h"
#include "extension_common/string_source.h"
#include "testsupport/test_process.h"
#include "testsupport/extension_library_printer.h"
#include "testsupport/utility_library.h"

namespace {

using namespace registry_probe;

// The ids each library must register, as the product states them.
using Module = glyphpeek::ids::ExtensionLibrary;
const Module& kTyporama = glyphpeek::ids::kTyporama;
const Module& kVista = glyphpeek::ids::kTyporamaVista;

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kPreviewHandlers = glyphpeek::ids::kPreviewHandlersKey;
const std::wstring kPreviewKey = std::wstring(L".vft\\shellex\\") + glyphpeek::ids::kPreviewHandlerSlot;

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The keys a registration writes that no other software shares.
std::vector<std::wstring> OwnKeys(const Module& m) {
    const std::wstring n = m.name;
    return {L"AppID\\" + std::wstring(m.appId), L"AppID\\" + n + L".DLL",
            n + L".Thumbnail", n + L".Thumbnail.1", n + L".ShellMenu", n + L".ShellMenu.1",
            L"CLSID\\" + std::wstring(m.thumbnailClass), L"CLSID\\" + std::wstring(m.shellMenuClass),
            L"TypeLib\\" + std::wstring(m.typeLibrary), L".vft\\shellex\\" + std::wstring(m.thumbnailSlot),
            L"vftfile\\ShellEx\\ContextMenuHandlers\\Glyphpeek", L"CLSID\\" + std::wstring(kVista.previewClass),
            kPreviewKey};
}

void Clean(const Module& m) {
    for (const std::wstring& key : OwnKeys(m)) {
        DeleteTree(HKEY_LOCAL_MACHINE, kClasses + key);
        DeleteTree(HKEY_CURRENT_USER, kClasses + key);
    }
}

// Every key and value of the three scripts, under `base`\Software\Classes.
void ExpectRegistered(const Module& m, HKEY base, const std::wstring& path) {
    const std::wstring n = m.name, c = kClasses;
    EXPECT_EQ(String(base, c + L"AppID\\" + m.appId), n);
    EXPECT_EQ(String(base, c + L"AppID\\" + n + L".DLL", L"AppID"), std::wstring(m.appId));
    struct Class { const wchar_t* suffix; const wchar_t* clsid; const wchar_t* text; };
    for (const Class& k : {Class{L".Thumbnail", m.thumbnailClass, L"Thumbnail Class"},
                           Class{L".ShellMenu", m.shellMenuClass, L"ShellMenu Class"}}) {
        const std::wstring progId = n + k.suffix, progId1 = progId + L".1", clsid = c + L"CLSID\\" + k.clsid;
        EXPECT_EQ(String(base, c + progId1), std::wstring(k.text));
        EXPECT_EQ(String(base, c + progId1 + L"\\CLSID"), std::wstring(k.clsid));
        EXPECT_EQ(String(base, c + progId), std::wstring(k.text));
        EXPECT_EQ(String(base, c + progId + L"\\CLSID"), std::wstring(k.clsid));
        EXPECT_EQ(String(base, c + progId + L"\\CurVer"), progId1);
        EXPECT_EQ(String(base, clsid), std::wstring(k.text));
        EXPECT_EQ(String(base, clsid + L"\\ProgID"), progId1);
        EXPECT_EQ(String(base, clsid + L"\\VersionIndependentProgID"), progId);
        EXPECT_TRUE(KeyExists(base, clsid + L"\\Programmable"));
        EXPECT_EQ(Lower(String(base, clsid + L"\\InprocServer32").value_or(L"")), Lower(path));
        EXPECT_EQ(String(base, clsid + L"\\InprocServer32", L"ThreadingModel"), std::wstring(L"Apartment"));
        EXPECT_EQ(String(base, clsid + L"\\TypeLib"), std::wstring(m.typeLibrary));
    }
    const std::wstring thumbnailKey = c + L"CLSID\\" + m.thumbnailClass;
    if (m.vista)
        EXPECT_EQ(String(base, thumbnailKey, L"AppID"), std::wstring(m.appId));
    else
        EXPECT_FALSE(String(base, thumbnailKey, L"AppID"));
    EXPECT_EQ(String(base, c + L".vft"), std::wstring(L"vftfile"));
    EXPECT_EQ(String(base, c + L".vft\\shellex\\" + m.thumbnailSlot), std::wstring(m.thumbnailClass));
    EXPECT_EQ(String(base, c + L"vftfile"), std::wstring(L"Glyphpeek Virtual Font File"));
    EXPECT_EQ(String(base, c + L"vftfile\\ShellEx\\ContextMenuHandlers\\Glyphpeek"), std::wstring(m.shellMenuClass));
    if (m.previewClass) {
        // The preview handler runs in the system's preview host, is listed for it in the scope's own
        // list, and shows .vft stubs.
        const std::wstring clsid = c + L"CLSID\\" + m.previewClass;
        EXPECT_EQ(String(base, clsid), std::wstring(L"Glyphpeek Font Preview"));
        EXPECT_EQ(String(base, clsid, L"AppID"), std::wstring(glyphpeek::ids::kPreviewHostAppId));
        EXPECT_EQ(Lower(String(base, clsid + L"\\InprocServer32").value_or(L"")), Lower(path));
        EXPECT_EQ(String(base, clsid + L"\\InprocServer32", L"ThreadingModel"), std::wstring(L"Apartment"));
        EXPECT_EQ(String(base, c + kPreviewKey), std::wstring(m.previewClass));
        EXPECT_EQ(String(base, kPreviewHandlers, m.previewClass), std::wstring(L"Glyphpeek Font Preview"));
    }
    // The help string as its characters, whatever the code page (the merged view: Wine writes a
    // per-user type library with the machine's).
    EXPECT_EQ(String(HKEY_CLASSES_ROOT, L"TypeLib\\" + std::wstring(m.typeLibrary) + L"\\1.0"),
              n + L" 1.0 \u30BF\u30A4\u30D7 \u30E9\u30A4\u30D6\u30E9\u30EA");
}

void ExpectUnregistered(const Module& m, HKEY base) {
    for (const std::wstring& key : OwnKeys(m)) EXPECT_FALSE(KeyExists(base, kClasses + key)) << key.c_str();
    if (m.previewClass) {
        EXPECT_FALSE(String(base, kPreviewHandlers, m.previewClass));
    }
    // NoRemove keys stay, with their data.
    EXPECT_TRUE(KeyExists(base, kClasses + L"AppID"));
    EXPECT_TRUE(KeyExists(base, kClasses + L"CLSID"));
    EXPECT_EQ(String(base, kClasses + L".vft"), std::wstring(L"vftfile"));
    EXPECT_EQ(String(base, kClasses + L"vftfile"), std::wstring(L"Glyphpeek Virtual Font File"));
}

DWORD RunRegsvr32(const std::wstring& arguments) { return Execute(L"regsvr32.exe " + arguments).exitCode; }

class ExtensionModule : public ::testing::TestWithParam<Module> {
protected:
    using Entry = HRESULT(STDAPICALLTYPE*)();
    using InstallEntry = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);
    using GetClassObjectEntry = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

    ExtensionModule() {
        Clean(GetParam());
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        module = LoadLibraryW(path.c_str());
    }
    ~ExtensionModule() override {
        if (module) FreeLibrary(module);
        CoFreeUnusedLibraries();
        CoUninitialize();
        Clean(GetParam());
    }
    template <typename Proc>
    Proc Bind(const char* name) {
        return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    }
    CLSID Clsid(const wchar_t* text) {
        CLSID clsid{};
        CLSIDFromString(text, &clsid);
        return clsid;
    }

    const std::wstring path = TestFolder() + GetParam().file;
    HMODULE module = nullptr;
};

TEST_P(ExtensionModule, Regsvr32WritesEveryEntryForAllUsersAndSlashURemovesThem) {
    const Module& m = GetParam();
    ASSERT_EQ(RunRegsvr32(L"/s \"" + path + L"\""), 0u);
    ExpectRegistered(m, HKEY_LOCAL_MACHINE, path);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + L"CLSID\\" + m.thumbnailClass));
    ASSERT_EQ(RunRegsvr32(L"/s /u \"" + path + L"\""), 0u);
    ExpectUnregistered(m, HKEY_LOCAL_MACHINE);
}

TEST_P(ExtensionModule, DllInstallUserInAnyCaseRegistersForTheCurrentUserOnly) {
    const Module& m = GetParam();
    auto install = Bind<InstallEntry>("DllInstall");
    ASSERT_TRUE(install);
    for (const wchar_t* line : {L"user", L"USER"}) {
        ASSERT_EQ(install(TRUE, line), S_OK) << line;
        ExpectRegistered(m, HKEY_CURRENT_USER, path);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + L"CLSID\\" + m.thumbnailClass));
        if (m.previewClass) {
            EXPECT_FALSE(String(HKEY_LOCAL_MACHINE, kPreviewHandlers, m.previewClass));
        }
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + L"AppID\\" + m.appId));
        ASSERT_EQ(install(FALSE, line), S_OK) << line;
        for (const std::wstring& key : OwnKeys(m)) EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + key)) << key.c_str();
        if (m.previewClass) {
            EXPECT_FALSE(String(HKEY_CURRENT_USER, kPreviewHandlers, m.previewClass));
        }
        // Wine writes a per-user type library with the machine's; wherever it went, it is gone again.
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + L"TypeLib\\" + m.typeLibrary));
    }
}

TEST_P(ExtensionModule, DllInstallWithAnotherCommandLineRegistersForAllUsers) {
    const Module& m = GetParam();
    auto install = Bind<InstallEntry>("DllInstall");
    ASSERT_TRUE(install);
    for (const wchar_t* line : {L"users", L"", static_cast<const wchar_t*>(nullptr)}) {
        ASSERT_EQ(install(TRUE, line), S_OK);
        ExpectRegistered(m, HKEY_LOCAL_MACHINE, path);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClasses + L"CLSID\\" + m.thumbnailClass));
        ASSERT_EQ(install(FALSE, line), S_OK);
        ExpectUnregistered(m, HKEY_LOCAL_MACHINE);
    }
}

TEST_P(ExtensionModule, RegisteredClassesActivateByClsidAndProgIdAndServeTheirTypeInformation) {
    const Module& m = GetParam();
    auto registerServer = Bind<Entry>("DllRegisterServer");
    auto unregisterServer = Bind<Entry>("DllUnregisterServer");
    ASSERT_TRUE(registerServer && unregisterServer);
    ASSERT_EQ(registerServer(), S_OK);
    for (const wchar_t* suffix : {L".Thumbnail", L".ShellMenu"}) {
        const std::wstring progId = std::wstring(m.name) + suffix;
        for (const std::wstring& name : {progId, progId + L".1"}) {
            CLSID clsid{};
            ASSERT_EQ(CLSIDFromProgID(name.c_str(), &clsid), S_OK) << name.c_str();
            EXPECT_TRUE(IsEqualCLSID(clsid, Clsid(suffix[1] == L'T' ? m.thumbnailClass : m.shellMenuClass)));
            IDispatch* dispatch = nullptr;
            ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(&dispatch)), S_OK) << name.c_str();
            ITypeInfo* info = nullptr;
            ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &info), S_OK);
            TYPEATTR* attributes = nullptr;
            ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
            EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
            info->ReleaseTypeAttr(attributes);
            info->Release();
            dispatch->Release();
        }
    }
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadRegTypeLib(Clsid(m.typeLibrary), 1, 0, 0, &library), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), std::wstring(m.name) + L"Lib");
    SysFreeString(name);
    library->Release();
    EXPECT_EQ(unregisterServer(), S_OK);
}

TEST_P(ExtensionModule, UnloadAnswerFollowsObjectsAndLocksAndUnknownClassesAreRefused) {
    const Module& m = GetParam();
    auto getClassObject = Bind<GetClassObjectEntry>("DllGetClassObject");
    auto canUnload = Bind<Entry>("DllCanUnloadNow");
    ASSERT_TRUE(getClassObject && canUnload);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(canUnload(), S_OK);
    for (const wchar_t* clsid : {m.thumbnailClass, m.shellMenuClass}) {
        IClassFactory* factory = nullptr;
        ASSERT_EQ(getClassObject(Clsid(clsid), IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        IUnknown* object = nullptr;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
        factory->LockServer(TRUE);
        factory->Release();
        EXPECT_EQ(canUnload(), S_FALSE);
        object->Release();
        EXPECT_EQ(canUnload(), S_FALSE);  // still locked
        factory = nullptr;
        ASSERT_EQ(getClassObject(Clsid(clsid), IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        factory->LockServer(FALSE);
        factory->Release();
        EXPECT_EQ(canUnload(), S_OK);
    }
}

INSTANTIATE_TEST_SUITE_P(Both, ExtensionModule, ::testing::Values(kTyporama, kVista),
                         [](const auto& info) { return info.index == 0 ? "Typorama" : "TyporamaVista"; });

// Copies of Typorama.dll in a folder of their own, with or without a language resource library.
class LanguageLibrary : public ::testing::Test {
protected:
    LanguageLibrary() {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(TestFolder() + L"Typorama.dll", folder / L"Typorama.dll");
    }
    ~LanguageLibrary() override {
        if (module) FreeLibrary(module);
        if (language) FreeLibrary(language);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::wstring LanguageFile() {
        wchar_t abbreviation[5] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, abbreviation, 5);
        return (folder / (std::wstring(L"Typorama") + abbreviation + L".dll")).wstring();
    }
    void Load() {
        module = LoadLibraryW((folder / L"Typorama.dll").c_str());
        ASSERT_TRUE(module);
        language = glyphpeek::extension_common::LoadLanguageLibrary(module);
    }

    const std::filesystem::path folder = std::filesystem::path(TestFolder()) / L"language-test";
    HMODULE module = nullptr;
    HMODULE language = nullptr;
};

TEST_F(LanguageLibrary, AllStringsComeFromTheLanguageLibraryBesideTheModule) {
    std::filesystem::copy_file(TestFolder() + L"TyporamaTestLanguage.dll", LanguageFile());
    Load();
    ASSERT_TRUE(language);
    using glyphpeek::extension_common::LoadModuleString;
    EXPECT_EQ(LoadModuleString(module, language, IDS_PROJNAME), L"Typorama (test language)");
    EXPECT_EQ(LoadModuleString(module, language, IDS_MENU_INSTALL), L"&Install (test language)");
    // Missing there: empty, not Typorama's own.
    EXPECT_EQ(LoadModuleString(module, language, IDS_INFORMATION_CAPTION), L"");
}

TEST_F(LanguageLibrary, WithoutOneTheModulesOwnStringsAreUsed) {
    Load();
    EXPECT_FALSE(language);
    using glyphpeek::extension_common::LoadModuleString;
    EXPECT_EQ(LoadModuleString(module, language, IDS_PROJNAME), L"Typorama");
    EXPECT_EQ(LoadModuleString(module, language, IDS_INFORMATION_CAPTION), L"Information");
}

} // namespace
