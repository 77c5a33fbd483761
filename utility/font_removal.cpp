// Font removal for the context menu's uninstall command: the installed-font list entries that name
// the font, the font file and its stub go, after an optional copy to a backup folder that the user
// picks.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "ScopedCom.h"
#include "ScopedHandles.h"
#include "TRUtility.h"
#include "fonts_folder.h"
#include "module.h"
#include "resource.h"
#include "virtual_font.h"
#include "virtual_font_stub.h"
#include "wide.h"

namespace {

using glyphpeek::kMaxPathUnits;
using glyphpeek::kPathBufferUnits;

// File names compare as the file system does: case folded unit by unit, no linguistic rules.
bool SamePathIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    std::wstring x = ToWide(a);
    std::wstring y = ToWide(b);
    if (!x.empty()) {
        CharUpperBuffW(x.data(), static_cast<DWORD>(x.size()));
        CharUpperBuffW(y.data(), static_cast<DWORD>(y.size()));
    }
    return x == y;
}

struct InstalledFont {
    std::wstring valueName;
    std::u16string file;
};

// Every entry of the list that names the target. The whole list is read before anything is
// deleted, so a deletion cannot shift a later entry past the walk; an entry too long for a path
// cannot name the target and is passed over.
std::vector<InstalledFont> FindInstalledFont(HKEY key, std::u16string_view target, std::u16string_view fontsFolder) {
    std::vector<InstalledFont> found;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kPathBufferUnits];
        wchar_t data[kPathBufferUnits];
        DWORD nameUnits = static_cast<DWORD>(std::size(name));
        DWORD dataBytes = sizeof(data);
        DWORD type = REG_NONE;
        const LONG status =
            RegEnumValueW(key, index, name, &nameUnits, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        const std::u16string file =
            glyphpeek::InstalledFontFile(AsU16(data, dataBytes / sizeof(wchar_t)), type == REG_SZ, fontsFolder);
        if (!file.empty() && SamePathIgnoringCase(file, target)) found.push_back({std::wstring(name, nameUnits), file});
    }
    return found;
}

int Uninstall(const wchar_t* backup, wchar_t* path) {
    const int pathLength = PathBufferLength(path);
    const int backupLength = backup ? PathBufferLength(backup) : 0;
    if (pathLength <= 0 || backupLength < 0) return 0;
    const std::wstring selected(path, pathLength);
    const std::u16string fontsFolder = FontsFolder();

    if (glyphpeek::IsStubPath(AsU16(path, pathLength))) {
        std::u16string units;
        if (!ReadStubUnits(path, units)) return 0;
        WritePathBuffer(path, glyphpeek::RemovalTarget(units, fontsFolder));
    }
    const int targetLength = PathBufferLength(path);
    if (targetLength <= 0) return 0;
    const std::u16string target(AsU16(path, targetLength));

    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return 0;
    const std::vector<InstalledFont> found = FindInstalledFont(key.get(), target, fontsFolder);
    if (found.empty()) return 0;  // not an installed font: it and its stub stay

    // The user asked to keep a copy: without one, nothing is removed.
    if (backupLength > 0) {
        std::u16string copy(AsU16(backup, backupLength));
        copy.append(glyphpeek::FileNamePart(found.front().file));
        if (copy.size() > kMaxPathUnits ||
            !CopyFileW(AsWideTerminated(found.front().file), AsWideTerminated(copy), FALSE))
            return 0;
    }

    int removed = 0;
    for (const InstalledFont& font : found) {
        RemoveFontResourceW(AsWideTerminated(font.file));
        if (RegDeleteValueW(key.get(), font.valueName.c_str()) == ERROR_SUCCESS) ++removed;
        DeleteFileW(AsWideTerminated(font.file));
    }
    // The stub; a font file selected directly is already gone.
    DeleteFileW(selected.c_str());
    return removed;
}

std::wstring LoadText(UINT id) {
    wchar_t text[255] = {};
    const int units = LoadStringW(UtilityInstance(), id, text, static_cast<int>(std::size(text)));
    return units > 0 ? std::wstring(text, units) : std::wstring();
}

int AskBackupFolder(wchar_t* out) {
    if (MessageBoxW(nullptr, LoadText(IDS_BACKUP_QUESTION).c_str(), LoadText(IDS_BACKUP_CAPTION).c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;

    // COM for the folder browser, balanced only when this call started it.
    const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring title = LoadText(IDS_BACKUP_BROWSE_TITLE);
    BROWSEINFOW browse = {};
    browse.lpszTitle = title.c_str();
    ScopedCoTaskMem<PIDLIST_ABSOLUTE> chosen(SHBrowseForFolderW(&browse));
    if (!chosen) return 0;
    // A virtual folder (no file-system path) gives no backup.
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(chosen.get(), folder)) return 0;
    folder[MAX_PATH - 1] = L'\0';
    const std::u16string finished = glyphpeek::FinishBackupFolder(AsU16(folder, wcslen(folder)));
    if (finished.empty()) return 0;
    WritePathBuffer(out, finished);
    return 1;
}

} // namespace

extern "C" int UninstallFromVFont(const wchar_t* backup, wchar_t* path) {
    try {
        return Uninstall(backup, path);
    } catch (...) {
        return 0;
    }
}

extern "C" int GetBuckupFolder(wchar_t* out) {
    if (!out) return 0;
    out[0] = L'\0';
    try {
        return AskBackupFolder(out);
    } catch (...) {
        out[0] = L'\0';
        return 0;
    }
}
