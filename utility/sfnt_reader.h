#pragma once
// Reading sfnt font files (TrueType, OpenType, TrueType collections) from untrusted bytes, and the
// faces and families a private font collection sees in them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyphpeek {

// Big-endian reads over a byte span. Every read is range-checked first (offsets are 64-bit so
// that sums of file offsets cannot wrap); a read outside the bytes yields 0 or an empty span and
// marks the reader failed for good, so a caller may read a run of fields and check once.
class BigEndianReader {
public:
    explicit BigEndianReader(std::span<const std::uint8_t> bytes) noexcept : bytes_(bytes) {}

    std::uint64_t size() const noexcept { return bytes_.size(); }
    bool failed() const noexcept { return failed_; }
    // [offset, offset + length) lies inside the bytes.
    bool Fits(std::uint64_t offset, std::uint64_t length) const noexcept {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    std::uint8_t U8(std::uint64_t offset) noexcept;
    std::uint16_t U16(std::uint64_t offset) noexcept;
    std::uint32_t U32(std::uint64_t offset) noexcept;
    std::span<const std::uint8_t> Bytes(std::uint64_t offset, std::uint64_t length) noexcept;

private:
    std::span<const std::uint8_t> bytes_;
    bool failed_ = false;
};

constexpr std::uint32_t Tag(char a, char b, char c, char d) {
    return (std::uint32_t{static_cast<std::uint8_t>(a)} << 24) | (std::uint32_t{static_cast<std::uint8_t>(b)} << 16) |
           (std::uint32_t{static_cast<std::uint8_t>(c)} << 8) | std::uint32_t{static_cast<std::uint8_t>(d)};
}

// UTF-16 big-endian text; an odd trailing byte is dropped.
std::u16string DecodeUtf16BE(std::span<const std::uint8_t> bytes);

// One face as a private font collection loads it.
struct SfntFace {
    std::u16string family;  // name ID 1, Windows platform
    bool bold = false;
    bool italic = false;
};

// Style availability bits of a family.
enum StyleBit : std::uint8_t {
    kStyleRegular = 1,
    kStyleItalic = 2,
    kStyleBold = 4,
    kStyleBoldItalic = 8,
};

struct FontFamilyInfo {
    std::u16string name;
    std::uint8_t styles = 0;  // StyleBit set: a style is available when some member has it
};

// The faces a private font collection loads from a file: a TrueType-outline sfnt (version
// 0x00010000 or 'true' with a 'glyf' table) or every member of a 'ttcf' collection. CFF-outline
// files ('OTTO'), damaged files, files that blow the work budget and files with no named face
// give nullopt: not a font for the collection. Members without a Windows family name are left out.
std::optional<std::vector<SfntFace>> ReadSfntFaces(std::span<const std::uint8_t> bytes) noexcept;

// The families of those faces, grouped by name in order of first appearance.
std::optional<std::vector<FontFamilyInfo>> ReadFontCollection(std::span<const std::uint8_t> bytes) noexcept;

// The style probe: the first available of regular, italic, bold, bold italic decides the flags
// a face is drawn with; none available leaves both clear.
struct StyleFlags {
    bool italic = false;
    bool bold = false;
};
StyleFlags ProbeStyle(std::uint8_t styles) noexcept;

} // namespace glyphpeek
