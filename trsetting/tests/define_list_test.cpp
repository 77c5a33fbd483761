// The settings dialog's define list and its registry form, against the test prefix's registry and the
// real TRUtility.dll reader.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

#include "trsetting/define_list.h"
#include "trsetting/define_registry.h"
#include "testsupport/registry_probe.h"

namespace {

using namespace glyphpeek::trsetting;

constexpr wchar_t kDefinesKey[] = L"SOFTWARE\\Ormsby Software\\Typorama";

SettingData Define(const std::wstring& name, const std::wstring& condition = L"x", const std::wstring& text = L"Aa") {
    SettingData define{};
    wcsncpy(define.DefineName, name.c_str(), std::size(define.DefineName) - 1);
    wcsncpy(define.Condition, condition.c_str(), std::size(define.Condition) - 1);
    wcsncpy(define.SampleText, text.c_str(), std::size(define.SampleText) - 1);
    define.BackColor1 = define.BackColor2 = define.ForeColor = kColorNotSet;
    return define;
}

std::wstring Names(std::span<const SettingData> defines) {
    std::wstring names;
    for (const SettingData& define : defines) names += std::wstring(define.DefineName) + L";";
    return names;
}

bool KeyExists(const std::wstring& name) {
    return registry_probe::KeyExists(HKEY_CURRENT_USER, std::wstring(kDefinesKey) + L"\\" + name);
}

TEST(DefineList, UpdateIsByNameAndMovesStopAtTheEnds) {
    DefineList list;
    EXPECT_EQ(list.Store(Define(L"Gothic", L"gothic")), 0u);
    EXPECT_EQ(list.Store(Define(L"Mincho", L"mincho")), 1u);
    EXPECT_EQ(list.Store(Define(L"Sans", L"sans")), 2u);
    // The same name further down is overwritten in its place; another letter case is another define.
    EXPECT_EQ(list.Store(Define(L"Mincho", L"changed")), 1u);
    EXPECT_STREQ(list[1].Condition, L"changed");
    EXPECT_EQ(list.Store(Define(L"gothic")), 3u);
    EXPECT_EQ(Names(list.items()), L"Gothic;Mincho;Sans;gothic;");

    EXPECT_FALSE(list.MoveUp(0));
    EXPECT_FALSE(list.MoveDown(3));
    EXPECT_FALSE(list.MoveDown(7));
    EXPECT_TRUE(list.MoveDown(0));
    EXPECT_TRUE(list.MoveUp(3));
    EXPECT_EQ(Names(list.items()), L"Mincho;Gothic;gothic;Sans;");
    list.Remove(9);
    list.Remove(0);
    EXPECT_EQ(Names(list.items()), L"Gothic;gothic;Sans;");

    EXPECT_FALSE(MoveButtonStates(std::nullopt, 3).up || MoveButtonStates(std::nullopt, 3).down);
    EXPECT_FALSE(MoveButtonStates(0, 3).up);
    EXPECT_TRUE(MoveButtonStates(0, 3).down);
    EXPECT_TRUE(MoveButtonStates(2, 3).up);
    EXPECT_FALSE(MoveButtonStates(2, 3).down);
    EXPECT_FALSE(MoveButtonStates(0, 1).up || MoveButtonStates(0, 1).down);
}

class DefineRegistry : public ::testing::Test {
protected:
    DefineRegistry() { RegDeleteTreeW(HKEY_CURRENT_USER, kDefinesKey); }
    ~DefineRegistry() override { RegDeleteTreeW(HKEY_CURRENT_USER, kDefinesKey); }
};

TEST_F(DefineRegistry, SavingRenumbersAndDeletesTheKeysAboveUpToTheFirstGap) {
    SaveDefineList(std::vector<SettingData>{Define(L"A"), Define(L"B"), Define(L"C"), Define(L"D"), Define(L"E")});
    EXPECT_EQ(Names(LoadDefineList()), L"A;B;C;D;E;");
    SaveDefineList(std::vector<SettingData>{Define(L"C"), Define(L"A"), Define(L"E")});
    EXPECT_EQ(Names(LoadDefineList()), L"C;A;E;");
    EXPECT_FALSE(KeyExists(L"Define3"));
    EXPECT_FALSE(KeyExists(L"Define4"));

    // A gap ends the list: what lies beyond it is neither shown nor deleted.
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kDefinesKey) + L"\\Define2").c_str());
    SaveDefineList(std::vector<SettingData>{Define(L"A"), Define(L"B"), Define(L"C"), Define(L"D")});
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kDefinesKey) + L"\\Define2").c_str());
    const std::vector<SettingData> shown = LoadDefineList();
    EXPECT_EQ(Names(shown), L"A;B;");
    SaveDefineList(shown);
    EXPECT_TRUE(KeyExists(L"Define3"));

    SaveDefineList({});
    EXPECT_FALSE(KeyExists(L"Define0"));
    EXPECT_FALSE(KeyExists(L"Define1"));
    EXPECT_TRUE(KeyExists(L"Define3"));
}

TEST_F(DefineRegistry, FullLengthTextsAndEveryFieldSurviveTheRoundTrip) {
    SettingData define = Define(std::wstring(10, L'N'), std::wstring(50, L'c'), std::wstring(250, L't'));
    define.FitSingleLine = 1;
    define.KeepFontSize = 1;
    define.BackColor1 = 0x00102030;
    define.BackColor2 = kColorNotSet;
    define.ForeColor = 0x00FFFFFF;
    SettingData full = Define(L"");
    std::fill(std::begin(full.DefineName), std::end(full.DefineName), L'F');  // no terminator in the field
    SaveDefineList(std::vector<SettingData>{define, full});
    const std::vector<SettingData> read = LoadDefineList();
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(std::wstring(read[0].DefineName), std::wstring(10, L'N'));
    EXPECT_EQ(std::wstring(read[0].Condition), std::wstring(50, L'c'));
    EXPECT_EQ(std::wstring(read[0].SampleText), std::wstring(250, L't'));
    EXPECT_EQ(read[0].FitSingleLine, 1);
    EXPECT_EQ(read[0].KeepFontSize, 1);
    EXPECT_EQ(read[0].BackColor1, 0x00102030u);
    EXPECT_EQ(read[0].BackColor2, kColorNotSet);
    EXPECT_EQ(read[0].ForeColor, 0x00FFFFFFu);
    EXPECT_EQ(std::wstring(read[1].DefineName), std::wstring(14, L'F'));
}

} // namespace
