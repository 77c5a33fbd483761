// The settings program's resources as Windows reads them: dialogs created from their templates, with
// every control inside it and none over another, the sample-text menu, icon, manifest and version.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "trsetting/resource.h"
#include "trsetting/sample_texts.h"
#include "testsupport/dialog_layout.h"

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Creates the dialog from its template and checks its caption, the controls the program binds, and
// that nothing lies outside it or over another control.
void ExpectDialog(int id, const wchar_t* caption, std::initializer_list<ExpectedControl> controls) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, Quiet, 0);
    ASSERT_TRUE(dialog) << id;
    wchar_t text[128] = {};
    GetWindowTextW(dialog, text, 128);
    EXPECT_STREQ(text, caption);
    SCOPED_TRACE(testing::Message() << "dialog " << id);
    ExpectDialogLayout(dialog, controls);
    DestroyWindow(dialog);
}

TEST(SettingsResources, DialogsHoldTheirControlsWithoutOverlap) {
    ExpectDialog(IDD_SETTING_DIALOG, L"Glyphpeek setting",
                 {{IDC_DEFINE_LIST, L"ListBox"},      {IDC_MOVE_UP, L"Button"},          {IDC_MOVE_DOWN, L"Button"},
                  {IDC_UPDATE, L"Button"},            {IDC_DELETE, L"Button"},           {IDC_DELETE_ALL, L"Button"},
                  {IDC_TEST, L"Button"},              {IDC_DEFINE_NAME, L"Edit"},        {IDC_CONDITION, L"Edit"},
                  {IDC_SAMPLE_MENU, L"Button"},       {IDC_SAMPLE_TEXT, L"Edit"},        {IDC_FIT_SINGLE_LINE, L"Button"},
                  {IDC_KEEP_FONT_SIZE, L"Button"},    {IDC_FORE_COLOR, L"Button"},       {IDC_BACK_COLOR1, L"Button"},
                  {IDC_BACK_COLOR2, L"Button"},       {IDC_PREVIEW, L"Button"},          {IDC_TYPE_TTF, L"Button"},
                  {IDC_TYPE_TTC, L"Button"},          {IDC_TYPE_OTF, L"Button"},         {IDC_EXPORT, L"Button"},
                  {IDC_IMPORT, L"Button"},            {IDOK, L"Button"}});
    ExpectDialog(IDD_IMAGE_DIALOG, L"Output as image",
                 {{IDC_IMAGE_FACE, L"ComboBox"}, {IDC_IMAGE_SIZE, L"Edit"}, {IDC_IMAGE_UNIT, L"ComboBox"},
                  {IDC_IMAGE_TEXT, L"Edit"}, {IDC_IMAGE_TARGET, L"Edit"}, {IDC_IMAGE_BROWSE, L"Button"},
                  {IDC_IMAGE_ANTIALIAS, L"Button"}, {IDOK, L"Button"}, {IDCANCEL, L"Button"}});
    ExpectDialog(IDD_DEFINE_TEST_DIALOG, L"Define test",
                 {{IDC_TEST_FILE_NAME, L"Edit"}, {IDC_TEST_RESULT, L"Static"}, {IDOK, L"Button"}});
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
