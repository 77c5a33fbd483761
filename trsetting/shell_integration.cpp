#include "trsetting/shell_integration.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "core/ascii_case.h"
#include "core/file_trust.h"
#include "winsupport/file_access.h"
#include "winsupport/wide.h"

#include "winsupport/scoped_handles.h"
#include "winsupport/system_libraries.h"
#include "winsupport/path_parts.h"
#include "winsupport/product_identities.h"
#include "winsupport/module_path.h"

namespace glyphpeek::trsetting {
namespace {

struct FontType {
    const wchar_t* extension;
    const wchar_t* fileType;  // null: a type with no file type of Windows' own (no menu entry, no overlay)
};
constexpr FontType kFontTypes[kFontTypeCount] = {
    {L".vft", L"vftfile"}, {L".ttf", L"ttffile"}, {L".ttc", L"ttcfile"}, {L".otf", L"otffile"},
    {L".woff", nullptr},   {L".woff2", nullptr},  {L".otc", nullptr},
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
        if (IsAlwaysServed(index) || IsFontTypeRegistered(index)) RegisterFontType(index);
}

// A handler value Glyphpeek writes where another program may have written its own: a font type's
// thumbnail handler, its menu entry, its type overlay. Attaching keeps what was there in a value of ours
// beside it, and detaching puts it back, as Windows Installer does with shared registration: another
// product's registration is never lost, and only a value that names Glyphpeek's own class is deleted.
struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Handler values are short; anything longer is no value of ours to keep or compare.
constexpr DWORD kLargestKeptValue = 64 * 1024;

std::optional<RegValue> ReadValue(HKEY key, const wchar_t* name) {
    RegValue value;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &bytes) != ERROR_SUCCESS || bytes > kLargestKeptValue)
        return std::nullopt;
    value.data.resize(bytes);
    if (RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(bytes);
    return value;
}

bool WriteValue(HKEY key, const wchar_t* name, const RegValue& value) {
    return RegSetValueExW(key, name, 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size())) ==
           ERROR_SUCCESS;
}

// The text of a string value, up to its first NUL; nothing for other types.
std::optional<std::u16string> TextOf(const RegValue& value) {
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return std::nullopt;
    std::u16string text(value.data.size() / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), value.data.data(), text.size() * sizeof(char16_t));
    text.resize(std::char_traits<char16_t>::length(text.c_str()));
    return text;
}

// What a slot holds when it is Glyphpeek's: for a handler, one of the product's classes (in either
// generation; class ids are compared without regard to letter case); for the type overlay, the empty
// string Glyphpeek writes.
enum class SlotKind { kHandlerClass, kTypeOverlay };

bool IsOurs(const RegValue& value, SlotKind kind) {
    const std::optional<std::u16string> text = TextOf(value);
    if (!text) return false;
    if (kind == SlotKind::kTypeOverlay) return value.type == REG_SZ && text->empty();
    for (const GenerationNames* names : {&kClassicNames, &kVistaNames})
        for (const wchar_t* ours : {names->thumbnailClass, names->menuClass, names->previewClass})
            if (ours && EqualsAsciiFolded(*text, std::u16string_view(reinterpret_cast<const char16_t*>(ours), wcslen(ours))))
                return true;
    return false;
}

// The value of ours beside `name` that keeps what another program had there. Kept as REG_NONE
// without data when there was nothing (or only Glyphpeek's own class) to keep.
std::wstring KeptName(const wchar_t* name) { return *name ? std::wstring(L"GlyphpeekKept.") + name : L"GlyphpeekKept"; }

void Attach(HKEY key, const wchar_t* name, const wchar_t* ours, SlotKind kind) {
    const std::wstring kept = KeptName(name);
    // Attached before: what was there first is kept already.
    if (!ReadValue(key, kept.c_str())) {
        const std::optional<RegValue> current = ReadValue(key, name);
        // A type overlay cannot tell whose it is: whatever was there before the first attachment is kept.
        const bool keep = current && (kind == SlotKind::kTypeOverlay || !IsOurs(*current, kind));
        // Without the kept copy, another program's value is not replaced.
        if (!WriteValue(key, kept.c_str(), keep ? *current : RegValue{})) return;
    }
    SetString(key, name, ours);
}

void Detach(HKEY key, const wchar_t* name, SlotKind kind) {
    const std::wstring kept = KeptName(name);
    const std::optional<RegValue> before = ReadValue(key, kept.c_str());
    const std::optional<RegValue> current = ReadValue(key, name);
    const bool ours = current && IsOurs(*current, kind);
    if (before) {
        // A value another program wrote after Glyphpeek was attached stays; otherwise the first one is back.
        if (!current || ours) {
            if (before->type == REG_NONE && before->data.empty())
                RegDeleteValueW(key, name);
            else
                WriteValue(key, name, *before);
        }
        RegDeleteValueW(key, kept.c_str());
    } else if (ours) {
        RegDeleteValueW(key, name);
    }
}

// The key holds neither a value nor a sub-key.
bool IsEmptyKey(HKEY key) {
    DWORD subKeys = 0, values = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS &&
           subKeys == 0 && values == 0;
}

// Detaches the default value of the handler key `name` under `parent`, and deletes the key when
// nothing is left in it.
void DetachHandlerKey(HKEY parent, const wchar_t* name) {
    bool empty = false;
    if (const ScopedRegKey handler = OpenKey(parent, name, KEY_READ | KEY_WRITE)) {
        Detach(handler.get(), L"", SlotKind::kHandlerClass);
        empty = IsEmptyKey(handler.get());
    }
    if (empty) RegDeleteKeyW(parent, name);
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
        Attach(handler.get(), L"", names.thumbnailClass, SlotKind::kHandlerClass);
    if (names.previewClass) {
        if (const ScopedRegKey preview =
                CreateClassKey(std::wstring(type->extension) + L"\\shellex\\" + ids::kPreviewHandlerSlot))
            Attach(preview.get(), L"", names.previewClass, SlotKind::kHandlerClass);
    }
    if (!type->fileType) return;
    if (names.typeOverlay) {
        // An empty overlay: the shell draws no overlay icon on these thumbnails.
        if (const ScopedRegKey fileType = CreateClassKey(type->fileType))
            Attach(fileType.get(), L"TypeOverlay", L"", SlotKind::kTypeOverlay);
    }
    if (const ScopedRegKey menu =
            CreateClassKey(std::wstring(type->fileType) + L"\\shellex\\ContextMenuHandlers\\UpdateThumbnail"))
        Attach(menu.get(), L"", names.menuClass, SlotKind::kHandlerClass);
}

void UnregisterFontType(int index, ShellGeneration generation) {
    const FontType* type = TypeOf(index);
    if (!type) return;
    const GenerationNames& names = NamesOf(generation);
    bool shellexEmpty = false;
    if (const ScopedRegKey shellex =
            OpenKey(HKEY_CLASSES_ROOT, std::wstring(type->extension) + L"\\shellex", KEY_READ | KEY_WRITE)) {
        // The handler keys go only when nothing of anyone else's is left in them.
        DetachHandlerKey(shellex.get(), names.thumbnailHandlerKey);
        if (names.previewClass) DetachHandlerKey(shellex.get(), ids::kPreviewHandlerSlot);
        shellexEmpty = !HasSubKey(shellex.get());
    }
    // Other programs' handlers keep shellex; the extension key itself and its file type are never touched.
    if (shellexEmpty) {
        if (const ScopedRegKey extension = OpenKey(HKEY_CLASSES_ROOT, type->extension, KEY_READ | KEY_WRITE))
            RegDeleteKeyW(extension.get(), L"shellex");
    }
    if (!type->fileType) return;
    if (const ScopedRegKey fileType = OpenKey(HKEY_CLASSES_ROOT, type->fileType, KEY_READ | KEY_WRITE))
        Detach(fileType.get(), L"TypeOverlay", SlotKind::kTypeOverlay);
    if (const ScopedRegKey menus = OpenKey(HKEY_CLASSES_ROOT,
                                           std::wstring(type->fileType) + L"\\shellex\\ContextMenuHandlers",
                                           KEY_READ | KEY_WRITE))
        DetachHandlerKey(menus.get(), L"UpdateThumbnail");
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
        if (type.fileType) {
            const std::wstring fileType = type.fileType;
            DeleteIfLeftOver(fileType + L"\\shellex\\ContextMenuHandlers");
            DeleteIfLeftOver(fileType + L"\\shellex");
            DeleteIfLeftOver(fileType, own ? kStubTypeDescription : nullptr);
        }
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

namespace {

// Explorer's own cache files in that folder: "thumbcache_" or "iconcache_", letters, digits and "_",
// then ".db" (thumbcache_256.db, thumbcache_idx.db, iconcache_wide_alternate.db).
bool IsExplorerCacheFile(std::u16string_view name) {
    constexpr std::u16string_view kEnding = u".db";
    for (const std::u16string_view start : {std::u16string_view(u"thumbcache_"), std::u16string_view(u"iconcache_")}) {
        if (name.size() <= start.size() + kEnding.size() || !EqualsAsciiFolded(name.substr(0, start.size()), start) ||
            !EndsWithAsciiFolded(name, kEnding))
            continue;
        const std::u16string_view middle = name.substr(start.size(), name.size() - start.size() - kEnding.size());
        return std::all_of(middle.begin(), middle.end(), [](char16_t c) {
            return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
        });
    }
    return false;
}

} // namespace

// The folder is the user's, and this program runs as administrator: it is opened without following a
// link and used only where its path says it is, and each cache file is opened the same way, found to
// lie directly in it, and deleted through its own handle. Nothing else in the folder is touched.
void ClearThumbnailCache() {
    wchar_t localData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localData))) return;
    const std::wstring folderPath = std::wstring(localData) + L"\\Microsoft\\Windows\\Explorer";
    const ScopedFile folder = OpenWithoutFollowing(folderPath.c_str(), FILE_WRITE_ATTRIBUTES, true);
    if (!folder) return;
    const DWORD attributes = AttributesOf(folder.get());
    const std::optional<FileLocation> location = LocationOf(folder.get());
    const std::optional<std::uint32_t> volume = VolumeOfDrivePath(folderPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !location || !volume ||
        location->volume != *volume || !IsPlainPathOf(ToU16(folderPath), *location))
        return;
    SetAttributesOf(folder.get(), attributes & ~FILE_ATTRIBUTE_READONLY);
    {
        WIN32_FIND_DATAW entry{};
        const ScopedFind search(FindFirstFileW((folderPath + L"\\*.db").c_str(), &entry));
        if (search) {
            do {
                constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
                if ((entry.dwFileAttributes & kNotAFile) || !IsExplorerCacheFile(AsU16(entry.cFileName, wcslen(entry.cFileName)))) continue;
                const ScopedFile file = OpenWithoutFollowing((folderPath + L"\\" + entry.cFileName).c_str(), DELETE, false);
                // A file Explorer holds open stays, as does anything that is not really there.
                if (!file || (AttributesOf(file.get()) & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
                const std::optional<FileLocation> fileLocation = LocationOf(file.get());
                if (fileLocation && LiesIn(*fileLocation, *location, true)) DeleteWhenClosed(file.get());
            } while (FindNextFileW(search.get(), &entry));
        }
    }
    SetAttributesOf(folder.get(), attributes);
}

} // namespace glyphpeek::trsetting
