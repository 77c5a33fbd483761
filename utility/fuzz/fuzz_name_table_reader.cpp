// Hostile bytes into the name-table reader: no read outside them, no crash, bounded names.
#include <cstdint>
#include <cstdlib>

#include "name_table_reader.h"

namespace {
std::u16string Latin1(std::span<const std::uint8_t> bytes) { return std::u16string(bytes.begin(), bytes.end()); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const auto face = glyphpeek::ReadNameTable({data, size}, Latin1);
    if (face && (face->faceName.empty() || face->faceName.size() > glyphpeek::kNameUnits ||
                 face->displayName.size() > glyphpeek::kNameUnits))
        std::abort();
    return 0;
}
