#include "trutility/font_files.h"

#include <optional>

#include "core/file_trust.h"
#include "winsupport/file_access.h"
#include "winsupport/scoped_handles.h"
#include "winsupport/system_libraries.h"
#include "winsupport/wide.h"

std::u16string MachineFontsFolder() {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring folder(windows, length);
    if (folder.back() != L'\\') folder += L'\\';
    return ToU16(folder + L"Fonts");
}

bool LiesInFontsFolder(HANDLE file) {
    const std::u16string folderPath = MachineFontsFolder();
    if (folderPath.empty()) return false;
    // The folder itself is the administrators': wherever a link of theirs takes it is where it is.
    const ScopedFile folder(CreateFileW(AsWideTerminated(folderPath), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return false;
    const std::optional<glyphpeek::FileLocation> folderLocation = LocationOf(folder.get());
    const std::optional<glyphpeek::FileLocation> fileLocation = LocationOf(file);
    return folderLocation && fileLocation && glyphpeek::LiesIn(*fileLocation, *folderLocation, false);
}

bool IsWindowsFont(HANDLE file, const std::u16string& path) {
    if (glyphpeek::IsWindowsInstallerOwner(ToU16(OwnerOf(file)))) return true;
    // The protected-file list of Windows File Protection (XP) and Resource Protection (Vista on).
    using SfcIsFileProtectedProc = BOOL(WINAPI*)(HANDLE, LPCWSTR);
    const ScopedModule sfc(LoadSystemLibrary(L"sfc.dll"));
    const auto isProtected = BindExport<SfcIsFileProtectedProc>(sfc.get(), "SfcIsFileProtected");
    return isProtected && isProtected(nullptr, AsWideTerminated(path));
}
