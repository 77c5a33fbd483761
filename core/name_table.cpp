#include "core/name_table.h"

#include "core/ascii_case.h"
#include "core/sfnt_view.h"

#include <algorithm>
#include <vector>

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

constexpr std::uint16_t kLanguageEnglishUS = 0x0409;
constexpr std::uint16_t kNameFamily = 1;
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
    if (platform == sfnt::kPlatformUnicode) {
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
    for (char16_t& c : folded) c = AsciiLower(c);
    return folded.find(lowerWord) != std::u16string::npos;
}

bool IsWindowsUnicode(const NameRecord& record) {
    return record.platform == sfnt::kPlatformWindows && (record.encoding == 1 || record.encoding == 10);
}

// The Windows-platform names, read when a font carries no Macintosh Roman PostScript name (font
// tools no longer write Macintosh names). US English is taken over other languages.
struct WindowsNames {
    std::u16string postScript, full, family;
    bool postScriptEnglish = false, fullEnglish = false, familyEnglish = false;

    void Take(const NameRecord& record, std::span<const std::uint8_t> raw) {
        std::u16string* slot = record.nameId == kNamePostScript ? &postScript
                               : record.nameId == kNameFull     ? &full
                               : record.nameId == kNameFamily   ? &family
                                                                : nullptr;
        bool* english = record.nameId == kNamePostScript ? &postScriptEnglish
                        : record.nameId == kNameFull     ? &fullEnglish
                                                         : &familyEnglish;
        if (!slot || *english) return;
        std::u16string text = DecodeName(sfnt::kPlatformUnicode, raw, nullptr);
        if (text.empty() || (!slot->empty() && record.language != kLanguageEnglishUS)) return;
        *slot = CutToField(text, kWorkingNameUnits);
        *english = record.language == kLanguageEnglishUS;
    }
};

void TakeStyle(std::u16string_view subfamily, NameTableFace& face) {
    if (ContainsFolded(subfamily, u"italic")) face.italic = true;
    if (ContainsFolded(subfamily, u"bold")) face.bold = true;
}

std::optional<NameTableFace> Read(std::span<const std::uint8_t> bytes, const AnsiDecoder& ansi) {
    BigEndianReader in(bytes);
    if (in.Fits(0, 4) && in.U32(0) == sfnt::kCollection) return std::nullopt;

    // 16 x 65535 directory bytes stay below the 1 MB scan limit, so the count bounds the scan.
    const SfntView directory(in, 0);
    std::optional<std::uint64_t> table;
    for (std::uint16_t i = 0; i < directory.recordsInside(); ++i) {
        const TableRecord record = directory.Record(i);
        if (record.tag == Tag('n', 'a', 'm', 'e')) {
            table = record.offset;
            break;
        }
        for (int shift = 24; shift >= 0; shift -= 8) {
            const std::uint8_t byte = static_cast<std::uint8_t>(record.tag >> shift);
            if (byte < 0x20 || byte > 0x7F) return std::nullopt;
        }
    }
    // The declared length is not trusted: names may lie anywhere after the table's start.
    if (!table || *table > in.size()) return std::nullopt;
    const NameTableView names(in, *table, in.size() - *table);
    if (!names.valid()) return std::nullopt;

    NameTableFace face;
    std::u16string nativePostScript, romanPostScript, nativeFull, romanFull, nativeFamily, romanFamily;
    WindowsNames windows;
    std::vector<std::u16string> windowsSubfamilies;
    std::size_t budget = kDecodeBudget;
    for (std::uint16_t i = 0; i < names.count(); ++i) {
        const NameRecord record = names.Record(i);
        const auto raw = names.Text(record);
        if (!raw || in.failed()) return std::nullopt;
        const std::uint16_t nameId = record.nameId;
        if (nameId != kNameFamily && nameId != kNameSubfamily && nameId != kNameFull && nameId != kNamePostScript)
            continue;
        if (raw->size() > budget) return std::nullopt;
        budget -= raw->size();

        const std::u16string text = DecodeName(record.platform, *raw, ansi);
        const bool native = record.platform == sfnt::kPlatformUnicode || record.platform == sfnt::kPlatformMacintosh;
        const std::u16string_view working = CutToField(text, kWorkingNameUnits);
        if (nameId == kNamePostScript) {
            if (record.encoding == 0) romanPostScript = working;
            else if (native) nativePostScript = working;
        } else if (nameId == kNameFull) {
            if (record.encoding == 0) romanFull = working;
            else if (native) nativeFull = working;
        } else if (nameId == kNameFamily) {
            if (record.encoding == 0) romanFamily = working;
            else if (native) nativeFamily = working;
        } else {
            TakeStyle(text, face);
        }
        if (IsWindowsUnicode(record)) {
            if (nameId == kNameSubfamily) windowsSubfamilies.push_back(DecodeName(sfnt::kPlatformUnicode, *raw, nullptr));
            else windows.Take(record, *raw);
        }
    }

    if (romanPostScript.empty()) {
        if (windows.postScript.empty()) return std::nullopt;
        for (const std::u16string& subfamily : windowsSubfamilies) TakeStyle(subfamily, face);
        face.faceName = CutToField(windows.postScript, kFaceNameUnits);
        face.displayName = CutToField(windows.full.empty() ? face.faceName : windows.full, kDisplayNameUnits);
        face.familyName = CutToField(windows.family.empty() ? face.displayName : windows.family, kDisplayNameUnits);
        return face;
    }
    if (nativePostScript.empty()) nativePostScript = romanPostScript;
    face.faceName = CutToField(nativePostScript, kFaceNameUnits);
    const std::u16string& display = !nativeFull.empty() ? nativeFull : !romanFull.empty() ? romanFull : face.faceName;
    face.displayName = CutToField(display, kDisplayNameUnits);
    const std::u16string& family = !nativeFamily.empty() ? nativeFamily : !romanFamily.empty() ? romanFamily : face.displayName;
    face.familyName = CutToField(family, kDisplayNameUnits);
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
