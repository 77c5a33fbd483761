#include "trsetting/shell_integration.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cwchar>

#include "winsupport/scoped_handles.h"
#include "winsupport/system_libraries.h"
#include "winsupport/path_parts.h"
#include "winsupport/product_identities.h"
#include "winsupport/module_path.h"

namespace glyphpeek::trsetting {
namespace {

struct FontType {
    const wchar_t* extension;
    const wchar_t* fileType;
};
constexpr FontType kFontTypes[kFontTypeCount] = {
    {L".vft", L"vftfile"},
    {L".ttf", L"ttffile"},
    {L".ttc", L"ttcfile"},
    {L".otf", L"otffile"},
};

struct GenerationNames {
    const wchar_t* library;
    const wchar_t* thumbnailHandlerKey;  // the shell interface the handler serves
    const wchar_t* thumbnailClass;
    const wchar_t* menuClass;
    bool typeOverlay;
    const wchar_t* previewClass;  // null: that Explorer has no preview pane
};
constexpr GenerationNames kClassicNames = {
    ids::kTyporama.file, ids::kExtractImageSlot, ids::kTyporama.thumbnailClass,
    ids::kTyporama.shellMenuClass, false, ids::kTyporama.previewClass};
constexpr GenerationNames kVistaNames = {
    ids::kTyporamaVista.file, ids::kThumbnailProviderSlot, ids::kTyporamaVista.thumbnailClass,
    ids::kTyporamaVista.shellMenuClass, true, ids::kTyporamaVista.previewClass};

const GenerationNames& NamesOf(ShellGeneration generation) {
    return generation == ShellGeneration::kVista ? kVistaNames : kClassicNames;
}


const FontType* TypeOf(int index) { return index >= 0 && index < kFontTypeCount ? &kFontTypes[index] : nullptr; }

ScopedRegKey CreateClassKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return ScopedRegKey();
    return ScopedRegKey(key);
}

ScopedRegKey OpenKey(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return ScopedRegKey();
    return ScopedRegKey(key);
}

void SetString(HKEY key, const wchar_t* name, const wchar_t* value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

bool HasSubKey(HKEY key) {
    wchar_t name[256] = {};
    DWORD units = 256;
    return RegEnumKeyExW(key, 0, name, &units, nullptr, nullptr, nullptr, nullptr) != ERROR_NO_MORE_ITEMS;
}

std::wstring LibraryPath() {
    const std::wstring folder = ProgramFolder();
    if (folder.empty()) return {};
    return folder + NamesOf(CurrentGeneration()).library;
}

// The key holds no sub-key and no value other than a default equal to `ownDefault` (when given).
bool HoldsNothingElse(const std::wstring& path, const wchar_t* ownDefault) {
    const ScopedRegKey key = OpenKey(HKEY_CLASSES_ROOT, path, KEY_READ);
    if (!key) return false;
    DWORD subKeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        subKeys != 0)
        return false;
    if (values == 0) return true;
    if (values != 1 || !ownDefault) return false;
    wchar_t data[64] = {};
    DWORD type = 0, bytes = sizeof(data) - sizeof(wchar_t);
    return RegQueryValueExW(key.get(), L"", nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) == ERROR_SUCCESS &&
           type == REG_SZ && wcscmp(data, ownDefault) == 0;
}

void DeleteIfLeftOver(const std::wstring& path, const wchar_t* ownDefault = nullptr) {
    if (HoldsNothingElse(path, ownDefault)) RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
}

// The .vft entries, and those of every font type already served, written anew: an installation over
// an earlier version gives the types the user ticked the handlers this version adds.
void AttachServedTypes() {
    for (int index = 0; index < kFontTypeCount; ++index)
        if (index == kVirtualFont || IsFontTypeRegistered(index)) RegisterFontType(index);
}

// Runs `program` with `commandLine` and waits without a time limit: the exit code, or -1 when it could
// not be started.
int RunAndWait(const std::wstring& program, std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    const ScopedHandle started(process.hProcess), thread(process.hThread);
    WaitForSingleObject(started.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(started.get(), &exitCode)) exitCode = static_cast<DWORD>(-1);
    return static_cast<int>(exitCode);
}

} // namespace

ShellGeneration CurrentGeneration() noexcept {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    // Only the major version matters, and every Windows since Vista answers 6 or more to this call.
    const BOOL known = GetVersionExW(&version);
    return known && version.dwMajorVersion >= 6 ? ShellGeneration::kVista : ShellGeneration::kClassic;
}

std::wstring ProgramFolder() { return ModuleFolder(nullptr); }

std::wstring StubFolder() {
    const std::wstring folder = ProgramFolder();
    return folder.empty() ? std::wstring() : folder + L"vf\\";
}

// The registration tool by its full path: the program runs as administrator, and a searched name
// would find a regsvr32.exe planted beside it or in its working folder first.
void RegisterExtensionLibrary(bool showResult) {
    const std::wstring library = LibraryPath();
    const std::wstring tool = SystemFilePath(L"regsvr32.exe");
    if (!library.empty() && !tool.empty()) {
        const std::wstring parameters = (showResult ? L"\"" : L"/s \"") + library + L"\"";
        ShellExecuteW(nullptr, L"open", tool.c_str(), parameters.c_str(), nullptr, showResult ? SW_SHOWNORMAL : SW_HIDE);
    }
    AttachServedTypes();
}

void UnregisterExtensionLibrary(bool showResult) {
    const std::wstring library = LibraryPath();
    const std::wstring tool = SystemFilePath(L"regsvr32.exe");
    if (library.empty() || tool.empty()) return;
    RunAndWait(tool, L"\"" + tool + (showResult ? L"\" /u \"" : L"\" /s /u \"") + library + L"\"");
}

int RegisterExtensionLibraryAndWait() {
    const std::wstring library = LibraryPath();
    const std::wstring tool = SystemFilePath(L"regsvr32.exe");
    if (library.empty() || tool.empty()) return -1;
    const int exitCode = RunAndWait(tool, L"\"" + tool + L"\" /s \"" + library + L"\"");
    if (exitCode == 0) {
        AttachServedTypes();
    } else {
        // A registration that stopped half-way is taken back: an installer that fails here leaves nothing.
        RunAndWait(tool, L"\"" + tool + L"\" /s /u \"" + library + L"\"");
        RemoveLeftoverClassKeys();
    }
    return exitCode;
}

void RegisterFontType(int index) { RegisterFontType(index, CurrentGeneration()); }
void UnregisterFontType(int index) { UnregisterFontType(index, CurrentGeneration()); }
bool IsFontTypeRegistered(int index) { return IsFontTypeRegistered(index, CurrentGeneration()); }

void RegisterFontType(int index, ShellGeneration generation) {
    const FontType* type = TypeOf(index);
    if (!type) return;
    const GenerationNames& names = NamesOf(generation);
    if (const ScopedRegKey handler =
            CreateClassKey(std::wstring(type->extension) + L"\\shellex\\" + names.thumbnailHandlerKey))
        SetString(handler.get(), L"", names.thumbnailClass);
    if (names.previewClass) {
        if (const ScopedRegKey preview =
                CreateClassKey(std::wstring(type->extension) + L"\\shellex\\" + ids::kPreviewHandlerSlot))
            SetString(preview.get(), L"", names.previewClass);
    }
    if (names.typeOverlay) {
        // An empty overlay: the shell draws no overlay icon on these thumbnails.
        if (const ScopedRegKey fileType = CreateClassKey(type->fileType)) SetString(fileType.get(), L"TypeOverlay", L"");
    }
    if (const ScopedRegKey menu =
            CreateClassKey(std::wstring(type->fileType) + L"\\shellex\\ContextMenuHandlers\\UpdateThumbnail"))
        SetString(menu.get(), L"", names.menuClass);
}

void UnregisterFontType(int index, ShellGeneration generation) {
    const FontType* type = TypeOf(index);
    if (!type) return;
    const GenerationNames& names = NamesOf(generation);
    bool shellexEmpty = false;
    if (const ScopedRegKey shellex =
            OpenKey(HKEY_CLASSES_ROOT, std::wstring(type->extension) + L"\\shellex", KEY_READ | KEY_WRITE)) {
        // A plain delete: a handler key with keys of its own is not ours to empty.
        RegDeleteKeyW(shellex.get(), names.thumbnailHandlerKey);
        if (names.previewClass) RegDeleteKeyW(shellex.get(), ids::kPreviewHandlerSlot);
        shellexEmpty = !HasSubKey(shellex.get());
    }
    // Other programs' handlers keep shellex; the extension key itself and its file type are never touched.
    if (shellexEmpty) {
        if (const ScopedRegKey extension = OpenKey(HKEY_CLASSES_ROOT, type->extension, KEY_READ | KEY_WRITE))
            RegDeleteKeyW(extension.get(), L"shellex");
    }
    if (const ScopedRegKey fileType = OpenKey(HKEY_CLASSES_ROOT, type->fileType, KEY_READ | KEY_WRITE))
        RegDeleteValueW(fileType.get(), L"TypeOverlay");
    if (const ScopedRegKey menus = OpenKey(HKEY_CLASSES_ROOT,
                                           std::wstring(type->fileType) + L"\\shellex\\ContextMenuHandlers",
                                           KEY_READ | KEY_WRITE))
        RegDeleteKeyW(menus.get(), L"UpdateThumbnail");
}

bool IsFontTypeRegistered(int index, ShellGeneration generation) {
    const FontType* type = TypeOf(index);
    if (!type) return false;
    return static_cast<bool>(OpenKey(HKEY_CLASSES_ROOT,
                                     std::wstring(type->extension) + L"\\shellex\\" +
                                         NamesOf(generation).thumbnailHandlerKey,
                                     KEY_READ));
}

void RemoveLeftoverClassKeys() {
    // What the .vft type's registration script writes as its defaults.
    constexpr const wchar_t* kStubTypeDescription = L"Glyphpeek Virtual Font File";
    for (int index = 0; index < kFontTypeCount; ++index) {
        const FontType& type = kFontTypes[index];
        const bool own = index == kVirtualFont;
        const std::wstring fileType = type.fileType;
        DeleteIfLeftOver(fileType + L"\\shellex\\ContextMenuHandlers");
        DeleteIfLeftOver(fileType + L"\\shellex");
        DeleteIfLeftOver(fileType, own ? kStubTypeDescription : nullptr);
        DeleteIfLeftOver(std::wstring(type.extension) + L"\\shellex");
        DeleteIfLeftOver(type.extension, own ? type.fileType : nullptr);
    }
}

void DeleteStoredSettings() {
    bool makerEmpty = false;
    if (const ScopedRegKey maker = OpenKey(HKEY_CURRENT_USER, ids::kMakerKey, KEY_READ | KEY_WRITE)) {
        // The key itself with everything under it (SHDeleteKeyW: 64-bit XP has no RegDeleteTreeW).
        SHDeleteKeyW(maker.get(), ids::kProductName);
        makerEmpty = !HasSubKey(maker.get());
    }
    // A sibling product of the maker keeps the maker's key.
    if (makerEmpty) {
        if (const ScopedRegKey software = OpenKey(HKEY_CURRENT_USER, L"Software", KEY_READ | KEY_WRITE))
            SHDeleteKeyW(software.get(), L"Ormsby Software");
    }
}

void RemoveFolderTree(const std::wstring& folder) {
    std::wstring base = folder;
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    if (base.empty()) return;
    {  // the search is closed before the folder itself is removed
        WIN32_FIND_DATAW entry{};
        const ScopedFind search(FindFirstFileW((base + L"\\*.*").c_str(), &entry));
        if (!search) return;
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = base + L"\\" + name;
            const bool folderEntry = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            const bool link = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if (folderEntry && !link)
                RemoveFolderTree(path);
            else if (folderEntry)
                RemoveDirectoryW(path.c_str());  // the link itself; what it points to is not ours
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search.get(), &entry));
    }
    RemoveDirectoryW(base.c_str());
}

void DeleteStubFolder() {
    const std::wstring folder = StubFolder();
    if (!folder.empty()) RemoveFolderTree(folder);
}

void ClearThumbnailCache() {
    wchar_t localData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localData))) return;
    const std::wstring folder = std::wstring(localData) + L"\\Microsoft\\Windows\\Explorer\\";
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(folder.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    {
        WIN32_FIND_DATAW entry{};
        const ScopedFind search(FindFirstFileW((folder + L"*.db").c_str(), &entry));
        if (search) {
            do {
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;  // only cache files go
                DeleteFileW((folder + entry.cFileName).c_str());
            } while (FindNextFileW(search.get(), &entry));
        }
    }
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(folder.c_str(), attributes);
}

} // namespace glyphpeek::trsetting
