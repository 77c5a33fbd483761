#pragma once
// The define file (.gpd): the header "Typorama" + version 0x0200 (little-endian), then the defines as raw
// 692-byte records in priority order; the count follows from the length, and bytes after the last
// whole record are ignored. Platform-neutral: the callers read and write the file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace glyphpeek::trsetting {

// One define as the engine's record holds it (field order, widths and padding).
inline constexpr std::size_t kDefineRecordBytes = 692;
using DefineRecord = std::array<std::uint8_t, kDefineRecordBytes>;

inline constexpr std::size_t kDefineFileHeaderBytes = 10;

std::vector<std::uint8_t> EncodeDefineFile(std::span<const DefineRecord> records);

enum class DefineFileStatus {
    kOk,
    kNotADefineFile,  // the magic is missing (also for files shorter than it)
    kWrongVersion,    // the version's high byte is not 2, or the file ends inside it
};

struct DecodedDefineFile {
    DefineFileStatus status = DefineFileStatus::kNotADefineFile;
    std::vector<DefineRecord> records;
};

// The records of a file, each text made to end inside its field: a file can hold anything, and every
// reader of a record takes its texts as terminated there. A text that fills its field is cut by its
// last unit, as the define store does.
DecodedDefineFile DecodeDefineFile(std::span<const std::uint8_t> bytes);

// Whole records a file of `fileBytes` holds (0 below the header).
std::size_t DefineRecordCount(std::size_t fileBytes);

// The header's verdict on its first bytes (fewer than the header: not a define file, or a wrong version
// when only the version is cut off).
DefineFileStatus CheckDefineFileHeader(std::span<const std::uint8_t> header);

// Terminates the record's three texts inside their fields.
void TerminateTexts(DefineRecord& record);

} // namespace glyphpeek::trsetting
