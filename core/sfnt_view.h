#pragma once
// One view of sfnt structures over untrusted bytes: a bounds-checked big-endian reader, the table
// directory of a face (look-up by tag), the records of a 'name' table, and the offsets of the
// fields the readers use. Every reader of font bytes goes through it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

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

// More members than any real collection has (the largest known hold a few dozen); a file declaring
// more is refused before its members are read.
inline constexpr std::uint32_t kMaxCollectionMembers = 1000;

// UTF-16 big-endian text; an odd trailing byte is dropped.
std::u16string DecodeUtf16BE(std::span<const std::uint8_t> bytes);

namespace sfnt {

inline constexpr std::uint32_t kVersionTrueType = 0x00010000;
inline constexpr std::uint32_t kVersionApple = Tag('t', 'r', 'u', 'e');
inline constexpr std::uint32_t kVersionCff = Tag('O', 'T', 'T', 'O');
inline constexpr std::uint32_t kCollection = Tag('t', 't', 'c', 'f');

// Offset table and table directory.
inline constexpr std::uint64_t kNumTables = 4;
inline constexpr std::uint64_t kDirectory = 12;
inline constexpr std::uint64_t kTableRecordSize = 16;
inline constexpr std::uint64_t kRecordOffset = 8;
inline constexpr std::uint64_t kRecordLength = 12;

// Collection header.
inline constexpr std::uint64_t kCollectionNumFonts = 8;
inline constexpr std::uint64_t kCollectionOffsets = 12;

// 'name'.
inline constexpr std::uint64_t kNameCount = 2;
inline constexpr std::uint64_t kNameStorage = 4;
inline constexpr std::uint64_t kNameRecords = 6;
inline constexpr std::uint64_t kNameRecordSize = 12;

// 'head'.
inline constexpr std::uint64_t kHeadUnitsPerEm = 18;
inline constexpr std::uint64_t kHeadMacStyle = 44;
inline constexpr std::uint64_t kHeadIndexToLocFormat = 50;
inline constexpr std::uint64_t kHeadSize = 54;

// 'OS/2'.
inline constexpr std::uint64_t kOs2FsSelection = 62;

// 'maxp'.
inline constexpr std::uint64_t kMaxpNumGlyphs = 4;

// 'hhea'.
inline constexpr std::uint64_t kHheaNumberOfHMetrics = 34;
inline constexpr std::uint64_t kHheaSize = 36;

inline constexpr std::uint16_t kPlatformUnicode = 0;
inline constexpr std::uint16_t kPlatformMacintosh = 1;
inline constexpr std::uint16_t kPlatformWindows = 3;

} // namespace sfnt

// A bound on the work a reader spends on one file, in units of records and entries visited:
// real files need a few thousand to a few hundred thousand, hostile ones could ask for billions.
class WorkBudget {
public:
    explicit WorkBudget(std::uint64_t units) noexcept : left_(units) {}
    bool Spend(std::uint64_t units) noexcept {
        if (units > left_) return false;
        left_ -= units;
        return true;
    }
    std::uint64_t left() const noexcept { return left_; }

private:
    std::uint64_t left_;
};

struct TableRecord {
    std::uint32_t tag = 0;
    std::uint64_t offset = 0;  // from the start of the file, in a collection as in a single font
    std::uint64_t length = 0;
};

// The table directory of the face whose offset table starts at `base`.
class SfntView {
public:
    SfntView(BigEndianReader& in, std::uint64_t base) noexcept;

    // The offset table and every directory record lie inside the bytes.
    bool valid() const noexcept { return valid_; }
    std::uint32_t version() const noexcept { return version_; }
    std::uint16_t tableCount() const noexcept { return valid_ ? count_ : 0; }
    // Directory records that lie inside the bytes: all of them when valid(), the leading ones of
    // a cut directory otherwise.
    std::uint16_t recordsInside() const noexcept { return inside_; }
    TableRecord Record(std::uint16_t index) const noexcept;  // index < recordsInside()
    // The first record with the tag.
    std::optional<TableRecord> Find(std::uint32_t tag) const noexcept;

private:
    BigEndianReader& in_;
    std::uint64_t base_;
    std::uint32_t version_ = 0;
    std::uint16_t count_ = 0;
    std::uint16_t inside_ = 0;
    bool valid_ = false;
};

struct NameRecord {
    std::uint16_t platform = 0;
    std::uint16_t encoding = 0;
    std::uint16_t language = 0;
    std::uint16_t nameId = 0;
    std::uint64_t textOffset = 0;  // from the start of the file
    std::uint16_t textLength = 0;
};

// The records of a 'name' table whose strings may lie anywhere in [table, table + extent).
class NameTableView {
public:
    NameTableView(BigEndianReader& in, std::uint64_t table, std::uint64_t extent) noexcept;

    // The header and every record lie inside the extent and the bytes.
    bool valid() const noexcept { return valid_; }
    std::uint16_t count() const noexcept { return valid_ ? count_ : 0; }
    NameRecord Record(std::uint16_t index) const noexcept;
    // The record's text; nullopt when it leaves the extent.
    std::optional<std::span<const std::uint8_t>> Text(const NameRecord& record) const noexcept;

private:
    BigEndianReader& in_;
    std::uint64_t table_;
    std::uint64_t extent_;
    std::uint64_t storage_ = 0;
    std::uint16_t count_ = 0;
    bool valid_ = false;
};

} // namespace glyphpeek
