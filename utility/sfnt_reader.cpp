#include "sfnt_reader.h"

#include <unordered_map>

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

namespace {

constexpr std::uint32_t kVersionTrueType = 0x00010000;
constexpr std::uint32_t kVersionApple = Tag('t', 'r', 'u', 'e');
constexpr std::uint32_t kVersionCff = Tag('O', 'T', 'T', 'O');
constexpr std::uint32_t kCollection = Tag('t', 't', 'c', 'f');

constexpr std::uint16_t kPlatformWindows = 3;
constexpr std::uint16_t kNameFamily = 1;
constexpr std::uint16_t kLanguageEnglishUS = 0x0409;

// Real files visit a few thousand directory and name records; hostile ones (65535 tables per
// face, a collection of millions of members pointing at one face) are cut off well before they
// cost Explorer noticeable time.
constexpr std::uint64_t kWorkBudget = 1u << 20;

class Budget {
public:
    bool Spend(std::uint64_t units) {
        if (units > left_) return false;
        left_ -= units;
        return true;
    }

private:
    std::uint64_t left_ = kWorkBudget;
};

struct TableRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool present = false;
};

enum class FaceResult { kFace, kUnnamed, kRefused };

// Reads the face whose offset table starts at base. Table offsets count from the start of the
// file, in a collection as in a single font.
FaceResult ReadFace(BigEndianReader& in, std::uint64_t base, bool requireGlyf, Budget& budget, SfntFace& face) {
    const std::uint16_t numTables = in.U16(base + 4);
    if (in.failed() || !in.Fits(base + 12, std::uint64_t{16} * numTables) || !budget.Spend(1u + numTables))
        return FaceResult::kRefused;

    TableRange name, os2, head;
    bool hasGlyf = false;
    for (std::uint32_t i = 0; i < numTables; ++i) {
        const std::uint64_t record = base + 12 + std::uint64_t{16} * i;
        const std::uint32_t tag = in.U32(record);
        TableRange* wanted = tag == Tag('n', 'a', 'm', 'e')   ? &name
                             : tag == Tag('O', 'S', '/', '2') ? &os2
                             : tag == Tag('h', 'e', 'a', 'd') ? &head
                                                              : nullptr;
        if (tag == Tag('g', 'l', 'y', 'f')) hasGlyf = true;
        if (wanted == nullptr || wanted->present) continue;
        wanted->offset = in.U32(record + 8);
        wanted->length = in.U32(record + 12);
        wanted->present = true;
        if (!in.Fits(wanted->offset, wanted->length)) return FaceResult::kRefused;
    }
    if (in.failed() || (requireGlyf && !hasGlyf)) return FaceResult::kRefused;

    // Fields beyond a short table are taken as absent, not as damage.
    if (os2.present && os2.length >= 64) {
        const std::uint16_t fsSelection = in.U16(os2.offset + 62);
        face.italic = face.italic || (fsSelection & 0x0001) != 0;
        face.bold = face.bold || (fsSelection & 0x0020) != 0;
    }
    if (head.present && head.length >= 46) {
        const std::uint16_t macStyle = in.U16(head.offset + 44);
        face.bold = face.bold || (macStyle & 0x0001) != 0;
        face.italic = face.italic || (macStyle & 0x0002) != 0;
    }

    if (!name.present || name.length < 6) return FaceResult::kUnnamed;
    const std::uint16_t count = in.U16(name.offset + 2);
    const std::uint16_t storage = in.U16(name.offset + 4);
    if (6 + std::uint64_t{12} * count > name.length || !budget.Spend(count)) return FaceResult::kRefused;

    std::uint64_t chosen = 0;
    bool found = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t record = name.offset + 6 + std::uint64_t{12} * i;
        if (in.U16(record) != kPlatformWindows || in.U16(record + 6) != kNameFamily) continue;
        if (!found || in.U16(record + 4) == kLanguageEnglishUS) {
            chosen = record;
            found = true;
            if (in.U16(record + 4) == kLanguageEnglishUS) break;
        }
    }
    if (!found) return FaceResult::kUnnamed;
    const std::uint64_t length = in.U16(chosen + 8);
    const std::uint64_t start = std::uint64_t{storage} + in.U16(chosen + 10);
    if (start > name.length || length > name.length - start) return FaceResult::kRefused;
    face.family = DecodeUtf16BE(in.Bytes(name.offset + start, length));
    if (in.failed()) return FaceResult::kRefused;
    // Names padded with NULs are known by the text before the padding.
    if (const std::size_t nul = face.family.find(u'\0'); nul != std::u16string::npos) face.family.resize(nul);
    return face.family.empty() ? FaceResult::kUnnamed : FaceResult::kFace;
}

std::optional<std::vector<SfntFace>> ReadFaces(std::span<const std::uint8_t> bytes) {
    BigEndianReader in(bytes);
    Budget budget;
    std::vector<SfntFace> faces;
    const std::uint32_t version = in.U32(0);
    if (in.failed()) return std::nullopt;

    auto take = [&](std::uint64_t base, bool requireGlyf) {
        SfntFace face;
        const FaceResult result = ReadFace(in, base, requireGlyf, budget, face);
        if (result == FaceResult::kFace) faces.push_back(std::move(face));
        return result != FaceResult::kRefused;
    };

    if (version == kCollection) {
        const std::uint32_t numFonts = in.U32(8);
        if (in.failed() || !in.Fits(12, std::uint64_t{4} * numFonts) || !budget.Spend(numFonts)) return std::nullopt;
        for (std::uint32_t i = 0; i < numFonts; ++i) {
            const std::uint64_t base = in.U32(12 + std::uint64_t{4} * i);
            const std::uint32_t memberVersion = in.U32(base);
            if (memberVersion != kVersionTrueType && memberVersion != kVersionApple && memberVersion != kVersionCff)
                return std::nullopt;
            if (!take(base, false)) return std::nullopt;
        }
    } else if (version == kVersionTrueType || version == kVersionApple) {
        if (!take(0, true)) return std::nullopt;
    } else {
        return std::nullopt;  // 'OTTO' and everything else
    }
    if (faces.empty()) return std::nullopt;
    return faces;
}

std::uint8_t StyleOf(const SfntFace& face) {
    if (face.bold && face.italic) return kStyleBoldItalic;
    if (face.bold) return kStyleBold;
    if (face.italic) return kStyleItalic;
    return kStyleRegular;
}

} // namespace

std::optional<std::vector<SfntFace>> ReadSfntFaces(std::span<const std::uint8_t> bytes) noexcept {
    try {
        return ReadFaces(bytes);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<FontFamilyInfo>> ReadFontCollection(std::span<const std::uint8_t> bytes) noexcept {
    try {
        std::optional<std::vector<SfntFace>> faces = ReadFaces(bytes);
        if (!faces) return std::nullopt;
        std::vector<FontFamilyInfo> families;
        std::unordered_map<std::u16string, std::size_t> index;
        for (SfntFace& face : *faces) {
            auto [it, added] = index.try_emplace(face.family, families.size());
            if (added) families.push_back({std::move(face.family), 0});
            families[it->second].styles |= StyleOf(face);
        }
        return families;
    } catch (...) {
        return std::nullopt;
    }
}

StyleFlags ProbeStyle(std::uint8_t styles) noexcept {
    if (styles & kStyleRegular) return {false, false};
    if (styles & kStyleItalic) return {true, false};
    if (styles & kStyleBold) return {false, true};
    if (styles & kStyleBoldItalic) return {true, true};
    return {};
}

} // namespace glyphpeek
