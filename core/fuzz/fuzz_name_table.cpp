// libFuzzer target for the fallback name-table reader: the input is the font file.
#include "core/name_table.h"
#include "testsupport/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

using fuzz::Check;

namespace {

// One unit per byte, as a single-byte code page would give; the reader promises no NUL bytes.
std::u16string Widen(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    for (std::uint8_t b : bytes) {
        Check(b != 0);
        out.push_back(b);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyphpeek;
    const auto face = ReadNameTableFace(std::span<const std::uint8_t>(data, size), Widen);
    if (face) {
        Check(!face->faceName.empty() && face->faceName.size() < kFaceNameUnits);
        Check(!face->displayName.empty() && face->displayName.size() < kDisplayNameUnits);
        Check(face->faceName.find(u'\0') == std::u16string::npos);
        Check(face->displayName.find(u'\0') == std::u16string::npos);
    }
    return 0;
}
