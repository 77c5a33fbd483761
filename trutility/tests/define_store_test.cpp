// The define store through the real TRUtility.dll, against the test prefix's registry.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "testsupport/utility_library.h"

namespace {

using LoadSettingProc = int (*)(int, SettingData*, int);

class DefineStore : public ::testing::Test {
protected:
    UtilityLibrary library;
    LoadSettingProc loadSetting = library.Get<LoadSettingProc>("_Z11LoadSettingiP11SettingDatai");
    LoadDefineProc loadDefine = library.Get<LoadDefineProc>("LoadDefine");
    DefineRegistry registry;

    SettingData Load(int index, int mode = 0, int expected = 1) {
        SettingData s;
        std::memset(&s, 0xCC, sizeof(s));
        EXPECT_EQ(loadSetting(index, &s, mode), expected) << "index " << index;
        return s;
    }
    std::wstring Select(const wchar_t* fileName) {
        SettingData s;
        std::memset(&s, 0xCC, sizeof(s));
        EXPECT_EQ(loadDefine(&s, fileName), &s);
        return s.DefineName;
    }
    void Define(int index, const wchar_t* name, const wchar_t* condition) {
        registry.SetString(index, L"DefineName", name);
        registry.SetString(index, L"Condition", condition);
    }
};

void ExpectStandard(const SettingData& s) {
    EXPECT_STREQ(s.DefineName, L"");
    EXPECT_STREQ(s.Condition, L"");
    EXPECT_STREQ(s.SampleText, L"");
    EXPECT_EQ(s.FitSingleLine, 0);
    EXPECT_EQ(s.KeepFontSize, 0);
    EXPECT_EQ(s.BackColor1, kColorNotSet);
    EXPECT_EQ(s.BackColor2, kColorNotSet);
    EXPECT_EQ(s.ForeColor, kColorNotSet);
}

TEST_F(DefineStore, StandardDefineAndMissingKeys) {
    ExpectStandard(Load(-1));
    ExpectStandard(Load(-7, 1));
    ExpectStandard(Load(0, 0, 0));  // no key: the reset record, result 0
    SettingData s;
    EXPECT_EQ(loadDefine(&s, L"arial.ttf"), &s);
    ExpectStandard(s);
    EXPECT_EQ(loadDefine(nullptr, L"arial.ttf"), nullptr);
}

TEST_F(DefineStore, DefaultsOfAnEmptyKey) {
    registry.CreateKey(0);
    registry.CreateKey(11);
    registry.CreateKey(1234);
    const SettingData s = Load(0);
    EXPECT_STREQ(s.DefineName, L"Define01");
    EXPECT_STREQ(s.Condition, L"");
    EXPECT_STREQ(s.SampleText, L"");
    EXPECT_EQ(s.FitSingleLine, 0);
    EXPECT_EQ(s.KeepFontSize, 1);
    EXPECT_EQ(s.BackColor1, 0x00FFFFFFu);
    EXPECT_EQ(s.BackColor2, 0x00FFFFFFu);
    EXPECT_EQ(s.ForeColor, 0x00000000u);
    EXPECT_STREQ(Load(11).DefineName, L"Define12");
    EXPECT_STREQ(Load(1234).DefineName, L"Define1235");
}

TEST_F(DefineStore, ConditionOnlyMode) {
    registry.SetString(0, L"Condition", L"\\.ttf$");
    registry.SetString(0, L"SampleText", L"Abc");
    registry.SetDword(0, L"ForeColor", 0x123456);
    const SettingData s = Load(0, 1);
    EXPECT_STREQ(s.Condition, L"\\.ttf$");
    EXPECT_STREQ(s.DefineName, L"");
    EXPECT_STREQ(s.SampleText, L"");
    EXPECT_EQ(s.ForeColor, kColorNotSet);
}

TEST_F(DefineStore, DwordTypeRules) {
    registry.SetDword(0, L"FitSingleLine", 2);
    registry.SetDword(0, L"KeepFontSize", 0);
    registry.SetDword(0, L"BackColor1", 0x00112233);
    registry.SetBytes(0, L"BackColor2", "\x01\x02\x03\x04", 4, REG_BINARY);
    const unsigned long long wide = 0x55;
    registry.SetBytes(0, L"ForeColor", &wide, sizeof(wide), REG_QWORD);
    SettingData s = Load(0);
    EXPECT_EQ(s.FitSingleLine, 0);
    EXPECT_EQ(s.KeepFontSize, 0);
    EXPECT_EQ(s.BackColor1, 0x00112233u);
    EXPECT_EQ(s.BackColor2, 0x00FFFFFFu);
    EXPECT_EQ(s.ForeColor, 0x00000000u);

    registry.SetDword(0, L"FitSingleLine", 1);
    registry.SetString(0, L"KeepFontSize", L"0");
    registry.SetDword(0, L"BackColor2", 0xFF000000);  // stored "not set" stays not set
    s = Load(0);
    EXPECT_EQ(s.FitSingleLine, 1);
    EXPECT_EQ(s.KeepFontSize, 1);
    EXPECT_EQ(s.BackColor2, kColorNotSet);
}

TEST_F(DefineStore, TextsAreTheValueBytesWhateverTheirType) {
    registry.SetString(0, L"Condition", L"%TEMP%", REG_EXPAND_SZ);
    registry.SetBytes(0, L"DefineName", L"Bin", 6, REG_BINARY);  // no terminator stored
    registry.SetBytes(0, L"SampleText", nullptr, 0, REG_SZ);
    SettingData s = Load(0);
    EXPECT_STREQ(s.Condition, L"%TEMP%");
    EXPECT_STREQ(s.DefineName, L"Bin");
    EXPECT_STREQ(s.SampleText, L"");

    registry.SetBytes(0, L"DefineName", nullptr, 0, REG_SZ);  // empty name: the default one
    EXPECT_STREQ(Load(0).DefineName, L"Define01");
}

TEST_F(DefineStore, LongTextsLoadBackOrAreCutToTheirField) {
    registry.SetString(0, L"DefineName", L"TenLetters");
    registry.SetString(0, L"SampleText", std::wstring(250, L'x'));
    SettingData s = Load(0);
    EXPECT_STREQ(s.DefineName, L"TenLetters");
    EXPECT_EQ(std::wstring(s.SampleText), std::wstring(250, L'x'));

    registry.SetString(0, L"DefineName", L"FourteenLetter");
    registry.SetString(0, L"SampleText", std::wstring(259, L'y'));
    s = Load(0);
    EXPECT_STREQ(s.DefineName, L"FourteenLetter");
    EXPECT_EQ(std::wstring(s.SampleText), std::wstring(259, L'y'));

    // Filling the field without a terminator: cut by one unit so the field ends terminated.
    const std::wstring fifteen = L"FifteenLetters!";
    registry.SetBytes(0, L"DefineName", fifteen.data(), 30, REG_SZ);
    const std::wstring sixty(60, L'c');
    registry.SetBytes(0, L"Condition", sixty.data(), 120, REG_SZ);
    s = Load(0);
    EXPECT_STREQ(s.DefineName, L"FifteenLetters");
    EXPECT_EQ(std::wstring(s.Condition), std::wstring(59, L'c'));

    // Longer than the field: unreadable, so the default.
    registry.SetString(0, L"DefineName", L"A name far too long for its field");
    registry.SetString(0, L"SampleText", std::wstring(300, L'z'));
    s = Load(0);
    EXPECT_STREQ(s.DefineName, L"Define01");
    EXPECT_STREQ(s.SampleText, L"");
}

TEST_F(DefineStore, FirstMatchInPriorityOrder) {
    Define(0, L"OpenType", L"\\.otf$");
    Define(1, L"Anything", L"");
    Define(2, L"Never", L"abc");
    EXPECT_EQ(Select(L"abc.OTF"), L"OpenType");
    EXPECT_EQ(Select(L"abc.ttf"), L"Anything");
    EXPECT_EQ(Select(L"abc.otf.bak"), L"Anything");
}

TEST_F(DefineStore, SelectionSkipsBrokenConditionsAndStopsAtAGap) {
    Define(0, L"Broken", L"[abc");
    Define(1, L"Gothic", L".*gothic.*");
    Define(3, L"Hidden", L"");
    EXPECT_EQ(Select(L"MS Gothic.ttc"), L"Gothic");
    EXPECT_EQ(Select(L"[abc"), L"");  // define 3 is behind the gap at 2: standard define
    SettingData s;
    loadDefine(&s, L"[abc");
    ExpectStandard(s);
}

TEST_F(DefineStore, NullFileNameSelectsOnlyEmptyConditions) {
    Define(0, L"TrueType", L"\\.ttf$");
    Define(1, L"Empty", L"");
    EXPECT_EQ(Select(nullptr), L"Empty");
    registry.Clear();
    Define(0, L"TrueType", L"\\.ttf$");
    EXPECT_EQ(Select(nullptr), L"");
}

TEST_F(DefineStore, SelectedDefineIsLoadedInFull) {
    Define(0, L"Full", L"^ms");
    registry.SetString(0, L"SampleText", L"Aa Bb");
    registry.SetDword(0, L"FitSingleLine", 1);
    registry.SetDword(0, L"BackColor1", 0x000000FF);
    SettingData s;
    loadDefine(&s, L"msgothic.ttc");
    EXPECT_STREQ(s.DefineName, L"Full");
    EXPECT_STREQ(s.Condition, L"^ms");
    EXPECT_STREQ(s.SampleText, L"Aa Bb");
    EXPECT_EQ(s.FitSingleLine, 1);
    EXPECT_EQ(s.KeepFontSize, 1);
    EXPECT_EQ(s.BackColor1, 0x000000FFu);
    EXPECT_EQ(s.BackColor2, 0x00FFFFFFu);
}

} // namespace
