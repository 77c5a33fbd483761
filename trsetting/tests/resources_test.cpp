// The settings program's resources as Windows reads them: dialogs created from their templates, with
// every control in its place, the sample-text menu, icon, manifest and version.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "trsetting/resource.h"
#include "trsetting/sample_texts.h"

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

struct Control {
    int id;
    const wchar_t* className;
    RECT units;  // x, y, width, height in dialog units
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Creates the dialog and checks its caption and the controls' classes and places.
void ExpectDialog(int id, const wchar_t* caption, std::initializer_list<Control> controls) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, Quiet, 0);
    ASSERT_TRUE(dialog) << id;
    wchar_t text[128] = {};
    GetWindowTextW(dialog, text, 128);
    EXPECT_STREQ(text, caption);
    for (const Control& c : controls) {
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_TRUE(control) << id << " control " << c.id;
        EXPECT_EQ(_wcsicmp(ClassOf(control).c_str(), c.className), 0) << c.id;
        RECT expected = {c.units.left, c.units.top, c.units.left + c.units.right, c.units.top + c.units.bottom};
        MapDialogRect(dialog, &expected);
        RECT actual{};
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left) << c.id;
        EXPECT_EQ(actual.top, expected.top) << c.id;
        // A drop-down list's height is its closed height; only its width is the template's.
        EXPECT_EQ(actual.right, expected.right) << c.id;
        if (std::wstring(c.className) != L"ComboBox") {
            EXPECT_EQ(actual.bottom, expected.bottom) << c.id;
        }
    }
    DestroyWindow(dialog);
}

TEST(SettingsResources, DialogsHaveTheirControlsInPlace) {
    ExpectDialog(IDD_SETTING_DIALOG, L"Glyphpeek setting",
                 {{IDC_DEFINE_LIST, L"ListBox", {6, 18, 72, 156}},      {IDC_MOVE_UP, L"Button", {78, 18, 12, 78}},
                  {IDC_MOVE_DOWN, L"Button", {78, 96, 12, 78}},         {IDC_UPDATE, L"Button", {6, 174, 42, 12}},
                  {IDC_DELETE, L"Button", {48, 174, 42, 12}},           {IDC_DELETE_ALL, L"Button", {6, 186, 48, 12}},
                  {IDC_TEST, L"Button", {54, 186, 36, 12}},             {IDC_DEFINE_NAME, L"Edit", {132, 6, 72, 12}},
                  {IDC_CONDITION, L"Edit", {132, 24, 72, 12}},          {IDC_SAMPLE_MENU, L"Button", {187, 42, 18, 12}},
                  {IDC_SAMPLE_TEXT, L"Edit", {96, 54, 108, 72}},        {IDC_FIT_SINGLE_LINE, L"Button", {96, 132, 108, 12}},
                  {IDC_KEEP_FONT_SIZE, L"Button", {96, 144, 108, 12}},  {IDC_FORE_COLOR, L"Button", {163, 162, 41, 12}},
                  {IDC_BACK_COLOR1, L"Button", {163, 174, 41, 12}},     {IDC_BACK_COLOR2, L"Button", {163, 186, 41, 12}},
                  {IDC_PREVIEW, L"Button", {210, 6, 156, 192}},         {IDC_TYPE_TTF, L"Button", {12, 222, 102, 12}},
                  {IDC_TYPE_TTC, L"Button", {132, 222, 102, 12}},       {IDC_TYPE_OTF, L"Button", {252, 222, 102, 12}},
                  {IDC_EXPORT, L"Button", {6, 252, 60, 12}},            {IDC_IMPORT, L"Button", {66, 252, 60, 12}},
                  {IDOK, L"Button", {306, 252, 60, 12}}});
    ExpectDialog(IDD_IMAGE_DIALOG, L"Output as image",
                 {{IDC_IMAGE_FACE, L"ComboBox", {96, 6, 120, 186}},   {IDC_IMAGE_SIZE, L"Edit", {156, 24, 30, 13}},
                  {IDC_IMAGE_UNIT, L"ComboBox", {186, 24, 30, 42}},   {IDC_IMAGE_TEXT, L"Edit", {78, 42, 138, 12}},
                  {IDC_IMAGE_TARGET, L"Edit", {78, 60, 120, 12}},     {IDC_IMAGE_BROWSE, L"Button", {198, 60, 18, 12}},
                  {IDC_IMAGE_ANTIALIAS, L"Button", {6, 78, 90, 12}},  {IDOK, L"Button", {102, 78, 54, 12}},
                  {IDCANCEL, L"Button", {162, 78, 54, 12}}});
    ExpectDialog(IDD_DEFINE_TEST_DIALOG, L"Define test",
                 {{IDC_TEST_FILE_NAME, L"Edit", {6, 36, 150, 12}},
                  {IDC_TEST_RESULT, L"Static", {6, 48, 150, 12}},
                  {IDOK, L"Button", {96, 60, 60, 12}}});
}

TEST(SettingsResources, SampleMenuHoldsTheReadyMadeTextsInOrder) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_SAMPLE_MENU));
    ASSERT_TRUE(menu);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_TRUE(popup);
    const auto texts = glyphpeek::trsetting::SampleTexts();
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(GetMenuItemID(popup, static_cast<int>(i)), texts[i].commandId);
        wchar_t caption[64] = {};
        GetMenuStringW(popup, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(caption)), texts[i].caption);
    }
    DestroyMenu(menu);
}

TEST(SettingsResources, IconManifestAndVersion) {
    const HMODULE self = GetModuleHandleW(nullptr);
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        EXPECT_TRUE(icon) << size;
        if (icon) DestroyIcon(icon);
    }
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_TRUE(found);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(self, found))),
                               SizeofResource(self, found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\" uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
    wchar_t text[128] = {};
    EXPECT_GT(LoadStringW(self, IDS_ALSO_DELETE_DEFINES, text, 128), 0);
}

} // namespace
