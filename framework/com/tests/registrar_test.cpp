// Scripts applied to and removed from the test prefix's real registry, for all users and per user.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "framework/com/registrar.h"
#include "testsupport/registry_probe.h"

namespace glyphpeek::com {

// Found by GoogleTest through the argument's namespace, so it cannot be in the unnamed one.
void PrintTo(RegistrationScope scope, std::ostream* out) {
    *out << (scope == RegistrationScope::kAllUsers ? "all users" : "current user");
}

namespace {

using namespace registry_probe;

constexpr wchar_t kScript[] = LR"(HKCR
{
    NoRemove GlyphpeekRegistrarTest
    {
        Plain = s 'plain default'
        {
            val Count = d 7
            val Text = s 'It''s %MODULE%'
            Child
        }
        ForceRemove Forced = s 'forced'
        {
            Inner { val Mask = d 0xFFFFFFFF }
        }
        NoRemove Kept = s 'kept default'
        {
            val Added = s 'added'
            shellex
            {
                {BB2E617C-0920-11d1-9A0B-00C04FC2D6C1} = s '%APPID%'
            }
        }
    }
}
HKCU
{
    NoRemove Software
    {
        GlyphpeekRegistrarTest = s 'user root'
    }
}
HKMU
{
    NoRemove Software
    {
        NoRemove GlyphpeekRegistrarScoped
        {
            val Listed = s 'scope root'
        }
    }
}
)";

const Replacement kReplacements[] = {{L"MODULE", L"C:\\Glyph's\\probe.dll"}, {L"APPID", L"{929733FE-30C8-44CF-8976-E9647A550DE6}"}};

const std::wstring kTest = L"Software\\Classes\\GlyphpeekRegistrarTest";
const std::wstring kUserRoot = L"Software\\GlyphpeekRegistrarTest";
const std::wstring kScopeRoot = L"Software\\GlyphpeekRegistrarScoped";
const std::wstring kHandler = L"\\Kept\\shellex\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";

void Clean() {
    DeleteTree(HKEY_LOCAL_MACHINE, kTest);
    DeleteTree(HKEY_CURRENT_USER, kTest);
    DeleteTree(HKEY_CURRENT_USER, kUserRoot);
    DeleteTree(HKEY_LOCAL_MACHINE, kScopeRoot);
    DeleteTree(HKEY_CURRENT_USER, kScopeRoot);
}

class Registrar : public ::testing::TestWithParam<RegistrationScope> {
protected:
    Registrar() { Clean(); }
    ~Registrar() override { Clean(); }

    RegistrationScope scope() const { return GetParam(); }
    HKEY classes() const { return scope() == RegistrationScope::kAllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
    HKEY otherClasses() const { return scope() == RegistrationScope::kAllUsers ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
    HRESULT Apply(const wchar_t* script = kScript) { return ApplyScript(script, scope(), kReplacements); }
    HRESULT Remove(const wchar_t* script = kScript) { return RemoveScript(script, scope(), kReplacements); }
};

TEST_P(Registrar, ApplyWritesEveryKeyAndValueAndRemoveTakesThemBack) {
    ASSERT_EQ(Apply(), S_OK);
    const HKEY base = classes();
    EXPECT_EQ(String(base, kTest + L"\\Plain"), L"plain default");
    EXPECT_EQ(Dword(base, kTest + L"\\Plain", L"Count"), 7u);
    EXPECT_EQ(String(base, kTest + L"\\Plain", L"Text"), L"It's C:\\Glyph's\\probe.dll");
    EXPECT_TRUE(KeyExists(base, kTest + L"\\Plain\\Child"));
    EXPECT_EQ(String(base, kTest + L"\\Plain\\Child"), std::nullopt);
    EXPECT_EQ(String(base, kTest + L"\\Forced"), L"forced");
    EXPECT_EQ(Dword(base, kTest + L"\\Forced\\Inner", L"Mask"), 0xFFFFFFFFu);
    EXPECT_EQ(String(base, kTest + L"\\Kept"), L"kept default");
    EXPECT_EQ(String(base, kTest + L"\\Kept", L"Added"), L"added");
    EXPECT_EQ(String(base, kTest + kHandler), L"{929733FE-30C8-44CF-8976-E9647A550DE6}");
    EXPECT_EQ(EntryCount(base, kTest), 3);
    // HKCU stays HKCU in both scopes; HKCR of one scope does not spill into the other's classes.
    EXPECT_EQ(String(HKEY_CURRENT_USER, kUserRoot), L"user root");
    EXPECT_FALSE(KeyExists(otherClasses(), kTest));
    // HKMU follows the scope.
    EXPECT_EQ(String(classes(), kScopeRoot, L"Listed"), L"scope root");
    EXPECT_FALSE(KeyExists(otherClasses(), kScopeRoot));

    ASSERT_EQ(Remove(), S_OK);
    EXPECT_FALSE(KeyExists(base, kTest + L"\\Plain"));
    EXPECT_FALSE(KeyExists(base, kTest + L"\\Forced"));
    EXPECT_FALSE(KeyExists(base, kTest + L"\\Kept\\shellex"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserRoot));
    EXPECT_EQ(EntryCount(classes(), kScopeRoot), 0);
    // NoRemove keys stay with their default values; what the script added inside them goes.
    EXPECT_EQ(EntryCount(base, kTest), 1);
    EXPECT_EQ(String(base, kTest + L"\\Kept"), L"kept default");
    EXPECT_EQ(EntryCount(base, kTest + L"\\Kept"), 1);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));

    // Removing what is already gone, or was never there, succeeds.
    EXPECT_EQ(Remove(), S_OK);
    Clean();
    EXPECT_EQ(Remove(), S_OK);
}

TEST_P(Registrar, ForceRemoveStartsAfreshAndOtherKeysAreKept) {
    ASSERT_EQ(Apply(), S_OK);
    const HKEY base = classes();
    CreateKey(base, kTest + L"\\Forced\\Stale");
    SetString(base, kTest + L"\\Forced", L"Old", L"old");
    SetString(base, kTest + L"\\Plain", L"Extra", L"extra");
    SetString(base, kTest + L"\\Plain", L"", L"changed");

    ASSERT_EQ(Apply(), S_OK);
    EXPECT_FALSE(KeyExists(base, kTest + L"\\Forced\\Stale"));
    EXPECT_EQ(String(base, kTest + L"\\Forced", L"Old"), std::nullopt);
    EXPECT_EQ(Dword(base, kTest + L"\\Forced\\Inner", L"Mask"), 0xFFFFFFFFu);
    EXPECT_EQ(String(base, kTest + L"\\Plain", L"Extra"), L"extra");
    EXPECT_EQ(String(base, kTest + L"\\Plain"), L"plain default");
}

TEST_P(Registrar, RemovalSparesWhatOthersKeepInSharedKeys) {
    ASSERT_EQ(Apply(), S_OK);
    const HKEY base = classes();
    const std::wstring other = kTest + L"\\Kept\\shellex\\{E357FCCD-A995-4576-B01F-234630154E96}";
    SetString(base, other, L"", L"another handler");
    SetString(base, kTest + L"\\Plain", L"Foreign", L"theirs");

    ASSERT_EQ(Remove(), S_OK);
    EXPECT_FALSE(KeyExists(base, kTest + kHandler));
    EXPECT_EQ(String(base, other), L"another handler");
    EXPECT_EQ(EntryCount(base, kTest + L"\\Kept\\shellex"), 1);
    // The shared key keeps only the foreign value: the script's default, values and sub-key are gone.
    EXPECT_EQ(EntryCount(base, kTest + L"\\Plain"), 1);
    EXPECT_EQ(String(base, kTest + L"\\Plain", L"Foreign"), L"theirs");
    EXPECT_FALSE(KeyExists(base, kTest + L"\\Forced"));
}

TEST_P(Registrar, FaultyScriptsReportFailure) {
    // The valid start of a malformed script is not written either.
    EXPECT_EQ(Apply(LR"(HKCR { NoRemove GlyphpeekRegistrarTest { A = s 'a' B = s } })"), kMalformedScript);
    EXPECT_EQ(Apply(LR"(HKCR { NoRemove GlyphpeekRegistrarTest { A = s '%NOSUCH%' } })"), kMalformedScript);
    EXPECT_EQ(Remove(LR"(HKCR { GlyphpeekRegistrarTest )"), kMalformedScript);
    EXPECT_FALSE(KeyExists(classes(), kTest));

    // A key the registry refuses stops the work with the registry's own failure.
    const std::wstring tooLong = LR"(HKCR { NoRemove GlyphpeekRegistrarTest { A = s 'a' )" + std::wstring(300, L'x') +
                                 LR"( After = s 'b' } })";
    const HRESULT hr = Apply(tooLong.c_str());
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(hr, kMalformedScript);
    EXPECT_EQ(String(classes(), kTest + L"\\A"), L"a");
    EXPECT_FALSE(KeyExists(classes(), kTest + L"\\After"));
}

INSTANTIATE_TEST_SUITE_P(Scopes, Registrar,
                         ::testing::Values(RegistrationScope::kAllUsers, RegistrationScope::kCurrentUser),
                         [](const auto& info) {
                             return info.param == RegistrationScope::kAllUsers ? "AllUsers" : "CurrentUser";
                         });

} // namespace
} // namespace glyphpeek::com
