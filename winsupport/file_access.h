#pragma once
// Files worked on through one open handle: opened without following a link at the last step, asked
// where they really lie and who owns them, and deleted or changed through that same handle, so that
// a link swapped in between the check and the change cannot redirect it. The programs that run with
// administrator rights work this way on anything a user could have placed.
//
// GetFinalPathNameByHandleW and SetFileInformationByHandle came with Vista: they are looked up at run
// time, and on 64-bit XP the native calls they are made of (in ntdll, present there) answer instead.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/file_trust.h"
#include "winsupport/scoped_handles.h"

// Opens `path` for `access`, shared with everyone, without following a link that the last step of the
// path names (the link itself is opened). A folder opens only when `folder` is true, a file only when
// it is false. Invalid with the error in GetLastError when it does not open.
ScopedFile OpenWithoutFollowing(const wchar_t* path, DWORD access, bool folder);

// Where the open file lies, as the file system resolved the handle: nothing when the system cannot
// say. The handle needs no particular access.
std::optional<glyphpeek::FileLocation> LocationOf(HANDLE file);

// The serial number of the volume a drive-letter path ("C:\...") lies on; nothing for other paths.
std::optional<std::uint32_t> VolumeOfDrivePath(const std::wstring& path);

// The open file's attributes; INVALID_FILE_ATTRIBUTES when they cannot be read.
DWORD AttributesOf(HANDLE file);

// The open file's owner as a SID string ("S-1-5-..."); empty when it cannot be read. The handle needs
// READ_CONTROL.
std::wstring OwnerOf(HANDLE file);

// Marks the open file for deletion: it goes when its last handle closes. The handle needs DELETE.
// False with the error in GetLastError (a file mapped or running cannot be deleted).
bool DeleteWhenClosed(HANDLE file);

// Sets the open file's attributes, its times unchanged. The handle needs FILE_WRITE_ATTRIBUTES.
bool SetAttributesOf(HANDLE file, DWORD attributes);
