#include "core/sfnt_reader.h"

#include <bit>
#include <unordered_map>

namespace glyphpeek {

namespace {

using namespace sfnt;

constexpr std::uint16_t kNameFamily = 1;
constexpr std::uint16_t kLanguageEnglishUS = 0x0409;

// Real files visit a few thousand directory and name records; hostile ones (65535 tables per
// face, a collection of millions of members pointing at one face) are cut off well before they
// cost Explorer noticeable time.
constexpr std::uint64_t kWorkBudget = 1u << 20;

struct Budget : WorkBudget {
    Budget() noexcept : WorkBudget(kWorkBudget) {}
};

enum class FaceResult { kFace, kUnnamed, kRefused };

// Reads the face whose offset table starts at base.
FaceResult ReadFace(BigEndianReader& in, std::uint64_t base, bool requireGlyf, Budget& budget, SfntFace& face) {
    const SfntView directory(in, base);
    if (!directory.valid() || !budget.Spend(1u + directory.tableCount())) return FaceResult::kRefused;

    std::optional<TableRecord> name, os2, head;
    bool hasGlyf = false;
    for (std::uint16_t i = 0; i < directory.tableCount(); ++i) {
        const TableRecord record = directory.Record(i);
        std::optional<TableRecord>* wanted = record.tag == Tag('n', 'a', 'm', 'e')   ? &name
                                             : record.tag == Tag('O', 'S', '/', '2') ? &os2
                                             : record.tag == Tag('h', 'e', 'a', 'd') ? &head
                                                                                     : nullptr;
        if (record.tag == Tag('g', 'l', 'y', 'f')) hasGlyf = true;
        if (wanted == nullptr || wanted->has_value()) continue;
        *wanted = record;
        if (!in.Fits(record.offset, record.length)) return FaceResult::kRefused;
    }
    if (in.failed() || (requireGlyf && !hasGlyf)) return FaceResult::kRefused;

    // Fields beyond a short table are taken as absent, not as damage.
    if (os2 && os2->length >= kOs2FsSelection + 2) {
        const std::uint16_t fsSelection = in.U16(os2->offset + kOs2FsSelection);
        face.italic = face.italic || (fsSelection & 0x0001) != 0;
        face.bold = face.bold || (fsSelection & 0x0020) != 0;
    }
    if (head && head->length >= kHeadMacStyle + 2) {
        const std::uint16_t macStyle = in.U16(head->offset + kHeadMacStyle);
        face.bold = face.bold || (macStyle & 0x0001) != 0;
        face.italic = face.italic || (macStyle & 0x0002) != 0;
    }

    if (!name || name->length < kNameRecords) return FaceResult::kUnnamed;
    const NameTableView names(in, name->offset, name->length);
    if (!names.valid() || !budget.Spend(names.count())) return FaceResult::kRefused;

    std::optional<NameRecord> chosen;
    for (std::uint16_t i = 0; i < names.count(); ++i) {
        const NameRecord record = names.Record(i);
        if (record.platform != kPlatformWindows || record.nameId != kNameFamily) continue;
        if (!chosen || record.language == kLanguageEnglishUS) {
            chosen = record;
            if (record.language == kLanguageEnglishUS) break;
        }
    }
    if (!chosen) return FaceResult::kUnnamed;
    const auto text = names.Text(*chosen);
    if (!text || in.failed()) return FaceResult::kRefused;
    face.family = DecodeUtf16BE(*text);
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

    auto take = [&](std::uint64_t base, bool requireGlyf, std::uint32_t member) {
        SfntFace face;
        face.member = member;
        const FaceResult result = ReadFace(in, base, requireGlyf, budget, face);
        if (result == FaceResult::kFace) faces.push_back(std::move(face));
        return result != FaceResult::kRefused;
    };

    if (version == kCollection) {
        const std::uint32_t numFonts = in.U32(kCollectionNumFonts);
        if (in.failed() || numFonts > kMaxCollectionMembers || !in.Fits(kCollectionOffsets, std::uint64_t{4} * numFonts) ||
            !budget.Spend(numFonts))
            return std::nullopt;
        for (std::uint32_t i = 0; i < numFonts; ++i) {
            const std::uint64_t base = in.U32(kCollectionOffsets + std::uint64_t{4} * i);
            const std::uint32_t memberVersion = in.U32(base);
            if (memberVersion != kVersionTrueType && memberVersion != kVersionApple && memberVersion != kVersionCff)
                return std::nullopt;
            if (!take(base, false, i)) return std::nullopt;
        }
    } else if (version == kVersionTrueType || version == kVersionApple) {
        if (!take(0, true, 0)) return std::nullopt;
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
            FontFamilyInfo& family = families[it->second];
            const std::uint8_t style = StyleOf(face);
            family.styles |= style;
            std::uint32_t& member = family.memberOfStyle[std::countr_zero(style)];
            if (member == FontFamilyInfo::kNoMember) member = face.member;
        }
        return families;
    } catch (...) {
        return std::nullopt;
    }
}

std::uint32_t MemberForStyle(const FontFamilyInfo& family) noexcept {
    const StyleFlags probed = ProbeStyle(family.styles);
    const std::uint8_t style = probed.bold && probed.italic ? kStyleBoldItalic
                               : probed.bold               ? kStyleBold
                               : probed.italic             ? kStyleItalic
                                                           : kStyleRegular;
    const std::uint32_t member = family.memberOfStyle[std::countr_zero(style)];
    return member == FontFamilyInfo::kNoMember ? 0 : member;
}

StyleFlags ProbeStyle(std::uint8_t styles) noexcept {
    if (styles & kStyleRegular) return {false, false};
    if (styles & kStyleItalic) return {true, false};
    if (styles & kStyleBold) return {false, true};
    if (styles & kStyleBoldItalic) return {true, true};
    return {};
}

} // namespace glyphpeek
