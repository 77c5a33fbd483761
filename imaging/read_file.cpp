#include "imaging/read_file.h"

#include <algorithm>

#include "winsupport/scoped_handles.h"

namespace glyphpeek::imaging {

ReadFileBytes::ReadFileBytes(const wchar_t* path, std::uint64_t limit) {
    if (!path) return;
    const ScopedFile file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return;
    LARGE_INTEGER size = {};
    // An empty file holds no font.
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || static_cast<std::uint64_t>(size.QuadPart) > limit)
        return;
    bytes_.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes_.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes_.size() - done, 1u << 24));
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes_.data() + done, want, &got, nullptr) || got == 0) {
            bytes_.clear();  // an error, or a file that shrank while it was read
            return;
        }
        done += got;
    }
    ok_ = true;
}

} // namespace imaging
