// libFuzzer target for the font sanitiser: the input is the font file. What it passes is read by
// the face readers too, as the thumbnail road does after it.
#include "core/font_sanitiser.h"
#include "core/name_table.h"
#include "core/sfnt_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyphpeek;
    const std::span<const std::uint8_t> bytes(data, size);
    const FontVerdict verdict = SanitiseFont(bytes);
    if ((verdict.reason == nullptr) != verdict.sound) std::abort();
    if (!verdict) return 0;
    ReadFontCollection(bytes);
    ReadNameTableFace(bytes, [](std::span<const std::uint8_t> text) { return std::u16string(text.begin(), text.end()); });
    return 0;
}
