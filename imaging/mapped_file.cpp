#include "imaging/mapped_file.h"

namespace glyphpeek::imaging {

MappedFile::MappedFile(const wchar_t* path) {
    if (!path) return;
    file_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size = {};
    // An empty file cannot be mapped, and holds no font anyway.
    if (!GetFileSizeEx(file_, &size) || size.QuadPart <= 0 || static_cast<ULONGLONG>(size.QuadPart) > SIZE_MAX) return;
    mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping_) return;
    view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
    if (view_) size_ = static_cast<size_t>(size.QuadPart);
}

MappedFile::~MappedFile() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

} // namespace imaging
