#include "trsetting/define_file_io.h"

#include <cstring>

#include "winsupport/scoped_handles.h"

namespace glyphpeek::trsetting {
namespace {

static_assert(sizeof(SettingData) == kDefineRecordBytes, "a define file record is the engine's record");

} // namespace

DWORD WriteDefineFile(const wchar_t* path, std::span<const SettingData> defines) {
    std::vector<DefineRecord> records(defines.size());
    for (size_t i = 0; i < defines.size(); ++i) std::memcpy(records[i].data(), &defines[i], kDefineRecordBytes);
    const std::vector<std::uint8_t> bytes = EncodeDefineFile(records);
    if (bytes.size() > kMaxDefineFileBytes) return ERROR_FILE_TOO_LARGE;
    const ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return GetLastError();
    return written == bytes.size() ? 0 : ERROR_WRITE_FAULT;
}

DefineFileContents ReadDefineFile(const wchar_t* path) {
    DefineFileContents contents;
    const ScopedFile file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        contents.error = GetLastError();
        return contents;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        contents.error = GetLastError();
        return contents;
    }
    if (size.QuadPart > kMaxDefineFileBytes) {
        contents.error = ERROR_FILE_TOO_LARGE;
        return contents;
    }
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        contents.error = GetLastError();
        return contents;
    }
    bytes.resize(read);
    const DecodedDefineFile decoded = DecodeDefineFile(bytes);
    contents.status = decoded.status;
    contents.defines.resize(decoded.records.size());
    for (size_t i = 0; i < decoded.records.size(); ++i)
        std::memcpy(&contents.defines[i], decoded.records[i].data(), kDefineRecordBytes);
    return contents;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const ScopedLocalMemory<wchar_t*> owned(text);
    std::wstring message = length ? std::wstring(text, length) : L"Error " + std::to_wstring(error);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    return message;
}

} // namespace glyphpeek::trsetting
