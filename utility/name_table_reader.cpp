#include "name_table_reader.h"

#include <new>

#include "sfnt_reader.h"

namespace glyphpeek {

namespace {

constexpr std::uint32_t kMaxRecordBytes = 0x100000;

std::u16string Cut(std::u16string text, size_t units) {
    if (text.size() > units) text.resize(units);
    return text;
}

bool Contains(std::u16string_view text, std::u16string_view word) { return text.find(word) != text.npos; }

std::u16string FoldAscii(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

struct WorkingNames {
    std::u16string nativePostScript, romanPostScript, nativeFull, romanFull;
    bool italic = false, bold = false;
};

bool ReadNames(BigEndianReader& reader, std::uint64_t table, EightBitDecoder decode, WorkingNames& names) {
    const std::uint16_t count = reader.U16(table + 2);
    const std::uint64_t storage = table + reader.U16(table + 4);
    if (reader.failed()) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t record = table + 6 + 12ull * i;
        const std::uint16_t platform = reader.U16(record);
        const std::uint16_t encoding = reader.U16(record + 2);
        const std::uint16_t nameId = reader.U16(record + 6);
        const std::uint16_t length = reader.U16(record + 8);
        const std::uint16_t offset = reader.U16(record + 10);
        const std::span<const std::uint8_t> bytes = reader.Bytes(storage + offset, length);
        if (reader.failed()) return false;
        if (nameId != 2 && nameId != 4 && nameId != 6) continue;
        std::u16string text = platform == 0 ? DecodeUtf16BE(bytes) : (decode ? decode(bytes) : std::u16string());
        text = Cut(std::move(text), kDecodedUnits);
        if (nameId == 2) {
            const std::u16string folded = FoldAscii(text);
            if (Contains(folded, u"italic")) names.italic = true;
            if (Contains(folded, u"bold")) names.bold = true;
            continue;
        }
        std::u16string name = Cut(std::move(text), kNameUnits);
        const bool native = platform == 0 || platform == 1;
        if (nameId == 6) {
            if (encoding == 0)
                names.romanPostScript = std::move(name);
            else if (native)
                names.nativePostScript = std::move(name);
        } else {
            if (encoding == 0)
                names.romanFull = std::move(name);
            else if (native)
                names.nativeFull = std::move(name);
        }
    }
    return true;
}

} // namespace

std::optional<NamedFace> ReadNameTable(std::span<const std::uint8_t> bytes, EightBitDecoder decode) noexcept {
    try {
        BigEndianReader reader(bytes);
        const std::uint16_t tables = reader.U16(4);
        if (reader.failed()) return std::nullopt;
        WorkingNames names;
        bool found = false;
        for (std::uint32_t i = 0; i < tables; ++i) {
            const std::uint64_t passed = 16ull * i;
            if (passed > kMaxRecordBytes || passed > bytes.size()) break;
            const std::uint64_t record = 12 + passed;
            const std::uint32_t tag = reader.U32(record);
            if (reader.failed()) return std::nullopt;
            if (tag == Tag('n', 'a', 'm', 'e')) {
                if (!ReadNames(reader, reader.U32(record + 8), decode, names) || reader.failed()) return std::nullopt;
                found = true;
                break;
            }
            for (int shift = 0; shift < 32; shift += 8) {
                const std::uint32_t c = (tag >> shift) & 0xFF;
                if (c < 0x20 || c > 0x7F) return std::nullopt;
            }
        }
        if (!found || names.romanPostScript.empty()) return std::nullopt;
        if (names.nativePostScript.empty()) names.nativePostScript = names.romanPostScript;
        NamedFace face;
        face.faceName = names.nativePostScript;
        face.displayName = !names.nativeFull.empty()  ? names.nativeFull
                           : !names.romanFull.empty() ? names.romanFull
                                                      : face.faceName;
        face.italic = names.italic;
        face.bold = names.bold;
        return face;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace glyphpeek
