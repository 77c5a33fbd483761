#include "name_table.h"

#include "sfnt_reader.h"

#include <algorithm>

namespace glyphpeek {

std::u16string_view CutToField(std::u16string_view text, std::size_t fieldUnits) noexcept {
    if (fieldUnits == 0) return {};
    const std::size_t room = fieldUnits - 1;
    if (text.size() <= room) return text;
    std::size_t cut = room;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF && text[cut] >= 0xDC00 && text[cut] <= 0xDFFF)
        --cut;
    return text.substr(0, cut);
}

namespace {

constexpr std::uint16_t kPlatformUnicode = 0;
constexpr std::uint16_t kPlatformMacintosh = 1;
constexpr std::uint16_t kNameSubfamily = 2;
constexpr std::uint16_t kNameFull = 4;
constexpr std::uint16_t kNamePostScript = 6;

// A decoded name is held in 1024 units, terminator included; each working name in 100.
constexpr std::size_t kDecodedUnits = 1024;
constexpr std::size_t kWorkingNameUnits = 100;
// An ANSI code page spends at most three bytes on a unit (UTF-8), so this many bytes always
// cover the units that are kept.
constexpr std::size_t kAnsiBytes = 3 * (kDecodedUnits - 1);
// Total name bytes decoded per file: real name tables use a few kilobytes, a hostile one could
// ask for 65535 records of 64 KB each.
constexpr std::size_t kDecodeBudget = std::size_t{1} << 22;

// Text of a name record up to its first NUL, as a C string in the decode buffer would hold it.
std::u16string DecodeName(std::uint16_t platform, std::span<const std::uint8_t> bytes, const AnsiDecoder& ansi) {
    std::u16string text;
    if (platform == kPlatformUnicode) {
        text = DecodeUtf16BE(bytes.first(std::min(bytes.size(), 2 * (kDecodedUnits - 1))));
    } else {
        bytes = bytes.first(std::min(bytes.size(), kAnsiBytes));
        const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
        bytes = bytes.first(static_cast<std::size_t>(nul - bytes.begin()));
        if (!bytes.empty()) text = ansi(bytes);
    }
    if (const std::size_t end = text.find(u'\0'); end != std::u16string::npos) text.resize(end);
    if (text.size() > kDecodedUnits - 1) text.resize(kDecodedUnits - 1);
    return text;
}

bool ContainsFolded(std::u16string_view text, std::u16string_view lowerWord) {
    std::u16string folded(text);
    for (char16_t& c : folded)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
    return folded.find(lowerWord) != std::u16string::npos;
}

std::optional<NameTableFace> Read(std::span<const std::uint8_t> bytes, const AnsiDecoder& ansi) {
    BigEndianReader in(bytes);
    if (in.Fits(0, 4) && in.U32(0) == Tag('t', 't', 'c', 'f')) return std::nullopt;

    const std::uint16_t numTables = in.U16(4);
    if (in.failed()) return std::nullopt;
    // 16 x 65535 directory bytes stay below the 1 MB scan limit, so the count bounds the scan.
    std::uint64_t table = 0;
    bool found = false;
    for (std::uint32_t i = 0; i < numTables; ++i) {
        const std::uint64_t record = 12 + std::uint64_t{16} * i;
        if (!in.Fits(record, 16)) break;
        const std::uint32_t tag = in.U32(record);
        if (tag == Tag('n', 'a', 'm', 'e')) {
            table = in.U32(record + 8);
            found = true;
            break;
        }
        for (int shift = 24; shift >= 0; shift -= 8) {
            const std::uint8_t byte = static_cast<std::uint8_t>(tag >> shift);
            if (byte < 0x20 || byte > 0x7F) return std::nullopt;
        }
    }
    if (!found) return std::nullopt;

    const std::uint16_t count = in.U16(table + 2);
    const std::uint64_t storage = table + in.U16(table + 4);
    if (in.failed() || !in.Fits(table + 6, std::uint64_t{12} * count)) return std::nullopt;

    NameTableFace face;
    std::u16string nativePostScript, romanPostScript, nativeFull, romanFull;
    std::size_t budget = kDecodeBudget;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t record = table + 6 + std::uint64_t{12} * i;
        const std::uint16_t platform = in.U16(record);
        const std::uint16_t encoding = in.U16(record + 2);
        const std::uint16_t nameId = in.U16(record + 6);
        const std::span<const std::uint8_t> raw = in.Bytes(storage + in.U16(record + 10), in.U16(record + 8));
        if (in.failed()) return std::nullopt;
        if (nameId != kNameSubfamily && nameId != kNameFull && nameId != kNamePostScript) continue;
        if (raw.size() > budget) return std::nullopt;
        budget -= raw.size();

        const std::u16string text = DecodeName(platform, raw, ansi);
        const bool native = platform == kPlatformUnicode || platform == kPlatformMacintosh;
        const std::u16string_view working = CutToField(text, kWorkingNameUnits);
        if (nameId == kNamePostScript) {
            if (encoding == 0) romanPostScript = working;
            else if (native) nativePostScript = working;
        } else if (nameId == kNameFull) {
            if (encoding == 0) romanFull = working;
            else if (native) nativeFull = working;
        } else {
            if (ContainsFolded(text, u"italic")) face.italic = true;
            if (ContainsFolded(text, u"bold")) face.bold = true;
        }
    }

    if (romanPostScript.empty()) return std::nullopt;
    if (nativePostScript.empty()) nativePostScript = romanPostScript;
    face.faceName = CutToField(nativePostScript, kFaceNameUnits);
    const std::u16string& display = !nativeFull.empty() ? nativeFull : !romanFull.empty() ? romanFull : face.faceName;
    face.displayName = CutToField(display, kDisplayNameUnits);
    return face;
}

} // namespace

std::optional<NameTableFace> ReadNameTableFace(std::span<const std::uint8_t> bytes, const AnsiDecoder& ansi) noexcept {
    try {
        return Read(bytes, ansi);
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace glyphpeek
