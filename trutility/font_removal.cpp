// Font removal for the context menu's uninstall command: the installed-font list entries that name
// the font (the system's or the user's), the font file and its stub go, after an optional copy to a
// backup folder that the user picks. A system font that this process lacks the rights to remove is
// removed by the settings program with administrator rights. A font that stays is named in a message
// with the reason.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "winsupport/scoped_com.h"
#include "winsupport/scoped_handles.h"
#include "trutility/TRUtility.h"
#include "trutility/elevated_removal.h"
#include "trutility/installed_font_list.h"
#include "trutility/module.h"
#include "trutility/resource.h"
#include "trutility/virtual_font.h"
#include "core/virtual_font_stub.h"
#include "winsupport/wide.h"

namespace {

using glyphpeek::kMaxPathUnits;

std::wstring LoadText(UINT id) {
    wchar_t text[255] = {};
    const int units = LoadStringW(UtilityInstance(), id, text, static_cast<int>(std::size(text)));
    return units > 0 ? std::wstring(text, units) : std::wstring();
}

// `pattern` with "%1" and "%2" standing for the arguments. Replaced here rather than formatted, so a
// font's name is never read as a format.
std::wstring Fill(const std::wstring& pattern, std::initializer_list<std::wstring> arguments) {
    std::wstring text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        if (pattern[i] == L'%' && next >= L'1' && static_cast<size_t>(next - L'1') < arguments.size()) {
            text += arguments.begin()[next - L'1'];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

// The system's words for an error, on one line.
std::wstring ErrorText(DWORD error) {
    wchar_t text[512] = {};
    DWORD units = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                 static_cast<DWORD>(std::size(text)), nullptr);
    while (units > 0 && (text[units - 1] == L'\r' || text[units - 1] == L'\n' || text[units - 1] == L' ')) --units;
    if (units == 0) return Fill(LoadText(IDS_REASON_ERROR_CODE), {std::to_wstring(error)});
    return std::wstring(text, units);
}

// Why a font stayed installed: a reason text (string id) and, for most, the system's error.
struct RemovalFailure {
    UINT reason = 0;
    DWORD error = ERROR_SUCCESS;
};

void Report(const std::wstring& font, const RemovalFailure& failure) {
    std::wstring reason = LoadText(failure.reason);
    if (failure.error != ERROR_SUCCESS) reason = Fill(reason, {ErrorText(failure.error)});
    MessageBoxW(nullptr, Fill(LoadText(IDS_REMOVAL_FAILED), {font, reason}).c_str(),
                LoadText(IDS_REMOVAL_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

// The font as the user knows it: its name in the installed-font list.
std::wstring FontName(const std::vector<InstalledFontValue>& found) {
    return found.front().valueName.empty() ? std::wstring(AsWide(glyphpeek::FileNamePart(found.front().file)))
                                           : found.front().valueName;
}

// Removes the listed font in this process, with the rights it has. The file goes before its value: a
// file that cannot be deleted (in use, say) keeps its value and its place in the running system, so
// the font stays whole; and a font that stays keeps its stub.
int RemoveHere(const wchar_t* backup, size_t backupLength, const std::vector<InstalledFontValue>& found,
               const std::wstring& selected, RemovalFailure& failure) {
    // The user asked to keep a copy: without one, nothing is removed.
    if (backupLength > 0) {
        std::u16string copy(AsU16(backup, backupLength));
        copy.append(glyphpeek::FileNamePart(found.front().file));
        if (copy.size() > kMaxPathUnits) {
            failure = {IDS_REASON_BACKUP, ERROR_FILENAME_EXCED_RANGE};
            return 0;
        }
        if (!CopyFileW(AsWideTerminated(found.front().file), AsWideTerminated(copy), FALSE)) {
            failure = {IDS_REASON_BACKUP, GetLastError()};
            return 0;
        }
    }

    int removed = 0;
    for (const InstalledFontValue& font : found) {
        RemoveFontResourceW(AsWideTerminated(font.file));
        // Two values may name one file: it is gone after the first.
        if (!DeleteFileW(AsWideTerminated(font.file))) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND) {
                AddFontResourceW(AsWideTerminated(font.file));
                if (!failure.reason) failure = {IDS_REASON_FILE, error};
                continue;
            }
        }
        ScopedRegKey key;
        LONG status = RegOpenKeyExW(font.root, InstalledFontsKeyOf(font.root), 0, KEY_SET_VALUE, key.put());
        if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.get(), font.valueName.c_str());
        if (status == ERROR_SUCCESS)
            ++removed;
        else if (!failure.reason)
            failure = {IDS_REASON_LIST_ENTRY, static_cast<DWORD>(status)};
    }
    // The stub; a font file selected directly is already gone.
    if (!failure.reason) DeleteFileW(selected.c_str());
    return removed;
}

// What both exports share: the selected stub resolved in the caller's buffer, and the values of both
// lists that name its font.
struct Selection {
    std::wstring selected;
    std::vector<InstalledFontValue> found;
};

bool Resolve(wchar_t* path, Selection& selection) {
    const int pathLength = PathBufferLength(path);
    if (pathLength <= 0) return false;
    selection.selected.assign(path, pathLength);
    const std::u16string fontsFolder = FontsFolder();
    if (glyphpeek::IsStubPath(AsU16(path, pathLength))) {
        std::u16string units;
        if (!ReadStubUnits(path, units)) return false;
        WritePathBuffer(path, glyphpeek::RemovalTarget(units, fontsFolder));
    }
    const int targetLength = PathBufferLength(path);
    if (targetLength <= 0) return false;
    // Not an installed font: it and its stub stay.
    selection.found = FindInstalledFont(AsU16(path, targetLength), fontsFolder);
    return !selection.found.empty();
}

int BackupLength(const wchar_t* backup) { return backup ? PathBufferLength(backup) : 0; }

// Removes the selection in this process; a font that stays is named with the reason.
int RemoveHereAndReport(const wchar_t* backup, int backupLength, const Selection& selection) {
    RemovalFailure failure;
    const int removed = RemoveHere(backup, static_cast<size_t>(backupLength), selection.found, selection.selected, failure);
    if (failure.reason) Report(FontName(selection.found), failure);
    return removed;
}

int UninstallHere(const wchar_t* backup, wchar_t* path) {
    const int backupLength = BackupLength(backup);
    Selection selection;
    if (backupLength < 0 || !Resolve(path, selection)) return 0;
    return RemoveHereAndReport(backup, backupLength, selection);
}

int Uninstall(const wchar_t* backup, wchar_t* path) {
    const int backupLength = BackupLength(backup);
    Selection selection;
    if (backupLength < 0 || !Resolve(path, selection)) return 0;
    // A font of the user's own list is the user's to remove; a system font may need the rights that
    // Explorer runs without, which the settings program asks for.
    const bool needsRights =
        std::any_of(selection.found.begin(), selection.found.end(), [](const InstalledFontValue& font) {
            return font.root == HKEY_LOCAL_MACHINE && !MayRemoveSystemFont(font.file);
        });
    if (!needsRights) return RemoveHereAndReport(backup, backupLength, selection);
    DWORD error = ERROR_SUCCESS;
    switch (RemoveWithAdministratorRights(backup, selection.selected, error)) {
    case ElevatedRun::kRemoved:
        return static_cast<int>(selection.found.size());
    case ElevatedRun::kNotRemoved:  // the settings program has said why
        return 0;
    case ElevatedRun::kDeclined:
        Report(FontName(selection.found), {IDS_REASON_DECLINED, ERROR_SUCCESS});
        return 0;
    case ElevatedRun::kNotStarted:
        Report(FontName(selection.found), {IDS_REASON_NOT_STARTED, error});
        return 0;
    }
    return 0;
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

extern "C" int UninstallFromVFontInProcess(const wchar_t* backup, wchar_t* path) {
    try {
        return UninstallHere(backup, path);
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
