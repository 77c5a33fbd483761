#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

namespace glyphpeek::imaging {

// A whole file read into memory with ReadFile. Where a mapping would raise an in-page error in the
// reading thread when removable or network media fail or go away (a crash of Explorer, which runs our
// commands), a read only fails. Opened with read sharing, so a font in use elsewhere can still be read.
class ReadFileBytes {
public:
    // Files above `limit` bytes are not read.
    explicit ReadFileBytes(const wchar_t* path, std::uint64_t limit = kDefaultLimit);

    explicit operator bool() const { return ok_; }
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    // The bytes handed over; the object holds none afterwards.
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

    // Larger than any font file.
    static constexpr std::uint64_t kDefaultLimit = 256ull * 1024 * 1024;

private:
    std::vector<std::uint8_t> bytes_;
    bool ok_ = false;
};

} // namespace imaging
