// The context menus of both libraries as Explorer drives them: a data object with a real CF_HDROP,
// QueryContextMenu into a real menu, help texts, and the commands carried out on the test prefix's
// Fonts folder, installed-font list and files, with the dialogs answered by a watcher thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testsupport/dialog_watcher.h"
#include "extension_common/tests/extension_libraries.h"
#include "winsupport/fonts_folder.h"
#include "testsupport/synthetic_font.h"
#include "testsupport/utility_library.h"
#include "testsupport/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

const CLSID kClassicMenu = {0xF91791B9, 0xA509, 0x4FAD, {0xB7, 0x78, 0x47, 0x8A, 0xE2, 0x41, 0xDC, 0xCC}};
const CLSID kVistaMenu = {0x5C5A968A, 0x9EE3, 0x4436, {0x84, 0x09, 0xD1, 0xD4, 0xFE, 0xA4, 0x83, 0xD6}};
const wchar_t kDejaVuBold[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans-Bold.ttf";
constexpr UINT kFirstId = 100;

// A data object as Explorer hands a context-menu handler: the selection as CF_HDROP global memory.
class DropData final : public IDataObject {
public:
    explicit DropData(std::vector<std::wstring> paths, bool offersDrop = true)
        : paths_(std::move(paths)), offersDrop_(offersDrop) {}

    IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject) ? this : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    IFACEMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack

    IFACEMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!offersDrop_ || format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        std::wstring list;
        for (const std::wstring& path : paths_) list += path + L'\0';
        list += L'\0';
        const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    IFACEMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    IFACEMETHODIMP QueryGetData(FORMATETC* format) override {
        return offersDrop_ && format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
    }
    IFACEMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    IFACEMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    IFACEMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    IFACEMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    IFACEMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<std::wstring> paths_;
    bool offersDrop_;
    ULONG refs_ = 1;
};

// One menu object driven the way Explorer drives it.
class Menu {
public:
    explicit Menu(IUnknown* object) {
        EXPECT_TRUE(object);
        if (!object) return;
        object->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init_));
        object->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu_));
        object->Release();
        EXPECT_TRUE(init_ && menu_);
    }
    ~Menu() {
        if (init_) init_->Release();
        if (menu_) menu_->Release();
    }
    explicit operator bool() const { return init_ && menu_; }

    HRESULT Initialize(const std::vector<std::wstring>& paths) {
        DropData data(paths);
        return init_->Initialize(nullptr, &data, nullptr);
    }

    // The labels the handler added into a menu that already holds one item of Explorer's.
    struct Added {
        HRESULT result;
        std::vector<std::wstring> labels;
    };
    Added Query(UINT flags = CMF_NORMAL) {
        HMENU popup = CreatePopupMenu();
        InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING, 1, L"&Open");
        Added added{menu_->QueryContextMenu(popup, 1, kFirstId, kFirstId + 50, flags), {}};
        const int count = GetMenuItemCount(popup);
        EXPECT_EQ(GetMenuItemID(popup, 0), 1u) << "Explorer's own item moved";
        for (int i = 1; i < count; ++i) {
            EXPECT_EQ(GetMenuItemID(popup, i), kFirstId + i - 1) << "item " << i;
            wchar_t label[128] = {};
            GetMenuStringW(popup, i, label, 128, MF_BYPOSITION);
            added.labels.push_back(label);
        }
        DestroyMenu(popup);
        return added;
    }

    std::wstring HelpW(UINT_PTR offset, HRESULT* result, UINT capacity = 256, UINT type = GCS_HELPTEXTW) {
        std::vector<wchar_t> text(capacity + 8, L'#');
        *result = menu_->GetCommandString(offset, type, nullptr, reinterpret_cast<char*>(text.data()), capacity);
        for (size_t i = capacity; i < text.size(); ++i) EXPECT_EQ(text[i], L'#') << "written past cchMax";
        return FAILED(*result) ? L"" : std::wstring(text.data(), wcsnlen(text.data(), capacity));
    }
    std::string HelpA(UINT_PTR offset, HRESULT* result, UINT capacity = 256, UINT type = GCS_HELPTEXTA) {
        std::vector<char> text(capacity + 8, '#');
        *result = menu_->GetCommandString(offset, type, nullptr, text.data(), capacity);
        for (size_t i = capacity; i < text.size(); ++i) EXPECT_EQ(text[i], '#') << "written past cchMax";
        return FAILED(*result) ? "" : std::string(text.data(), strnlen(text.data(), capacity));
    }

    HRESULT Validate(UINT_PTR offset) { return menu_->GetCommandString(offset, GCS_VALIDATEW, nullptr, nullptr, 0); }
    HRESULT Invoke(UINT offset) { return InvokeVerb(MAKEINTRESOURCEA(offset)); }
    HRESULT InvokeVerb(const char* verb) {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof(info);
        info.lpVerb = verb;
        info.nShow = SW_SHOWNORMAL;
        return menu_->InvokeCommand(&info);
    }

private:
    IShellExtInit* init_ = nullptr;
    IContextMenu* menu_ = nullptr;
};

std::wstring FontsFolder() {
    const std::wstring folder = FontsFolderPath();
    EXPECT_FALSE(folder.empty());
    return folder + L"\\";
}

// The data of an installed-font list value; empty when there is none.
std::wstring InstalledFont(const std::wstring& name) {
    wchar_t data[MAX_PATH] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return L"";
    return data;
}

// Every value name of the installed-font list whose data is `file`.
std::vector<std::wstring> ValuesNaming(const std::wstring& file) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[1024] = {}, data[MAX_PATH] = {};
        DWORD nameUnits = 1024, dataBytes = sizeof(data), type = 0;
        if (RegEnumValueW(key, i, name, &nameUnits, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataBytes) !=
            ERROR_SUCCESS)
            break;
        if (_wcsicmp(data, file.c_str()) == 0) names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

void SetInstalledFont(const std::wstring& name, const std::wstring& file) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, name.c_str(), REG_SZ, file.c_str(),
                              static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void WriteStub(const fs::path& path, const std::wstring& text) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * sizeof(wchar_t)));
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The message box that announces an installed file, checked and answered.
// The information box that names a file the Install command did not install, and why.
DialogWatcher::Step NotInstalled(const std::wstring& message) {
    return {[](HWND dialog) { return WindowText(dialog) == L"Information"; },
            [message](HWND box) {
                EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)), message);
                Press(box, IDOK);
            }};
}

DialogWatcher::Step Announcement(const std::wstring& fileName) {
    return {[](HWND dialog) { return WindowText(dialog) == L"Information"; },
            [fileName](HWND box) {
                EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)), L"Installed " + fileName);
                EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
                EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
                EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
                Press(box, IDOK);
            }};
}

// Both libraries registered for all users, as regsvr32 leaves them; a scratch folder for files.
class Menus : public ::testing::Test {
protected:
    ~Menus() override {
        for (const std::wstring& file : installed) {
            RemoveFontResourceW((fonts + file).c_str());
            DeleteFileW((fonts + file).c_str());
            for (const std::wstring& name : ValuesNaming(file))
                RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, name.c_str());
        }
    }
    static IUnknown* Create(const CLSID& clsid) { return RegisteredExtensions::Create(clsid); }
    // A file of the scratch folder whose Fonts-folder copy and list entries the test removes afterwards.
    std::wstring FontToInstall(const wchar_t* name) {
        installed.push_back(name);
        return (scratch / name).wstring();
    }

    RegisteredExtensions extensions;
    const ScratchFolder scratch{fs::path(TestFolder()) / L"menu-scratch"};
    const std::wstring fonts = FontsFolder();
    std::vector<std::wstring> installed;
};

using Labels = std::vector<std::wstring>;

TEST_F(Menus, ClassicMenuOffersUninstallForStubsAndInstallForEverythingElse) {
    {
        Menu menu(Create(kClassicMenu));
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu.Initialize({L"C:\\fonts\\arial.vft", L"C:\\fonts\\SAMPLE.VFT"}), S_OK);
        const Menu::Added added = menu.Query();
        EXPECT_EQ(added.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2));
        EXPECT_EQ(added.labels, (Labels{L"&Uninstall", L"Output as &picture"}));
    }
    {
        Menu menu(Create(kClassicMenu));
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu.Initialize({L"C:\\fonts\\arial.ttf", L"C:\\fonts\\arial.vft"}), S_OK);
        EXPECT_EQ(menu.Query().labels, (Labels{L"&Install", L"Output as &picture"}));
        // Explorer asking for the default item only gets nothing; the menu answers no help then.
        const Menu::Added none = menu.Query(CMF_DEFAULTONLY);
        EXPECT_EQ(none.result, S_OK);
        EXPECT_TRUE(none.labels.empty());
        HRESULT hr = S_OK;
        menu.HelpW(0, &hr);
        EXPECT_EQ(hr, E_INVALIDARG);
    }
}

TEST_F(Menus, VistaMenuOffersUninstallOnlyForStubs) {
    {
        Menu menu(Create(kVistaMenu));
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu.Initialize({L"C:\\a.vft", L"C:\\B.Vft"}), S_OK);
        const Menu::Added added = menu.Query();
        EXPECT_EQ(added.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3));
        EXPECT_EQ(added.labels, (Labels{L"&Uninstall", L"Update &thumbnail", L"Output as &picture"}));
    }
    {
        Menu menu(Create(kVistaMenu));
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu.Initialize({L"C:\\a.vft", L"C:\\b.otf"}), S_OK);
        const Menu::Added added = menu.Query();
        EXPECT_EQ(added.result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2));
        EXPECT_EQ(added.labels, (Labels{L"Update &thumbnail", L"Output as &picture"}));
        EXPECT_TRUE(menu.Query(CMF_DEFAULTONLY | CMF_VERBSONLY).labels.empty());
    }
}

TEST_F(Menus, HelpTextsFollowTheItemsAndAnsiVerbRequestsAreRefused) {
    HRESULT hr = E_FAIL;
    Menu classic(Create(kClassicMenu));
    ASSERT_TRUE(classic);
    ASSERT_EQ(classic.Initialize({L"C:\\x.vft"}), S_OK);
    classic.Query();
    EXPECT_EQ(classic.HelpW(0, &hr), L"Delete a font from a system");
    EXPECT_EQ(classic.HelpW(1, &hr), L"The target font is outputted as an image");
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(classic.HelpA(1, &hr), "The target font is outputted as an image");
    EXPECT_EQ(hr, S_OK);
    // The items have no verbs: Unicode verb requests get the help text, ANSI ones nothing.
    EXPECT_EQ(classic.HelpW(1, &hr, 256, GCS_VERBW), L"The target font is outputted as an image");
    classic.HelpA(1, &hr, 256, GCS_VERBA);
    EXPECT_EQ(hr, E_INVALIDARG);
    classic.HelpA(1, &hr, 256, GCS_VALIDATEA);
    EXPECT_EQ(hr, E_INVALIDARG);
    // Explorer validates with no buffer.
    EXPECT_EQ(classic.Validate(1), S_OK);
    EXPECT_EQ(classic.Validate(2), E_INVALIDARG);
    classic.HelpW(2, &hr);
    EXPECT_EQ(hr, E_INVALIDARG);
    // A short buffer gets what fits, terminated.
    EXPECT_EQ(classic.HelpW(0, &hr, 7), L"Delete");
    EXPECT_EQ(classic.HelpA(0, &hr, 7), "Delete");
    EXPECT_EQ(classic.HelpA(0, &hr, 1), "");
    classic.HelpW(0, &hr, 0);
    EXPECT_EQ(hr, E_INVALIDARG);

    ASSERT_EQ(classic.Initialize({L"C:\\x.ttc"}), S_OK);
    classic.Query();
    EXPECT_EQ(classic.HelpW(0, &hr), L"Install the selected font");

    Menu vista(Create(kVistaMenu));
    ASSERT_TRUE(vista);
    ASSERT_EQ(vista.Initialize({L"C:\\x.vft"}), S_OK);
    vista.Query();
    EXPECT_EQ(vista.HelpW(0, &hr), L"Delete a font from this system");
    EXPECT_EQ(vista.HelpW(1, &hr), L"Re-create a thumbnail based on the latest setups");
    EXPECT_EQ(vista.HelpA(2, &hr), "The target font is outputted as an image");
    vista.HelpW(3, &hr);
    EXPECT_EQ(hr, E_INVALIDARG);
}

TEST_F(Menus, SelectionsWithoutFilesOrWithTooLongPathsAreRefused) {
    for (const CLSID* clsid : {&kClassicMenu, &kVistaMenu}) {
        IUnknown* object = Create(*clsid);
        ASSERT_TRUE(object);
        IShellExtInit* init = nullptr;
        ASSERT_EQ(object->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
        object->Release();
        DropData noDrop({L"C:\\a.ttf"}, false);
        EXPECT_EQ(init->Initialize(nullptr, &noDrop, nullptr), E_INVALIDARG);
        DropData empty({});
        EXPECT_EQ(init->Initialize(nullptr, &empty, nullptr), E_INVALIDARG);
        EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
        // 259 units fit a path buffer with its terminator; 260 would be cut to another file's name.
        const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 1 - 3 - 4, L'f') + L".ttf";
        ASSERT_EQ(longest.size(), MAX_PATH - 1u);
        DropData fits({L"C:\\a.ttf", longest});
        EXPECT_EQ(init->Initialize(nullptr, &fits, nullptr), S_OK);
        DropData tooLong({L"C:\\a.ttf", longest + L"x"});
        EXPECT_EQ(init->Initialize(nullptr, &tooLong, nullptr), E_INVALIDARG);
        init->Release();
    }
}

TEST_F(Menus, CommandsAreInvokedByOffsetOnly) {
    for (const CLSID* clsid : {&kClassicMenu, &kVistaMenu}) {
        Menu menu(Create(*clsid));
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu.Initialize({(scratch / L"none.ttf").wstring()}), S_OK);
        EXPECT_EQ(menu.Invoke(0), E_INVALIDARG) << "nothing added yet";
        menu.Query();
        EXPECT_EQ(menu.InvokeVerb("open"), E_INVALIDARG);
        EXPECT_EQ(menu.InvokeVerb("properties"), E_INVALIDARG);
        EXPECT_EQ(menu.Invoke(2), E_INVALIDARG);
        EXPECT_EQ(menu.Invoke(0xFFFF), E_INVALIDARG);
    }
}

TEST_F(Menus, InstallCopiesListsAndAnnouncesEachFontOnce) {
    const std::wstring source = FontToInstall(L"GlyphpeekSample.ttf");
    ASSERT_TRUE(CopyFileW(kDejaVuBold, source.c_str(), FALSE));
    Menu menu(Create(kClassicMenu));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu.Initialize({source}), S_OK);
    menu.Query();
    {
        DialogWatcher watcher({Announcement(L"GlyphpeekSample.ttf")});
        EXPECT_EQ(menu.Invoke(0), S_OK);
        EXPECT_EQ(watcher.Finish(), 1u);
    }
    EXPECT_TRUE(fs::exists(fonts + L"GlyphpeekSample.ttf"));
    EXPECT_EQ(ValuesNaming(L"GlyphpeekSample.ttf"), (Labels{L"DejaVu Sans"}));
    EXPECT_TRUE(fs::exists(source)) << "the selected file stays where it was";

    // Again: the file is in the Fonts folder already, so nothing happens and nothing is said.
    DialogWatcher watcher({Announcement(L"GlyphpeekSample.ttf")});
    EXPECT_EQ(menu.Invoke(0), S_OK);
    EXPECT_EQ(watcher.Stop(), 0u);
    EXPECT_EQ(ValuesNaming(L"GlyphpeekSample.ttf"), (Labels{L"DejaVu Sans"}));
}

// A value of the same name is another font's: it stays as it was, and the copy is taken back.
TEST_F(Menus, InstallNeverReplacesAListValueOfTheSameName) {
    SetInstalledFont(L"DejaVu Sans", L"SomeoneElses.ttf");
    const std::wstring source = FontToInstall(L"GlyphpeekSample.ttf");
    ASSERT_TRUE(CopyFileW(kDejaVuBold, source.c_str(), FALSE));
    Menu menu(Create(kClassicMenu));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu.Initialize({source}), S_OK);
    menu.Query();
    DialogWatcher watcher(
        {NotInstalled(L"GlyphpeekSample.ttf was not installed: a font of the same name is already installed.")});
    EXPECT_EQ(menu.Invoke(0), S_OK);
    EXPECT_EQ(watcher.Finish(), 1u);
    EXPECT_EQ(InstalledFont(L"DejaVu Sans"), L"SomeoneElses.ttf");
    EXPECT_FALSE(fs::exists(fonts + L"GlyphpeekSample.ttf"));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, L"DejaVu Sans");
}

// A collection is listed by all its families; a CFF OpenType font, which the collection reader refuses,
// by the family in its name table.
TEST_F(Menus, InstallListsACollectionByItsFamiliesAndACffFontByItsNameTable) {
    const std::wstring source = FontToInstall(L"GlyphpeekPair.ttc");
    ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\opentype\\noto\\NotoSansCJK-Regular.ttc", source.c_str(), FALSE));
    const std::wstring cff = FontToInstall(L"GlyphpeekCff.otf");
    ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\opentype\\freefont\\FreeSerifBold.otf", cff.c_str(), FALSE));
    Menu menu(Create(kClassicMenu));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu.Initialize({source, cff}), S_OK);
    menu.Query();
    DialogWatcher watcher({Announcement(L"GlyphpeekPair.ttc"), Announcement(L"GlyphpeekCff.otf")});
    EXPECT_EQ(menu.Invoke(0), S_OK);
    EXPECT_EQ(watcher.Finish(), 2u);
    const Labels pair = ValuesNaming(L"GlyphpeekPair.ttc");
    ASSERT_EQ(pair.size(), 1u);
    EXPECT_EQ(pair[0].rfind(L"Noto Sans CJK JP & Noto Sans CJK KR & ", 0), 0u) << pair[0];
    EXPECT_EQ(ValuesNaming(L"GlyphpeekCff.otf"), (Labels{L"FreeSerif"}));
    // Exactly the bytes that were checked are installed.
    EXPECT_EQ(fs::file_size(fonts + L"GlyphpeekPair.ttc"), fs::file_size(source));
}

TEST_F(Menus, InstallLeavesNothingBehindForAFileThatIsNoSoundFont) {
    const std::wstring font = FontToInstall(L"GlyphpeekMixed.ttf");
    ASSERT_TRUE(CopyFileW(kDejaVuBold, font.c_str(), FALSE));
    const std::wstring stub = FontToInstall(L"GlyphpeekMixed.vft");
    WriteStub(stub, L"-:GlyphpeekMixed.ttf");
    const std::wstring broken = FontToInstall(L"GlyphpeekBroken.ttf");
    WriteBytes(broken, {0, 1, 0, 0, 0, 9, 9, 9});
    // Named, but without a character map: the font engine would crash on it, system-wide.
    std::ifstream in(fs::path(kDejaVuBold), std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t record = 12; record + 16 <= bytes.size() && record < 12 + 16 * size_t{bytes[5]}; record += 16)
        if (std::memcmp(&bytes[record], "cmap", 4) == 0) bytes[record] = 'z';
    const std::wstring damaged = FontToInstall(L"GlyphpeekDamaged.ttf");
    WriteBytes(damaged, bytes);
    Menu menu(Create(kClassicMenu));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu.Initialize({stub, broken, damaged, font}), S_OK);
    ASSERT_EQ(menu.Query().labels, (Labels{L"&Install", L"Output as &picture"}));
    // Files the sanitiser refuses are named as such; the stub is no font for Install at all.
    constexpr wchar_t kRefused[] = L" was not installed: it did not pass the font safety check.";
    DialogWatcher watcher({NotInstalled(L"GlyphpeekBroken.ttf" + std::wstring(kRefused)),
                           NotInstalled(L"GlyphpeekDamaged.ttf" + std::wstring(kRefused)),
                           Announcement(L"GlyphpeekMixed.ttf"), Announcement(L"unexpected")});
    EXPECT_EQ(menu.Invoke(0), S_OK);
    EXPECT_EQ(watcher.Stop(), 3u);
    EXPECT_FALSE(fs::exists(fonts + L"GlyphpeekMixed.vft"));
    EXPECT_FALSE(fs::exists(fonts + L"GlyphpeekBroken.ttf"));
    EXPECT_FALSE(fs::exists(fonts + L"GlyphpeekDamaged.ttf"));
    EXPECT_TRUE(ValuesNaming(L"GlyphpeekMixed.vft").empty());
    EXPECT_TRUE(ValuesNaming(L"GlyphpeekBroken.ttf").empty());
    EXPECT_EQ(InstalledFont(L""), L"");
    EXPECT_EQ(ValuesNaming(L"GlyphpeekMixed.ttf"), (Labels{L"DejaVu Sans"}));
}

// One command for the whole selection: the backup question once, then every stub's font goes.
TEST_F(Menus, UninstallThroughStubsWithoutBackupRemovesFontEntriesAndStubs) {
    for (const CLSID* clsid : {&kClassicMenu, &kVistaMenu}) {
        std::vector<std::wstring> stubs;
        for (const std::wstring name : {L"GlyphpeekRemove", L"GlyphpeekRemoveToo"}) {
            const std::wstring fontFile = name + L".ttf";
            installed.push_back(fontFile);
            ASSERT_TRUE(CopyFileW(kDejaVuBold, (fonts + fontFile).c_str(), FALSE));
            SetInstalledFont(name + L" (TrueType)", fontFile);
            stubs.push_back((scratch / (fontFile + L".vft")).wstring());
            WriteStub(stubs.back(), L"-:" + fontFile);
        }

        Menu menu(Create(*clsid));
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu.Initialize(stubs), S_OK);
        ASSERT_EQ(menu.Query().labels.front(), L"&Uninstall");
        DialogWatcher watcher({{[](HWND dialog) { return WindowText(dialog) == L"Confirm"; },
                                [](HWND box) { Press(box, IDNO); }}});
        EXPECT_EQ(menu.Invoke(0), S_OK);
        EXPECT_EQ(watcher.Finish(), 1u);
        for (const std::wstring name : {L"GlyphpeekRemove", L"GlyphpeekRemoveToo"}) {
            EXPECT_EQ(InstalledFont(name + L" (TrueType)"), L"");
            EXPECT_FALSE(fs::exists(fonts + name + L".ttf"));
        }
        for (const std::wstring& stub : stubs) EXPECT_FALSE(fs::exists(stub));
    }
}

FILETIME FileTimeOf(int year) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = 3;
    time.wDay = 4;
    time.wHour = 5;
    FILETIME out{};
    SystemTimeToFileTime(&time, &out);
    return out;
}

struct Times {
    ULONGLONG created, accessed, written;
};

Times TimesOf(const fs::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    auto value = [](FILETIME t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return {value(data.ftCreationTime), value(data.ftLastAccessTime), value(data.ftLastWriteTime)};
}

void SetTimes(const fs::path& path, int createdYear, int accessedYear, int writtenYear) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const FILETIME created = FileTimeOf(createdYear), accessed = FileTimeOf(accessedYear), written = FileTimeOf(writtenYear);
    EXPECT_TRUE(SetFileTime(file, &created, &accessed, &written));
    CloseHandle(file);
}

TEST_F(Menus, UpdateThumbnailMovesOnlyTheLastWriteTime) {
    const fs::path font = scratch / L"touched.ttf", busy = scratch / L"busy.ttf";
    WriteBytes(font, {1, 2, 3, 4});
    WriteBytes(busy, {5, 6});
    SetTimes(font, 2001, 2002, 2003);
    SetTimes(busy, 2001, 2002, 2003);
    const Times before = TimesOf(font), busyBefore = TimesOf(busy);
    // A file another program holds open without write sharing cannot be touched. (A read-only file
    // cannot stand for it here: the test runs as root, for whom Wine opens read-only files for writing.)
    const HANDLE holder = CreateFileW(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    Menu menu(Create(kVistaMenu));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu.Initialize({busy.wstring(), font.wstring()}), S_OK);
    ASSERT_EQ(menu.Query().labels.front(), L"Update &thumbnail");
    FILETIME nowTime{};
    GetSystemTimeAsFileTime(&nowTime);
    const ULONGLONG now = (ULONGLONG{nowTime.dwHighDateTime} << 32) | nowTime.dwLowDateTime;
    EXPECT_EQ(menu.Invoke(0), S_OK);
    CloseHandle(holder);

    // (Wine reports the inode's change time as the creation time, so that one is not compared.)
    const Times after = TimesOf(font);
    EXPECT_EQ(after.accessed, before.accessed);
    constexpr ULONGLONG kMinute = 60ull * 10'000'000;
    EXPECT_GT(after.written + kMinute, now);
    EXPECT_LT(after.written, now + kMinute);
    EXPECT_EQ(fs::file_size(font), 4u);
    const Times busyAfter = TimesOf(busy);
    EXPECT_EQ(busyAfter.accessed, busyBefore.accessed);
    EXPECT_EQ(busyAfter.written, busyBefore.written);
}

// The libraries copied to a folder of their own, with or without TRUtility.dll and a settings program
// that records how it was started.
class MenuLibraries : public ::testing::Test {
protected:
    MenuLibraries() {
        Copy(L"Typorama.dll");
        Copy(L"TyporamaVista.dll");
    }
    void Copy(const wchar_t* name, const wchar_t* as = nullptr) { libraries.Copy(name, as); }
    IUnknown* Create(const wchar_t* library, const CLSID& clsid) { return libraries.Create(library, clsid); }
    // Output as picture (the last item) for `paths` through the menu of `library`.
    HRESULT OutputPicture(const wchar_t* library, const CLSID& clsid, const std::vector<std::wstring>& paths) {
        Menu menu(Create(library, clsid));
        if (!menu || FAILED(menu.Initialize(paths))) return E_UNEXPECTED;
        const Menu::Added added = menu.Query();
        return menu.Invoke(static_cast<UINT>(added.labels.size() - 1));
    }
    // The command line the recording settings program was started with; empty when it did not start.
    std::wstring RecordedCommandLine() {
        const fs::path record = folder / L"command-line.txt";
        for (int waited = 0; waited < 10000 && !fs::exists(record); waited += 50) Sleep(50);
        std::ifstream in(record, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        fs::remove(record);
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }

    LibraryFolder libraries{L"menu-libraries"};
    const fs::path& folder = libraries.path();
};

TEST_F(MenuLibraries, OutputAsPictureStartsTheSettingsProgramForTheFirstFile) {
    Copy(L"TRUtility.dll");
    Copy(L"command_line_recorder.exe", L"TRSetting.exe");
    const std::vector<std::wstring> paths = {L"C:\\fonts\\first one.ttf", L"C:\\fonts\\second.ttf", L"C:\\third.vft"};
    EXPECT_EQ(OutputPicture(L"Typorama.dll", kClassicMenu, paths), S_OK);
    std::wstring line = RecordedCommandLine();
    EXPECT_NE(line.find(L"/Image \"C:\\fonts\\first one.ttf\""), std::wstring::npos) << line;
    EXPECT_EQ(line.find(L"second"), std::wstring::npos) << line;

    EXPECT_EQ(OutputPicture(L"TyporamaVista.dll", kVistaMenu, paths), S_OK);
    line = RecordedCommandLine();
    EXPECT_NE(line.find(L"/Image \"C:\\fonts\\first one.ttf\""), std::wstring::npos) << line;
}

TEST_F(MenuLibraries, WithoutTheSettingsProgramOnlyTheVistaMenuReportsFailure) {
    Copy(L"TRUtility.dll");
    EXPECT_EQ(OutputPicture(L"Typorama.dll", kClassicMenu, {L"C:\\a.ttf"}), S_OK);
    EXPECT_EQ(OutputPicture(L"TyporamaVista.dll", kVistaMenu, {L"C:\\a.ttf"}), E_INVALIDARG);
}

TEST_F(MenuLibraries, WithoutTheUtilityLibraryTheClassicMenuDoesNothingAndTheVistaMenuFails) {
    Copy(L"command_line_recorder.exe", L"TRSetting.exe");
    EXPECT_EQ(OutputPicture(L"Typorama.dll", kClassicMenu, {L"C:\\a.ttf"}), S_OK);
    EXPECT_EQ(OutputPicture(L"TyporamaVista.dll", kVistaMenu, {L"C:\\a.ttf"}), E_FAIL);
    EXPECT_FALSE(fs::exists(folder / L"command-line.txt"));
    for (const auto& [library, clsid] : {std::pair{L"Typorama.dll", &kClassicMenu}, std::pair{L"TyporamaVista.dll", &kVistaMenu}}) {
        Menu menu(Create(library, *clsid));
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu.Initialize({L"C:\\a.vft"}), S_OK);
        ASSERT_EQ(menu.Query().labels.front(), L"&Uninstall");
        EXPECT_EQ(menu.Invoke(0), clsid == &kClassicMenu ? S_OK : E_FAIL);
    }
}

TEST_F(MenuLibraries, TheClassicMenuTakesItsWordsFromTheLanguageLibrary) {
    wchar_t language[5] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, language, 5), 0);
    Copy(L"TyporamaTestLanguage.dll", (std::wstring(L"Typorama") + language + L".dll").c_str());
    Menu menu(Create(L"Typorama.dll", kClassicMenu));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu.Initialize({L"C:\\a.ttf"}), S_OK);
    // The test language has its own Install and no Output as picture: that label comes out empty.
    EXPECT_EQ(menu.Query().labels, (Labels{L"&Install (test language)", L""}));
}

} // namespace
