#include "core/define_file.h"

#include <algorithm>
#include <cstring>

namespace glyphpeek::trsetting {
namespace {

constexpr std::uint8_t kMagic[8] = {'T', 'y', 'p', 'o', 'r', 'a', 'm', 'a'};
constexpr std::uint8_t kVersion[2] = {0x00, 0x02};
constexpr std::uint8_t kVersionHigh = 0x02;

struct TextField {
    std::size_t offset;
    std::size_t units;
};
// DefineName, Condition, SampleText: UTF-16LE.
constexpr TextField kTextFields[] = {{0, 15}, {30, 60}, {150, 260}};

} // namespace

std::vector<std::uint8_t> EncodeDefineFile(std::span<const DefineRecord> records) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kDefineFileHeaderBytes + records.size() * kDefineRecordBytes);
    bytes.insert(bytes.end(), std::begin(kMagic), std::end(kMagic));
    bytes.insert(bytes.end(), std::begin(kVersion), std::end(kVersion));
    for (const DefineRecord& record : records) bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

std::size_t DefineRecordCount(std::size_t fileBytes) {
    return fileBytes < kDefineFileHeaderBytes ? 0 : (fileBytes - kDefineFileHeaderBytes) / kDefineRecordBytes;
}

DefineFileStatus CheckDefineFileHeader(std::span<const std::uint8_t> header) {
    if (header.size() < sizeof(kMagic) || !std::equal(std::begin(kMagic), std::end(kMagic), header.begin()))
        return DefineFileStatus::kNotADefineFile;
    if (header.size() < kDefineFileHeaderBytes || header[9] != kVersionHigh) return DefineFileStatus::kWrongVersion;
    return DefineFileStatus::kOk;
}

void TerminateTexts(DefineRecord& record) {
    for (const TextField& field : kTextFields) {
        bool terminated = false;
        for (std::size_t unit = 0; unit < field.units && !terminated; ++unit) {
            const std::size_t at = field.offset + unit * 2;
            terminated = record[at] == 0 && record[at + 1] == 0;
        }
        if (terminated) continue;
        const std::size_t last = field.offset + (field.units - 1) * 2;
        record[last] = record[last + 1] = 0;
        // Never leave the high half of a surrogate pair before the cut.
        const std::size_t before = last - 2;
        const unsigned unit = record[before] | (record[before + 1] << 8);
        if (unit >= 0xD800 && unit <= 0xDBFF) record[before] = record[before + 1] = 0;
    }
}

DecodedDefineFile DecodeDefineFile(std::span<const std::uint8_t> bytes) {
    DecodedDefineFile decoded;
    decoded.status = CheckDefineFileHeader(bytes.first(std::min(bytes.size(), kDefineFileHeaderBytes)));
    if (decoded.status != DefineFileStatus::kOk) return decoded;
    const std::size_t count = DefineRecordCount(bytes.size());
    decoded.records.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(decoded.records[i].data(), bytes.data() + kDefineFileHeaderBytes + i * kDefineRecordBytes,
                    kDefineRecordBytes);
        TerminateTexts(decoded.records[i]);
    }
    return decoded;
}

} // namespace glyphpeek::trsetting
