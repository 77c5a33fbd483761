// The maintenance switches run in process against the test prefix: registry, stub folder, regsvr32,
// and the uninstall's question shown for real and answered by a watcher thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testsupport/dialog_watcher.h"
#include "trsetting/maintenance.h"
#include "testsupport/registry_probe.h"
#include "trsetting/shell_integration.h"
#include "winsupport/product_identities.h"

namespace {

namespace fs = std::filesystem;
using namespace glyphpeek::trsetting;

const std::wstring kVistaClsid = std::wstring(L"CLSID\\") + glyphpeek::ids::kTyporamaVista.thumbnailClass;
const wchar_t kDefinesKey[] = L"Software\\Ormsby Software\\Typorama";

std::wstring Text(unsigned id) {
    wchar_t text[512] = {};
    LoadStringW(GetModuleHandleW(nullptr), id, text, 512);
    return text;
}

using registry_probe::KeyExists;

bool Maintain(const char16_t* tail) { return RunMaintenance(ParseCommandTail(tail), &Text).has_value(); }

// The library beside the program registered, all font types attached, a define and a stub folder.
class Uninstall : public ::testing::Test {
protected:
    Uninstall() {
        HMODULE library = LoadLibraryW((ProgramFolder() + L"TyporamaVista.dll").c_str());
        auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "DllRegisterServer")));
        EXPECT_TRUE(reg && reg() == S_OK);
        FreeLibrary(library);
        for (int type = 0; type < kFontTypeCount; ++type) RegisterFontType(type);
        RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kDefinesKey) + L"\\Define0").c_str(), L"DefineName", REG_SZ,
                        L"Kept", 10);
        fs::create_directories(fs::path(StubFolder()) / L"sub");
        std::ofstream(fs::path(StubFolder()) / L"sub" / L"arial.ttf.vft") << "x";
    }
    ~Uninstall() override {
        UnregisterExtensionLibrary(false);
        for (int type = 0; type < kFontTypeCount; ++type) UnregisterFontType(type);
        DeleteStoredSettings();
        DeleteStubFolder();
    }
    static DialogWatcher::Step Question(int button) {
        return {[](HWND dialog) { return WindowText(dialog) == L"Confirm"; },
                [button](HWND box) {
                    EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)),
                              L"Do you want to also delete definitions informations?");
                    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
                    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
                    Press(box, button);
                }};
    }
    void ExpectHandlersAndLibraryGone() {
        for (int type = 0; type < kFontTypeCount; ++type) EXPECT_FALSE(IsFontTypeRegistered(type)) << type;
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kVistaClsid));
    }
};

TEST_F(Uninstall, AnsweredNoKeepsTheDefinesAndTheStubs) {
    ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kVistaClsid));
    DialogWatcher watcher({Question(IDNO)});
    EXPECT_TRUE(Maintain(u"/uninstall"));
    EXPECT_EQ(watcher.Finish(), 1u);
    ExpectHandlersAndLibraryGone();
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::wstring(kDefinesKey) + L"\\Define0"));
    EXPECT_TRUE(fs::exists(fs::path(StubFolder()) / L"sub" / L"arial.ttf.vft"));
}

TEST_F(Uninstall, AnsweredYesRemovesThemToo) {
    DialogWatcher watcher({Question(IDYES)});
    EXPECT_TRUE(Maintain(u"/UNINSTALL /result"));
    EXPECT_EQ(watcher.Finish(), 1u);
    ExpectHandlersAndLibraryGone();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Ormsby Software"));
    EXPECT_FALSE(fs::exists(StubFolder()));
}

// The package's removal: no question, everything registered goes with the stub folder, the defines stay,
// and no class key of the product's is left; another program's thumbnail handler of a font type comes
// back.
TEST_F(Uninstall, CleanupAsksNothingAndKeepsOnlyTheDefines) {
    const std::wstring otherHandler = std::wstring(L".otf\\shellex\\") + glyphpeek::ids::kThumbnailProviderSlot;
    UnregisterFontType(kOpenType);
    registry_probe::SetString(HKEY_CLASSES_ROOT, otherHandler, L"", L"{0000AAAA-1111-2222-3333-444444444444}");
    RegisterFontType(kOpenType);
    EXPECT_EQ(RunMaintenance(ParseCommandTail(u"/cleanup"), &Text), 0);
    EXPECT_EQ(registry_probe::String(HKEY_CLASSES_ROOT, otherHandler), L"{0000AAAA-1111-2222-3333-444444444444}");
    registry_probe::DeleteTree(HKEY_CLASSES_ROOT, L".otf\\shellex");
    ExpectHandlersAndLibraryGone();
    EXPECT_FALSE(fs::exists(StubFolder()));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::wstring(kDefinesKey) + L"\\Define0"));
    for (const wchar_t* key : {L".vft", L"vftfile", L"ttffile\\shellex", L"otffile\\shellex", L".ttc\\shellex"})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
}

// The package's installation waits for the registration; its rollback takes back all of it.
TEST(Maintenance, SetupRegistersAndItsUndoLeavesNothing) {
    // A type ticked under a version without the preview pane gets it from the installation over it.
    const std::wstring thumbnails = std::wstring(L".otf\\shellex\\") + glyphpeek::ids::kThumbnailProviderSlot;
    const std::wstring thumbnailClass = glyphpeek::ids::kTyporamaVista.thumbnailClass;
    RegSetKeyValueW(HKEY_CLASSES_ROOT, thumbnails.c_str(), nullptr, REG_SZ, thumbnailClass.c_str(),
                    static_cast<DWORD>((thumbnailClass.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(RunMaintenance(ParseCommandTail(u"/setup"), &Text), 0);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kVistaClsid));
    EXPECT_TRUE(IsFontTypeRegistered(kVirtualFont));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"vftfile\\shellex\\ContextMenuHandlers\\UpdateThumbnail"));
    // Web fonts and OpenType collections are served without being ticked.
    for (const int type : {kWoff, kWoff2, kOpenTypeCollection}) EXPECT_TRUE(IsFontTypeRegistered(type)) << type;
    for (const wchar_t* type : {L".vft", L".otf"})
        EXPECT_EQ(registry_probe::String(HKEY_CLASSES_ROOT,
                                         std::wstring(type) + L"\\shellex\\" + glyphpeek::ids::kPreviewHandlerSlot),
                  glyphpeek::ids::kTyporamaVista.previewClass)
            << type;
    EXPECT_EQ(RunMaintenance(ParseCommandTail(u"/UndoSetup"), &Text), 0);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kVistaClsid));
    for (const wchar_t* key : {L".vft", L"vftfile", L".woff", L".woff2", L".otc"})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    UnregisterFontType(kOpenType);
}

TEST(Maintenance, FontTypeSwitchesAttachOnlyTheNamedType) {
    for (int type = 0; type < kFontTypeCount; ++type) UnregisterFontType(type);
    EXPECT_TRUE(Maintain(u"/regist TTF "));
    EXPECT_FALSE(IsFontTypeRegistered(kTrueType));
    EXPECT_TRUE(Maintain(u"/registotf"));
    EXPECT_TRUE(IsFontTypeRegistered(kOpenType));
    EXPECT_FALSE(IsFontTypeRegistered(kTrueType));
    EXPECT_FALSE(IsFontTypeRegistered(kTrueTypeCollection));
    EXPECT_TRUE(Maintain(u"/regist ttc"));
    EXPECT_TRUE(IsFontTypeRegistered(kTrueTypeCollection));
    for (int type = 0; type < kFontTypeCount; ++type) UnregisterFontType(type);
    // The dialogs are not maintenance: nothing runs for them.
    EXPECT_FALSE(Maintain(u""));
    EXPECT_FALSE(Maintain(u" /install"));
    EXPECT_FALSE(Maintain(u"/image C:\\x.ttf"));
    EXPECT_FALSE(IsFontTypeRegistered(kVirtualFont));
}

} // namespace
