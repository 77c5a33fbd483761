// The removal that the settings program runs with administrator rights ("/removefont"). What it is
// handed comes from a process without those rights and may name anything: it is only a name to look
// up in the machine's installed-font list. A font is removed only when that list names it and its
// file, opened without following a link and located through that handle, lies in the Fonts folder;
// the file is deleted through that same handle. Nothing is copied and no other file is touched: the
// backup and the stub are the calling process's work.
#include <windows.h>

#include <string>
#include <vector>

#include "core/virtual_font_stub.h"
#include "trutility/TRUtility.h"
#include "trutility/font_files.h"
#include "trutility/installed_font_list.h"
#include "trutility/removal_messages.h"
#include "trutility/resource.h"
#include "winsupport/file_access.h"
#include "winsupport/scoped_handles.h"
#include "winsupport/wide.h"

namespace {

// A listed file that is already gone leaves only its values; they go when the value named a file
// directly in the Fonts folder, as a value the system wrote does.
bool NamedDirectlyInFolder(const std::u16string& file, const std::u16string& folder) {
    const std::u16string_view name = glyphpeek::FileNamePart(file);
    if (name.empty() || name == u"." || name == u".." || file.size() != folder.size() + 1 + name.size()) return false;
    return SamePathIgnoringCase(std::u16string_view(file).substr(0, folder.size()), folder) && file[folder.size()] == u'\\';
}

// Deletes the font's file; false (and the user told) when it stays.
bool DeleteFontFile(const std::u16string& file, const std::u16string& fontsFolder, const std::wstring& name) {
    ScopedFile font = OpenWithoutFollowing(AsWideTerminated(file), DELETE | READ_CONTROL, false);
    if (!font) {
        const DWORD error = GetLastError();
        const bool gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        if (gone && NamedDirectlyInFolder(file, fontsFolder)) return true;
        Report(name, gone ? RemovalFailure{IDS_REASON_OUTSIDE_FONTS, ERROR_SUCCESS} : RemovalFailure{IDS_REASON_FILE, error});
        return false;
    }
    if (!LiesInFontsFolder(font.get())) {
        Report(name, {IDS_REASON_OUTSIDE_FONTS, ERROR_SUCCESS});
        return false;
    }
    if (IsWindowsFont(font.get(), file)) {
        Report(name, {IDS_REASON_WINDOWS_FONT, ERROR_SUCCESS});
        return false;
    }
    RemoveFontResourceW(AsWideTerminated(file));
    if (!DeleteWhenClosed(font.get())) {
        const DWORD error = GetLastError();
        AddFontResourceW(AsWideTerminated(file));
        Report(name, {IDS_REASON_FILE, error});
        return false;
    }
    return true;  // the file goes as the handle closes
}

int RemoveListed(const wchar_t* hint) {
    const int length = hint ? static_cast<int>(wcsnlen(hint, glyphpeek::kPathBufferUnits)) : -1;
    if (length <= 0 || length >= static_cast<int>(glyphpeek::kPathBufferUnits)) return 0;
    const std::u16string target(AsU16(hint, length));
    const std::u16string fontsFolder = MachineFontsFolder();
    if (fontsFolder.empty()) return 0;
    // The machine's list only: a user's own list is the user's to write, and its fonts are removed in
    // the user's own process.
    const std::vector<InstalledFontValue> found = FindListedFont(HKEY_LOCAL_MACHINE, target, fontsFolder);
    if (found.empty()) {
        Report(std::wstring(AsWide(glyphpeek::FileNamePart(target))), {IDS_REASON_NOT_LISTED, ERROR_SUCCESS});
        return 0;
    }
    const std::wstring name = FontName(found);
    // Every value names this one file (letter case aside); it is checked and deleted once.
    if (!DeleteFontFile(found.front().file, fontsFolder, name)) return 0;
    int removed = 0;
    RemovalFailure failure;
    for (const InstalledFontValue& font : found) {
        ScopedRegKey key;
        LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstalledFontsKey, 0, KEY_SET_VALUE, key.put());
        if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.get(), font.valueName.c_str());
        if (status == ERROR_SUCCESS)
            ++removed;
        else if (!failure.reason)
            failure = {IDS_REASON_LIST_ENTRY, static_cast<DWORD>(status)};
    }
    if (failure.reason) Report(name, failure);
    return removed;
}

} // namespace

extern "C" int RemoveListedSystemFont(const wchar_t* file) {
    try {
        return RemoveListed(file);
    } catch (...) {
        return 0;
    }
}
