// Font removal for the context menu's uninstall command: the installed-font list entries that name
// the font (the system's or the user's), the font file and its stub go, after an optional copy to a
// backup folder that the user picks. A font Windows ships is never removed. A system font that this
// process lacks the rights to remove is removed by the settings program with administrator rights,
// after one question that names every such font of the selection; the backup copies and the stubs
// stay this process's work. A font that stays is named in a message with the reason.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "core/virtual_font_stub.h"
#include "trutility/TRUtility.h"
#include "trutility/elevated_removal.h"
#include "trutility/font_files.h"
#include "trutility/installed_font_list.h"
#include "trutility/removal_messages.h"
#include "trutility/resource.h"
#include "trutility/virtual_font.h"
#include "winsupport/file_access.h"
#include "winsupport/scoped_com.h"
#include "winsupport/scoped_handles.h"
#include "winsupport/wide.h"

namespace {

using glyphpeek::kMaxPathUnits;

// A backup folder never has more copies of one font than this.
constexpr unsigned kBackupNames = 1000;

// One selected file whose font is installed.
struct Selection {
    std::wstring selected;                   // the stub, or the font file selected directly
    std::u16string file;                     // the font file
    std::vector<InstalledFontValue> found;   // the values of both lists that name it
};

// Copies the font into the backup folder under a name nothing there has yet ("arial (2).ttf" when
// "arial.ttf" is taken): an earlier copy, or any file of the user's, is never overwritten.
bool MakeBackup(const std::u16string& folder, const std::u16string& file, RemovalFailure& failure) {
    const std::u16string_view name = glyphpeek::FileNamePart(file);
    for (unsigned attempt = 1; attempt <= kBackupNames; ++attempt) {
        const std::u16string copy = folder + glyphpeek::NumberedFileName(name, attempt);
        if (copy.size() > kMaxPathUnits) {
            failure = {IDS_REASON_BACKUP, ERROR_FILENAME_EXCED_RANGE};
            return false;
        }
        if (CopyFileW(AsWideTerminated(file), AsWideTerminated(copy), TRUE)) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            failure = {IDS_REASON_BACKUP, error};
            return false;
        }
    }
    failure = {IDS_REASON_BACKUP, ERROR_FILE_EXISTS};
    return false;
}

// Removes the listed values and their file in this process, with the rights it has. The file goes
// before its value: a file that cannot be deleted (in use, say) keeps its value and its place in the
// running system, so the font stays whole.
int RemoveValues(const std::vector<InstalledFontValue>& found, RemovalFailure& failure) {
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
    return removed;
}

// The stub goes with its font; a font file selected directly is already gone.
void DeleteStub(const Selection& selection) {
    if (!SamePathIgnoringCase(AsU16(selection.selected), selection.file)) DeleteFileW(selection.selected.c_str());
}

// Removes the selection in this process; a font that stays is named with the reason.
int RemoveHere(const std::u16string& backup, const Selection& selection) {
    RemovalFailure failure;
    // The user asked to keep a copy: without one, nothing is removed.
    int removed = 0;
    if (backup.empty() || MakeBackup(backup, selection.file, failure)) removed = RemoveValues(selection.found, failure);
    if (failure.reason)
        Report(FontName(selection.found), failure);
    else
        DeleteStub(selection);
    return removed;
}

// Whether the font is gone from the machine: no value of the system's list names it, and its file is
// not there.
bool GoneFromSystem(const Selection& selection) {
    if (!FindListedFont(HKEY_LOCAL_MACHINE, selection.file, FontsFolder()).empty()) return false;
    if (GetFileAttributesW(AsWideTerminated(selection.file)) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// System fonts this process may not remove: one question naming them all, the backups here, one run
// of the settings program with administrator rights, then the stubs of the fonts that went (and any
// value the user's own list still has for them).
int RemoveWithRights(const std::u16string& backup, std::vector<Selection> selections) {
    // Two stubs of one font: it is named, copied and handed over once, and both stubs go with it.
    std::vector<const Selection*> fonts;
    for (const Selection& selection : selections)
        if (std::none_of(fonts.begin(), fonts.end(),
                         [&](const Selection* font) { return SamePathIgnoringCase(font->file, selection.file); }))
            fonts.push_back(&selection);
    std::vector<NamedFont> named;
    for (const Selection* font : fonts) named.push_back({FontName(font->found), std::wstring(AsWide(font->file))});
    if (!ConfirmElevatedRemoval(named)) return 0;

    std::vector<std::u16string> files;
    std::vector<std::wstring> names;
    for (const Selection* font : fonts) {
        RemovalFailure failure;
        if (!backup.empty() && !MakeBackup(backup, font->file, failure)) {
            Report(FontName(font->found), failure);
            continue;
        }
        files.push_back(font->file);
        names.push_back(FontName(font->found));
    }
    if (files.empty()) return 0;
    DWORD error = ERROR_SUCCESS;
    switch (RemoveWithAdministratorRights(files, error)) {
    case ElevatedRun::kRan:
        break;
    case ElevatedRun::kDeclined:
        Report(names, {IDS_REASON_DECLINED, ERROR_SUCCESS});
        return 0;
    case ElevatedRun::kNotStarted:
        Report(names, {IDS_REASON_NOT_STARTED, error});
        return 0;
    }
    // The settings program has named each font that stayed, with its reason.
    int removed = 0;
    for (const Selection& selection : selections) {
        const bool handed = std::any_of(files.begin(), files.end(),
                                        [&](const std::u16string& file) { return SamePathIgnoringCase(file, selection.file); });
        if (!handed || !GoneFromSystem(selection)) continue;
        const bool counted = std::find(fonts.begin(), fonts.end(), &selection) != fonts.end();
        std::vector<InstalledFontValue> userValues;
        for (const InstalledFontValue& font : selection.found)
            if (font.root != HKEY_LOCAL_MACHINE)
                userValues.push_back(font);
            else if (counted)
                ++removed;
        RemovalFailure failure;
        removed += RemoveValues(userValues, failure);
        DeleteStub(selection);
    }
    return removed;
}

// The selected stub resolved in the caller's buffer, and the values of both lists that name its font.
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
    selection.file.assign(AsU16(path, targetLength));
    // Not an installed font: it and its stub stay.
    selection.found = FindInstalledFont(selection.file, fontsFolder);
    return !selection.found.empty();
}

// What the font's file says about it: false (and the user told) when it is not to be removed at all,
// or not with administrator rights (`withRights`). Only READ_CONTROL is asked, so a font in use still
// opens.
bool MayBeRemoved(const Selection& selection, bool withRights) {
    const ScopedFile font = OpenWithoutFollowing(AsWideTerminated(selection.file), READ_CONTROL, false);
    if (!font) return true;  // missing or busy: the removal itself says what stays
    if (IsWindowsFont(font.get(), selection.file)) {
        Report(FontName(selection.found), {IDS_REASON_WINDOWS_FONT, ERROR_SUCCESS});
        return false;
    }
    // With administrator rights only a file in the Fonts folder is removed: told now, before a
    // backup is made and the rights are asked for.
    if (withRights && !LiesInFontsFolder(font.get())) {
        Report(FontName(selection.found), {IDS_REASON_OUTSIDE_FONTS, ERROR_SUCCESS});
        return false;
    }
    return true;
}

int Uninstall(const wchar_t* backup, wchar_t* const* paths, size_t count) {
    const int backupLength = backup ? PathBufferLength(backup) : 0;
    if (backupLength < 0 || !paths) return 0;
    const std::u16string backupFolder(AsU16(backup ? backup : L"", static_cast<size_t>(backupLength)));
    int removed = 0;
    std::vector<Selection> withRights;
    for (size_t i = 0; i < count; ++i) {
        Selection selection;
        if (!Resolve(paths[i], selection)) continue;
        // A font of the user's own list is the user's to remove; a system font may need the rights
        // that Explorer runs without, which the settings program asks for.
        const bool needsRights =
            std::any_of(selection.found.begin(), selection.found.end(), [&](const InstalledFontValue& font) {
                return font.root == HKEY_LOCAL_MACHINE && !MayRemoveSystemFont(font.file);
            });
        if (!MayBeRemoved(selection, needsRights)) continue;
        if (needsRights)
            withRights.push_back(std::move(selection));
        else
            removed += RemoveHere(backupFolder, selection);
    }
    if (!withRights.empty()) removed += RemoveWithRights(backupFolder, std::move(withRights));
    return removed;
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
        return path ? Uninstall(backup, &path, 1) : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" int UninstallFromVFonts(const wchar_t* backup, wchar_t* const* paths, uint32_t count) {
    try {
        return Uninstall(backup, paths, count);
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
