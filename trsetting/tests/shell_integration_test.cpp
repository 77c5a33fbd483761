// The settings program's shell integration against the test prefix's real registry, folders and
// regsvr32.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testsupport/registry_probe.h"
#include "trsetting/shell_integration.h"
#include "winsupport/product_identities.h"

namespace {

namespace fs = std::filesystem;
using namespace glyphpeek::trsetting;

constexpr const wchar_t* kVistaHandler = glyphpeek::ids::kThumbnailProviderSlot;
constexpr const wchar_t* kClassicHandler = glyphpeek::ids::kExtractImageSlot;
constexpr const wchar_t* kPreviewHandler = glyphpeek::ids::kPreviewHandlerSlot;

using registry_probe::KeyExists;

// A string value, or "<none>" when it is missing or not a string.
std::wstring StringValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    return registry_probe::String(root, path, name).value_or(L"<none>");
}

void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(RegSetKeyValueW(root, path.c_str(), name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// The .ttf and .otf entries of HKCR removed before and after each test.
class FontTypes : public ::testing::Test {
protected:
    FontTypes() { Clean(); }
    ~FontTypes() override { Clean(); }
    static void Clean() {
        for (const wchar_t* key : {L".ttf", L"ttffile", L".otf", L"otffile"}) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    }
};

TEST_F(FontTypes, EachGenerationEntersItsOwnHandlerOverlayAndMenu) {
    RegisterFontType(kTrueType, ShellGeneration::kVista);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, std::wstring(L".ttf\\shellex\\") + kVistaHandler, L""),
              glyphpeek::ids::kTyporamaVista.thumbnailClass);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L"ttffile", L"TypeOverlay"), L"");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L"ttffile\\shellex\\ContextMenuHandlers\\UpdateThumbnail", L""),
              glyphpeek::ids::kTyporamaVista.shellMenuClass);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, std::wstring(L".ttf\\shellex\\") + kPreviewHandler, L""),
              glyphpeek::ids::kTyporamaVista.previewClass);
    EXPECT_TRUE(IsFontTypeRegistered(kTrueType, ShellGeneration::kVista));
    EXPECT_FALSE(IsFontTypeRegistered(kTrueType, ShellGeneration::kClassic));

    RegisterFontType(kOpenType, ShellGeneration::kClassic);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, std::wstring(L".otf\\shellex\\") + kClassicHandler, L""),
              glyphpeek::ids::kTyporama.thumbnailClass);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L"otffile", L"TypeOverlay"), L"<none>");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L".otf\\shellex\\") + kPreviewHandler));  // no pane there
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L"otffile\\shellex\\ContextMenuHandlers\\UpdateThumbnail", L""),
              glyphpeek::ids::kTyporama.shellMenuClass);
    EXPECT_TRUE(IsFontTypeRegistered(kOpenType, ShellGeneration::kClassic));

    // Wine reports Windows 10: the calls without a generation take the Vista one.
    EXPECT_EQ(CurrentGeneration(), ShellGeneration::kVista);
    EXPECT_TRUE(IsFontTypeRegistered(kTrueType));
    EXPECT_FALSE(IsFontTypeRegistered(kOpenType));
}

TEST_F(FontTypes, RemovalTakesOnlyOurEntriesAndLeavesOtherHandlers) {
    SetString(HKEY_CLASSES_ROOT, L".ttf", L"", L"ttffile");
    SetString(HKEY_CLASSES_ROOT, L".ttf\\shellex\\{00000000-1111-2222-3333-444444444444}", L"", L"other");
    RegisterFontType(kTrueType, ShellGeneration::kVista);
    UnregisterFontType(kTrueType, ShellGeneration::kVista);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L".ttf\\shellex\\") + kVistaHandler));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L".ttf\\shellex\\") + kPreviewHandler));
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L".ttf\\shellex\\{00000000-1111-2222-3333-444444444444}", L""), L"other");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L".ttf", L""), L"ttffile");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L"ttffile", L"TypeOverlay"), L"<none>");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"ttffile\\shellex\\ContextMenuHandlers\\UpdateThumbnail"));
    EXPECT_FALSE(IsFontTypeRegistered(kTrueType, ShellGeneration::kVista));

    // Alone in shellex, the handler takes shellex with it; the extension key stays.
    RegisterFontType(kOpenType, ShellGeneration::kVista);
    UnregisterFontType(kOpenType, ShellGeneration::kVista);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".otf\\shellex"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L".otf"));

    // The other generation's handler is not this generation's to remove.
    RegisterFontType(kOpenType, ShellGeneration::kClassic);
    UnregisterFontType(kOpenType, ShellGeneration::kVista);
    EXPECT_TRUE(IsFontTypeRegistered(kOpenType, ShellGeneration::kClassic));
}

// Another program's thumbnail handler, menu entry and type overlay survive attaching and are back
// after detaching; a handler written over Glyphpeek's after it was attached is not taken back.
TEST_F(FontTypes, AnotherProgramsEntriesAreKeptAndPutBack) {
    const std::wstring thumbnail = std::wstring(L".ttf\\shellex\\") + kVistaHandler;
    const std::wstring menu = L"ttffile\\shellex\\ContextMenuHandlers\\UpdateThumbnail";
    SetString(HKEY_CLASSES_ROOT, thumbnail, L"", L"{0000AAAA-1111-2222-3333-444444444444}");
    SetString(HKEY_CLASSES_ROOT, menu, L"", L"{0000BBBB-1111-2222-3333-444444444444}");
    SetString(HKEY_CLASSES_ROOT, L"ttffile", L"TypeOverlay", L"other overlay");

    RegisterFontType(kTrueType, ShellGeneration::kVista);
    RegisterFontType(kTrueType, ShellGeneration::kVista);  // attached twice: the first kept values stay
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, thumbnail, L""), glyphpeek::ids::kTyporamaVista.thumbnailClass);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L"ttffile", L"TypeOverlay"), L"");
    UnregisterFontType(kTrueType, ShellGeneration::kVista);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, thumbnail, L""), L"{0000AAAA-1111-2222-3333-444444444444}");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, menu, L""), L"{0000BBBB-1111-2222-3333-444444444444}");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L"ttffile", L"TypeOverlay"), L"other overlay");
    // Nothing of Glyphpeek's is left beside them: the default value alone, and the overlay with shellex.
    EXPECT_EQ(registry_probe::EntryCount(HKEY_CLASSES_ROOT, thumbnail), 1);
    EXPECT_EQ(registry_probe::EntryCount(HKEY_CLASSES_ROOT, L"ttffile"), 2);

    // Never attached, the other program's entries are not Glyphpeek's to delete.
    UnregisterFontType(kTrueType, ShellGeneration::kVista);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, thumbnail, L""), L"{0000AAAA-1111-2222-3333-444444444444}");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L"ttffile", L"TypeOverlay"), L"other overlay");

    RegisterFontType(kTrueType, ShellGeneration::kVista);
    SetString(HKEY_CLASSES_ROOT, thumbnail, L"", L"{0000CCCC-1111-2222-3333-444444444444}");
    UnregisterFontType(kTrueType, ShellGeneration::kVista);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, thumbnail, L""), L"{0000CCCC-1111-2222-3333-444444444444}");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, menu, L""), L"{0000BBBB-1111-2222-3333-444444444444}");
}

TEST_F(FontTypes, UnregisteredOrUnknownTypesChangeNothing) {
    UnregisterFontType(kOpenType, ShellGeneration::kVista);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".otf"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"otffile"));
    for (const int index : {-1, kFontTypeCount, 1000}) {
        RegisterFontType(index);
        UnregisterFontType(index);
        EXPECT_FALSE(IsFontTypeRegistered(index));
    }
    // Registered means the key is there, whatever it names.
    SetString(HKEY_CLASSES_ROOT, std::wstring(L".ttf\\shellex\\") + kVistaHandler, L"", L"{someone else}");
    EXPECT_TRUE(IsFontTypeRegistered(kTrueType, ShellGeneration::kVista));
}

TEST(StoredSettings, GoWithTheMakersKeyOnlyWhenNoSiblingIsLeft) {
    const wchar_t* maker = L"Software\\Ormsby Software";
    SetString(HKEY_CURRENT_USER, L"Software\\Ormsby Software\\Typorama\\Define0", L"DefineName", L"Gothic");
    SetString(HKEY_CURRENT_USER, L"Software\\Ormsby Software\\Sibling", L"Kept", L"yes");
    DeleteStoredSettings();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Ormsby Software\\Typorama"));
    EXPECT_EQ(StringValue(HKEY_CURRENT_USER, L"Software\\Ormsby Software\\Sibling", L"Kept"), L"yes");

    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ormsby Software\\Sibling");
    SetString(HKEY_CURRENT_USER, L"Software\\Ormsby Software\\Typorama\\Define0\\Deeper", L"x", L"y");
    SetString(HKEY_CURRENT_USER, maker, L"MakerValue", L"goes too");
    DeleteStoredSettings();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, maker));
    DeleteStoredSettings();  // nothing left: nothing happens
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, maker));
}

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

TEST(StubFolder, IsRemovedWithWhatItHoldsExceptFilesInUse) {
    const fs::path folder = StubFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.wstring().substr(folder.wstring().size() - 3), L"vf\\");
    DeleteStubFolder();  // no folder: nothing happens
    EXPECT_FALSE(fs::exists(folder));

    fs::create_directories(folder / L"sub" / L"deeper");
    Touch(folder / L"arial.ttf.vft");
    Touch(folder / L"sub" / L"x.vft");
    Touch(folder / L"sub" / L"deeper" / L"y.vft");
    DeleteStubFolder();
    EXPECT_FALSE(fs::exists(folder));

    fs::create_directories(folder / L"busy");
    fs::create_directories(folder / L"free");
    Touch(folder / L"busy" / L"held.vft");
    Touch(folder / L"free" / L"z.vft");
    const HANDLE held = CreateFileW((folder / L"busy" / L"held.vft").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DeleteStubFolder();
    CloseHandle(held);
    EXPECT_TRUE(fs::exists(folder / L"busy" / L"held.vft"));
    EXPECT_FALSE(fs::exists(folder / L"free"));
    DeleteStubFolder();
    EXPECT_FALSE(fs::exists(folder));
}

TEST(ThumbnailCache, OnlyExplorersCacheFilesGoAndTheFolderKeepsItsAttributes) {
    wchar_t localData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localData), S_OK);
    const fs::path folder = fs::path(localData) / L"Microsoft" / L"Windows" / L"Explorer";
    fs::create_directories(folder / L"folder.db");
    for (const wchar_t* name : {L"thumbcache_96.db", L"iconcache_32.db", L"notes.txt", L"foreign.db", L"thumbcache_.db",
                                L"thumbcache_96.db.db.x", L"thumbcache_9 6.db"})
        Touch(folder / name);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    // (Wine keeps no read-only attribute on folders, so here the hidden one shows the restoring.)
    ASSERT_TRUE(SetFileAttributesW(folder.c_str(), attributes | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD marked = GetFileAttributesW(folder.c_str());

    ClearThumbnailCache();
    EXPECT_FALSE(fs::exists(folder / L"thumbcache_96.db"));
    EXPECT_FALSE(fs::exists(folder / L"iconcache_32.db"));
    // Only Explorer's own cache files go; whatever else the user keeps there stays.
    for (const wchar_t* name : {L"notes.txt", L"foreign.db", L"thumbcache_.db", L"thumbcache_96.db.db.x", L"thumbcache_9 6.db"})
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    EXPECT_TRUE(fs::is_directory(folder / L"folder.db"));
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), marked);

    SetFileAttributesW(folder.c_str(), attributes);
    fs::remove_all(folder);
}

TEST(ExtensionLibrary, IsRegisteredAndUnregisteredThroughRegsvr32) {
    // The Vista generation's library beside the test program, as beside the settings program.
    const std::wstring clsid = std::wstring(L"CLSID\\") + glyphpeek::ids::kTyporamaVista.thumbnailClass;
    UnregisterExtensionLibrary(false);
    ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, clsid));

    RegisterExtensionLibrary(false);
    // The .vft entries are written at once; regsvr32 is not waited for.
    EXPECT_TRUE(IsFontTypeRegistered(kVirtualFont));
    // The type library is what regsvr32's registration writes last.
    const std::wstring typeLibrary = std::wstring(L"TypeLib\\") + glyphpeek::ids::kTyporamaVista.typeLibrary;
    for (int waited = 0; waited < 15000 && !KeyExists(HKEY_CLASSES_ROOT, typeLibrary); waited += 50) Sleep(50);
    Sleep(300);  // for regsvr32 to return from the registration and end
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", L""), ProgramFolder() + L"TyporamaVista.dll");

    UnregisterExtensionLibrary(false);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, clsid));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, typeLibrary));
    UnregisterFontType(kVirtualFont);
}

} // namespace
