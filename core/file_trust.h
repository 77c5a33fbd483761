#pragma once
// What a process with more rights than the user who started it checks about a file before it changes
// anything: where the file really lies (its location as the file system resolved the open handle,
// links and ".." included) and whether Windows itself owns it. Platform-neutral: the Windows side
// reads the locations and the owner from open handles.
#include <cstdint>
#include <string>
#include <string_view>

namespace glyphpeek {

// Where an open file or folder lies: the serial number of its volume and its path on that volume,
// starting with "\" ("\Windows\Fonts\arial.ttf").
struct FileLocation {
    std::uint32_t volume = 0;
    std::u16string path;
};

// `file` lies in `folder`: on the same volume, its path the folder's followed by "\" and a name
// (`directly`) or by a relative path (any depth). Letters are compared ASCII-folded; a difference in
// any other letter's case counts as another place, which only ever refuses.
bool LiesIn(const FileLocation& file, const FileLocation& folder, bool directly);

// `location` is the place the drive-letter path `path` ("C:\Users\x") names when nothing on the way
// is a link: the same path without its drive (the volume is the caller's to compare). Paths in any
// other form never match.
bool IsPlainPathOf(std::u16string_view path, const FileLocation& location);

// The owner of a file (as a SID string, "S-1-5-...") is Windows' installer account, TrustedInstaller,
// which owns every file Windows ships from Vista on.
bool IsWindowsInstallerOwner(std::u16string_view ownerSid);

} // namespace glyphpeek
