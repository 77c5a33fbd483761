#include "core/sfnt_view.h"

namespace glyphpeek {

std::uint8_t BigEndianReader::U8(std::uint64_t offset) noexcept {
    if (!Fits(offset, 1)) {
        failed_ = true;
        return 0;
    }
    return bytes_[offset];
}

std::uint16_t BigEndianReader::U16(std::uint64_t offset) noexcept {
    if (!Fits(offset, 2)) {
        failed_ = true;
        return 0;
    }
    return static_cast<std::uint16_t>((bytes_[offset] << 8) | bytes_[offset + 1]);
}

std::uint32_t BigEndianReader::U32(std::uint64_t offset) noexcept {
    if (!Fits(offset, 4)) {
        failed_ = true;
        return 0;
    }
    return (std::uint32_t{bytes_[offset]} << 24) | (std::uint32_t{bytes_[offset + 1]} << 16) |
           (std::uint32_t{bytes_[offset + 2]} << 8) | std::uint32_t{bytes_[offset + 3]};
}

std::span<const std::uint8_t> BigEndianReader::Bytes(std::uint64_t offset, std::uint64_t length) noexcept {
    if (!Fits(offset, length)) {
        failed_ = true;
        return {};
    }
    return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

std::u16string DecodeUtf16BE(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1]));
    return text;
}

SfntView::SfntView(BigEndianReader& in, std::uint64_t base) noexcept : in_(in), base_(base) {
    if (!in_.Fits(base, sfnt::kDirectory)) return;
    version_ = in_.U32(base);
    count_ = in_.U16(base + sfnt::kNumTables);
    valid_ = in_.Fits(base + sfnt::kDirectory, sfnt::kTableRecordSize * count_);
    if (valid_) {
        inside_ = count_;
    } else if (in_.size() >= base + sfnt::kDirectory) {
        inside_ = static_cast<std::uint16_t>((in_.size() - base - sfnt::kDirectory) / sfnt::kTableRecordSize);
    }
}

TableRecord SfntView::Record(std::uint16_t index) const noexcept {
    if (index >= inside_) return {};
    const std::uint64_t record = base_ + sfnt::kDirectory + sfnt::kTableRecordSize * index;
    return {in_.U32(record), in_.U32(record + sfnt::kRecordOffset), in_.U32(record + sfnt::kRecordLength)};
}

std::optional<TableRecord> SfntView::Find(std::uint32_t tag) const noexcept {
    for (std::uint16_t i = 0; i < tableCount(); ++i) {
        const std::uint64_t record = base_ + sfnt::kDirectory + sfnt::kTableRecordSize * i;
        if (in_.U32(record) == tag) return Record(i);
    }
    return std::nullopt;
}

NameTableView::NameTableView(BigEndianReader& in, std::uint64_t table, std::uint64_t extent) noexcept
    : in_(in), table_(table), extent_(extent) {
    if (extent < sfnt::kNameRecords || !in_.Fits(table, extent)) return;
    count_ = in_.U16(table + sfnt::kNameCount);
    storage_ = in_.U16(table + sfnt::kNameStorage);
    valid_ = sfnt::kNameRecords + sfnt::kNameRecordSize * count_ <= extent;
}

NameRecord NameTableView::Record(std::uint16_t index) const noexcept {
    if (index >= count()) return {};
    const std::uint64_t record = table_ + sfnt::kNameRecords + sfnt::kNameRecordSize * index;
    NameRecord name;
    name.platform = in_.U16(record);
    name.encoding = in_.U16(record + 2);
    name.language = in_.U16(record + 4);
    name.nameId = in_.U16(record + 6);
    name.textLength = in_.U16(record + 8);
    name.textOffset = table_ + storage_ + in_.U16(record + 10);
    return name;
}

std::optional<std::span<const std::uint8_t>> NameTableView::Text(const NameRecord& record) const noexcept {
    const std::uint64_t end = table_ + extent_;
    if (record.textOffset > end || record.textLength > end - record.textOffset) return std::nullopt;
    return in_.Bytes(record.textOffset, record.textLength);
}

} // namespace glyphpeek
