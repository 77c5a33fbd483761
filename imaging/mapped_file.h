#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "core/non_copyable.h"

namespace glyphpeek::imaging {

// A whole file mapped read-only. The file is opened with read sharing: the font engine keeps a file
// it has registered open, and the mapping must still succeed then.
class MappedFile : glyphpeek::NonCopyable {
public:
    explicit MappedFile(const wchar_t* path);
    ~MappedFile();

    explicit operator bool() const { return view_ != nullptr; }
    std::span<const std::uint8_t> bytes() const { return {static_cast<const std::uint8_t*>(view_), size_}; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    const void* view_ = nullptr;
    size_t size_ = 0;
};

} // namespace imaging
