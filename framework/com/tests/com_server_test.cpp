// A whole in-process server through the framework: registration from its own resources in both scopes,
// activation by COM, IDispatch from its type library, and the unload answer.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "probe_server.h"
#include "framework/com/registrar.h"
#include "testsupport/registry_probe.h"
#include "framework/com/type_library.h"
#include "testsupport/utility_library.h"

namespace glyphpeek::com {
namespace {

using namespace registry_probe;

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kClsidKey = kClasses + L"CLSID\\{47F55B08-E1A3-4F31-8836-E0B03A0ED9C4}";
const std::wstring kAppIdKey = kClasses + L"AppID\\{744F2007-1039-4E37-BA7A-6D7567E36B6B}";
const std::wstring kAppIdName = kClasses + L"AppID\\GlyphpeekProbe.DLL";
const std::wstring kProgId = kClasses + L"GlyphpeekProbe.Probe";
const std::wstring kProgId1 = kClasses + L"GlyphpeekProbe.Probe.1";
const std::wstring kExtension = kClasses + L".gpprobe";
const std::wstring kHandler = kExtension + L"\\shellex\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";
const std::wstring kTypeLib = kClasses + L"TypeLib\\{55EF9708-217B-4290-AFAD-AED5EE88C678}";
const std::wstring kInterface = kClasses + L"Interface\\{021469CA-0ED1-433B-80AB-BE4AF50B0FEB}";
const std::wstring kAllKeys[] = {kClsidKey, kAppIdKey, kAppIdName, kProgId, kProgId1, kExtension, kTypeLib, kInterface};

void Clean() {
    for (const std::wstring& key : kAllKeys) {
        DeleteTree(HKEY_LOCAL_MACHINE, key);
        DeleteTree(HKEY_CURRENT_USER, key);
    }
}

bool RunningOnWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

class ComServer : public ::testing::Test {
protected:
    using Entry = HRESULT(STDAPICALLTYPE*)();
    using InstallEntry = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);

    ComServer() {
        Clean();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        module = LoadLibraryW(path.c_str());
    }
    ~ComServer() override {
        CoFreeUnusedLibraries();
        CoUninitialize();
        if (module) FreeLibrary(module);
        Clean();
    }
    template <typename Proc>
    Proc Bind(const char* name) const {
        return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    HRESULT Call(const char* name) const {
        const Entry entry = Bind<Entry>(name);
        return entry ? entry() : E_NOTIMPL;
    }
    HRESULT Install(BOOL install, const wchar_t* commandLine) const {
        const InstallEntry entry = Bind<InstallEntry>("DllInstall");
        return entry ? entry(install, commandLine) : E_NOTIMPL;
    }

    void ExpectRegistered(HKEY base) const {
        EXPECT_EQ(String(base, kProgId1), L"Probe Class");
        EXPECT_EQ(String(base, kProgId1 + L"\\CLSID"), L"{47F55B08-E1A3-4F31-8836-E0B03A0ED9C4}");
        EXPECT_EQ(String(base, kProgId), L"Probe Class");
        EXPECT_EQ(String(base, kProgId + L"\\CLSID"), L"{47F55B08-E1A3-4F31-8836-E0B03A0ED9C4}");
        EXPECT_EQ(String(base, kProgId + L"\\CurVer"), L"GlyphpeekProbe.Probe.1");
        EXPECT_EQ(String(base, kClsidKey), L"Probe Class");
        EXPECT_EQ(String(base, kClsidKey, L"AppID"), L"{744F2007-1039-4E37-BA7A-6D7567E36B6B}");
        EXPECT_EQ(String(base, kClsidKey + L"\\ProgID"), L"GlyphpeekProbe.Probe.1");
        EXPECT_EQ(String(base, kClsidKey + L"\\VersionIndependentProgID"), L"GlyphpeekProbe.Probe");
        EXPECT_EQ(EntryCount(base, kClsidKey + L"\\Programmable"), 0);
        EXPECT_EQ(String(base, kClsidKey + L"\\InprocServer32"), path);
        EXPECT_EQ(String(base, kClsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(String(base, kClsidKey + L"\\TypeLib"), L"{55EF9708-217B-4290-AFAD-AED5EE88C678}");
        EXPECT_EQ(String(base, kAppIdKey), L"GlyphpeekProbe");
        EXPECT_EQ(String(base, kAppIdName, L"AppID"), L"{744F2007-1039-4E37-BA7A-6D7567E36B6B}");
        EXPECT_EQ(String(base, kExtension), L"gpprobefile");
        EXPECT_EQ(String(base, kHandler), L"{47F55B08-E1A3-4F31-8836-E0B03A0ED9C4}");
    }
    void ExpectUnregistered(HKEY base) const {
        for (const std::wstring& key : {kClsidKey, kAppIdKey, kAppIdName, kProgId, kProgId1})
            EXPECT_FALSE(KeyExists(base, key)) << std::string(key.begin(), key.end());
        EXPECT_FALSE(KeyExists(base, kExtension + L"\\shellex"));
        EXPECT_EQ(String(base, kExtension), L"gpprobefile");  // NoRemove
    }

    const std::wstring path = TestFolder() + L"glyphpeek_probe_server.dll";
    HMODULE module = nullptr;
};

TEST_F(ComServer, RegistersForAllUsersAndIsActivatedByCom) {
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    ExpectRegistered(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(String(HKEY_LOCAL_MACHINE, kTypeLib + L"\\1.0"), L"Glyphpeek probe server 1.0");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kInterface));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClsidKey));

    CLSID byProgId{};
    ASSERT_EQ(CLSIDFromProgID(L"GlyphpeekProbe.Probe", &byProgId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(byProgId, CLSID_Probe));
    IProbe* probe = nullptr;
    ASSERT_EQ(CoCreateInstance(byProgId, nullptr, CLSCTX_INPROC_SERVER, IID_IProbe, reinterpret_cast<void**>(&probe)),
              S_OK);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    LONG answer = 0;
    EXPECT_EQ(probe->get_Answer(&answer), S_OK);
    EXPECT_EQ(answer, 42);

    // IDispatch, served from the module's own type library.
    UINT count = 0;
    EXPECT_EQ(probe->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(probe->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IProbe));
    info->ReleaseTypeAttr(attr);
    info->Release();
    EXPECT_EQ(probe->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    wchar_t name[] = L"Answer";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    ASSERT_EQ(probe->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 1);
    wchar_t unknown[] = L"Question";
    names[0] = unknown;
    EXPECT_EQ(probe->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    DISPPARAMS none = {};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(probe->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 42);
    EXPECT_EQ(probe->Invoke(1, IID_IProbe, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    probe->Release();
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);

    ASSERT_EQ(Call("DllUnregisterServer"), S_OK);
    ExpectUnregistered(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTypeLib));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kInterface));
    EXPECT_EQ(CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_INPROC_SERVER, IID_IProbe, reinterpret_cast<void**>(&probe)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);  // again: nothing left to remove is no failure
}

TEST_F(ComServer, RegistersForTheCurrentUser) {
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(Install(TRUE, L"user"), S_OK);
    ExpectRegistered(HKEY_CURRENT_USER);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClsidKey));
    // Wine 8's RegisterTypeLibForUser writes the all-users classes; Windows writes the user's.
    const HKEY typeLibrary = RunningOnWine() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    EXPECT_EQ(String(typeLibrary, kTypeLib + L"\\1.0"), L"Glyphpeek probe server 1.0");

    ASSERT_EQ(Install(FALSE, L"user"), S_OK);
    ExpectUnregistered(HKEY_CURRENT_USER);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTypeLib));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTypeLib));
    EXPECT_EQ(Install(FALSE, L"user"), S_OK);
}

TEST_F(ComServer, TypeLibraryFallsBackToAllUsersWithoutThePerUserCalls) {
    ASSERT_NE(module, nullptr);
    // kernel32 has no RegisterTypeLibForUser: the same as an automation library without it.
    for (HMODULE automation : {static_cast<HMODULE>(nullptr), GetModuleHandleW(L"kernel32.dll")}) {
        ASSERT_EQ(RegisterModuleTypeLibrary(module, RegistrationScope::kCurrentUser, automation), S_OK);
        EXPECT_EQ(String(HKEY_LOCAL_MACHINE, kTypeLib + L"\\1.0"), L"Glyphpeek probe server 1.0");
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTypeLib));
        ASSERT_EQ(UnregisterModuleTypeLibrary(module, RegistrationScope::kCurrentUser, automation), S_OK);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTypeLib));
        EXPECT_EQ(UnregisterModuleTypeLibrary(module, RegistrationScope::kCurrentUser, automation), S_OK);
    }
    // A module without a type library is a failure, not a silent success.
    EXPECT_TRUE(FAILED(RegisterModuleTypeLibrary(GetModuleHandleW(nullptr), RegistrationScope::kAllUsers)));
}

TEST_F(ComServer, ScriptResourcesInEitherEncoding) {
    ASSERT_NE(module, nullptr);
    std::wstring text;
    ASSERT_EQ(LoadScriptResource(module, 101, &text), S_OK);  // UTF-8
    EXPECT_EQ(text.rfind(L"HKCR\n{\n\tNoRemove AppID\n", 0), 0u);
    ASSERT_EQ(LoadScriptResource(module, 102, &text), S_OK);  // UTF-16LE with its mark
    EXPECT_EQ(text.rfind(L"HKCR\r\n{\r\n\tGlyphpeekProbe.Probe.1 = s 'Probe Class'", 0), 0u);

    EXPECT_EQ(LoadScriptResource(module, 999, &text), HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_TRUE(text.empty());
    const Replacement replacements[] = {{L"MODULE", path}};
    EXPECT_EQ(ApplyScriptResource(module, 103, RegistrationScope::kAllUsers, replacements), kMalformedScript);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClasses + L"GlyphpeekProbe.Broken"));
    // A script naming %APPID% cannot be applied without it.
    EXPECT_EQ(ApplyScriptResource(module, 101, RegistrationScope::kAllUsers, replacements), kMalformedScript);
}

} // namespace
} // namespace glyphpeek::com
