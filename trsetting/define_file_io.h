#pragma once
// Define files on disk: the whole define list written to a .gpd file, or read back from one.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "trutility/TRUtility.h"
#include "core/define_file.h"

namespace glyphpeek::trsetting {

// Larger than any define list a person keeps (about 97,000 defines); a bigger file is refused rather
// than read into memory.
inline constexpr DWORD kMaxDefineFileBytes = 64u * 1024 * 1024;

// Creates (or empties) the file and writes the list; 0, or the system's error code.
DWORD WriteDefineFile(const wchar_t* path, std::span<const SettingData> defines);

struct DefineFileContents {
    DWORD error = 0;  // the system's error code when the file could not be read; status is then not looked at
    DefineFileStatus status = DefineFileStatus::kNotADefineFile;
    std::vector<SettingData> defines;  // every text ending inside its field
};
// Reads the whole file first, so a failure leaves the caller's list as it was.
DefineFileContents ReadDefineFile(const wchar_t* path);

// The system's own text for an error code, as a message box shows it.
std::wstring SystemErrorText(DWORD error);

} // namespace glyphpeek::trsetting
