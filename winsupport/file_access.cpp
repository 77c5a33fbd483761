#include "winsupport/file_access.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "winsupport/export_binding.h"
#include "winsupport/wide.h"

namespace {

// The native calls, as ntdll exports them on every Windows since NT.
using NtStatus = LONG;
struct IoStatus {
    union {
        NtStatus status;
        void* pointer;
    };
    ULONG_PTR information;
};
using NtQueryInformationFileProc = NtStatus(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, ULONG);
using NtSetInformationFileProc = NtStatus(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, ULONG);
using RtlNtStatusToDosErrorProc = ULONG(NTAPI*)(NtStatus);
constexpr ULONG kFileBasicInformation = 4;
constexpr ULONG kFileNameInformation = 9;
constexpr ULONG kFileDispositionInformation = 13;

using GetFinalPathNameByHandleProc = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using SetFileInformationByHandleProc = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

HMODULE Kernel32() { return GetModuleHandleW(L"kernel32.dll"); }
HMODULE Ntdll() { return GetModuleHandleW(L"ntdll.dll"); }

// The documented call where the system has it, else the native one with the same record (the
// disposition and basic-information records of both are laid out alike).
bool SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS documented, ULONG native, void* record, DWORD size) {
    if (const auto set = BindExport<SetFileInformationByHandleProc>(Kernel32(), "SetFileInformationByHandle"))
        return set(file, documented, record, size) != FALSE;
    const auto setNative = BindExport<NtSetInformationFileProc>(Ntdll(), "NtSetInformationFile");
    const auto toError = BindExport<RtlNtStatusToDosErrorProc>(Ntdll(), "RtlNtStatusToDosError");
    if (!setNative || !toError) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
    IoStatus io{};
    const NtStatus status = setNative(file, &io, record, size, native);
    if (status >= 0) return true;
    SetLastError(toError(status));
    return false;
}

// The path on its volume: the documented call resolves it; the native name query gives the same for a
// handle (the name the file system reached, links resolved), without the volume.
std::optional<std::wstring> PathOnVolume(HANDLE file) {
    if (const auto finalPath = BindExport<GetFinalPathNameByHandleProc>(Kernel32(), "GetFinalPathNameByHandleW")) {
        std::vector<wchar_t> buffer(MAX_PATH);
        for (int tries = 0; tries < 3; ++tries) {
            const DWORD units =
                finalPath(file, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_NONE);
            if (units == 0) return std::nullopt;
            if (units < buffer.size()) return std::wstring(buffer.data(), units);
            buffer.resize(units + 1);  // the answer was the size needed
        }
        return std::nullopt;
    }
    const auto query = BindExport<NtQueryInformationFileProc>(Ntdll(), "NtQueryInformationFile");
    if (!query) return std::nullopt;
    // FILE_NAME_INFORMATION: the name's length in bytes, then the name (at most 32767 units).
    std::vector<ULONG> record(1 + 32768 * sizeof(wchar_t) / sizeof(ULONG));
    IoStatus io{};
    if (query(file, &io, record.data(), static_cast<ULONG>(record.size() * sizeof(ULONG)), kFileNameInformation) < 0)
        return std::nullopt;
    const ULONG bytes = record[0];
    if (bytes > (record.size() - 1) * sizeof(ULONG)) return std::nullopt;
    return std::wstring(reinterpret_cast<const wchar_t*>(record.data() + 1), bytes / sizeof(wchar_t));
}

} // namespace

ScopedFile OpenWithoutFollowing(const wchar_t* path, DWORD access, bool folder) {
    // A folder opens only with backup semantics: without them, a folder's path fails here.
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
    ScopedFile opened(CreateFileW(path, access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, flags, nullptr));
    if (!opened) return opened;
    const DWORD attributes = AttributesOf(opened.get());
    if (attributes == INVALID_FILE_ATTRIBUTES || ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) {
        SetLastError(folder ? ERROR_DIRECTORY : ERROR_ACCESS_DENIED);
        return ScopedFile();
    }
    return opened;
}

std::optional<glyphpeek::FileLocation> LocationOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information)) return std::nullopt;
    const std::optional<std::wstring> path = PathOnVolume(file);
    if (!path || path->empty() || path->front() != L'\\') return std::nullopt;
    return glyphpeek::FileLocation{information.dwVolumeSerialNumber, ToU16(*path)};
}

std::optional<std::uint32_t> VolumeOfDrivePath(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return std::nullopt;
    const std::wstring root = path.substr(0, 3);
    DWORD serial = 0;
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return std::nullopt;
    return serial;
}

DWORD AttributesOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    return GetFileInformationByHandle(file, &information) ? information.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

std::wstring OwnerOf(HANDLE file) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return {};
    const Scoped<NullInvalidTraits<HLOCAL, LocalFree>> ownedDescriptor(descriptor);
    wchar_t* text = nullptr;
    if (!owner || !ConvertSidToStringSidW(owner, &text)) return {};
    const Scoped<NullInvalidTraits<HLOCAL, LocalFree>> ownedText(text);
    return text;
}

bool DeleteWhenClosed(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetInformation(file, FileDispositionInfo, kFileDispositionInformation, &disposition, sizeof(disposition));
}

bool SetAttributesOf(HANDLE file, DWORD attributes) {
    // Only the attributes a caller may set (as SetFileAttributesW keeps them); zero times are left as
    // they are, and FILE_ATTRIBUTE_NORMAL stands for none.
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = (attributes & kSettable) ? (attributes & kSettable) : FILE_ATTRIBUTE_NORMAL;
    return SetInformation(file, FileBasicInfo, kFileBasicInformation, &basic, sizeof(basic));
}
